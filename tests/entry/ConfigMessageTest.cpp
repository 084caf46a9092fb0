// Message 65543 through the host's bus: every setting group with its reply, log lines, menu title and
// notifications, as the phone's settings service sees them.

#include <algorithm>
#include <cstdio>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "DirectoryEntry.h"
#include "EntryFixture.h"
#include "Registry.h"

namespace entrytest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ConfigMessageTest : public EntryFixture {
protected:
    static std::string Framing(int wParam, int lParam) {
        char szLine[96];
        std::snprintf(szLine, sizeof szLine, "message(0x10007), wparam(0x%x), lparam(0x%x)\n", wParam,
                      lParam);
        return szLine;
    }

    static std::vector<std::string> TitlesSet() {
        std::vector<std::string> vecTitles;
        for (const HostControl::MenuTitleRecord& record : HostControl::TakeMenuTitles()) {
            vecTitles.push_back(record.strClickAction + "=" + record.strTitle);
        }
        return vecTitles;
    }

    // The notifications of this id among those taken, in order.
    static std::vector<int> Only(const std::vector<int>& vecIds, const std::vector<int>& vecWanted) {
        std::vector<int> vecKept;
        for (int nId : vecIds) {
            if (std::find(vecWanted.begin(), vecWanted.end(), nId) != vecWanted.end()) {
                vecKept.push_back(nId);
            }
        }
        return vecKept;
    }
};

TEST_F(ConfigMessageTest, ShortcutBlacklistAndUnknownGroupsReplyZeroWithTheirLogLineAndNotification) {
    struct Row {
        int wParam;
        const char* pLine;  // null: nothing but the framing
        std::vector<int> vecNotified;
    };
    const Row kRows[] = {
        {35, "OnDirectoryMessage Handle ST_SUPERSEARCH\n", {1721}},
        {52, "OnDirectoryMessage Handle ST_SUPERSEARCH\n", {1721}},
        {56, "OnDirectoryMessage ST_FAVORITE_CONFIG\n", {1721}},
        {50, "Contact, Black list show changed, begin to post message.\n", {1720}},
        {0, nullptr, {}},
        {48, nullptr, {}},
        {53, nullptr, {}},
        {65543, nullptr, {}},
    };
    Start();
    for (const Row& row : kRows) {
        for (int lParam : {0, 3}) {
            DropRecords();
            EXPECT_EQ(SendConfig(row.wParam, lParam), 0) << row.wParam;
            std::vector<std::string> vecExpected{Framing(row.wParam, lParam)};
            if (row.pLine != nullptr) {
                vecExpected.push_back(row.pLine);
            }
            vecExpected.push_back("Directory:refObj.lResult: 0\n");
            EXPECT_EQ(TakeLog(), vecExpected) << row.wParam;
            EXPECT_EQ(TakeNotificationIds(), row.vecNotified) << row.wParam;
        }
    }
}

TEST_F(ConfigMessageTest, ReplacedLocalFilesStartTheBackgroundReloadAndReplyOne) {
    WriteContacts({{"Ann", 0, "100", ""}});
    Start();
    WriteContacts({{"Bea", 0, "200", ""}});
    DropRecords();
    EXPECT_EQ(SendConfig(8, 0), 1);
    EXPECT_TRUE(Logged(TakeLog(), "Local contact: begin to reload contact and group.\n"));
    EXPECT_EQ(registryGetInt(registryOpen(m_root.Path("/tmp/contact_update_mark.ini"), "update"), "type", 0),
              3);
    const std::vector<HostControl::Notification> vecStarted = HostControl::TakeNotifications();
    ASSERT_EQ(vecStarted.size(), 1u);
    EXPECT_EQ(std::make_pair(vecStarted[0].id, vecStarted[0].lParam), std::make_pair(1722, 1));

    WaitIdle();
    EXPECT_EQ(Directory_GetContactNameByNumber("200"), "Bea");
    EXPECT_EQ(Directory_GetContactNameByNumber("100"), "");
    EXPECT_THAT(TakeNotificationIds(), ElementsAre(1720, 1722));
}

TEST_F(ConfigMessageTest, RemoteSettingsReloadThePhonebookSetTheTitleAndNotifyInOrder) {
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    ServeRemoteDirectory("/sales.xml", {{"Sam Sales", "5001"}});
    ServeRemoteDirectory("/support.xml", {{"Sue Support", "6001"}});
    WriteRemoteSettings("", {{"Sales", "/sales.xml"}});
    Start();
    ASSERT_TRUE(Directory_IsRemoteContactConfigured());
    WaitIdle();
    EXPECT_EQ(Directory_GetRemoteContactNameByNumber("5001"), "Sam Sales");

    WriteRemoteSettings("Company Book", {{"Sales", "/sales.xml"}, {"Support", "/support.xml"}});
    DropRecords();
    EXPECT_EQ(SendConfig(47, 0), 1);
    EXPECT_TRUE(Logged(TakeLog(), "Begin to reload romote config file!\n"));
    EXPECT_THAT(TitlesSet(), ElementsAre("OpenDirectoryPage(remote_contact_list.xml)=Company Book"));
    EXPECT_THAT(Only(TakeNotificationIds(), {1720, 1721, 1821, 1921}), ElementsAre(1821, 1721));
    WaitIdle();
    std::list<std::string> listNames;
    ASSERT_TRUE(Directory_GetAllConfiguredItemName(&listNames));
    EXPECT_THAT(listNames, ElementsAre("Sales", "Support"));
    EXPECT_EQ(Directory_GetRemoteContactNameByNumber("6001"), "Sue Support");

    WriteRemoteSettings("", {{"Sales", "/sales.xml"}});
    EXPECT_EQ(SendConfig(47, 0), 1);
    EXPECT_THAT(TitlesSet(), ElementsAre("OpenDirectoryPage(remote_contact_list.xml)=Remote DIR"));
}

TEST_F(ConfigMessageTest, RemoteSettingsBeforeThePhonebookWasOpenedLoadItOnce) {
    ServeRemoteDirectory("/sales.xml", {{"Sam Sales", "5001"}});
    WriteRemoteSettings("Book", {{"Sales", "/sales.xml"}});
    Start();
    EXPECT_THAT(m_http.Requests(), IsEmpty()) << "the remote phonebook starts on first use";
    EXPECT_EQ(SendConfig(47, 0), 1);
    EXPECT_THAT(Only(TakeNotificationIds(), {1721, 1821}), ElementsAre(1821, 1721));
    WaitIdle();
    EXPECT_EQ(m_http.RequestsTo("/sales.xml").size(), 1u);
    EXPECT_EQ(Directory_GetRemoteDisplayName(), "Book");
}

TEST_F(ConfigMessageTest, RemoteRefreshPeriodChangeRearmsTheRefreshTimer) {
    configParser_SetConfigInt("SRemoteNameFlashTime", 3600);
    ServeRemoteDirectory("/sales.xml", {{"Sam Sales", "5001"}});
    WriteRemoteSettings("", {{"Sales", "/sales.xml"}});
    Start();
    ASSERT_TRUE(Directory_IsRemoteContactConfigured());
    WaitIdle();
    m_http.ClearRequests();

    configParser_SetConfigInt("SRemoteNameFlashTime", 300);
    DropRecords();
    EXPECT_EQ(SendConfig(47, 1), 0);
    EXPECT_TRUE(Logged(TakeLog(), "remote update change\n"));
    EXPECT_THAT(Only(TakeNotificationIds(), {1721, 1821}), IsEmpty());
    HostControl::AdvanceClock(299 * 1000);
    WaitIdle();
    EXPECT_THAT(m_http.Requests(), IsEmpty());
    HostControl::AdvanceClock(1000);
    WaitIdle();
    EXPECT_EQ(m_http.RequestsTo("/sales.xml").size(), 1u) << "refreshed after the new period";

    EXPECT_EQ(SendConfig(47, 2), 0);
    const std::vector<std::string> vecLog = TakeLog();
    EXPECT_FALSE(Logged(vecLog, "remote update change\n"));
    EXPECT_FALSE(Logged(vecLog, "Begin to reload romote config file!\n"));
}

TEST_F(ConfigMessageTest, NetworkDirectorySettingsRebuildTheTableSetTheTitleAndNotifyWhenDone) {
    m_xsi.SetEntries(testsupport::XsiDirectory::Group,
                     {testsupport::XsiMember("Ana", "Silva", "1001", "11")});
    for (int wParam : {49, 54, 55}) {
        SCOPED_TRACE(wParam);
        ConfigureBroadSoft({"BsftGroup"});
        configParser_SetConfigString("BsftCustomListUse", "Sales");
        Start();
        EXPECT_EQ(Directory_GetBroadSoftGroupName(2), "");

        configParser_SetConfigInt("BsftPersonal", 1);
        DropRecords();
        m_xsi.ClearRequests();
        EXPECT_EQ(SendConfig(wParam, 0), 0);
        const std::vector<std::string> vecLog = TakeLog();
        EXPECT_EQ(Logged(vecLog, "Begin to reload broadsoft config file!\n"), wParam == 54);
        EXPECT_TRUE(Logged(vecLog, "Directory:refObj.lResult: 0\n"));
        EXPECT_EQ(configParser_GetConfigString("BsftCustomListUse"), wParam == 54 ? "" : "Sales");
        EXPECT_THAT(TitlesSet(),
                    ElementsAre("OpenDirectoryPage(broadsoft_contact_list.xml)=BroadSoft PhoneBook"));
        EXPECT_THAT(Only(TakeNotificationIds(), {1720, 1721, 1821, 1921}), ElementsAre(1921));
        EXPECT_EQ(Directory_GetBroadSoftGroupName(2), "Personal");
        WaitIdle();
        EXPECT_FALSE(m_xsi.RequestsTo(m_xsi.PathOf(testsupport::XsiDirectory::Personal)).empty())
            << "the server is probed again";
        TearDown();
    }
}

TEST_F(ConfigMessageTest, NetworkDirectoryReloadRefusedWithoutNetworkAnswersMinus14AndStillSetsTheTitle) {
    ConfigureBroadSoft({"BsftGroup"});
    Start();
    configParser_SetConfigInt("BsftPersonal", 1);
    HostControl::SetNetworkReady(false);
    DropRecords();
    EXPECT_EQ(SendConfig(49, 0), -14);
    EXPECT_TRUE(Logged(TakeLog(), "Directory:refObj.lResult: -14\n"));
    EXPECT_THAT(TitlesSet(),
                ElementsAre("OpenDirectoryPage(broadsoft_contact_list.xml)=BroadSoft PhoneBook"));
    EXPECT_THAT(TakeNotificationIds(), IsEmpty()) << "1921 follows only a reload that was done";
    EXPECT_EQ(Directory_GetBroadSoftGroupName(2), "") << "a refused reload changes nothing";
}

}  // namespace
}  // namespace entrytest
