// The table of configured directories, its queries and click actions, the custom-list keys, the connection
// probe and the entry points that read the table.

#include <list>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "ConfigParser.h"
#include "DirectoryEntry.h"

namespace {

using namespace NS_DIRECTORY;
using bsfttest::Notice;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testsupport::XsiDirectory;

using BroadSoftConfigTest = bsfttest::BroadSoftFixture;

const std::tuple<const char*, const char*, const char*> kFixed[] = {
    // enable key, URL suffix, default name
    {"BsftGroup", "Group", "Group"},
    {"BsftEnterprise", "Enterprise", "Enterprise"},
    {"BsftGroupCommon", "GroupCommon", "G-Common"},
    {"BsftEnterpriseCommon", "EnterpriseCommon", "E-Common"},
    {"BsftPersonal", "Personal", "Personal"},
};

TEST_F(BroadSoftConfigTest, TableHoldsTheCombinedEntryThenEveryEnabledDirectoryInFixedOrder) {
    Configure({});
    HostControl::SetNetworkReady(false);  // no probe: the table PreLoad builds stays
    for (int nMask = 0; nMask < 32; ++nMask) {
        std::vector<std::string> vecNames{"All Contact"};
        std::list<std::string> listUrls;
        for (int i = 0; i < 5; ++i) {
            const auto& [pKey, pSuffix, pName] = kFixed[i];
            const bool bOn = (nMask & (1 << i)) != 0;
            configParser_SetConfigInt(pKey, bOn ? 1 : 0);
            if (bOn) {
                vecNames.push_back(pName);
                listUrls.push_back(ModelUrl(pSuffix));
            }
        }
        BroadSoftModelPeer::Destroy();
        CContactBroadSoftModel* pModel = Model();
        EXPECT_THAT(TableNames(), ElementsAreArray(vecNames)) << "mask " << nMask;
        std::list<std::string> listGot;
        ASSERT_TRUE(pModel->GetConfigureUrlList(&listGot));
        EXPECT_EQ(listGot, listUrls) << "mask " << nMask;
        EXPECT_EQ(pModel->IsBroadSoftPhoneBookConfigured(), nMask != 0);
        EXPECT_EQ(pModel->GetConfiguredItemNameInConfigured(0), "All Contact");
        EXPECT_EQ(pModel->GetConfigDataByIndex(0)->m_strUrl, "All Contact");
    }
    EXPECT_THAT(m_xsi.Requests(), IsEmpty());

    configParser_SetConfigInt("BsftGroup", 0);
    BroadSoftModelPeer::Destroy();
    CContactBroadSoftModel* pModel = Model();
    EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Enterprise", "G-Common", "E-Common", "Personal"));
    EXPECT_EQ(pModel->GetCofigIndexByFullUrl(ModelUrl("Enterprise") + "?start=51&results=50"), 2);
    EXPECT_EQ(pModel->GetCofigIndexByFullUrl(ModelUrl("Group")), -1);
    EXPECT_EQ(pModel->ReloadConfigure(true), -14);
    EXPECT_EQ(pModel->GetTotalConfigurableItemCount(), 5);
}

TEST_F(BroadSoftConfigTest, BaseUrlPortAndDisplayNames) {
    HostControl::SetNetworkReady(false);
    const std::pair<const char*, const char*> kPorts[] = {{"", "http://127.0.0.1/"},
                                                          {"80", "http://127.0.0.1:80/"}};
    for (const auto& [pPort, pPrefix] : kPorts) {
        Configure({"BsftGroup", "BsftGroupCommon", "BsftPersonal"}, pPort);
        BroadSoftModelPeer::Destroy();
        EXPECT_EQ(Model()->GetCofigUrl("broadsoft_phonebook_x1"),
                  std::string(pPrefix) +
                      "com.broadsoft.xsi-actions/v2.0/user/alice%40example.test/directories/Group");
    }
    configParser_SetConfigString("NetworkDirectoryGroupDisplayname", "Team");
    configParser_SetConfigString("NetworkDirectoryGroupCommonDisplayname", "");
    configParser_SetConfigString("NetworkDirectoryPersonalDisplayname", "Mine");
    BroadSoftModelPeer::Destroy();
    EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Team", "G-Common", "Mine"));
    EXPECT_EQ(Directory_GetBroadSoftGroupName(1), "Team");
    EXPECT_EQ(Directory_GetBroadSoftGroupName(4), "");
    EXPECT_EQ(Directory_GetBroadSoftConfiguredItemNameInConfigured(3), "Mine");
    EXPECT_EQ(Directory_GetBroadSoftConfiguredItemNameInConfigured(4), "");
    EXPECT_EQ(Directory_GetBroadSoftDisplayName(), "");
    EXPECT_TRUE(Directory_IsBroadSoftContactConfigured());
    EXPECT_TRUE(Directory_IsBroadSoftPersonal("OpenSubPage(broadsoft_phonebook_x3)"));
    EXPECT_FALSE(Directory_IsBroadSoftPersonal("broadsoft_phonebook_x2"));
    EXPECT_FALSE(Directory_IsBroadSoftPersonal("local_contact_x3"));
}

TEST_F(BroadSoftConfigTest, AnIncompleteAccountOrTheSwitchOffGivesAnEmptyTableAndNoProbe) {
    const char* const kAccountKeys[] = {"AccountBroadsoftXSIHostAddr", "AccountBroadsoftXSIUserID",
                                        "AccountBroadsoftXSIServerType", "BSFTActive"};
    for (const char* pKey : kAccountKeys) {
        Configure({"BsftGroup", "BsftPersonal"});
        configParser_SetConfigString(pKey, "");
        BroadSoftModelPeer::Destroy();
        CContactBroadSoftModel* pModel = StartModel();
        EXPECT_EQ(pModel->GetTotalConfigurableItemCount(), 0) << pKey;
        EXPECT_FALSE(pModel->IsBroadSoftPhoneBookConfigured()) << pKey;
        EXPECT_EQ(pModel->GetConfiguredItemNameInConfigured(0), "") << pKey;
    }
    EXPECT_THAT(m_xsi.Requests(), IsEmpty());
}

TEST_F(BroadSoftConfigTest, QueriesByIndexUrlAndClickAction) {
    Configure({"BsftGroup", "BsftEnterpriseCommon", "BsftPersonal"});
    HostControl::SetNetworkReady(false);
    CContactBroadSoftModel* pModel = Model();
    const std::string strPersonal = ModelUrl("Personal");
    const std::tuple<const char*, const char*, bool, bool> kActions[] = {
        // click action, URL, custom, Personal
        {"broadsoft_phonebook_x0", "All Contact", false, false},
        {"broadsoft_phonebook_x3", "Personal", false, true},
        {"OpenSubPage(broadsoft_phonebook_x2)", "EnterpriseCommon", false, false},
        {"broadsoft_phonebook_x4", "", false, false},
        {"broadsoft_phonebook_x", "", false, false},
        {"remote_phonebook_x1", "", false, false},
    };
    for (const auto& [pAction, pSuffix, bCustom, bPersonal] : kActions) {
        const std::string strSuffix = pSuffix;
        const std::string strUrl =
            strSuffix.empty() || strSuffix == "All Contact" ? strSuffix : ModelUrl(strSuffix);
        EXPECT_EQ(pModel->GetCofigUrl(pAction), strUrl) << pAction;
        EXPECT_EQ(pModel->IsCustomContact(pAction), bCustom) << pAction;
        EXPECT_EQ(pModel->IsPersonalV2(pAction), bPersonal) << pAction;
    }
    EXPECT_EQ(pModel->GetConfigDataByIndex(-1), nullptr);
    EXPECT_EQ(pModel->GetConfigDataByIndex(4), nullptr);
    EXPECT_EQ(pModel->GetConfigDataByUrl(strPersonal), pModel->GetConfigDataByIndex(3));
    EXPECT_EQ(pModel->GetConfigDataByUrl(strPersonal + "?start=1"), nullptr);
    EXPECT_TRUE(pModel->IsItemConfigured(strPersonal));
    EXPECT_FALSE(pModel->IsItemConfigured(4));

    BroadSoftConfigItem item;
    item.m_strName = "Own";
    item.m_strReserved2 = "gui data";
    item.m_strUrl = strPersonal;
    pModel->SetConfigDataByIndex(1, item);
    pModel->SetConfigDataByIndex(9, item);
    EXPECT_EQ(pModel->GetConfigDataByIndex(1)->m_strReserved2, "gui data");
    EXPECT_EQ(pModel->GetCofigIndexByFullUrl(strPersonal + "?name=*a*/i"), 2);  // the first entry that has it
    std::list<std::string> listNames{"kept"};
    EXPECT_TRUE(pModel->GetConfiguredList(&listNames));
    EXPECT_THAT(listNames, ElementsAre("kept", "All Contact", "Own", "E-Common", "Personal"));
    item.Reset();
    EXPECT_EQ(item.m_strName + item.m_strReserved2 + item.m_strUrl, "");

    const std::tuple<const char*, bool, bool, bool> kUrls[] = {
        // URL, Personal, common, version 1.0
        {"http://h/com.broadsoft.xsi-actions/v2.0/user/u/directories/Personal", true, false, false},
        {"http://h/com.broadsoft.xsi-actions/V1.0/user/u/directories/PERSONAL", true, false, true},
        {"http://h/x/directories/GroupCommon", false, true, false},
        {"http://h/x/directories/EnterpriseCommon?start=3", false, true, false},
        {"http://h/x/directories/CustomContact/Common%20Room", false, true, false},
        {"http://h/x/directories/Group", false, false, false},
    };
    for (const auto& [pUrl, bIsPersonal, bCommon, bV1] : kUrls) {
        EXPECT_EQ(CContactBroadSoftModel::IsPersonal(pUrl), bIsPersonal) << pUrl;
        EXPECT_EQ(CContactBroadSoftModel::IsCommonDir(pUrl), bCommon) << pUrl;
        EXPECT_EQ(CContactBroadSoftModel::IsV1_0(pUrl), bV1) << pUrl;
    }
}

TEST_F(BroadSoftConfigTest, CustomDirectoriesFollowTheWantedListAndTheirNamesAreEncodedInTheUrl) {
    Configure({"BsftGroup", "BsftCustom"});
    configParser_SetConfigString("BsftCustomListAll", "Sales,Night Shift/2,Admin");
    configParser_SetConfigString("BsftCustomListUse", "Night Shift/2,,Sales");
    m_xsi.SetCustomDirectory("Night Shift/2", {testsupport::XsiCustomContact("Eve", "Owl", "301")});
    m_xsi.SetCustomDirectory("Sales", {testsupport::XsiCustomContact("Sam", "Seller", "302")});
    CContactBroadSoftModel* pModel = StartModel();
    EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Group", "Night Shift/2", "Sales"));
    EXPECT_EQ(pModel->GetCofigUrl("broadsoft_phonebook_x2"), ModelUrl("CustomContact/Night%20Shift%2F2"));
    EXPECT_TRUE(pModel->IsCustomContact("broadsoft_phonebook_x3"));
    EXPECT_FALSE(pModel->IsCustomContact("broadsoft_phonebook_x1"));
    EXPECT_THAT(Names("CustomContact/Night%20Shift%2F2"), ElementsAre("Eve,Owl"));
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.CustomPath("Night Shift/2")).size(), 1u);
    EXPECT_THAT(m_xsi.RequestsTo(m_xsi.CustomListPath()), IsEmpty()) << "the wanted list was known";
    EXPECT_EQ(configParser_GetConfigString("BsftCustomListAll"), "Sales,Night Shift/2,Admin");

    pModel->ClearCustomList(false);
    EXPECT_EQ(configParser_GetConfigString("BsftCustomListAll"), "");
    EXPECT_EQ(configParser_GetConfigString("BsftCustomListUse"), "Night Shift/2,,Sales");
    pModel->ClearCustomList(true);
    EXPECT_EQ(configParser_GetConfigString("BsftCustomListUse"), "");
    configParser_SetConfigString("BsftCustomListFailReason", "Load Fail");
    configParser_SetConfigInt("BsftCustomListStatus", 4);
    pModel->ResetCustomListStatus();
    EXPECT_EQ(configParser_GetConfigString("BsftCustomListFailReason"), "");
    EXPECT_EQ(configParser_GetConfigInt("BsftCustomListStatus"), 0);
}

TEST_F(BroadSoftConfigTest, ProbeDecidesWhetherTheModelStarts) {
    Configure({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group, {testsupport::XsiMember("Ana", "Silva", "1001", "11")});
    m_xsi.SetPassword("changed");
    CContactBroadSoftModel* pModel = StartModel();
    const std::string strProbe = ModelUrl("Personal");
    std::vector<Notice> vecNotices = TakeNotices();
    ASSERT_EQ(vecNotices.size(), 1u);
    EXPECT_EQ(std::make_tuple(vecNotices[0].nWParam, vecNotices[0].nLParam, vecNotices[0].strUrl),
              std::make_tuple(777, 401, strProbe));
    EXPECT_FALSE(BroadSoftModelPeer::IsServerReady());
    EXPECT_EQ(m_xsi.Requests().size(), 1u) << "a refused probe starts nothing";
    EXPECT_THAT(TableNames(), ElementsAre("All Contact", "Group", "Personal"));

    m_xsi.Fail(m_xsi.PathOf(XsiDirectory::Personal), 500);
    EXPECT_EQ(pModel->ReloadConfigure(true), 0);
    WaitIdle();
    vecNotices = TakeNotices();
    ASSERT_EQ(vecNotices.size(), 1u);
    EXPECT_EQ(std::make_tuple(vecNotices[0].nWParam, vecNotices[0].nLParam), std::make_tuple(777, 0));

    m_xsi.Restore(m_xsi.PathOf(XsiDirectory::Personal));
    m_xsi.SetPassword(bsfttest::kPassword);
    m_xsi.ClearRequests();
    EXPECT_EQ(pModel->ReloadConfigure(true), 0);
    WaitIdle();
    EXPECT_TRUE(BroadSoftModelPeer::IsServerReady());
    EXPECT_THAT(Names("Group"), ElementsAre("Ana,Silva"));
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(XsiDirectory::Personal)).size(), 2u)
        << "probe, then the download";
    EXPECT_EQ(TakeNotices().size(), 2u) << "one 1920 per directory, none for the probe";

    m_xsi.ClearRequests();
    EXPECT_EQ(pModel->ReloadConfigure(false), 0);
    WaitIdle();
    EXPECT_THAT(m_xsi.Requests(), IsEmpty()) << "no probe, so nothing downloads";
    EXPECT_FALSE(BroadSoftModelPeer::List(ModelUrl("Group")).bEntry);
}

}  // namespace
