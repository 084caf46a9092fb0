// Browsing downloaded remote phonebooks level by level: lists and windows, entering and leaving nodes, soft
// keys, and copying entries into the local phone book, against a loopback server.

#include <algorithm>
#include <iterator>
#include <string>
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

using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::ContactGeneralItemData;
using NS_DIRECTORY::ContactRemoteItemData;
using NS_DIRECTORY::ContactRemoteListData;
using NS_DIRECTORY::REMOTE_ROOT_KEY;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testsupport::BuildRemoteDirectory;
using testsupport::BuildRemoteMenu;

constexpr int kMenu = NS_DIRECTORY::REMOTE_ITEM_MENU;
constexpr int kEntry = NS_DIRECTORY::REMOTE_ITEM_ENTRY;

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

class RemoteBrowseTest : public remotetest::RemoteFixture {
protected:
    void TearDown() override {
        CContactGeneralModel::ReleaseInstance();
        RemoteFixture::TearDown();
    }

    std::string Url(const std::string& strName) const { return m_server.Url("/" + strName); }

    // Parses a document into the node with that key, as a download for it would.
    void ParseInto(const std::string& strKey, const std::string& strDocument) {
        m_root.WriteFile("/tmp/parse-into.xml", strDocument);
        ASSERT_TRUE(Model()->ParseDownloadedFile("/tmp/parse-into.xml", strKey, ""));
    }

    CContactRemoteModel* Model() { return CContactRemoteModel::GetInstance(); }

    // Slot 0 "Company": a top menu with three menus and two soft keys, into which a directory page with ten
    // entries, a soft key and a page key is parsed as well, so the top node holds every kind of child.
    void StartMixedCompany() {
        m_server.Serve("/top.xml", BuildRemoteMenu("Company",
                                                   {{"Beta", Url("beta.xml")},
                                                    {"Alpha", Url("alpha.xml")},
                                                    {"Gamma", Url("gamma.xml")}},
                                                   {{"Reception", Url("reception.xml")}, {"help", ""}}));
        m_server.Serve("/alpha.xml", BuildRemoteDirectory("Alpha team", {{"Al", {"501"}}, {"Amy", {"502"}}},
                                                          {{"Back", Url("top.xml")}}));
        m_server.Serve("/beta.xml", BuildRemoteDirectory("Beta team", {}));
        m_server.Serve("/reception.xml", BuildRemoteDirectory("Reception", {{"Front desk", {"100"}}}));
        WriteSlots("Company DIR", {{"Company", Url("top.xml")}, {"Empty", ""}});
        StartModel();
        std::vector<testsupport::RemoteEntry> vecEntries;
        for (const char* pName : {"Zed", "Ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Gus", "Hal", "Ivy"}) {
            vecEntries.push_back({pName, {std::string("1") + pName}});
        }
        ParseInto(Url("top.xml"), BuildRemoteDirectory("Company", vecEntries, {{"Operator", Url("op.xml")}},
                                                       {{"next-page", Url("top2.xml")}}));
        WaitIdle();
    }
};

TEST_F(RemoteBrowseTest, ClickActionListsMenusAndEntriesInSortedOrderWithoutKeys) {
    StartMixedCompany();
    ContactRemoteListData list = Window(0, 100);
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
    EXPECT_EQ(list.m_nTotalCount, 13);
    EXPECT_EQ(list.m_nSelectedIndex, 0);
    const std::vector<std::string> vecAll = Listed(list);
    EXPECT_THAT(vecAll, ElementsAre("Alpha:1", "Ann:2", "Beta:1", "Bob:2", "Cid:2", "Dee:2", "Eve:2", "Fay:2",
                                    "Gamma:1", "Gus:2", "Hal:2", "Ivy:2", "Zed:2"));
    EXPECT_THAT(list.m_listData.begin()->m_listNumber, ::testing::IsEmpty());
    EXPECT_THAT(std::next(list.m_listData.begin())->m_listNumber, ElementsAre("1Ann"));
    EXPECT_EQ(Model()->GetTitle(), "Company");

    const struct {
        int nFrom;
        int nCount;
        std::size_t nFirst;
        std::size_t nListed;
    } kWindows[] = {{2, 4, 2, 4}, {12, 5, 12, 1}, {13, 3, 13, 0}, {0, 0, 0, 0}};
    for (const auto& window : kWindows) {
        ContactRemoteListData page = Window(window.nFrom, window.nCount);
        ASSERT_EQ(Model()->GetContactList(&page, ""), 0) << window.nFrom;
        EXPECT_EQ(page.m_nTotalCount, 13) << window.nFrom;
        EXPECT_THAT(Listed(page), ElementsAreArray(vecAll.begin() + window.nFirst,
                                                   vecAll.begin() + window.nFirst + window.nListed))
            << window.nFrom;
    }
    ContactRemoteListData bad = Window(-1, 3);
    EXPECT_EQ(Model()->GetContactList(&bad, ""), 11);
}

TEST_F(RemoteBrowseTest, ListStatusCodesForActionsNodesAndStates) {
    StartMixedCompany();
    const struct {
        const char* pAction;
        int nStatus;
    } kActions[] = {{"", 11},
                    {"remote_phonebook_x1", 5},
                    {"remote_phonebook_x4", 5},
                    {"remote_phonebook_x5", 4},
                    {"local_contact_x0", 4},
                    {"OpenSubPage(remote_phonebook_x0)", 0}};
    for (const auto& action : kActions) {
        ContactRemoteListData list = Window(0, 10);
        EXPECT_EQ(Model()->GetContactListByClickAction(&list, action.pAction, "", true), action.nStatus)
            << action.pAction;
    }
    EXPECT_EQ(Model()->GetContactListByClickAction(nullptr, "remote_phonebook_x0", "", false), 11);

    ContactRemoteListData list = Window(0, 10);
    EXPECT_EQ(Model()->GetContactList(nullptr, Url("top.xml")), 11);
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

TEST_F(RemoteBrowseTest, EnteringMenusEntriesKeysAndNodesStillDownloading) {
    StartMixedCompany();
    remotetest::HeldAnswer slow(m_server, "/slow.xml", BuildRemoteDirectory("Slow", {{"Late", {"9"}}}));
    ParseInto(Url("alpha.xml"), BuildRemoteMenu("Alpha team", {{"Slow", Url("slow.xml")}}));
    ContactRemoteListData list = Window(0, 100);
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);

    // Children in stored order: page key, Alpha, Ann, Beta, ..., Gamma, ..., Zed, Reception, help, Operator.
    HostControl::TakeLogLines();
    int nStatus = -1;
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0);
    const std::vector<std::string> vecLog = HostControl::TakeLogLines();
    EXPECT_NE(std::find(vecLog.begin(), vecLog.end(), "EnterContactByIndex Invalid type\n"), vecLog.end());
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
    EXPECT_TRUE(Model()->LeaveBack(1));
    EXPECT_EQ(Model()->GetTitle(), "");
    EXPECT_EQ(Model()->GetContactList(&list, ""), 0) << "the root lists no items";
    EXPECT_TRUE(Model()->LeaveOut());
    EXPECT_FALSE(Model()->LeaveBack(0));
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0) << "nowhere to enter from";
}

TEST_F(RemoteBrowseTest, MenusBelowLevelFourAreNeverEnteredAndReportTooDeep) {
    for (const char* pName : {"company-menu.xml", "sales.xml", "north.xml", "depot.xml", "night.xml",
                              "accounts.xml", "reception.xml", "help.xml"}) {
        ServeData(pName);
    }
    WriteSlots("", {{"Company", Url("company-menu.xml")}});
    StartModel();
    ContactRemoteListData list = Window(0, 10);
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
    // Accounts, Coming soon, Sales, Reception: Sales leads down to North, Depot and Night shift.
    int nStatus = -1;
    EXPECT_EQ(Model()->EnterContactByIndex(1, &nStatus, ""), 0);
    EXPECT_EQ(nStatus, 3) << "a menu without URL";
    for (const char* pTitle : {"Sales", "North", "Depot"}) {
        ASSERT_EQ(Model()->EnterContactByIndex(pTitle[0] == 'S' ? 2 : 0, &nStatus, ""), 1) << pTitle;
        EXPECT_EQ(Model()->GetTitle(), pTitle);
    }
    nStatus = -1;
    EXPECT_EQ(Model()->EnterContactByIndex(0, &nStatus, ""), 0);
    EXPECT_EQ(nStatus, 9);
    EXPECT_EQ(Model()->GetTitle(), "Depot");
    EXPECT_EQ(Model()->GetContactList(&list, Url("night.xml")), 9);
}

TEST_F(RemoteBrowseTest, SoftKeysEnterTheFirstHotKeyWithThatInitial) {
    StartMixedCompany();
    ContactRemoteListData list = Window(0, 10);
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'R'), 5) << "no current node yet";
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);

    EXPECT_EQ(Model()->GetContactListBySoftkey(nullptr, 'R'), 5);
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'r'), 5) << "the byte compares exactly";
    EXPECT_EQ(Model()->GetContactListBySoftkey(&list, 'A'), 5) << "Alpha is a menu, not a hot key";
    EXPECT_EQ(Model()->GetTitle(), "Company");

    ContactRemoteListData reception = Window(0, 10);
    ASSERT_EQ(Model()->GetContactListBySoftkey(&reception, 'R'), 0);
    EXPECT_THAT(Listed(reception), ElementsAre("Front desk:2"));
    EXPECT_EQ(Model()->GetTitle(), "Reception");

    ASSERT_TRUE(Model()->LeaveBack(0));
    ContactRemoteListData help = Window(0, 10);
    EXPECT_EQ(Model()->GetContactListBySoftkey(&help, 'h'), 3) << "a hot key without URL has nothing";
    EXPECT_TRUE(Model()->LeaveBack(0)) << "its own key keeps the way back";
    EXPECT_EQ(Model()->GetTitle(), "Company");
}

TEST_F(RemoteBrowseTest, EntriesAreCopiedWithTheirFirstThreeNumbersAndDialled) {
    m_server.Serve("/dir.xml",
                   BuildRemoteDirectory(
                       "Staff", {{"Four Numbers", {"101", "102", "103", "104"}}, {"One Number", {"201"}}},
                       {{"Back", Url("top.xml")}}));
    WriteSlots("", {{"Staff", Url("dir.xml")}});
    StartModel();
    ContactRemoteListData list = Window(0, 10);
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);

    ContactRemoteItemData item;
    ASSERT_TRUE(Model()->GetUnitContactByIndex(&item, 0));
    EXPECT_EQ(item.m_eType, kEntry);
    EXPECT_EQ(item.m_strDisplayName, "Four Numbers");
    EXPECT_THAT(item.m_listNumber, ElementsAre("101", "102", "103", "104"));
    NS_DIRECTORY::ContactRemoteUnit unit;
    EXPECT_TRUE(Model()->GetUnitContactByIndex(&unit, 1, Url("dir.xml")));
    EXPECT_EQ(unit.m_strName, "One Number");
    EXPECT_FALSE(Model()->GetUnitContactByIndex(&unit, 2, "")) << "a hot key";
    EXPECT_FALSE(Model()->GetUnitContactByIndex(&unit, -1, ""));

    ASSERT_GE(Model()->Remote2Local(0), 0);
    CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    ContactGeneralItemData copied;
    ASSERT_TRUE(pLocal->GetContactData(&copied, "Four Numbers"));
    EXPECT_EQ(copied.m_strMobileNumber, "101");
    EXPECT_EQ(copied.m_strOfficeNumber, "102");
    EXPECT_EQ(copied.m_strOtherNumber, "103");
    EXPECT_EQ(pLocal->GetContactGroupId("Four Numbers"), 0);

    EXPECT_EQ(Model()->Remote2Local(0), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), NS_DIRECTORY::CONTACT_RESULT_NAME_EXISTS);
    EXPECT_EQ(Model()->Remote2Local(2), -1) << "not an entry";

    pLocal->SetMaxBlackCount(0);
    EXPECT_EQ(Model()->Remote2Black(1), -1);
    EXPECT_EQ(CommonUnits_GetErrorId(), NS_DIRECTORY::CONTACT_RESULT_BLACKLIST_FULL);
    pLocal->SetMaxBlackCount(30);
    ASSERT_GE(Model()->Remote2Black(1), 0);
    EXPECT_EQ(pLocal->GetContactGroupId("One Number"), NS_DIRECTORY::kBlacklistGroupId);

    EXPECT_EQ(Model()->CallOut("101", "Four Numbers", 1), 1);
    EXPECT_EQ(Model()->CallOut("", "Nobody", 0), 0);
    const std::vector<HostControl::CallOutRecord> vecCalls = HostControl::TakeCallOuts();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_EQ(vecCalls[0].strNumber, "101");
    EXPECT_EQ(vecCalls[0].strName, "Four Numbers");
    EXPECT_EQ(vecCalls[0].nAccount, 1);
}

}  // namespace
