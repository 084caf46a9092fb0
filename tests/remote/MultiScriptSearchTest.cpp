// Searching remote phonebooks whose names are in several scripts: narrowed answers agree with fresh
// searches for keys typed one character (or one byte) at a time, and the names of the real Cyrillic
// documents, served by the loopback server, are found by their keypad digits and by their letters.

#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactRemoteSearchHelper.h"
#include "HostControl.h"
#include "RealDocs.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::Contains;
using ::testing::UnorderedElementsAreArray;
using Strings = std::vector<std::string>;

RemoteSearchListData Request(const std::string& strKey, int nFrom, int nCount) {
    RemoteSearchListData data;
    data.m_strKey = strKey;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    return data;
}

Strings Described(const RemoteSearchListData& data) {
    Strings vecItems;
    for (const RemoteSearchItemData& item : data.m_listData) {
        vecItems.push_back(item.m_strName + "/" + std::to_string(item.m_vecNumber.size()));
    }
    return vecItems;
}

Strings Names(const RemoteSearchListData& data) {
    Strings vecNames;
    for (const RemoteSearchItemData& item : data.m_listData) {
        vecNames.push_back(item.m_strName);
    }
    return vecNames;
}

bool SearchedAfresh() {
    const Strings vecLines = HostControl::TakeLogLines();
    return std::count(vecLines.begin(), vecLines.end(),
                      "CContactRemoteSearchHelper::MyReSearchLocal begin\n") > 0;
}

class MultiScriptSearchTest : public remotetest::RemoteFixture {
protected:
    RemoteSearchListData Search(const std::string& strKey, int nSlot, bool bAll, int nFrom = 0,
                                int nCount = 100) {
        RemoteSearchListData data = Request(strKey, nFrom, nCount);
        EXPECT_TRUE(Model()->Search(&data, nSlot, bAll)) << strKey;
        return data;
    }
};

TEST_F(MultiScriptSearchTest, NarrowedAnswersEqualFreshSearchesForKeysInEveryScript) {
    const char* const kPieces[] = {"Ан", "на", "Ив", "ов", "Ёл", "ка", "Σο", "φί", "ας", "Mü",
                                   "ll", "er", "Łó", "dź", "ße", "an", "Ka", "ri", " ",  "Ωμ"};
    std::mt19937 random(20261208);
    std::vector<testsupport::RemoteEntry> vecEntries;
    for (int i = 0; i < 300; ++i) {
        std::string strName;
        for (int n = 2 + static_cast<int>(random() % 4); n > 0; --n) {
            strName += kPieces[random() % std::size(kPieces)];
        }
        vecEntries.push_back({strName + " " + std::to_string(i), {std::to_string(random() % 100000)}});
    }
    m_server.Serve("/mixed.xml", testsupport::BuildRemoteDirectory("Mixed", vecEntries));
    m_server.Serve("/few.xml",
                   testsupport::BuildRemoteDirectory("Few", {vecEntries.begin(), vecEntries.begin() + 40}));
    WriteSlots("", {{"Mixed", Url("mixed.xml")}, {"Few", Url("few.xml")}});
    StartModel();
    HostControl::TakeLogLines();

    const char* const kTyped[] = {"а", "н", "и", "В", "о", "ё", "е", "Е", "Н", "σ", "ο", "φ", "ι", "ς",
                                  "Σ", "ü", "u", "l", "ł", "ß", "s", "a", "K", " ", "2", "4", "6", "\xD0"};
    CContactRemoteSearchHelper fresh(Model());
    int nMultiByteNarrowed = 0;
    for (int nRound = 0; nRound < 150; ++nRound) {
        const bool bAll = nRound % 3 != 0;
        std::string strKey;
        for (int nLength = 0; nLength < 5; ++nLength) {
            const std::string strChar = kTyped[random() % std::size(kTyped)];
            strKey += strChar;
            RemoteSearchListData expected =
                Request(strKey, static_cast<int>(random() % 5), 1 + static_cast<int>(random() % 30));
            const RemoteSearchListData typed =
                Search(strKey, 0, bAll, expected.m_nIndexFrom, expected.m_nCountToGet);
            nMultiByteNarrowed += nLength > 0 && strChar.size() > 1 && !SearchedAfresh() ? 1 : 0;
            fresh.ResetKey();
            ASSERT_TRUE(fresh.SearchLocal(&expected, bAll ? REMOTE_ROOT_KEY : Url("mixed.xml"))) << strKey;
            HostControl::TakeLogLines();
            ASSERT_EQ(typed.m_nTotalCount, expected.m_nTotalCount) << strKey;
            ASSERT_EQ(Described(typed), Described(expected)) << strKey;
        }
    }
    EXPECT_GT(nMultiByteNarrowed, 200) << "a letter of several bytes narrows like any other key stroke";
}

// The real Cyrillic phone book (menus of units) and directory, each a slot of its own.
class RealCyrillicPhonebookTest : public MultiScriptSearchTest {
protected:
    void SetUp() override {
        MultiScriptSearchTest::SetUp();
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
        // Links in the real documents lead to a port where nothing listens; here they lead to our server.
        const std::string strOwnServer = m_server.Url("");
        m_server.Serve("/book.xml", CommonAPI_TranslateString(strBook, "http://127.0.0.1:9", strOwnServer));
        m_server.Serve("/directory.xml",
                       CommonAPI_TranslateString(strDirectory, "http://127.0.0.1:9", strOwnServer));
        WriteSlots("", {{"Book", Url("book.xml")}, {"Directory", Url("directory.xml")}});
        StartModel();
    }

    Strings Found(const std::string& strKey) { return Names(Search(strKey, -1, true)); }

    std::vector<testsupport::PhoneBookEntry> m_vecEntries;
};

TEST_F(RealCyrillicPhonebookTest, EveryNameIsFoundByItsKeypadDigitsAndByItsFirstWordInEitherCase) {
    ASSERT_EQ(RemoteModelPeer::UnitCount(), static_cast<int>(m_vecEntries.size()));
    for (const auto& entry : m_vecEntries) {
        const std::string strDigits = CommonUnits_ToKeyString(entry.strName);
        ASSERT_GE(strDigits.size(), 3u) << entry.strName;
        EXPECT_THAT(Found(strDigits), Contains(entry.strName)) << strDigits;
        const std::string strWord = entry.strName.substr(0, entry.strName.find(' '));
        for (const bool bCapital : {true, false}) {
            EXPECT_THAT(Found(testsupport::ChangeCase(strWord, bCapital)), Contains(entry.strName))
                << entry.strName;
        }
    }
}

TEST_F(RealCyrillicPhonebookTest, KeysFindExactlyTheNamesThatHoldThem) {
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
