// Browsing downloaded remote phonebooks level by level: lists and windows, entering and leaving nodes, soft
// keys, copying entries into the local phone book, and the paging road, against a loopback server.

#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommonUnits.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "HeldAnswer.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using namespace ::testing;
using testsupport::BuildRemoteDirectory;
using testsupport::BuildRemoteMenu;
using testsupport::RemoteEntry;

// "Name:type" for each listed item, in list order.
std::vector<std::string> Listed(const ContactRemoteListData& list) {
    std::vector<std::string> vecItems;
    for (const ContactRemoteItemData& item : list.m_listData) {
        vecItems.push_back(item.m_strDisplayName + ":" + std::to_string(item.m_eType));
    }
    return vecItems;
}

ContactRemoteListData Window(int nFrom, int nCount) {
    ContactRemoteListData list;
    list.m_nIndexFrom = nFrom;
    list.m_nCountToGet = nCount;
    list.m_nSelectedIndex = 7;
    return list;
}

int OpenSlot(int nSlot) {
    ContactRemoteListData list = Window(0, 10);
    const std::string strAction = "remote_phonebook_x" + std::to_string(nSlot);
    return CContactRemoteModel::GetInstance()->GetContactListByClickAction(&list, strAction, "", false);
}

class RemoteBrowseTest : public remotetest::RemoteFixture {
protected:
    // Parses a document into the node with that key, as a download for it would.
    void ParseInto(const std::string& strKey, const std::string& strDocument) {
        m_root.WriteFile("/tmp/parse-into.xml", strDocument);
        ASSERT_TRUE(Model()->ParseDownloadedFile("/tmp/parse-into.xml", strKey, ""));
    }

    // Slot 0 "Company": a top menu with three menus and two soft keys, into which a directory page with ten
    // entries, a soft key and a page key is parsed as well, so the top node holds every kind of child.
    void StartMixedCompany() {
        m_server.Serve("/top.xml", BuildRemoteMenu("Company",
                                                   {{"Beta", Url("beta.xml")},
                                                    {"Alpha", Url("alpha.xml")},
                                                    {"Gamma", Url("gamma.xml")}},
                                                   {{"Reception", Url("reception.xml")}, {"help", ""}}));
        m_server.Serve("/alpha.xml", BuildRemoteDirectory("Alpha team", {{"Al", {"501"}}, {"Amy", {"502"}}}));
        m_server.Serve("/beta.xml", BuildRemoteDirectory("Beta team", {}));
        m_server.Serve("/reception.xml", BuildRemoteDirectory("Reception", {{"Front desk", {"100"}}}));
        WriteSlots("Company DIR", {{"Company", Url("top.xml")}, {"Empty", ""}});
        StartModel();
        std::vector<RemoteEntry> vecEntries;
        for (const char* pName : {"Zed", "Ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Gus", "Hal", "Ivy"}) {
            vecEntries.push_back({pName, {std::string("1") + pName}});
        }
        ParseInto(Url("top.xml"), BuildRemoteDirectory("Company", vecEntries, {{"Operator", Url("op.xml")}},
                                                       {{"next-page", Url("top2.xml")}}));
        WaitIdle();
    }
};

TEST_F(RemoteBrowseTest, ClickActionListsMenusAndEntriesSortedInWindowsWithStatusCodes) {
    StartMixedCompany();
    ContactRemoteListData list = Window(0, 100);
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
    EXPECT_EQ(list.m_nTotalCount, 13);
    EXPECT_EQ(list.m_nSelectedIndex, 0);
    const std::vector<std::string> vecAll = Listed(list);
    EXPECT_THAT(vecAll, ElementsAre("Alpha:1", "Ann:2", "Beta:1", "Bob:2", "Cid:2", "Dee:2", "Eve:2", "Fay:2",
                                    "Gamma:1", "Gus:2", "Hal:2", "Ivy:2", "Zed:2"));
    EXPECT_THAT(list.m_listData.front().m_listNumber, IsEmpty());
    EXPECT_THAT(std::next(list.m_listData.begin())->m_listNumber, ElementsAre("1Ann"));
    EXPECT_EQ(Model()->GetTitle(), "Company");
    const std::tuple<int, int, int> kWindows[] = {
        {2, 4, 4}, {12, 5, 1}, {13, 3, 0}, {0, 0, 0}};  // from, count, listed
    for (const auto& [nFrom, nCount, nListed] : kWindows) {
        ContactRemoteListData page = Window(nFrom, nCount);
        ASSERT_EQ(Model()->GetContactList(&page, ""), 0) << nFrom;
        EXPECT_EQ(page.m_nTotalCount, 13) << nFrom;
        EXPECT_THAT(Listed(page), ElementsAreArray(vecAll.begin() + nFrom, vecAll.begin() + nFrom + nListed))
            << nFrom;
    }
    ContactRemoteListData bad = Window(-1, 3);
    EXPECT_EQ(Model()->GetContactList(&bad, ""), 11);

    const std::pair<const char*, int> kActions[] = {{"", 11},
                                                    {"remote_phonebook_x1", 5},
                                                    {"remote_phonebook_x4", 5},
                                                    {"remote_phonebook_x5", 4},
                                                    {"local_contact_x0", 4},
                                                    {"OpenSubPage(remote_phonebook_x0)", 0}};
    for (const auto& [pAction, nStatus] : kActions) {
        EXPECT_EQ(Model()->GetContactListByClickAction(&list, pAction, "", true), nStatus) << pAction;
    }
    EXPECT_EQ(Model()->GetContactList(&list, Url("nowhere.xml")), 11);
    EXPECT_EQ(Model()->GetContactList(&list, Url("gamma.xml")), 2) << "404: download failed";
    EXPECT_EQ(Model()->GetContactList(&list, Url("op.xml")), 2);
    Model()->LeaveOut();
    EXPECT_EQ(Model()->GetContactList(&list, ""), 5);
    const int kStatusOfState[] = {11, 11, 1, 0, 2, 8, 9, 3};
    for (int nState = 0; nState < 8; ++nState) {
        EXPECT_EQ(CContactRemoteModel::FileDownStatus2GetListStatus(
                      static_cast<CContactRemoteModel::FileDownloadStatus>(nState)),
                  kStatusOfState[nState]);
    }
}

TEST_F(RemoteBrowseTest, EnteringAndLeavingNodesAndSoftKeys) {
    StartMixedCompany();
    remotetest::HeldAnswer slow(m_server, "/slow.xml", BuildRemoteDirectory("Slow", {{"Late", {"9"}}}));
    ParseInto(Url("alpha.xml"), BuildRemoteMenu("Alpha team", {{"Slow", Url("slow.xml")}}));
    ContactRemoteListData list = Window(0, 10);
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'R'), 5) << "no current node yet";
    ASSERT_EQ(OpenSlot(0), 0);

    // Children in stored order: page key, Alpha, Ann, Beta, ..., Gamma, ..., Zed, Reception, help, Operator.
    HostControl::TakeLogLines();
    int nStatus = -1;
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0);
    EXPECT_THAT(HostControl::TakeLogLines(), Contains("EnterContactByIndex Invalid type\n"));
    EXPECT_EQ(Model()->EnterContactByIndex(2, &nStatus, ""), 2) << "an entry";
    EXPECT_EQ(Model()->EnterContactByIndex(14, &nStatus, ""), 3) << "a hot key";
    EXPECT_EQ(Model()->EnterContactByIndex(17, &nStatus, ""), 2) << "past the end";
    EXPECT_EQ(Model()->EnterContactByIndex(-1, &nStatus, ""), 0);
    EXPECT_EQ(nStatus, -1) << "only a shut menu reports a status";
    EXPECT_EQ(Model()->EnterContactByIndex(9, &nStatus, ""), 0) << "Gamma failed to download";
    EXPECT_EQ(nStatus, 2);
    EXPECT_EQ(Model()->GetTitle(), "Company");

    ASSERT_EQ(Model()->EnterContactByIndex(1, nullptr, ""), 1);
    EXPECT_EQ(Model()->GetTitle(), "Alpha team");
    EXPECT_EQ(Model()->EnterContactByIndex(2, &nStatus, ""), 0) << "Slow is still downloading";
    EXPECT_EQ(nStatus, 1);
    slow.Open();
    WaitIdle();
    EXPECT_EQ(Model()->EnterContactByIndex(2, &nStatus, ""), 1);
    EXPECT_EQ(Model()->GetTitle(), "Slow");
    EXPECT_TRUE(Model()->LeaveBack(0));
    EXPECT_EQ(Model()->GetTitle(), "Alpha team");
    EXPECT_TRUE(Model()->LeaveBack(0));
    EXPECT_EQ(Model()->GetTitle(), "Company");
    EXPECT_FALSE(Model()->LeaveBack(0)) << "the parent of a top node is the root";
    EXPECT_EQ(Model()->GetTitle(), "Company");

    // Soft keys enter the first hot key with that initial.
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'r'), 5) << "the byte compares exactly";
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'A'), 5) << "Alpha is a menu, not a hot key";
    EXPECT_EQ(Model()->GetTitle(), "Company");
    ContactRemoteListData reception = Window(0, 10);
    ASSERT_EQ(Model()->GetContactListBySoftkey(&reception, 'R'), 0);
    EXPECT_THAT(Listed(reception), ElementsAre("Front desk:2"));
    EXPECT_EQ(Model()->GetTitle(), "Reception");
    ASSERT_TRUE(Model()->LeaveBack(0));
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'h'), 3) << "a hot key without URL has nothing";
    EXPECT_TRUE(Model()->LeaveBack(0)) << "its own key keeps the way back";
    EXPECT_EQ(Model()->GetTitle(), "Company");

    EXPECT_TRUE(Model()->LeaveBack(1));
    EXPECT_EQ(Model()->GetTitle(), "");
    EXPECT_EQ(Model()->GetContactList(&list, ""), 0) << "the root lists no items";
    EXPECT_TRUE(Model()->LeaveOut());
    EXPECT_FALSE(Model()->LeaveBack(0));
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0) << "nowhere to enter from";
}

TEST_F(RemoteBrowseTest, MenusBelowLevelFourAreNeverEnteredAndReportTooDeep) {
    ServeCompany();
    WriteSlots("", {{"Company", Url("company-menu.xml")}});
    StartModel();
    ASSERT_EQ(OpenSlot(0), 0);
    // Accounts, Coming soon, Sales, Reception: Sales leads down to North, Depot and Night shift.
    int nStatus = -1;
    EXPECT_EQ(Model()->EnterContactByIndex(1, &nStatus, ""), 0);
    EXPECT_EQ(nStatus, 3) << "a menu without URL";
    for (const char* pTitle : {"Sales", "North", "Depot"}) {
        ASSERT_EQ(Model()->EnterContactByIndex(pTitle[0] == 'S' ? 2 : 0, &nStatus, ""), 1) << pTitle;
        EXPECT_EQ(Model()->GetTitle(), pTitle);
    }
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0);
    EXPECT_EQ(nStatus, 9);
    EXPECT_EQ(Model()->GetTitle(), "Depot");
    ContactRemoteListData list = Window(0, 10);
    EXPECT_EQ(Model()->GetContactList(&list, Url("night.xml")), 9);
}

TEST_F(RemoteBrowseTest, EntriesAreCopiedWithTheirFirstThreeNumbersAndDialled) {
    m_server.Serve("/dir.xml",
                   BuildRemoteDirectory(
                       "Staff", {{"Four Numbers", {"101", "102", "103", "104"}}, {"One Number", {"201"}}},
                       {{"Back", Url("top.xml")}}));
    WriteSlots("", {{"Staff", Url("dir.xml")}});
    StartModel();
    ASSERT_EQ(OpenSlot(0), 0);
    ContactRemoteItemData item;
    ASSERT_TRUE(Model()->GetUnitContactByIndex(&item, 0));
    EXPECT_EQ(item.m_strDisplayName + ":" + std::to_string(item.m_eType), "Four Numbers:2");
    EXPECT_THAT(item.m_listNumber, ElementsAre("101", "102", "103", "104"));
    ContactRemoteUnit unit;
    EXPECT_TRUE(Model()->GetUnitContactByIndex(&unit, 1, Url("dir.xml")));
    EXPECT_EQ(unit.m_strName, "One Number");
    EXPECT_FALSE(Model()->GetUnitContactByIndex(&unit, 2, "")) << "a hot key";
    EXPECT_FALSE(Model()->GetUnitContactByIndex(&unit, -1, ""));

    ASSERT_GE(Model()->Remote2Local(0), 0);
    CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    ContactGeneralItemData copied;
    ASSERT_TRUE(pLocal->GetContactData(&copied, "Four Numbers"));
    EXPECT_EQ(copied.m_strMobileNumber + copied.m_strOfficeNumber + copied.m_strOtherNumber, "101102103");
    EXPECT_EQ(pLocal->GetContactGroupId("Four Numbers"), 0);
    EXPECT_EQ(Model()->Remote2Local(0), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), CONTACT_RESULT_NAME_EXISTS);
    EXPECT_EQ(Model()->Remote2Local(2), -1) << "not an entry";
    pLocal->SetMaxBlackCount(0);
    EXPECT_EQ(Model()->Remote2Black(1), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), CONTACT_RESULT_BLACKLIST_FULL);
    pLocal->SetMaxBlackCount(30);
    ASSERT_GE(Model()->Remote2Black(1), 0);
    EXPECT_EQ(pLocal->GetContactGroupId("One Number"), kBlacklistGroupId);

    EXPECT_EQ(Model()->CallOut("101", "Four Numbers", 1), 1);
    EXPECT_EQ(Model()->CallOut("", "Nobody", 0), 0);
    const std::vector<HostControl::CallOutRecord> vecCalls = HostControl::TakeCallOuts();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_EQ(vecCalls[0].strNumber + "|" + vecCalls[0].strName + "|" + std::to_string(vecCalls[0].nAccount),
              "101|Four Numbers|1");
}

std::vector<RemoteEntry> Entries(const std::string& strPrefix, int nCount) {
    std::vector<RemoteEntry> vecEntries;
    for (int i = 0; i < nCount; ++i) {
        vecEntries.push_back(
            {strPrefix + std::to_string(i), {std::to_string(100 + i), " " + std::to_string(i)}});
    }
    return vecEntries;
}

// The paging road: page 1 is the slot's document (the tree); pages 2 and 3 are reached only through paging.
class RemotePagingTest : public remotetest::RemoteFixture {
protected:
    void SetUp() override {
        RemoteFixture::SetUp();
        m_server.Serve("/p1.xml",
                       BuildRemoteDirectory("Book", Entries("First ", 3), {},
                                            {{"next-page", Url("p2.xml")}, {"previous-page", ""}}));
        m_server.Serve("/p2.xml", Page2());
        m_server.Serve("/p3.xml", Page3());
        WriteSlots("", {{"Book", Url("p1.xml")}});
        StartModel();
        ASSERT_EQ(OpenSlot(0), 0);
        HostControl::TakeNotifications();
    }

    std::string Page2() const {
        return BuildRemoteDirectory("Book", Entries("Second ", 10), {{"Help", Url("h.xml")}},
                                    {{"previous-page", Url("p1.xml")}, {"next-page", Url("p3.xml")}});
    }
    std::string Page3() const {
        return BuildRemoteDirectory("Book", Entries("Third ", 1), {},
                                    {{"first-page", Url("p1.xml")}, {"previous-page", Url("p2.xml")}});
    }

    // lParam of every page notification since the last call.
    std::vector<int> PageResults() {
        return ResultsOf(HostControl::TakeNotifications(), REMOTE_MSG_PAGE_RESULT);
    }

    ContactRemoteListData Page(int nFrom, int nCount) {
        ContactRemoteListData list = Window(nFrom, nCount);
        EXPECT_TRUE(Model()->GetPageListData(&list));
        return list;
    }
};

TEST_F(RemotePagingTest, NextAndPreviousPagesReplaceThePageListAndOutliveTreeFailures) {
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
    EXPECT_EQ(Listed(page2)[0], "Second 0:2");
    EXPECT_THAT(page2.m_listData.front().m_listNumber, ElementsAre("100", "0"));
    ContactRemoteListData tail = Page(8, 5);
    EXPECT_EQ(tail.m_nTotalCount, 10);
    EXPECT_THAT(Listed(tail), ElementsAre("Second 8:2", "Second 9:2"));
    EXPECT_THAT(Listed(Page(3, 2)), ElementsAre("Second 3:2", "Second 4:2"));

    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(0));
    ContactRemoteListData page3 = Page(0, 100);
    EXPECT_THAT(Listed(page3), ElementsAre("Third 0:2"));
    EXPECT_EQ(page3.m_nTotalCount, 1) << "a page key of another name is neither listed nor counted";
    EXPECT_FALSE(page3.m_bHasNextPage);
    EXPECT_TRUE(page3.m_bHasPrevPage);
    EXPECT_FALSE(Model()->ReqPagingList(true)) << "the last page";

    ASSERT_TRUE(Model()->ReqPagingList(false));
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(0));
    EXPECT_EQ(Page(0, 100).m_nTotalCount, 10);
    EXPECT_EQ(m_server.RequestsTo("/p2.xml").size(), 2u);
    EXPECT_EQ(m_server.RequestsTo("/p3.xml").size(), 1u);

    // The page on show outlives failed downloads of the tree.
    m_server.Fail("/p1.xml", 500);
    ASSERT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    EXPECT_EQ(Page(0, 100).m_nTotalCount, 10);
    EXPECT_THAT(PageResults(), IsEmpty());
}

TEST_F(RemotePagingTest, FailedAndCanceledLoadsLeaveNoPage) {
    m_server.Fail("/p2.xml", 500);
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    EXPECT_THAT(PageResults(), ElementsAre(1));
    ContactRemoteListData list;
    EXPECT_FALSE(Model()->GetPageListData(&list));

    remotetest::HeldAnswer late(m_server, "/p2.xml", BuildRemoteDirectory("Book", Entries("Late ", 2)));
    ASSERT_TRUE(Model()->ReqPagingList(true));
    Model()->CancelDownload("");
    late.Open();
    WaitIdle();
    EXPECT_THAT(PageResults(), IsEmpty()) << "a canceled page is dropped silently";
    EXPECT_FALSE(Model()->GetPageListData(&list));

    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(Model()->ReqPagingList(true));
    HostControl::SetRefuseTaskActions(false);
    EXPECT_FALSE(Model()->GetPageListData(&list));
}

TEST_F(RemotePagingTest, AFailedPageLoadCanBeTriedAgainAndReleaseRemovesThePageFile) {
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    ASSERT_THAT(PageResults(), ElementsAre(0));
    // On page 2: first the next, then the previous page fails once and is tried again.
    const std::tuple<bool, const char*, std::string, int> kRetries[] = {{true, "/p3.xml", Page3(), 1},
                                                                        {false, "/p2.xml", Page2(), 10}};
    for (const auto& [bNext, pPath, strPage, nTotal] : kRetries) {
        m_server.Fail(pPath, 500);
        ASSERT_TRUE(Model()->ReqPagingList(bNext)) << pPath;
        WaitIdle();
        EXPECT_THAT(PageResults(), ElementsAre(1));
        m_server.Serve(pPath, strPage);
        ASSERT_TRUE(Model()->ReqPagingList(bNext)) << pPath << ": the page URLs outlive a failed load";
        WaitIdle();
        EXPECT_THAT(PageResults(), ElementsAre(0));
        EXPECT_EQ(Page(0, 100).m_nTotalCount, nTotal) << pPath;
    }

    remotetest::HeldAnswer held(m_server, "/p3.xml", Page3());
    const std::size_t nBefore = m_server.RequestsTo("/p3.xml").size();
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitForRequests("/p3.xml", nBefore + 1);
    CContactRemoteModel::ReleaseInstance();
    held.Open();
    WaitIdle();
    EXPECT_FALSE(m_root.Exists("/tmp/RemotePage.xml"));
}

}  // namespace
