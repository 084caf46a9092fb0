// Directory_GetShortcutList as the directory screen asks it: the switches, the remote settings reloaded
// through message 65543 and an edited "favorite_setting.xml" decide what is offered, page by page.

#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "DirectoryEntry.h"
#include "DirectoryShortcut.h"
#include "EntryFixture.h"

namespace entrytest {
namespace {

using ::testing::ElementsAre;

class ShortcutEntryTest : public EntryFixture {
protected:
    static std::vector<std::string> Offered(int nFrom = 0, int nCount = 10) {
        NS_DIRECTORY::DirShortcutListData data;
        data.m_nIndexFrom = nFrom;
        data.m_nCountToGet = nCount;
        EXPECT_TRUE(Directory_GetShortcutList(&data));
        std::vector<std::string> vecIds;
        for (const NS_DIRECTORY::DirShortcutData& shortcut : data.m_listData) {
            vecIds.push_back(shortcut.m_strIdName);
        }
        EXPECT_EQ(data.m_nTotalCount, static_cast<int>(vecIds.size()));
        return vecIds;
    }
};

TEST_F(ShortcutEntryTest, TheListFollowsTheSwitchesTheRemoteSettingsAndTheEditedFile) {
    // Each switch alone and the paging windows: DirectoryShortcutTest.
    configParser_SetConfigInt("BSFTActive", 0);
    configParser_SetConfigInt("LDAPSwitch", 0);
    WriteShortcuts({{"networkcalllog", 4},
                    {"remotedirectory", 1},
                    {"ldap", 2},
                    {"history", 5},
                    {"broadsoftdirectory", 3}});
    WriteRemoteSettings("", {});
    Start();
    EXPECT_THAT(Offered(), ElementsAre("history"));
    configParser_SetConfigInt("BSFTActive", 1);
    configParser_SetConfigInt("LDAPSwitch", 1);
    EXPECT_THAT(Offered(), ElementsAre("ldap", "broadsoftdirectory", "networkcalllog", "history"));

    WriteRemoteSettings("", {{"Sales", ""}});
    DropRecords();
    ASSERT_EQ(SendConfig(47, 0), 1);
    std::vector<int> vecIds = TakeNotificationIds();
    vecIds.erase(std::remove(vecIds.begin(), vecIds.end(), 1822), vecIds.end());  // the slot has no URL
    EXPECT_THAT(vecIds, ElementsAre(1821, 1721));
    EXPECT_THAT(Offered(),
                ElementsAre("remotedirectory", "ldap", "broadsoftdirectory", "networkcalllog", "history"));
    EXPECT_THAT(Offered(1, 2), ElementsAre("ldap", "broadsoftdirectory")) << "a later page";

    WriteShortcuts({{"history", 0}, {"ldap", 9}});
    EXPECT_THAT(Offered(), ElementsAre("history", "ldap")) << "the edited file counts without a message";
    ASSERT_EQ(SendConfig(56, 0), 0);
    EXPECT_THAT(TakeNotificationIds(), ElementsAre(1721));
    EXPECT_THAT(Offered(), ElementsAre("history", "ldap"));
}

}  // namespace
}  // namespace entrytest
