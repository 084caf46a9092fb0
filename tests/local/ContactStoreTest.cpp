// The local store: order, limits, lookups, pages and the group menu.

#include <algorithm>
#include <random>
#include <utility>

#include "DirectoryEntry.h"
#include "LocalModelFixture.h"

namespace localtest {
namespace {

using NS_DIRECTORY::ContactGeneralItemListData;
using NS_DIRECTORY::ContactGroupListData;

class ContactStoreTest : public LocalModelFixture {};

TEST_F(ContactStoreTest, FreshStoreHoldsTheDefaultGroupsBetweenTheBuiltInOnesAndMenusAndPagesThem) {
    CContactGeneralModel& model = Model();
    EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Company", "Family", "Friend", "Blacklist"}));
    EXPECT_EQ(model.GetGroupNameByIndex(-1), "");
    EXPECT_EQ(model.GetGroupNameByIndex(5), "");
    EXPECT_TRUE(model.IsBlacklistIndex(4));
    EXPECT_FALSE(model.IsBlacklistIndex(3));
    EXPECT_EQ(model.GetMaxGroupCount(), 50);
    EXPECT_EQ(model.GetMaxContactCount(), 1000);
    EXPECT_EQ(model.SetMaxBlackCount(3), 30);
    EXPECT_EQ(model.GetMaxBlackCount(), 3);
    EXPECT_EQ(model.GetGIdByGName("Family"), 3);
    EXPECT_EQ(model.GetGroupIdByGroupName("family"), -1);
    EXPECT_TRUE(model.IsGroupExist("Friend"));
    EXPECT_FALSE(model.IsGroupExist("friend"));
    // The group menu names every group but the blacklist.
    CContactGeneralModel::MenuItemList* pMenu = Model().MyGenLocalMenuList();
    ASSERT_NE(pMenu, nullptr);
    ASSERT_EQ(Model().MyGenLocalMenuList(), pMenu);  // rebuilt in place, not appended to
    ASSERT_EQ(pMenu->size(), 4u);
    EXPECT_EQ((*pMenu)[0]->m_strIdName, "local_contact_x0");
    EXPECT_EQ((*pMenu)[0]->m_strDisplayName, "All Contacts");
    EXPECT_EQ((*pMenu)[2]->m_strClickAction, "OpenSubPage(local_contact_x3)");
    EXPECT_EQ((*pMenu)[2]->m_strIconPath, "");
    EXPECT_EQ((*pMenu)[3]->m_strDisplayName, "Friend");
    // Group pages leave out the blacklist unless asked.
    NS_DIRECTORY::ContactGroupSimpleListData simple;
    simple.m_nCountToGet = 100;
    ASSERT_TRUE(Model().GetGroupSimpleList(&simple));
    EXPECT_EQ(NamesOf(simple), (Strings{"All Contacts", "Company", "Family", "Friend"}));
    EXPECT_EQ(simple.m_nTotalCount, 4);
    EXPECT_EQ(simple.m_listData[3].m_nGroupId, 4);
    // Names of the page and its total; pages append to what the list held.
    const auto page = [&](int nFrom, int nCount, bool bWithBlacklist, size_t nHeld) {
        ContactGroupListData data;
        data.m_listData.resize(nHeld);
        data.m_nIndexFrom = nFrom;
        data.m_nCountToGet = nCount;
        EXPECT_TRUE(Model().GetGroupList(&data, bWithBlacklist));
        Strings listOut = NamesOf(data);
        listOut.push_back(std::to_string(data.m_nTotalCount));
        return listOut;
    };
    EXPECT_EQ(page(3, 5, true, 0), (Strings{"Friend", "Blacklist", "5"}));
    EXPECT_EQ(page(1, 2, false, 1), (Strings{"", "Company", "Family", "4"}));
    ContactGroupListData refused;
    refused.m_nIndexFrom = -1;
    refused.m_nTotalCount = 77;
    EXPECT_FALSE(Model().GetGroupList(&refused, true));
    EXPECT_EQ(refused.m_nTotalCount, 77);
}

TEST_F(ContactStoreTest, ContactsAreHeldInNameOrderIgnoringCaseAndPagedApartFromTheBlacklist) {
    Directory_SetDefaultIcon(DDIT_LOCAL_CONTACT_ITEM, "/phone/resource/icon_local.png");
    ASSERT_GE(Model().AddContact(Contact("bert", "Company")), 0);
    ASSERT_GE(Model().AddContact(Contact("Anna", "Family")), 0);
    ASSERT_GE(Model().AddBlackContact(Contact("Spam", "")), 0);
    ASSERT_GE(Model().AddContact(Contact("carl", "All Contacts")), 0);
    EXPECT_EQ(PageNames(0), (Strings{"Anna", "bert", "carl"}));
    EXPECT_EQ(PageNames(1), (Strings{"Spam"}));
    EXPECT_EQ(PageNames(3), (Strings{"Anna"}));
    EXPECT_EQ(PageNames(0, 1, 1), (Strings{"bert"}));
    EXPECT_EQ(Model().MyGetContactCountByGroupId(0), 4);
    EXPECT_EQ(Model().MyGetContactCountByGroupId(1), 1);
    EXPECT_TRUE(Model().IsContactExist("ANNA"));
    EXPECT_EQ(Model().GetContactGroupId("BERT"), 2);
    EXPECT_EQ(Model().GetContactGroupId("nobody"), -1);
    ContactGeneralItemListData page;
    page.m_nCountToGet = 2;
    ASSERT_TRUE(Model().GetContactList(&page, "All Contacts"));
    EXPECT_EQ(page.m_nTotalCount, 3);
    ASSERT_EQ(page.m_listData.size(), 2u);
    EXPECT_EQ(page.m_listData[0].m_strGroupName, "Family");
    EXPECT_EQ(page.m_listData[0].m_strDefaultPhoto, "/phone/resource/icon_local.png");
    ContactGeneralItemListData byAction;
    byAction.m_nCountToGet = 2;
    ASSERT_TRUE(Model().GetContactListByClickAction(&byAction, "OpenSubPage(local_contact_x0)"));
    EXPECT_EQ(byAction.m_listData.size(), 2u);
    EXPECT_EQ(byAction.m_nTotalCount, 3);
    ContactGeneralItemListData untouched;
    EXPECT_FALSE(Model().GetContactListByClickAction(&untouched, "OpenSubPage(remote_phonebook_x0)"));
    EXPECT_FALSE(Model().GetContactListByClickAction(&untouched, ""));
    EXPECT_FALSE(Model().GetContactList(&untouched, "family"));
    EXPECT_FALSE(Model().GetContactListById(&untouched, 9));
    EXPECT_FALSE(Model().GetContactListById(&untouched, -1));
    EXPECT_TRUE(untouched.m_listData.empty());
}

// Pages of all contacts start from where the blacklisted contacts sit, which every kind of edit moves:
// after each edit, windows anywhere in the list must hold what a walk of the list finds.
TEST_F(ContactStoreTest, PagesOfAllContactsFollowEveryEditThatMovesTheBlacklist) {
    std::mt19937 random(7);
    const auto name = [&random] { return "p" + std::to_string(random() % 400); };
    const auto expectedWindow = [this](int nFrom, int nCount) {
        Strings listAll;
        for (const auto& pItem : Model().MyGetItemList()) {
            if (pItem->m_nGroupId != 1) {
                listAll.push_back(pItem->m_strDisplayName);
            }
        }
        const size_t nBegin = std::min(listAll.size(), static_cast<size_t>(nFrom));
        const size_t nEnd = std::min(listAll.size(), nBegin + static_cast<size_t>(nCount));
        return std::make_pair(Strings(listAll.begin() + nBegin, listAll.begin() + nEnd), listAll.size());
    };
    for (int nEdit = 0; nEdit < 600; ++nEdit) {
        switch (random() % 6) {
            case 0:
            case 1:
                Model().AddContact(Contact(name(), "All Contacts"));
                break;
            case 2:
                Model().AddBlackContact(Contact(name(), ""));
                break;
            case 3:
                Model().Local2Black(name());
                break;
            case 4:
                Model().Black2Local(name());
                break;
            default:
                Model().RemoveContact(name());
                break;
        }
        const int nTotal = static_cast<int>(Model().MyGetItemList().size());
        for (int nFrom : {0, static_cast<int>(random() % (nTotal + 2)), nTotal}) {
            ContactGeneralItemListData page;
            page.m_nIndexFrom = nFrom;
            page.m_nCountToGet = 1 + static_cast<int>(random() % 12);
            ASSERT_TRUE(Model().GetContactListById(&page, 0));
            const auto expected = expectedWindow(nFrom, page.m_nCountToGet);
            ASSERT_EQ(NamesOf(page), expected.first) << "edit " << nEdit << ", from " << nFrom;
            ASSERT_EQ(page.m_nTotalCount, static_cast<int>(expected.second)) << "edit " << nEdit;
        }
    }
    EXPECT_GT(Model().GetCurrentBlackCount(), 5);
    EXPECT_GT(Model().GetCurrentContactCount(), 100);
}

TEST_F(ContactStoreTest, MissingRingAndPhotoFilesAreReportedAsNoneAndDefault) {
    m_root.WriteFile("/config/data/ring/tone.wav", "RIFF");
    m_root.WriteFile("/config/data/photo/me.png", "PNG");
    ContactGeneralItemData present = Contact("Present", "Family");
    present.m_strRing = "/config/data/ring/tone.wav";
    present.m_strDefaultPhoto = "/config/data/photo/me.png";
    ContactGeneralItemData gone = Contact("Gone", "Family");
    gone.m_strRing = "/config/data/ring/deleted.wav";
    gone.m_strDefaultPhoto = "/config/data/photo/deleted.png";
    ASSERT_GE(Model().AddContact(present), 0);
    ASSERT_GE(Model().AddContact(gone), 0);
    ContactGeneralItemData out;
    ASSERT_TRUE(Model().GetContactData(&out, "present"));
    EXPECT_EQ(out.m_strRing, "/config/data/ring/tone.wav");
    EXPECT_EQ(out.m_strDefaultPhoto, "/config/data/photo/me.png");
    ASSERT_TRUE(Model().GetContactData(&out, "Gone"));
    EXPECT_EQ(out.m_strRing, "");
    EXPECT_EQ(out.m_strDefaultPhoto, CommonUnits_GetDefaultContactImage());
    EXPECT_FALSE(Model().GetContactData(&out, "nobody"));
}

}  // namespace
}  // namespace localtest
