// The number index behind caller matching: on its own against a brute-force table through adds, removals
// and rehashes, and inside the model, where after every kind of change the lookup must give what a walk of
// the list gives (first contact in name order, exact equality over the three numbers).

#include <map>
#include <memory>
#include <random>
#include <set>

#include "ContactNumberIndex.h"
#include "LocalModelFixture.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactNumberIndex;
using Item = CContactGeneralModel::ItemData;

std::set<const Item*> FoundBy(const CContactNumberIndex& index, const std::string& strNumber) {
    std::set<const Item*> setFound;
    CContactNumberIndex::Matches matches = index.Find(strNumber);
    for (Item* pItem = nullptr; matches.Next(&pItem);) {
        setFound.insert(pItem);
    }
    return setFound;
}

TEST(ContactNumberIndexTest, FindsEveryCarrierOfANumberThroughAddsRemovalsAndRehashes) {
    std::mt19937 random(7);
    // Few distinct numbers, so many contacts share each; some contacts carry one number twice.
    const auto number = [&random]() -> std::string {
        const unsigned nPick = random() % 60;
        return nPick < 10 ? std::string() : "0301" + std::to_string(nPick);
    };
    std::vector<std::unique_ptr<Item>> listLive;
    CContactNumberIndex index;
    for (int nStep = 0; nStep < 6000; ++nStep) {
        if (listLive.empty() || random() % 3 != 0) {
            auto pItem = std::make_unique<Item>();
            pItem->m_strMobileNumber = number();
            pItem->m_strOfficeNumber = random() % 5 == 0 ? pItem->m_strMobileNumber : number();
            pItem->m_strOtherNumber = number();
            index.Add(*pItem);
            listLive.push_back(std::move(pItem));
        } else {
            const size_t nVictim = random() % listLive.size();
            index.Remove(*listLive[nVictim]);
            listLive.erase(listLive.begin() + static_cast<std::ptrdiff_t>(nVictim));
        }
        if (nStep % 500 != 499) {
            continue;
        }
        for (unsigned nPick = 0; nPick < 61; ++nPick) {
            const std::string strNumber = "0301" + std::to_string(nPick);
            std::set<const Item*> setExpected;
            for (const auto& pItem : listLive) {
                for (const std::string* pField :
                     {&pItem->m_strMobileNumber, &pItem->m_strOfficeNumber, &pItem->m_strOtherNumber}) {
                    if (*pField == strNumber) {
                        setExpected.insert(pItem.get());
                    }
                }
            }
            ASSERT_EQ(FoundBy(index, strNumber), setExpected) << strNumber << " at step " << nStep;
        }
        EXPECT_TRUE(FoundBy(index, "").empty());
    }
    EXPECT_TRUE(index.IsUsable());
    index.Clear();
    EXPECT_TRUE(FoundBy(index, "03011").empty());
    EXPECT_EQ(index.GetHeldBytes(), 0u);
}

TEST(ContactNumberIndexTest, HoldsAboutFourBytesPerNumberAndAPointerPerContact) {
    std::vector<std::unique_ptr<Item>> listItems;
    CContactNumberIndex index;
    for (int nIndex = 0; nIndex < 10000; ++nIndex) {
        auto pItem = std::make_unique<Item>();
        pItem->m_strMobileNumber = "0176" + std::to_string(nIndex);
        pItem->m_strOfficeNumber = "030" + std::to_string(nIndex);
        pItem->m_strOtherNumber = "040" + std::to_string(nIndex);
        index.Add(*pItem);
        listItems.push_back(std::move(pItem));
    }
    // Table at most 0.8 and at least about 0.55 full, and the side and free-id tables.
    EXPECT_LE(index.GetHeldBytes(), 30000 * 4 / 0.5 + 10000 * 8 * 1.3 + 10000 * 4 * 1.3);
    for (int nIndex = 0; nIndex < 10000; nIndex += 997) {
        EXPECT_EQ(FoundBy(index, "030" + std::to_string(nIndex)),
                  std::set<const Item*>{listItems[static_cast<size_t>(nIndex)].get()});
    }
}

// Contacts share numbers across groups and the blacklist, so the first in name order matters.
class NumberIndexModelTest : public LocalModelFixture {
protected:
    void SetUp() override {
        std::string strElements;
        for (int nIndex = 0; nIndex < 60; ++nIndex) {
            const std::string strName =
                std::string(1, static_cast<char>('A' + nIndex % 26)) + "name" + std::to_string(nIndex);
            strElements +=
                ContactElement(strName, nIndex % 7 == 0 ? 1 : 2 + nIndex % 3,
                               "mobile_number=\"" + Pool(nIndex) + "\" office_number=\"" + Pool(nIndex * 7) +
                                   "\" other_number=\"" + Pool(nIndex * 3) + "\"");
        }
        m_root.WriteFile(kGroupFile, GroupFileXml(GroupElement(0, "All Contacts") + GroupElement(2, "Two") +
                                                  GroupElement(3, "Three") + GroupElement(4, "Four") +
                                                  GroupElement(1, "Blacklist")));
        m_root.WriteFile(kContactFile, ContactFileXml(strElements));
        ASSERT_EQ(Model().MyGetContactCountByGroupId(0), 60);
        DropRecords();
    }

    // Numbers drawn from a small pool (some empty), so several contacts carry each.
    static std::string Pool(int nIndex) {
        return nIndex % 11 == 0 ? std::string() : "0" + std::to_string(nIndex % 23);
    }

    // The lookup and the blacklist test agree with a walk of the list for every number of the pool.
    void ExpectIndexAgreesWithWalk(const std::string& strAfter) {
        for (int nIndex = 0; nIndex < 30; ++nIndex) {
            const std::string strNumber = "0" + std::to_string(nIndex);
            const Item* pWalked = nullptr;
            bool bBlack = false;
            for (const auto& pItem : ContactGeneralModelTestPeer::Items(Model())) {
                const bool bCarries = pItem->m_strMobileNumber == strNumber ||
                                      pItem->m_strOfficeNumber == strNumber ||
                                      pItem->m_strOtherNumber == strNumber;
                if (bCarries && pWalked == nullptr) {
                    pWalked = pItem.get();
                }
                bBlack = bBlack || (bCarries && pItem->m_nGroupId == NS_DIRECTORY::kBlacklistGroupId);
            }
            EXPECT_EQ(Model().MyFindContactByNumber(strNumber, ""), pWalked)
                << strNumber << " after " << strAfter;
            EXPECT_EQ(Model().IsBlackContactNumber(strNumber.c_str()), bBlack)
                << strNumber << " after " << strAfter;
        }
    }
};

TEST_F(NumberIndexModelTest, AgreesWithTheWalkAfterEveryKindOfEdit) {
    ExpectIndexAgreesWithWalk("the load");
    CContactGeneralModel& m = Model();
    std::list<std::string> listSome = Names({"Bname1", "Dname3", "Hname7", "Zname25"});
    const std::vector<std::pair<const char*, std::function<void()>>> kEdits = {
        {"add", [&] { ASSERT_GE(m.AddContact(Contact("aaron", "Two", "05", "01", "05")), 0); }},
        {"add to the blacklist", [&] { ASSERT_GE(m.AddBlackContact(Contact("Abe", "", "", "", "019")), 0); }},
        {"numbers changed in place",
         [&] { ASSERT_GE(m.UpdateContactData("Cname2", Contact("Cname2", "Three", "01", "", "0999")), 0); }},
        {"letter case only",
         [&] { ASSERT_GE(m.UpdateContactData("cname2", Contact("CNAME2", "Four", "02")), 0); }},
        {"renamed to the front",
         [&] { ASSERT_GE(m.UpdateContactData("Ename4", Contact("Aaa", "Two", "03", "04", "05")), 0); }},
        {"renamed into the blacklist",
         [&] { ASSERT_GE(m.UpdateContactData("Fname5", Contact("Zz", "Blacklist", "06")), 0); }},
        {"removed", [&] { ASSERT_TRUE(m.RemoveContact("Aaa")); }},
        {"list removed", [&] { ASSERT_TRUE(m.RemoveContactList(listSome)); }},
        {"local to black", [&] { ASSERT_TRUE(m.Local2Black("Gname6")); }},
        {"black to local", [&] { ASSERT_TRUE(m.Black2Local("Gname6")); }},
        {"moved", [&] { ASSERT_TRUE(m.SetContactGroupId("Iname8", 1)); }},
        {"favourites",
         [&] {
             std::list<std::string> l = Names({"Jname9"});
             ASSERT_TRUE(m.ToFavorateList(l));
         }},
        {"group removed", [&] { ASSERT_TRUE(m.RemoveGroup("Three")); }},
        {"group emptied", [&] { ASSERT_TRUE(m.RemoveAllContactsByClickAction("local_contact_x4")); }},
        {"reloaded from the file", [&] { ASSERT_TRUE(m.ReloadContactXml()); }},
        {"all removed", [&] { ASSERT_TRUE(m.RemoveAllContactsByClickAction("local_contact_x0")); }},
        {"added after the clear", [&] { ASSERT_GE(m.AddContact(Contact("Yan", "Two", "07", "07")), 0); }},
    };
    for (const auto& edit : kEdits) {
        edit.second();
        ExpectIndexAgreesWithWalk(edit.first);
    }
}

TEST_F(NumberIndexModelTest, AgreesWithTheWalkAfterImportsAndABackgroundReload) {
    ASSERT_EQ(Model().ExportContactAndGroup(""), true);
    ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(nullptr, false, false, false), 0);
    ExpectIndexAgreesWithWalk("an import that replaces the book");
    ASSERT_TRUE(Model().RemoveContact("Aname0"));
    ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(nullptr, true, true, false), 0);
    ExpectIndexAgreesWithWalk("an import that adds to the book");
    // A provisioned file may hold names equal but for case; the earlier one in the file sorts first.
    m_root.WriteFile(kContactFile,
                     ContactFileXml(ContactElement("anna", 2, "mobile_number=\"01\"") +
                                    ContactElement("Anna", 1, "office_number=\"01\" mobile_number=\"02\"") +
                                    ContactElement("Bert", 1, "other_number=\"02\"") +
                                    ContactElement("Al", 3, "other_number=\"03\"")));
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_EQ(AllNames(), (Strings{"Al", "anna", "Anna", "Bert"}));
    ExpectIndexAgreesWithWalk("a background reload");
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("01"), "anna");
    EXPECT_EQ(Model().GetContactNameByPhoneNumber("02"), "Anna");
    ASSERT_TRUE(Model().RemoveContact("anna"));
    ExpectIndexAgreesWithWalk("removing one of two names equal but for case");
}

}  // namespace
}  // namespace localtest
