// Searching a local phone book whose names are in several scripts: narrowed answers agree with fresh
// scans for keys typed one character (or one byte) at a time, and the names of real Cyrillic phone
// books, imported as a contact file, are found by their keypad digits and by their letters in any case.

#include <memory>
#include <random>

#include <gmock/gmock.h>
#include <pugixml.hpp>

#include "CommonAPI.h"
#include "ContactGeneralSearchHelper.h"
#include "LocalModelFixture.h"
#include "RealDocs.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactGeneralSearchHelper;
using NS_DIRECTORY::CContactSearchSnapshot;
using NS_DIRECTORY::ContactGeneralSearchItemListData;
using ItemData = NS_DIRECTORY::CContactGeneralModel::ItemData;
using ::testing::Contains;
using ::testing::UnorderedElementsAreArray;

ContactGeneralSearchItemListData Request(int nFrom, int nCount) {
    ContactGeneralSearchItemListData data;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    return data;
}

// A snapshot that counts how many contacts a search read: none when it narrowed or paged from memory.
class ReadCountingSource : public NS_DIRECTORY::CContactSearchSource {
public:
    explicit ReadCountingSource(const CContactSearchSnapshot& inner) : m_inner(inner) {}
    size_t GetContactCount() const override { return m_inner.GetContactCount(); }
    const ItemData& GetContact(size_t nIndex) const override {
        ++m_nReads;
        return m_inner.GetContact(nIndex);
    }
    bool Convert(ContactGeneralItemData* pOut, const ItemData& item) const override {
        return m_inner.Convert(pOut, item);
    }

    mutable int m_nReads = 0;

private:
    const CContactSearchSnapshot& m_inner;
};

std::shared_ptr<CContactSearchSnapshot> MixedScriptBook(std::mt19937& random) {
    const char* const kPieces[] = {"Ан", "на", "Ив", "ов", "Ёл", "ка", "Σο", "φί", "ας", "Mü",
                                   "ll", "er", "Łó", "dź", "ße", "an", "Ka", "ri", " ",  "Ωμ"};
    std::vector<ItemData> listItem;
    for (int nIndex = 0; nIndex < 150; ++nIndex) {
        ItemData item;
        for (int nPart = 2 + static_cast<int>(random() % 4); nPart > 0; --nPart) {
            item.m_strDisplayName += kPieces[random() % std::size(kPieces)];
        }
        item.m_strDisplayName += " " + std::to_string(nIndex);
        item.m_nGroupId = static_cast<int>(random() % 4);
        item.m_strMobileNumber = std::to_string(random() % 100000);
        item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
        listItem.push_back(item);
    }
    return std::make_shared<CContactSearchSnapshot>(
        std::move(listItem),
        std::vector<std::pair<int, std::string>>{{0, "All Contacts"}, {1, "Blacklist"}, {2, "Work"}});
}

TEST(MultiScriptSearch, NarrowedAnswersEqualFreshScansForKeysInEveryScript) {
    // Whole characters as the keyboard gives them, and a lone lead byte now and then.
    const char* const kTyped[] = {"а", "н", "и", "В", "о", "ё", "е", "Е", "Н", "σ", "ο", "φ", "ι", "ς",
                                  "Σ", "ü", "u", "l", "ł", "ß", "s", "a", "K", " ", "2", "4", "6", "\xD0"};
    std::mt19937 random(20261207);
    int nMultiByteNarrowed = 0;
    for (int nBook = 0; nBook < 10; ++nBook) {
        const auto pBook = MixedScriptBook(random);
        ReadCountingSource source(*pBook);
        for (int nKey = 0; nKey < 30; ++nKey) {
            CContactGeneralSearchHelper incremental;
            const int nGroupId = static_cast<int>(random() % 3);
            std::string strKey;
            for (int nLength = 0; nLength < 6; ++nLength) {
                const std::string strChar = kTyped[random() % std::size(kTyped)];
                strKey += strChar;
                const int nFrom = static_cast<int>(random() % 3) * 5;
                ContactGeneralSearchItemListData narrowed = Request(nFrom, 5);
                ContactGeneralSearchItemListData fresh = Request(nFrom, 5);
                source.m_nReads = 0;
                const bool bNarrowed = incremental.Search(source, &narrowed, nGroupId, strKey, false);
                nMultiByteNarrowed += nLength > 0 && strChar.size() > 1 && source.m_nReads == 0 ? 1 : 0;
                CContactGeneralSearchHelper scanner;
                const bool bFresh = scanner.Search(*pBook, &fresh, nGroupId, strKey, false);
                ASSERT_EQ(bNarrowed, bFresh) << "key [" << strKey << "]";
                ASSERT_EQ(NamesOf(narrowed), NamesOf(fresh)) << "key [" << strKey << "]";
                ASSERT_EQ(narrowed.m_nTotalCount, fresh.m_nTotalCount) << "key [" << strKey << "]";
            }
        }
    }
    EXPECT_GT(nMultiByteNarrowed, 300) << "a letter of several bytes narrows like any other key stroke";
}

// The two real Cyrillic documents, turned into a contact file (each Menu a group) and imported.
class RealCyrillicBookTest : public LocalModelFixture {
protected:
    void SetUp() override {
        std::string strBook;
        std::string strDirectory;
        if (!testsupport::ReadRealDoc("phone-xml/book-cyrillic-crlf.xml", &strBook) ||
            !testsupport::ReadRealDoc("phone-xml/directory-cyrillic-crlf.xml", &strDirectory)) {
            GTEST_SKIP() << "the real documents are not beside the project";
        }
        m_vecEntries = testsupport::PhoneBookEntries(strBook);
        for (const auto& entry : testsupport::PhoneBookEntries(strDirectory)) {
            m_vecEntries.push_back(entry);
        }
        ASSERT_GT(m_vecEntries.size(), 40u);
        Model();
        m_root.WriteFile("/config/data/contact_xported.xml", ContactFile());
        ASSERT_EQ(NS_DIRECTORY::XPortFactory::ImportByPath(nullptr, false, false, false), 0);
        ASSERT_EQ(AllNames().size(), m_vecEntries.size());
    }

    std::string ContactFile() const {
        pugi::xml_document document;
        pugi::xml_node groups = document.append_child("root_group");
        pugi::xml_node contacts = document.append_child("root_contact");
        for (const auto& entry : m_vecEntries) {
            if (!entry.strGroup.empty()) {
                groups.append_child("group").append_attribute("display_name") = entry.strGroup.c_str();
            }
            pugi::xml_node contact = contacts.append_child("contact");
            contact.append_attribute("display_name") = entry.strName.c_str();
            contact.append_attribute("office_number") =
                entry.vecNumbers.empty() ? "" : entry.vecNumbers[0].c_str();
            contact.append_attribute("group_id_name") = entry.strGroup.c_str();
        }
        std::ostringstream out;
        document.save(out);
        return out.str();
    }

    Strings Found(const std::string& strKey) {
        ContactGeneralSearchItemListData data = Request(0, 100);
        EXPECT_TRUE(Model().Search(&data, "local_contact_x0", strKey)) << strKey;
        return NamesOf(data);
    }

    std::vector<testsupport::PhoneBookEntry> m_vecEntries;
};

TEST_F(RealCyrillicBookTest, EveryNameIsFoundByItsKeypadDigitsAndByItsFirstWordInEitherCase) {
    for (const std::string& strName : AllNames()) {
        const std::string strDigits = CommonUnits_ToKeyString(strName);
        ASSERT_GE(strDigits.size(), 3u) << strName;
        EXPECT_THAT(Found(strDigits), Contains(strName)) << strDigits;
        const std::string strWord = strName.substr(0, strName.find(' '));
        for (const bool bCapital : {true, false}) {
            EXPECT_THAT(Found(testsupport::ChangeCase(strWord, bCapital)), Contains(strName)) << strName;
        }
    }
}

TEST_F(RealCyrillicBookTest, KeysFindExactlyTheNamesThatHoldThem) {
    const std::pair<const char*, Strings> cases[] = {
        {"4225522", {"Иванова Л.А."}},  // и в а н о в а
        {"ИВАНОВА", {"Иванова Л.А."}},
        {"83622452", {"Щербаков Б.А."}},  // щ е р б а к о в
        {"кадр", {"Отдел кадров"}},
        {"ДИРЕКТОР", {"Директор", "Приемная директора"}},
        {"33366529", {"Дежурная ВВС"}},  // д е ж у р н а я
        {"отделением в", {"Заведующий отделением В", "Заведующий отделением ВП"}},
        {"1085637", {"Директор"}},
    };
    for (const auto& [pKey, names] : cases) {
        EXPECT_THAT(Found(pKey), UnorderedElementsAreArray(names)) << pKey;
    }
}

}  // namespace
}  // namespace localtest
