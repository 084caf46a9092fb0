// The entry points' answers from each directory as the phone configured it, their fallbacks for null
// pointers, the other-directory question, and the default icons.

#include <list>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommonUnits.h"
#include "ConfigParser.h"
#include "ContactGeneralModel.h"
#include "ContactGeneralTypes.h"
#include "ContactRemoteTypes.h"
#include "DirectoryEntry.h"
#include "DirectoryShortcut.h"
#include "EntryFixture.h"
#include "Receivers.h"
#include "TaskAction.h"

namespace entrytest {
namespace {

using ::testing::ElementsAre;

class EntryPointTest : public EntryFixture {};

TEST_F(EntryPointTest, LocalPhoneBookEntryPointsAnswerFromTheLoadedFiles) {
    const std::string strPhoto = CommonUnits_GetUserUploadPhotoFolder() + "ann.png";
    m_root.WriteFile(strPhoto, "png");
    WriteContacts(
        {{"Ann", 0, "100", "Config:ann.png"}, {"Bob", 1, "200", ""}, {"Cid", 0, "300", "Config:gone.png"}});
    Start();

    EXPECT_EQ(Directory_GetLocalGroupCount(), 5);
    NS_DIRECTORY::ContactGroupListData groups;
    groups.m_nCountToGet = 10;
    ASSERT_TRUE(Directory_GetGroupList(&groups));
    std::vector<std::string> vecGroups;
    for (const NS_DIRECTORY::ContactGroupData& group : groups.m_listData) {
        vecGroups.push_back(group.m_strDisplayName);
    }
    EXPECT_THAT(vecGroups, ElementsAre("All Contacts", "Company", "Family", "Friend"))
        << "without the blacklist";
    EXPECT_EQ(Directory_GetGroupNameByIndex(0), "All Contacts");
    EXPECT_EQ(Directory_GetGroupNameByIndex(5), "");
    EXPECT_EQ(Directory_GetGIdByGName("Blacklist"), 1);
    EXPECT_EQ(Directory_GetGIdByGName("Nowhere"), -1);
    EXPECT_TRUE(Directory_IsBlacklistIndex(4));
    EXPECT_FALSE(Directory_IsBlacklistIndex(0));

    NS_DIRECTORY::ContactGeneralItemData data;
    ASSERT_TRUE(Directory_GetContactDataByName(&data, "ANN"));
    EXPECT_EQ(data.m_strMobileNumber, "100");
    ASSERT_TRUE(Directory_GetContactDataByNumber(&data, "200"));
    EXPECT_EQ(data.m_strDisplayName + "/" + data.m_strGroupName, "Bob/Blacklist");
    EXPECT_FALSE(Directory_GetContactDataByNumber(&data, "999"));
    EXPECT_EQ(Directory_GetContactNameByNumber("300"), "Cid");
    EXPECT_TRUE(Directory_IsBlackContact("200"));
    EXPECT_FALSE(Directory_IsBlackContact("100"));
    EXPECT_EQ(Directory_GetContactRingByNumber("999", ""), "");

    const std::string strDefault = CommonUnits_GetDefaultContactImage();
    EXPECT_EQ(Directory_GetContactImageByNumber("100", ""), strPhoto);
    EXPECT_EQ(Directory_GetContactImageByNumber("300", ""), strDefault) << "no file at the photo's path";
    EXPECT_EQ(Directory_GetContactImageByNumber("200", ""), strDefault) << "no photo";
    EXPECT_EQ(Directory_GetContactImageByNumber("999", ""), strDefault) << "no contact";
    EXPECT_EQ(Directory_GetContactImageByNumber(nullptr, nullptr), strDefault);
}

TEST_F(EntryPointTest, EveryNullPointerAnswersTheFallback) {
    WriteContacts({{"Ann", 0, "100", ""}});
    Start();
    NS_DIRECTORY::ContactGeneralItemData data;
    NS_DIRECTORY::ContactGeneralSearchItemListData search;
    testsupport::NullReceiver receiver;  // background searches must not start for the calls below
    EXPECT_FALSE(Directory_GetGroupList(nullptr));
    EXPECT_FALSE(Directory_GetContactDataByName(nullptr, "Ann"));
    EXPECT_FALSE(Directory_GetContactDataByNumber(nullptr, "100"));
    EXPECT_FALSE(Directory_GetContactDataByNumber(&data, nullptr));
    EXPECT_EQ(Directory_GetContactNameByNumber(nullptr), "");
    EXPECT_EQ(Directory_GetContactRingByNumber(nullptr, ""), "");
    EXPECT_EQ(Directory_GetContactRingByNumber(nullptr, nullptr), "");
    EXPECT_FALSE(Directory_IsBlackContact(nullptr));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(nullptr, "All Contacts", "a", &receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&search, nullptr, "a", &receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&search, "All Contacts", nullptr, &receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&search, "All Contacts", "a", nullptr));
    EXPECT_FALSE(Directory_GetAllConfiguredItemName(nullptr));
    EXPECT_FALSE(Directory_SearchRemoteWithOneNumber(nullptr));
    EXPECT_FALSE(Directory_SearchRemoteWithMultNumber(nullptr));
    EXPECT_FALSE(Directory_GetShortcutList(nullptr));
    Directory_DestroyLocalSaveAction(nullptr);
    Directory_DestroyContactRemoteAction(nullptr);
    TaskAction_DestroyLocalContactSearchAction(nullptr);
    TaskAction_DestroyRemoteContactSearchAction(nullptr);
    EXPECT_EQ(HostControl::PendingActionCount(), 0);
    EXPECT_EQ(Directory_GetContactNameByNumber("100"), "Ann") << "the phone book is unharmed";
}

TEST_F(EntryPointTest, RemoteAndNetworkDirectoryEntryPointsAnswerFromTheirModels) {
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    ServeRemoteDirectory("/sales.xml", {{"Rita Remote", "5001"}, {"Rob Remote", "5002"}});
    WriteRemoteSettings("Company Book", {{"Sales", "/sales.xml"}, {"", ""}, {"Archive", ""}});
    ConfigureBroadSoft({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(testsupport::XsiDirectory::Group,
                     {testsupport::XsiMember("Ana", "Silva", "1001", "11")});
    Start();

    EXPECT_TRUE(Directory_IsRemoteContactConfigured());
    WaitIdle();
    EXPECT_EQ(Directory_GetRemoteDisplayName(), "Company Book");
    EXPECT_EQ(Directory_GetRemoteGroupName(0), "Sales");
    EXPECT_EQ(Directory_GetRemoteGroupName(7), "");
    std::list<std::string> listNames{"stale"};
    ASSERT_TRUE(Directory_GetAllConfiguredItemName(&listNames));
    EXPECT_THAT(listNames, ElementsAre("Sales", "Archive"));
    EXPECT_EQ(Directory_GetRemoteContactNameByNumber("5002"), "Rob Remote");
    NS_DIRECTORY::RemoteSearchListData search;
    search.m_strKey = "Rita";
    search.m_nCountToGet = 10;
    ASSERT_TRUE(Directory_SearchRemoteWithOneNumber(&search));
    ASSERT_EQ(search.m_listData.size(), 1u);
    EXPECT_EQ(search.m_listData.front().m_strName, "Rita Remote");

    EXPECT_TRUE(Directory_IsBroadSoftContactConfigured());
    EXPECT_EQ(Directory_GetBroadSoftGroupName(0), "All Contact");
    EXPECT_EQ(Directory_GetBroadSoftGroupName(1), "Group");
    EXPECT_EQ(Directory_GetBroadSoftConfiguredItemNameInConfigured(2), "Personal");
    EXPECT_TRUE(Directory_IsBroadSoftPersonal("broadsoft_phonebook_x2"));
    EXPECT_FALSE(Directory_IsBroadSoftPersonal("broadsoft_phonebook_x1"));
    EXPECT_EQ(Directory_GetBroadSoftDisplayName(), "");
    EXPECT_EQ(Directory_GetBstContactNameByNumber("1001"), "Ana,Silva")
        << "the name as the directory shows it";
    EXPECT_EQ(Directory_GetBstContactNameByNumber("5001"), "") << "a remote number is not a network one";
}

TEST_F(EntryPointTest, OtherDirectoriesAreRemoteNetworkOrLdap) {
    Start();
    for (int nMask = 0; nMask < 8; ++nMask) {
        const bool bRemote = (nMask & 1) != 0;
        const bool bNetwork = (nMask & 2) != 0;
        const bool bLdap = (nMask & 4) != 0;
        WriteRemoteSettings("", bRemote ? std::vector<RemoteSlot>{{"Sales", ""}} : std::vector<RemoteSlot>{});
        ASSERT_EQ(SendConfig(47, 0), 1);
        if (bNetwork) {
            ConfigureBroadSoft({"BsftGroup"});
        } else {
            configParser_SetConfigInt("BSFTActive", 0);
        }
        SendConfig(49, 0);
        HostControl::SetLdapOn(bLdap);
        EXPECT_EQ(Directory_IsRemoteContactConfigured(), bRemote) << nMask;
        EXPECT_EQ(Directory_IsBroadSoftContactConfigured(), bNetwork) << nMask;
        EXPECT_EQ(Directory_IsLdapContactConfigured(), bLdap) << nMask;
        EXPECT_EQ(Directory_IsOtherLocalContactConfigured(), nMask != 0) << nMask;
    }
}

TEST_F(EntryPointTest, DefaultIconsAreEmptyUntilSetAndTheLocalPageCarriesItsIcon) {
    WriteContacts({{"Ann", 0, "100", "Config:ann.png"}});
    Start();
    EXPECT_EQ(Directory_GetDefaultIcon(DDIT_LOCAL_CONTACT_ITEM), "");
    EXPECT_EQ(Directory_GetGroupGeneralImage(), "");
    Directory_SetDefaultIcon(DDIT_GROUP_GENERAL, "group.png");
    Directory_SetDefaultIcon(DDIT_CONTACT_GENERAL, "contact.png");
    Directory_SetDefaultIcon(DDIT_CONTACT_GENERAL, "person.png");
    Directory_SetDefaultIcon(DDIT_LOCAL_CONTACT_ITEM, "entry.png");
    EXPECT_EQ(Directory_GetGroupGeneralImage(), "group.png");
    EXPECT_EQ(Directory_GetContactGeneralImage(), "person.png");
    EXPECT_EQ(Directory_GetDefaultIcon(static_cast<EDirectoryDefaultIconType>(9)), "");
    NS_DIRECTORY::ContactGeneralItemListData page;
    page.m_nCountToGet = 10;
    ASSERT_TRUE(NS_DIRECTORY::CContactGeneralModel::GetInstance()->GetContactListById(&page, 0));
    ASSERT_EQ(page.m_listData.size(), 1u);
    EXPECT_EQ(page.m_listData[0].m_strDefaultPhoto, "entry.png");
}

}  // namespace
}  // namespace entrytest
