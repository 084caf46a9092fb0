// Group editing: the insertion rule, ids, renames, removals, refusals and the group facade.

#include "LocalModelFixture.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactGroupController;
using NS_DIRECTORY::ContactGroupData;

class GroupEditTest : public LocalModelFixture {};

TEST_F(GroupEditTest, NewGroupsTakeFreshIdsAndTheirPlaceInNameOrderOrAreRefusedWithTheirCodes) {
    EXPECT_EQ(Model().AddGroup({"band", ""}), 1);
    EXPECT_EQ(Model().GetGIdByGName("band"), 5);
    EXPECT_EQ(Model().AddGroup({"Zoo", ""}), 5);
    EXPECT_EQ(GroupNames(),
              (Strings{"All Contacts", "band", "Company", "Family", "Friend", "Zoo", "Blacklist"}));
    // A group refused for its name still uses up the id it was given.
    ExpectRefused([&] { return Model().AddGroup({"friend", ""}); }, -1, -1);
    EXPECT_EQ(Model().AddGroup({"Gym", ""}), 5);
    EXPECT_EQ(Model().GetGIdByGName("Gym"), 8);
    EXPECT_NE(m_root.ReadFile(kGroupFile).find("display_name=\"Gym\""), std::string::npos);
    for (const char* pTaken : {"Blacklist", "All Contacts", "Family"}) {
        ExpectRefused([&] { return Model().AddGroup({pTaken, ""}); }, -1, -1);
    }
    ExpectRefused([&] { return Model().AddGroup({"", ""}); }, -1, -100);
    ExpectRefused([&] { return Model().MyAddGroup({"Other", ""}, 3); }, -1, -1);
    for (int nIndex = Model().GetCurrentGroupCount(); nIndex < 50; ++nIndex) {
        ASSERT_GE(Model().AddGroup({"g" + std::to_string(nIndex), ""}), 0);
    }
    ExpectRefused([&] { return Model().AddGroup({"One too many", ""}); }, -1, -9);
}

TEST_F(GroupEditTest, IdsRunOutWithoutWrappingAround) {
    m_root.WriteFile(kGroupFile,
                     GroupFileXml(GroupElement(0, "All Contacts") + GroupElement(2147483647, "Last") +
                                  GroupElement(1, "Blacklist")));
    ExpectRefused([&] { return Model().AddGroup({"New", ""}); }, -1, -3);
}

TEST_F(GroupEditTest, UpdateChangesTheRingInPlaceOrRefilesUnderTheNewName) {
    ASSERT_GE(Model().AddContact(Contact("Anna", "Family")), 0);
    DropRecords();
    EXPECT_EQ(Model().UpdateGroupData("Family", {"Family", "/config/data/ring/a.wav"}), 2);
    EXPECT_NE(m_root.ReadFile(kGroupFile).find("Config:a.wav"), std::string::npos);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 1);
    EXPECT_EQ(Model().UpdateGroupData("Family", {"Family", "/config/data/ring/a.wav"}), 2);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 0);
    EXPECT_EQ(Model().UpdateGroupData("Family", {"family", ""}), 2);
    EXPECT_EQ(Model().GetGIdByGName("family"), 3);
    EXPECT_EQ(Model().GetContactGroupId("Anna"), 3);
    EXPECT_EQ(Model().UpdateGroupData("family", {"Acme", ""}), 1);
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Acme", "Company", "Friend", "Blacklist"}));
    ExpectRefused([&] { return Model().UpdateGroupData("Acme", {"Friend", ""}); }, -1, -1);
    ExpectRefused([&] { return Model().UpdateGroupData("Acme", {"FRIEND", ""}); }, -1, -1);
    ExpectRefused([&] { return Model().UpdateGroupData("Acme", {"", ""}); }, -1, -100);
    ExpectRefused([&] { return Model().UpdateGroupData("Nobody", {"X", ""}); }, -1, -4);
    ExpectRefused([&] { return Model().UpdateGroupData("", {"X", ""}); }, -1, -100);
    EXPECT_EQ(Model().GetGIdByGName("Acme"), 3);
}

TEST_F(GroupEditTest, RemovingAGroupMovesItsContactsToAllContacts) {
    ASSERT_GE(Model().AddContact(Contact("Anna", "Family")), 0);
    ASSERT_GE(Model().AddContact(Contact("Bert", "Friend")), 0);
    ExpectRefused([&] { return Model().RemoveGroup("Blacklist") ? 1 : 0; }, 0, -6);
    ExpectRefused([&] { return Model().RemoveGroup("All Contacts") ? 1 : 0; }, 0, -6);
    ExpectRefused([&] { return Model().RemoveGroup("family") ? 1 : 0; }, 0, -4);
    DropRecords();
    ASSERT_TRUE(Model().RemoveGroup("Family"));
    EXPECT_EQ(Model().GetContactGroupId("Anna"), 0);
    EXPECT_EQ(PageNames(0), (Strings{"Anna", "Bert"}));
    EXPECT_NE(m_root.ReadFile(kContactFile).find("group_id_name=\"0\""), std::string::npos);
    EXPECT_EQ(m_root.ReadFile(kGroupFile).find("Family"), std::string::npos);
    EXPECT_EQ(CountOf(NS_DIRECTORY::kLocalContactChangedMsg), 2);  // contact file, then group file
    ASSERT_TRUE(Model().RemoveAllGroup());
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Blacklist"}));
    EXPECT_EQ(Model().GetContactGroupId("Bert"), 0);
    ExpectRefused([&] { return Model().RemoveAllGroup() ? 1 : 0; }, 0, -4);
}

TEST_F(GroupEditTest, DefaultGroupsCanBeRecreatedOnAnEmptyList) {
    Model().MyClearGroupList();
    EXPECT_TRUE(Model().MyCreateDefaultGroup());
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Blacklist"}));
    EXPECT_EQ(Model().AddGroup({"New", ""}), 1);
    EXPECT_EQ(Model().GetGIdByGName("New"), 2);
}

TEST_F(GroupEditTest, TheGroupFacadeForwardsToTheStore) {
    CContactGroupController* pGroups = CContactGroupController::GetInstance();
    ASSERT_NE(pGroups, nullptr);
    EXPECT_EQ(pGroups->AddGroup({"Band", "/config/data/ring/x.wav"}), 1);
    EXPECT_EQ(pGroups->GetGIdByGName("Band"), 5);
    EXPECT_EQ(pGroups->GetGroupIdByGroupName("Band"), 5);
    EXPECT_EQ(pGroups->GetCurrentGroupCount(), 6);
    EXPECT_TRUE(pGroups->IsBlacklistIndex(5));
    EXPECT_EQ(pGroups->SetMaxGroupCount(6), 50);
    EXPECT_EQ(pGroups->GetMaxGroupCount(), 6);
    EXPECT_EQ(pGroups->AddGroup({"Full", ""}), -1);
    EXPECT_EQ(pGroups->UpdateGroupData("Band", {"Bend", ""}), 1);
    ContactGroupData data;
    EXPECT_TRUE(pGroups->GetGroupDataByClickAction(&data, "OpenSubPage(local_contact_x5)"));
    EXPECT_EQ(data.m_strDisplayName, "Bend");
    EXPECT_FALSE(pGroups->GetGroupDataByClickAction(&data, "OpenSubPage(local_contact_x99)"));
    EXPECT_FALSE(pGroups->GetGroupDataByClickAction(&data, "broadsoft_phonebook_x1"));
    NS_DIRECTORY::ContactGroupListData list;
    list.m_nCountToGet = 10;
    EXPECT_TRUE(pGroups->GetGroupList(&list, false));
    EXPECT_EQ(list.m_nTotalCount, 5);
    EXPECT_TRUE(pGroups->RemoveGroup("Bend"));
    EXPECT_TRUE(pGroups->SaveGroupToXml());
    EXPECT_FALSE(pGroups->OnTimeoutSaveGroup(91110));
    EXPECT_TRUE(pGroups->ReloadGroupXml());
    EXPECT_EQ(pGroups->GetCurrentGroupCount(), 5);
}

}  // namespace
}  // namespace localtest
