// Null pointers at every local entry point and model operation that takes one: each answers its fallback
// and leaves the phone book as it was.

#include <functional>
#include <utility>
#include <vector>

#include "ContactGroupController.h"
#include "DirectoryEntry.h"
#include "LocalModelFixture.h"
#include "Receivers.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactGroupController;
using NS_DIRECTORY::ContactGeneralItemListData;
using NS_DIRECTORY::ContactGeneralSearchItemListData;
using NS_DIRECTORY::ContactGroupData;

using LocalBadInputTest = LocalModelFixture;

TEST_F(LocalBadInputTest, NullPointersGetTheFallbackAnswer) {
    ASSERT_GE(Model().AddContact(Contact("Ann", "Company", "100")), 0);
    CContactGeneralModel& model = Model();
    testsupport::NullReceiver receiver;
    ContactGeneralSearchItemListData search;
    ContactGeneralItemData data;
    CContactGeneralModel::ItemData item;
    CContactGeneralModel::GroupData group;
    const std::vector<std::pair<const char*, std::function<bool()>>> kCalls = {
        {"GetContactData", [&] { return !model.GetContactData(nullptr, "Ann"); }},
        {"GetGroupDataById", [&] { return !model.GetGroupDataById(nullptr, 0); }},
        {"GetContactList", [&] { return !model.GetContactList(nullptr, "All Contacts"); }},
        {"GetContactListById", [&] { return !model.GetContactListById(nullptr, 0); }},
        {"GetContactListByClickAction",
         [&] { return !model.GetContactListByClickAction(nullptr, "local_contact_x0"); }},
        {"GetFavorateList", [&] { return !model.GetFavorateList(nullptr); }},
        {"GetGroupList", [&] { return !model.GetGroupList(nullptr, true); }},
        {"GetGroupSimpleList", [&] { return !model.GetGroupSimpleList(nullptr); }},
        {"GetContactNameByPhoneNumber", [&] { return model.GetContactNameByPhoneNumber(nullptr).empty(); }},
        {"GetContactDataByNumber",
         [&] {
             return !model.GetContactDataByNumber(nullptr, "100") &&
                    !model.GetContactDataByNumber(&data, nullptr);
         }},
        {"IsBlackContactNumber", [&] { return !model.IsBlackContactNumber(nullptr); }},
        {"GetContactRingByNumber", [&] { return model.GetContactRingByNumber(nullptr, nullptr).empty(); }},
        {"GetContactImageByNumber", [&] { return model.GetContactImageByNumber(nullptr, nullptr).empty(); }},
        {"Search", [&] { return !model.Search(nullptr, "local_contact_x0", "a"); }},
        {"SearchWithMutlNumber",
         [&] { return !model.SearchWithMutlNumber(nullptr, "local_contact_x0", "a"); }},
        // Without a receiver a search may run; its answer goes nowhere.
        {"SearchAsync",
         [&] {
             model.SearchAsync("local_contact_x0", "a", 0, 10, nullptr);
             return true;
         }},
        {"SearchWithMutlNumberAsync",
         [&] { return !model.SearchWithMutlNumberAsync(nullptr, "All Contacts", "a", &receiver); }},
        {"MyID2CGID", [&] { return !model.MyID2CGID(nullptr, item); }},
        {"MyCGID2ID", [&] { return !CContactGeneralModel::MyCGID2ID(nullptr, 0, data, false); }},
        {"MyGD2CGD", [&] { return !CContactGeneralModel::MyGD2CGD(nullptr, group); }},
        {"MyCGD2GD", [&] { return !CContactGeneralModel::MyCGD2GD(nullptr, 2, ContactGroupData()); }},
        {"GroupController::GetGroupList",
         [] { return !CContactGroupController::GetInstance()->GetGroupList(nullptr, true); }},
        {"GroupController::GetGroupSimpleList",
         [] { return !CContactGroupController::GetInstance()->GetGroupSimpleList(nullptr); }},
        {"GroupController::GetGroupDataByClickAction",
         [] {
             return !CContactGroupController::GetInstance()->GetGroupDataByClickAction(nullptr,
                                                                                       "local_contact_x2");
         }},
        {"Directory_SearchWithMutlNumberAsync",
         [&] {
             return !Directory_SearchWithMutlNumberAsync(nullptr, "All Contacts", "a", &receiver) &&
                    !Directory_SearchWithMutlNumberAsync(&search, nullptr, "a", &receiver) &&
                    !Directory_SearchWithMutlNumberAsync(&search, "All Contacts", nullptr, &receiver) &&
                    !Directory_SearchWithMutlNumberAsync(&search, "All Contacts", "a", nullptr);
         }},
        {"Directory_Destroy*",
         [] {
             Directory_DestroyLocalSaveAction(nullptr);
             TaskAction_DestroyLocalContactSearchAction(nullptr);
             return true;
         }},
    };
    const std::string strFileBefore = m_root.ReadFile(kContactFile);
    for (const auto& [pName, call] : kCalls) {
        EXPECT_TRUE(call()) << pName;
    }
    EXPECT_TRUE(HostControl::RunUntilIdle(10000));
    EXPECT_EQ(AllNames(), Strings{"Ann"});
    EXPECT_EQ(m_root.ReadFile(kContactFile), strFileBefore);
}

}  // namespace
}  // namespace localtest
