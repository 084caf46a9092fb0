// The paging road: directory pages loaded one at a time from a loopback server into a flat page list.

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ContactRemoteModel.h"
#include "HeldAnswer.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::ContactRemoteItemData;
using NS_DIRECTORY::ContactRemoteListData;
using NS_DIRECTORY::REMOTE_ROOT_KEY;
using ::testing::ElementsAre;
using testsupport::BuildRemoteDirectory;
using testsupport::RemoteEntry;

std::vector<RemoteEntry> Entries(const std::string& strPrefix, int nCount) {
    std::vector<RemoteEntry> vecEntries;
    for (int i = 0; i < nCount; ++i) {
        vecEntries.push_back(
            {strPrefix + std::to_string(i), {std::to_string(100 + i), " " + std::to_string(i)}});
    }
    return vecEntries;
}

std::vector<std::string> Names(const ContactRemoteListData& list) {
    std::vector<std::string> vecNames;
    for (const ContactRemoteItemData& item : list.m_listData) {
        vecNames.push_back(item.m_strDisplayName);
    }
    return vecNames;
}

class RemotePagingTest : public remotetest::RemoteFixture {
protected:
    // Page 1 is the slot's document (the tree); pages 2 and 3 are reached only through paging.
    void SetUp() override {
        RemoteFixture::SetUp();
        m_server.Serve("/p1.xml",
                       BuildRemoteDirectory("Book", Entries("First ", 3), {},
                                            {{"next-page", Url("p2.xml")}, {"previous-page", ""}}));
        m_server.Serve("/p2.xml", BuildRemoteDirectory(
                                      "Book", Entries("Second ", 10), {{"Help", Url("h.xml")}},
                                      {{"previous-page", Url("p1.xml")}, {"next-page", Url("p3.xml")}}));
        m_server.Serve("/p3.xml", BuildRemoteDirectory(
                                      "Book", Entries("Third ", 1), {},
                                      {{"first-page", Url("p1.xml")}, {"previous-page", Url("p2.xml")}}));
        WriteSlots("", {{"Book", Url("p1.xml")}});
        StartModel();
        ContactRemoteListData list;
        list.m_nCountToGet = 10;
        ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
        HostControl::TakeNotifications();
    }

    std::string Url(const std::string& strName) const { return m_server.Url("/" + strName); }
    CContactRemoteModel* Model() { return CContactRemoteModel::GetInstance(); }

    // lParam of every page notification since the last call.
    std::vector<int> PageResults() {
        std::vector<int> vecResults;
        for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
            if (note.id == NS_DIRECTORY::REMOTE_MSG_PAGE_RESULT) {
                vecResults.push_back(note.lParam);
            }
        }
        return vecResults;
    }

    ContactRemoteListData Page(int nFrom, int nCount) {
        ContactRemoteListData list;
        list.m_nIndexFrom = nFrom;
        list.m_nCountToGet = nCount;
        EXPECT_TRUE(Model()->GetPageListData(&list));
        return list;
    }
};

TEST_F(RemotePagingTest, NextAndPreviousPagesReplaceThePageList) {
    EXPECT_FALSE(Model()->ReqPagingList(false)) << "page 1 has no previous page";
    ASSERT_TRUE(Model()->ReqPagingList(true));
    EXPECT_FALSE(Model()->ReqPagingList(true)) << "one page load at a time";
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(0));
    EXPECT_FALSE(m_root.Exists("/tmp/RemotePage.xml"));

    ContactRemoteListData page2 = Page(0, 100);
    EXPECT_EQ(page2.m_nTotalCount, 10);
    EXPECT_TRUE(page2.m_bHasNextPage);
    EXPECT_TRUE(page2.m_bHasPrevPage);
    ASSERT_EQ(page2.m_listData.size(), 10u);
    EXPECT_EQ(page2.m_listData.front().m_eType, NS_DIRECTORY::REMOTE_ITEM_ENTRY);
    EXPECT_EQ(page2.m_listData.front().m_strDisplayName, "Second 0");
    EXPECT_THAT(page2.m_listData.front().m_listNumber, ElementsAre("100", "0"));

    ContactRemoteListData tail = Page(8, 5);
    EXPECT_EQ(tail.m_nTotalCount, 10);
    EXPECT_THAT(Names(tail), ElementsAre("Second 8", "Second 9"));
    EXPECT_THAT(Names(Page(3, 2)), ElementsAre("Second 3", "Second 4"));

    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(0));
    ContactRemoteListData page3 = Page(0, 100);
    EXPECT_THAT(Names(page3), ElementsAre("Third 0"));
    EXPECT_EQ(page3.m_nTotalCount, 1) << "a page key of another name is neither listed nor counted";
    EXPECT_FALSE(page3.m_bHasNextPage);
    EXPECT_TRUE(page3.m_bHasPrevPage);
    EXPECT_FALSE(Model()->ReqPagingList(true)) << "the last page";

    ASSERT_TRUE(Model()->ReqPagingList(false));
    WaitIdle();
    EXPECT_EQ(Page(0, 100).m_nTotalCount, 10);
    EXPECT_EQ(m_server.RequestsTo("/p2.xml").size(), 2u);
    EXPECT_EQ(m_server.RequestsTo("/p3.xml").size(), 1u);
}

TEST_F(RemotePagingTest, APageOnShowOutlivesFailedTreeDownloads) {
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    m_server.Fail("/p1.xml", 500);
    ASSERT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    EXPECT_EQ(Page(0, 100).m_nTotalCount, 10);
    EXPECT_THAT(PageResults(), ElementsAre(0));
}

TEST_F(RemotePagingTest, FailedAndCanceledLoadsLeaveNoPage) {
    m_server.Fail("/p2.xml", 500);
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(1));
    ContactRemoteListData list;
    EXPECT_FALSE(Model()->GetPageListData(&list));
    EXPECT_FALSE(Model()->GetPageListData(nullptr));

    remotetest::HeldAnswer late(m_server, "/p2.xml", BuildRemoteDirectory("Book", Entries("Late ", 2)));
    ASSERT_TRUE(Model()->ReqPagingList(true));
    Model()->CancelDownload("");
    late.Open();
    WaitIdle();
    EXPECT_THAT(PageResults(), ::testing::IsEmpty()) << "a canceled page is dropped silently";
    EXPECT_FALSE(Model()->GetPageListData(&list));

    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(Model()->ReqPagingList(true));
    HostControl::SetRefuseTaskActions(false);
    EXPECT_FALSE(Model()->GetPageListData(&list));
}

}  // namespace
