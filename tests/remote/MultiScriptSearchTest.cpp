// Searching remote phonebooks whose names are in several scripts: narrowed answers agree with fresh
// searches for keys typed one character (or one byte) at a time, and the names of the real Cyrillic
// documents, served by the loopback server, are found by their keypad digits and by their letters.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CommonAPI.h"
#include "HostControl.h"
#include "RealDocs.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using Strings = std::vector<std::string>;

using remotetest::Names;
using MultiScriptSearchTest = remotetest::RemoteFixture;

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
    int nNarrowed = 0;
    int nMultiByteNarrowed = 0;
    TypeKeysAgainstFreshSearches(random, {std::begin(kTyped), std::end(kTyped)}, 150, 5, Url("mixed.xml"),
                                 &nNarrowed, &nMultiByteNarrowed);
    EXPECT_GT(nMultiByteNarrowed, 200) << "a letter of several bytes narrows like any other key stroke";
}

// The real Cyrillic phone book (menus of units) and directory, each a slot of its own.
class RealCyrillicPhonebookTest : public MultiScriptSearchTest {
protected:
    void SetUp() override {
        MultiScriptSearchTest::SetUp();
        if (!testsupport::ReadCyrillicBooks(&m_books)) {
            GTEST_SKIP() << "the real documents are not beside the project";
        }
        ASSERT_GT(m_books.vecEntries.size(), 40u);
        // Links in the real documents lead to a port where nothing listens; here they lead to our server.
        const std::string strOwnServer = m_server.Url("");
        m_server.Serve("/book.xml",
                       CommonAPI_TranslateString(m_books.strBook, "http://127.0.0.1:9", strOwnServer));
        m_server.Serve("/directory.xml",
                       CommonAPI_TranslateString(m_books.strDirectory, "http://127.0.0.1:9", strOwnServer));
        WriteSlots("", {{"Book", Url("book.xml")}, {"Directory", Url("directory.xml")}});
        StartModel();
    }

    Strings Found(const std::string& strKey) { return Names(Search(strKey, -1, true, 0, 100).m_listData); }

    testsupport::CyrillicBooks m_books;
};

TEST_F(RealCyrillicPhonebookTest, EveryNameIsFoundByItsKeypadDigitsAndByItsFirstWordInEitherCase) {
    ASSERT_EQ(RemoteModelPeer::UnitCount(), static_cast<int>(m_books.vecEntries.size()));
    Strings vecNames;
    for (const auto& entry : m_books.vecEntries) {
        vecNames.push_back(entry.strName);
    }
    testsupport::ExpectFoundByDigitsAndFirstWord(vecNames,
                                                 [this](const std::string& strKey) { return Found(strKey); });
}

TEST_F(RealCyrillicPhonebookTest, KeysFindExactlyTheNamesThatHoldThem) {
    testsupport::ExpectCyrillicKeysFindTheirNames(
        [this](const std::string& strKey) { return Found(strKey); });
}

}  // namespace
