// Background reload of both local files: the busy flag, what a provisioned file turns into, failures that
// leave the store alone, and the save action's own round trip.

#include <algorithm>

#include "ContactGeneralSearchHelper.h"
#include "ContactLocalSaveAction.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"
#include "LocalModelFixture.h"
#include "Receivers.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactLocalSaveAction;
using NS_DIRECTORY::ContactGeneralSearchItemListData;

using Notes = std::vector<std::pair<int, int>>;

class BackgroundReloadTest : public LocalModelFixture {
protected:
    void SetUp() override {
        m_root.WriteFile(kGroupFile, GroupFileXml(GroupElement(0, "All Contacts") + GroupElement(2, "Work") +
                                                  GroupElement(1, "Blacklist")));
        m_root.WriteFile(kContactFile, ContactFileXml(ContactElement("Alice", 2, "mobile_number=\"100\"") +
                                                      ContactElement("Spam", 1, "mobile_number=\"666\"")));
        Model();
        DropRecords();
    }

    // The change (1720) and reload (1722) notifications as id and parameter.
    Notes Reloads() {
        Notes listNotes;
        for (const auto& note : HostControl::TakeNotifications()) {
            if (note.id == 1720 || note.id == 1722) {
                listNotes.emplace_back(note.id, note.lParam);
            }
        }
        return listNotes;
    }
};

TEST_F(BackgroundReloadTest, EveryEditAndSearchIsRefusedUntilTheCallbackRan) {
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    EXPECT_TRUE(Model().IsReloadGroupAndItemByHttp());
    EXPECT_EQ(Reloads(), (Notes{{1722, 1}}));
    testsupport::NullReceiver receiver;
    ContactGeneralSearchItemListData data;
    data.m_nCountToGet = 10;
    std::list<std::string> listNames = Names({"Alice"});
    CContactGeneralModel& m = Model();
    const std::vector<std::pair<const char*, std::function<int()>>> kChanges = {
        {"AddContact", [&] { return m.AddContact(Contact("Bob", "Work")); }},
        {"AddContactById", [&] { return m.AddContactById(2, Contact("Bob", "")); }},
        {"AddBlackContact", [&] { return m.AddBlackContact(Contact("Bob", "")); }},
        {"UpdateContactData", [&] { return m.UpdateContactData("Alice", Contact("Alice", "Work", "1")); }},
        {"RemoveContact", [&] { return m.RemoveContact("Alice") ? 0 : -1; }},
        {"RemoveContactList", [&] { return m.RemoveContactList(listNames) ? 0 : -1; }},
        {"RemoveAllContactsByClickAction",
         [&] { return m.RemoveAllContactsByClickAction("local_contact_x0") ? 0 : -1; }},
        {"SetContactGroupId", [&] { return m.SetContactGroupId("Alice", 0) ? 0 : -1; }},
        {"Local2Black", [&] { return m.Local2Black("Alice") ? 0 : -1; }},
        {"Black2Local", [&] { return m.Black2Local("Spam") ? 0 : -1; }},
        {"IsListCanMove", [&] { return m.IsListCanMove(listNames, "Blacklist"); }},
        {"MoveListToGroup", [&] { return m.MoveListToGroup(listNames, "Blacklist"); }},
        {"ToFavorateList", [&] { return m.ToFavorateList(listNames) ? 0 : -1; }},
        {"RemoveFavorateList", [&] { return m.RemoveFavorateList(listNames) ? 0 : -1; }},
        {"RemoveAllFavorates", [&] { return m.RemoveAllFavorates() ? 0 : -1; }},
        {"AddGroup",
         [&] {
             return m.AddGroup({"Home", ""});
         }},
        {"UpdateGroupData",
         [&] {
             return m.UpdateGroupData("Work", {"Job", ""});
         }},
        {"RemoveGroup", [&] { return m.RemoveGroup("Work") ? 0 : -1; }},
        {"RemoveAllGroup", [&] { return m.RemoveAllGroup() ? 0 : -1; }},
        {"Search", [&] { return m.Search(&data, "local_contact_x0", "a") ? 0 : -1; }},
        {"SearchWithMutlNumber",
         [&] { return m.SearchWithMutlNumber(&data, "local_contact_x0", "1") ? 0 : -1; }},
        {"SearchAsync", [&] { return m.SearchAsync("local_contact_x0", "a", 0, 10, &receiver) ? 0 : -1; }},
        {"SearchWithMutlNumberAsync",
         [&] { return Directory_SearchWithMutlNumberAsync(&data, "All Contacts", "1", &receiver) ? 0 : -1; }},
    };
    for (const auto& change : kChanges) {
        SCOPED_TRACE(change.first);
        ExpectRefused(change.second, -1, -13);
    }
    EXPECT_TRUE(data.m_listData.empty());
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_FALSE(Model().IsReloadGroupAndItemByHttp());
    EXPECT_EQ(Reloads(), (Notes{{1720, 0}, {1722, 2}}));
    EXPECT_GE(Model().AddContact(Contact("Bob", "Work")), 0);
    EXPECT_TRUE(Model().Search(&data, "local_contact_x0", "b"));
}

// The first answer used to end the busy state: an edit got in, and the second answer swapped it away.
TEST_F(BackgroundReloadTest, ASecondReloadKeepsTheBookBusyUntilBothAreAnsweredSoNoEditIsLost) {
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    ASSERT_TRUE(HostControl::WaitForActions(5000));
    ASSERT_TRUE(HostControl::DeliverOneCallback());
    EXPECT_TRUE(Model().IsReloadGroupAndItemByHttp());
    ExpectRefused([&] { return Model().AddContact(Contact("Bob", "Work")); }, -1, -13);
    ASSERT_TRUE(HostControl::DeliverOneCallback());
    EXPECT_FALSE(Model().IsReloadGroupAndItemByHttp());
    // Which answer comes first is the executor's: an older one after the newer is dropped, unannounced.
    Notes listNotes = Reloads();
    const auto nChanged = std::count(listNotes.begin(), listNotes.end(), std::make_pair(1720, 0));
    EXPECT_TRUE(nChanged == 1 || nChanged == 2) << nChanged;
    listNotes.erase(std::remove(listNotes.begin(), listNotes.end(), std::make_pair(1720, 0)),
                    listNotes.end());
    EXPECT_EQ(listNotes, (Notes{{1722, 1}, {1722, 2}}));
    ASSERT_GE(Model().AddContact(Contact("Bob", "Work")), 0);
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(AllNames(), (Strings{"Alice", "Bob", "Spam"}));
    EXPECT_NE(m_root.ReadFile(kContactFile).find("Bob"), std::string::npos);
}

TEST_F(BackgroundReloadTest, AProvisionedPairOfFilesIsTakenAsItIsAndNotRewritten) {
    // No group 0, group 1 misnamed, a repeated name, a group without id and one without name.
    const std::string strGroups =
        GroupFileXml(GroupElement(7, "Zoo", "ring=\"Config:zoo.wav\"") + GroupElement(3, "Family") +
                     GroupElement(4, "Family") + "<group display_name=\"No id\"/>" +
                     GroupElement(1, "Black") + GroupElement(5, ""));
    const std::string strContacts = ContactFileXml(
        ContactElement("anna", 3, "mobile_number=\"200\" office_number=\"201\" other_number=\"202\"") +
        ContactElement("Anna", 7, "is_favorate=\"1\"") + ContactElement("Bob", 1, "mobile_number=\"300\"") +
        ContactElement("Bob", 0) + ContactElement("", 0) +
        ContactElement("Carl", 3, "line=\"2\" selected_photo=\"4\""));
    m_root.WriteFile(kGroupFile, strGroups);
    m_root.WriteFile(kContactFile, strContacts);
    HostControl::TakeCallLogDispNames();
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Family", "Zoo", "Blacklist"}));
    EXPECT_EQ(Model().GetGIdByGName("Zoo"), 7);
    EXPECT_EQ(Model().GetGroupIdByGroupName("Blacklist"), 1);
    EXPECT_EQ(AllNames(), (Strings{"anna", "Anna", "Bob", "Carl"}));
    EXPECT_EQ(Model().GetCurrentBlackCount(), 1);
    EXPECT_EQ(Model().GetCurrentFavorateCount(), 1);
    ExpectCountersInStep();
    ContactGeneralItemData carl;
    ASSERT_TRUE(Model().GetContactData(&carl, "Carl"));
    EXPECT_EQ(carl.m_nLine, 2);
    EXPECT_EQ(carl.m_nSelectedPhoto, 4);
    const auto listDispNames = HostControl::TakeCallLogDispNames();
    ASSERT_EQ(listDispNames.size(), 1u);
    Strings listPairs;
    for (const auto& item : listDispNames[0]) {
        listPairs.push_back(item.m_strDisplayName + "=" + item.m_strNumber);
    }
    EXPECT_EQ(listPairs, (Strings{"anna=200", "anna=201", "anna=202", "Bob=300"}));
    EXPECT_EQ(m_root.ReadFile(kGroupFile), strGroups);
    EXPECT_EQ(m_root.ReadFile(kContactFile), strContacts);
    EXPECT_EQ(Model().AddGroup({"Friends", ""}), 2);
    EXPECT_EQ(Model().GetGroupIdByGroupName("Friends"), 8);
}

TEST_F(BackgroundReloadTest, ARefusedReloadOrAFileThatCannotBeReadLeavesTheStoreAsItWas) {
    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(Model().ReloadGroupAndItemByHttp());
    EXPECT_FALSE(Model().IsReloadGroupAndItemByHttp());
    EXPECT_TRUE(Reloads().empty());
    HostControl::SetRefuseTaskActions(false);
    const struct {
        const char* pWhat;
        const char* pPath;
        std::string strContent;
    } kCases[] = {
        {"contacts that do not parse", kContactFile,
         "<root_contact><contact display_name=\"X\"></root_contact>"},
        {"contacts without their root", kContactFile, "<?xml version=\"1.0\"?><contacts/>"},
        {"groups without their root", kGroupFile, "<root_contact/>"},
    };
    for (const auto& entry : kCases) {
        m_root.WriteFile(kGroupFile, GroupFileXml(GroupElement(2, "Other")));
        m_root.WriteFile(kContactFile, ContactFileXml(ContactElement("Zed", 2)));
        m_root.WriteFile(entry.pPath, entry.strContent);
        ASSERT_TRUE(Model().ReloadGroupAndItemByHttp()) << entry.pWhat;
        ASSERT_TRUE(HostControl::RunUntilIdle(5000));
        EXPECT_FALSE(Model().IsReloadGroupAndItemByHttp());
        EXPECT_EQ(Reloads(), (Notes{{1722, 1}, {1722, 2}})) << entry.pWhat;
        EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Work", "Blacklist"})) << entry.pWhat;
        EXPECT_EQ(AllNames(), (Strings{"Alice", "Spam"})) << entry.pWhat;
    }
}

TEST(LocalSaveAction, SavedListsLoadBackWithPathsInStoredForm) {
    testsupport::TempRoot root;
    CContactLocalSaveAction* pAction = Directory_CreateLocalSaveAction();
    ASSERT_NE(pAction, nullptr);
    NS_DIRECTORY::CContactGeneralModel::ItemData item;
    item.m_strDisplayName = "Zed";
    item.m_nGroupId = 4;
    item.m_nLine = 3;
    item.m_bFavorate = true;
    item.m_strDefaultPhoto = CommonUnits_GetUserUploadPhotoFolder() + "zed.png";
    pAction->SetItemList({item});
    pAction->SetItemFilePath("/config/data/c.xml");
    pAction->SetItemDirty(true);
    pAction->SetRead(false);
    EXPECT_FALSE(pAction->Exec());  // the group file takes no part
    EXPECT_NE(root.ReadFile("/config/data/c.xml").find("default_photo=\"Config:zed.png\""),
              std::string::npos);
    EXPECT_TRUE(pAction->LoadItem());
    ASSERT_EQ(pAction->GetItemList().size(), 1u);
    const auto& loaded = pAction->GetItemList()[0];
    EXPECT_EQ(loaded.m_strDefaultPhoto, item.m_strDefaultPhoto);
    EXPECT_EQ(loaded.m_nLine, 3);
    EXPECT_TRUE(loaded.m_bFavorate);
    EXPECT_EQ(loaded.m_strNameIndex, "933");
    pAction->SetRead(true);
    EXPECT_FALSE(pAction->Exec());
    EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_FILE_LOAD_FAILED);
    Directory_DestroyLocalSaveAction(pAction);
}

}  // namespace
}  // namespace localtest
