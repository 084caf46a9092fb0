// The directory shortcut list from "favorite_setting.xml": order and defaults of its items, the switches
// and the remote configuration that decide what is offered, paging windows, and an edited file seen at once.

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "DirectoryShortcut.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "TempRoot.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// One "item"; a null text leaves the attribute out.
struct Item {
    const char* pId;
    const char* pEnable;
    const char* pPriority;
};

std::string Attribute(const char* pName, const char* pValue) {
    return pValue == nullptr ? std::string() : std::string(" ") + pName + "=\"" + pValue + "\"";
}

std::string Settings(const std::vector<Item>& vecItems) {
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_favorite_set>\n";
    for (const Item& item : vecItems) {
        strXml += "\t<item" + Attribute("id_name", item.pId) + " display_name=\"Shown\"" +
                  Attribute("enable", item.pEnable) + Attribute("priority", item.pPriority) + "/>\n";
    }
    return strXml + "</root_favorite_set>\n";
}

class DirectoryShortcutTest : public testsupport::HostFixture {
protected:
    void TearDown() override {
        CDirectoryShortcut::ReleaseInstance();
        CContactRemoteModel::ReleaseInstance();
        EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    }

    void WriteSettings(const std::vector<Item>& vecItems) { WriteSettingsText(Settings(vecItems)); }
    void WriteSettingsText(const std::string& strText) {
        m_root.WriteFile("/config/data/favorite_setting.xml", strText);
    }

    // A remote phonebook slot with a name and no URL (so nothing is fetched), or none at all.
    void ConfigureRemote(bool bConfigured) {
        m_root.WriteFile("/config/data/remote_phonebook_list.xml",
                         testsupport::BuildRemoteSettings(
                             "", bConfigured ? std::vector<testsupport::RemoteLink>{{"Corporate", ""}}
                                             : std::vector<testsupport::RemoteLink>{}));
        if (CContactRemoteModel* pModel = CContactRemoteModel::PeekInstance()) {
            pModel->ReloadConfigure();
        }
    }

    void SetSwitches(int nBroadSoft, int nLdap) {
        configParser_SetConfigInt("BSFTActive", nBroadSoft);
        configParser_SetConfigInt("LDAPSwitch", nLdap);
    }

    // The ids of the window, in order; the total must count exactly the shortcuts appended.
    std::vector<std::string> Listed(int nFrom = 0, int nCount = 100) {
        DirShortcutListData data;
        data.m_nIndexFrom = nFrom;
        data.m_nCountToGet = nCount;
        data.m_nTotalCount = -1;
        EXPECT_TRUE(Directory_GetShortcutList(&data)) << nFrom << "+" << nCount;
        EXPECT_EQ(data.m_nTotalCount, static_cast<int>(data.m_listData.size()));
        std::vector<std::string> vecIds;
        for (const DirShortcutData& shortcut : data.m_listData) {
            vecIds.push_back(shortcut.m_strIdName);
        }
        return vecIds;
    }
};

TEST_F(DirectoryShortcutTest, ItemsAreOfferedByPriorityWithTheirDefaults) {
    struct Case {
        const char* pWhat;
        std::vector<Item> vecItems;
        std::vector<std::string> vecListed;
    };
    const Case kCases[] = {
        {"lower priority first", {{"a", "1", "3"}, {"b", "1", "1"}}, {"b", "a"}},
        {"enable 0 never, whatever its priority", {{"off", "0", "-5"}, {"on", "1", "2"}}, {"on"}},
        {"enable other than 1 is off", {{"two", "2", "1"}, {"yes", "yes", "1"}, {"on", "1", "9"}}, {"on"}},
        {"no enable is off", {{"unset", nullptr, "1"}, {"on", "1", "2"}}, {"on"}},
        {"no priority is 0",
         {{"late", "1", "1"}, {"zero", "1", nullptr}, {"early", "1", "-1"}},
         {"early", "zero", "late"}},
        {"a priority that is not a number is 0",
         {{"five", "1", "5"}, {"word", "1", "high"}},
         {"word", "five"}},
        {"equal priorities keep file order",
         {{"p", "1", "2"}, {"q", "1", "2"}, {"r", "1", "2"}},
         {"p", "q", "r"}},
        {"an enabled 65535 is still offered",
         {{"last", "1", "65535"}, {"first", "1", "7"}},
         {"first", "last"}},
        {"no id_name gives an empty id", {{nullptr, "1", "1"}, {"custom id", "1", "0"}}, {"custom id", ""}},
        {"no items", {}, {}},
    };
    for (const Case& testCase : kCases) {
        WriteSettings(testCase.vecItems);
        EXPECT_THAT(Listed(), ElementsAreArray(testCase.vecListed)) << testCase.pWhat;
    }

    const CDirectoryShortcut::ItemData low{"low", "", 1, true};
    const CDirectoryShortcut::ItemData high{"high", "", 2, true};
    EXPECT_TRUE(CDirectoryShortcut::CompareVal(&low, &high));
    EXPECT_FALSE(CDirectoryShortcut::CompareVal(&high, &low));
    EXPECT_FALSE(CDirectoryShortcut::CompareVal(&low, &low));
    EXPECT_TRUE(CDirectoryShortcut::CompareVal(&high, nullptr));
    EXPECT_FALSE(CDirectoryShortcut::CompareVal(nullptr, &low));
    EXPECT_FALSE(CDirectoryShortcut::CompareVal(nullptr, nullptr));
}

TEST_F(DirectoryShortcutTest, SwitchesDecideTheBroadSoftAndLdapShortcuts) {
    WriteSettings({{"broadsoftdirectory", "1", "1"},
                   {"networkcalllog", "1", "2"},
                   {"ldap", "1", "3"},
                   {"localdirectory", "1", "4"}});
    const std::tuple<int, int, std::vector<std::string>> kSwitches[] = {
        {0, 0, {"localdirectory"}},
        {1, 0, {"broadsoftdirectory", "networkcalllog", "localdirectory"}},
        {0, 1, {"ldap", "localdirectory"}},
        {1, 1, {"broadsoftdirectory", "networkcalllog", "ldap", "localdirectory"}},
        {2, 2, {"localdirectory"}},
    };
    for (const auto& [nBroadSoft, nLdap, vecListed] : kSwitches) {
        SetSwitches(nBroadSoft, nLdap);
        EXPECT_THAT(Listed(), ElementsAreArray(vecListed)) << nBroadSoft << "/" << nLdap;
    }
}

TEST_F(DirectoryShortcutTest, RemoteDirectoryIsOfferedWhileARemotePhonebookIsConfigured) {
    WriteSettings({{"remotedirectory", "1", "1"}, {"localdirectory", "1", "2"}});
    EXPECT_THAT(Listed(), ElementsAre("localdirectory")) << "no remote settings file yet";
    ConfigureRemote(true);
    EXPECT_THAT(Listed(), ElementsAre("remotedirectory", "localdirectory"));
    ConfigureRemote(false);
    EXPECT_THAT(Listed(), ElementsAre("localdirectory"));
}

TEST_F(DirectoryShortcutTest, PagesAreWindowsOfTheShortcutsOnOffer) {
    SetSwitches(0, 0);
    WriteSettings({{"A", "1", "1"},
                   {"off", "0", "1"},
                   {"B", "1", "2"},
                   {"ldap", "1", "2"},
                   {"C", "1", "3"},
                   {"networkcalllog", "1", "3"},
                   {"D", "1", "4"},
                   {"E", "1", "5"}});
    const std::tuple<int, int, std::vector<std::string>> kWindows[] = {
        {0, 2, {"A", "B"}},
        {2, 2, {"C", "D"}},
        {4, 2, {"E"}},
        {5, 2, {}},
        {0, 100, {"A", "B", "C", "D", "E"}},
        {1, 0, {}},
        {3, 1, {"D"}},
    };
    for (const auto& [nFrom, nCount, vecListed] : kWindows) {
        EXPECT_THAT(Listed(nFrom, nCount), ElementsAreArray(vecListed)) << nFrom << "+" << nCount;
    }

    DirShortcutListData data;
    data.m_listData.resize(1);
    data.m_nCountToGet = 2;
    ASSERT_TRUE(Directory_GetShortcutList(&data));
    EXPECT_EQ(data.m_listData.size(), 3u) << "appended to what the record held";
    EXPECT_EQ(data.m_nTotalCount, 2);
    for (const auto& [nFrom, nCount] : {std::pair<int, int>{-1, 2}, {0, -1}}) {
        DirShortcutListData bad;
        bad.m_nIndexFrom = nFrom;
        bad.m_nCountToGet = nCount;
        EXPECT_FALSE(Directory_GetShortcutList(&bad)) << nFrom << "+" << nCount;
        EXPECT_THAT(bad.m_listData, IsEmpty());
    }
    EXPECT_FALSE(Directory_GetShortcutList(nullptr));
    EXPECT_FALSE(CDirectoryShortcut::GetInstance()->GetShortcutList(nullptr));
}

TEST_F(DirectoryShortcutTest, AnEditedFileIsSeenOnTheNextRequestAndAnUnusableOneOffersNothing) {
    WriteSettings({{"first", "1", "1"}, {"second", "1", "2"}});
    EXPECT_THAT(Listed(), ElementsAre("first", "second"));
    WriteSettings({{"first", "1", "3"}, {"second", "1", "2"}, {"third", "0", "1"}});
    EXPECT_THAT(Listed(), ElementsAre("second", "first"));

    CDirectoryShortcut* pShortcut = CDirectoryShortcut::GetInstance();
    const std::pair<const char*, std::string> kUnusable[] = {
        {"not XML", "<root_favorite_set><item id_name=\"x\" enable=\"1\""},
        {"another root", "<favorites><item id_name=\"x\" enable=\"1\"/></favorites>"},
        {"empty", ""},
    };
    for (const auto& [pWhat, strText] : kUnusable) {
        WriteSettingsText(strText);
        EXPECT_FALSE(pShortcut->ReloadConfigure()) << pWhat;
        EXPECT_THAT(Listed(), IsEmpty()) << pWhat;
    }
    WriteSettings({{"back", "1", "1"}});
    EXPECT_TRUE(pShortcut->ReloadConfigure());
    EXPECT_THAT(Listed(), ElementsAre("back"));
    std::filesystem::remove(m_root.Path("/config/data/favorite_setting.xml"));
    EXPECT_FALSE(pShortcut->LoadConfigure());
    EXPECT_THAT(Listed(), IsEmpty());
}

// Ids of any length or bytes pass through unchanged; priorities beyond int saturate instead of wrapping;
// windows at the end of int ask for nothing.
TEST_F(DirectoryShortcutTest, HugeOddAndOverflowingValuesAreTakenSafely) {
    const std::string strHuge(1024 * 1024, 'h');
    const std::string strOdd = "a\x01\x1b[2J\xff\xfe\xc3(";
    std::string strXml = "<root_favorite_set>";
    strXml += "<item id_name=\"" + strHuge + "\" enable=\"1\" priority=\"99999999999999999999\"/>";
    strXml += "<item id_name=\"" + strOdd + "\" enable=\"1\" priority=\"-99999999999999999999\"/>";
    strXml += "<item id_name=\"mid\" enable=\"1\" priority=\"7\"/>";
    strXml += "<item id_name=\"wrapped\" enable=\"4294967297\" priority=\"1\"/>";
    for (int i = 0; i < 3000; ++i) {
        strXml += "<item id_name=\"off\" enable=\"0\"/>";
    }
    WriteSettingsText(strXml + "</root_favorite_set>");
    EXPECT_THAT(Listed(), ElementsAre(strOdd, "mid", strHuge));
    EXPECT_THAT(Listed(2147483647, 2147483647), IsEmpty());
    EXPECT_THAT(Listed(1, 2147483647), ElementsAre("mid", strHuge));
}

}  // namespace
