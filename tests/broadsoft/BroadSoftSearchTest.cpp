// Local search as the user types, the combined order, caller lookup and copies into the local phone book,
// over directories downloaded from the mock Xsi server.

#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBSTSearchHelper.h"
#include "ContactGeneralModel.h"
#include "DirectoryEntry.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::XsiDirectory;
using testsupport::XsiMember;
using testsupport::XsiNamedEntry;

struct Answer {
    bool bResult = false;
    std::vector<std::string> vecNames;
    int nTotal = -1;

    bool operator==(const Answer& other) const {
        return bResult == other.bResult && vecNames == other.vecNames && nTotal == other.nTotal;
    }
};

std::ostream& operator<<(std::ostream& out, const Answer& answer) {
    out << answer.bResult << ":";
    for (const std::string& strName : answer.vecNames) {
        out << strName << "|";
    }
    return out << answer.nTotal;
}

template <class Searcher>
Answer Ask(Searcher search, int nFrom = 0, int nCount = 100) {
    ContactBroadSoftListData page;
    page.m_nIndexFrom = nFrom;
    page.m_nCountToGet = nCount;
    Answer answer;
    answer.bResult = search(&page);
    answer.nTotal = page.m_nTotalCount;
    for (const ContactBroadSoftItemData& item : page.m_listData) {
        answer.vecNames.push_back(item.m_strName);
    }
    return answer;
}

class BroadSoftSearchTest : public bsfttest::BroadSoftFixture {
protected:
    Answer Search(const std::string& strUrl, const std::string& strKey, int nFrom = 0, int nCount = 100) {
        return Ask([&](ContactBroadSoftListData* pPage) { return Model()->Search(pPage, strUrl, strKey); },
                   nFrom, nCount);
    }
    std::vector<std::string> Names(const Answer& answer) const { return answer.vecNames; }
};

TEST_F(BroadSoftSearchTest, NarrowedAndRepeatedSearchesEqualFreshSearchesForRandomKeys) {
    Configure({"BsftGroup", "BsftGroupCommon", "BsftPersonal"});
    std::mt19937 random(20240611);
    const char* const kSyllables[] = {"an", "Be", "ri", "so", "Lu", "ne", "ta", "Mar", "el", "Øs", "ün"};
    auto word = [&] {
        std::string strWord;
        for (int i = 1 + static_cast<int>(random() % 3); i > 0; --i) {
            strWord += kSyllables[random() % (sizeof(kSyllables) / sizeof(kSyllables[0]))];
        }
        return strWord;
    };
    auto digits = [&](int nCount) {
        std::string strDigits;
        for (int i = 0; i < nCount; ++i) {
            strDigits += static_cast<char>('0' + random() % 10);
        }
        return strDigits;
    };
    std::vector<testsupport::XsiEntry> vecGroup;
    for (int i = 0; i < 160; ++i) {
        vecGroup.push_back(XsiMember(word(), word(), "+49" + digits(6), digits(3), i % 3 ? "" : digits(7)));
    }
    std::vector<testsupport::XsiEntry> vecPersonal;
    std::vector<testsupport::XsiEntry> vecCommon;
    for (int i = 0; i < 40; ++i) {
        vecPersonal.push_back(XsiNamedEntry(word() + " " + word(), "+" + digits(5)));
        vecCommon.push_back(XsiNamedEntry(word(), digits(4)));
    }
    m_xsi.SetEntries(XsiDirectory::Group, vecGroup);
    m_xsi.SetEntries(XsiDirectory::Personal, vecPersonal);
    m_xsi.SetEntries(XsiDirectory::GroupCommon, vecCommon);
    CContactBroadSoftModel* pModel = StartModel();

    const std::vector<std::string> vecUrls = {ModelUrl("Group"), ModelUrl("Personal"),
                                              ModelUrl("GroupCommon"), BSFT_ALL_CONTACT};
    const std::string kKeyBytes = "anEbrisoLuMt0123456789+";
    const std::vector<std::string> vecLetters = {"ø", "Ü", "ü"};
    int nFound = 0;
    for (int nRound = 0; nRound < 150; ++nRound) {
        const std::string& strUrl = vecUrls[random() % vecUrls.size()];
        std::string strKey;
        for (int nLength = 1 + static_cast<int>(random() % 5); nLength > 0; --nLength) {
            strKey += random() % 8 == 0 ? vecLetters[random() % vecLetters.size()]
                                        : std::string(1, kKeyBytes[random() % kKeyBytes.size()]);
            const int nFrom = static_cast<int>(random() % 4);
            const int nCount = 1 + static_cast<int>(random() % 12);
            for (const std::string& strAsked :
                 {strKey, CommonAPI_StringConvert(strKey, STRING_CONVERT_TO_UPPER)}) {
                const Answer incremental = Search(strUrl, strAsked, nFrom, nCount);
                CContactBSTSearchHelper fresh(pModel);
                const Answer expected = Ask(
                    [&](ContactBroadSoftListData* pPage) {
                        return fresh.Search(pPage, strUrl, strAsked, false);
                    },
                    nFrom, nCount);
                ASSERT_EQ(incremental, expected) << strUrl << " key " << strAsked;
                nFound += expected.nTotal > 0 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(nFound, 200) << "the keys find something";
}

TEST_F(BroadSoftSearchTest, GrownAndRepeatedKeysAreAnsweredFromMemoryUntilAListChanges) {
    Configure({"BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("Anna", "1"), XsiNamedEntry("Annette", "2"),
                                              XsiNamedEntry("Bob", "3"), XsiNamedEntry("hannah", "4")});
    CContactBroadSoftModel* pModel = StartModel();
    const std::string strUrl = ModelUrl("Personal");
    EXPECT_THAT(Names(Search(strUrl, "An")), ElementsAre("Anna", "Annette", "hannah"));
    BroadSoftModelPeer::PlantSearchResult("Planted Anne");
    EXPECT_THAT(Names(Search(strUrl, "an")), ElementsAre("Planted Anne", "Anna", "Annette", "hannah"))
        << "the same key in lower case only copies a page";
    EXPECT_THAT(Names(Search(strUrl, "aNN", 1, 2)), ElementsAre("Anna", "Annette"));
    EXPECT_EQ(Search(strUrl, "ann").nTotal, 4) << "a grown key narrows the memory";
    EXPECT_THAT(Names(Search(strUrl, "anne")), ElementsAre("Planted Anne", "Annette"));
    EXPECT_THAT(Names(Search(strUrl, "an")), ElementsAre("Anna", "Annette", "hannah"))
        << "a shorter key walks the directory again";

    BroadSoftModelPeer::PlantSearchResult("Planted Ann");
    ContactBroadSoftPersonal banana = bsfttest::Personal("Banana", "9");
    ASSERT_TRUE(pModel->AddContact2Personal(&banana));
    EXPECT_THAT(Names(Search(strUrl, "an")), ElementsAre("Anna", "Annette", "Banana", "hannah"))
        << "a changed list is searched afresh";
    BroadSoftModelPeer::PlantSearchResult("Planted Ann");
    ContactBroadSoftPersonal joanna = bsfttest::Personal("Joanna", "8");
    ASSERT_TRUE(pModel->AddContact2Personal(&joanna));
    EXPECT_THAT(Names(Search(strUrl, "ann")), ElementsAre("Anna", "Annette", "hannah", "Joanna"))
        << "no narrowing of memory taken before the list changed";
    WaitIdle();

    ContactBroadSoftListData page;
    page.m_listData.emplace_back();
    page.m_nTotalCount = 77;
    EXPECT_TRUE(pModel->Search(&page, strUrl, ""));
    EXPECT_EQ(page.m_listData.size(), 1u);
    EXPECT_EQ(page.m_nTotalCount, 77) << "an empty key leaves the page alone";
    EXPECT_FALSE(pModel->Search(&page, "", "an"));
    EXPECT_FALSE(Search(strUrl, "an", -1, 5).bResult);
    EXPECT_EQ(Search(ModelUrl("Missing"), "an").vecNames, std::vector<std::string>{});

    const Answer local = Ask([&](ContactBroadSoftListData* pPage) {
        return pModel->SearchLocal(pPage, "broadsoft_phonebook_x1", "NAH");
    });
    EXPECT_THAT(local.vecNames, ElementsAre("hannah"));
    EXPECT_EQ(BroadSoftModelPeer::CurUrl(), strUrl);
    EXPECT_FALSE(Ask([&](ContactBroadSoftListData* pPage) {
                     return pModel->SearchLocal(pPage, "broadsoft_phonebook_x9", "a");
                 }).bResult);
}

TEST_F(BroadSoftSearchTest, DigitKeysFindNumbersExtensionsMobilesAndKeypadNames) {
    Configure({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group, {XsiMember("Ana", "Silva", "+4930555", "1234", "0170999"),
                                           XsiMember("Bo", "Ek", "2222", "77")});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("Cy", "+351 21")});
    StartModel();
    const std::string strGroup = ModelUrl("Group");
    const std::pair<const char*, std::vector<std::string>> kCases[] = {
        {"4930", {"Ana,Silva"}}, {"+4930", {"Ana,Silva"}}, {"1234", {"Ana,Silva"}},
        {"0170", {"Ana,Silva"}}, {"262", {"Ana,Silva"}},   {"74582", {"Ana,Silva"}},
        {"22", {"Bo,Ek"}},       {"77", {"Bo,Ek"}},        {"9999", {}},
    };
    for (const auto& [pKey, vecExpected] : kCases) {
        EXPECT_EQ(Names(Search(strGroup, pKey)), vecExpected) << pKey;
    }
    EXPECT_THAT(Names(Search(BSFT_ALL_CONTACT, "+351")), ElementsAre("Cy"));
    EXPECT_THAT(Names(Search(BSFT_ALL_CONTACT, "35121")), IsEmpty()) << "numbers are matched as written";
}

TEST_F(BroadSoftSearchTest, SearchWaitsForTheModelToStart) {
    Configure({"BsftPersonal"});
    m_xsi.SetPassword("other");
    CContactBroadSoftModel* pModel = StartModel();
    ContactBroadSoftListData page;
    EXPECT_FALSE(pModel->Search(&page, ModelUrl("Personal"), "a")) << "the probe failed: no search engine";
}

TEST_F(BroadSoftSearchTest, CombinedOrderAndCallerLookupWithoutRebuilding) {
    Configure({"BsftGroup", "BsftGroupCommon", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group,
                     {XsiMember("Zed", "Alpha", "200", "201", "202"), XsiMember("b", "BO", "300", "100")});
    m_xsi.SetEntries(XsiDirectory::GroupCommon, {XsiNamedEntry("Bob", "200")});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("bob", "400"), XsiNamedEntry("Carl", "100")});
    CContactBroadSoftModel* pModel = StartModel();
    int nResult = -1;
    EXPECT_EQ(Page(pModel, "broadsoft_phonebook_x0", &nResult), "Zed,Alpha|b,BO|Bob|bob|Carl/5")
        << "keys equal but for case keep the table order";

    const std::pair<const char*, const char*> kLookups[] = {
        {"100", "Carl"},       // a Group extension and a Personal number: Personal wins
        {"200", "Bob"},        // a Group number and a Common number: the last in combined order
        {"202", "Zed,Alpha"},  // a mobile
        {"300", "b,BO"},      {"400", "bob"}, {"555", ""}, {"", ""},
    };
    for (const auto& [pNumber, pName] : kLookups) {
        EXPECT_EQ(pModel->GetContactNameByNumber(pNumber), pName) << pNumber;
    }
    EXPECT_EQ(Directory_GetBstContactNameByNumber("100"), "Carl");
    const void* pStorage = BroadSoftModelPeer::CombinedStorage();
    ASSERT_NE(pStorage, nullptr);
    EXPECT_EQ(pModel->GetContactNameByNumber("200"), "Bob");
    EXPECT_EQ(BroadSoftModelPeer::CombinedStorage(), pStorage) << "nothing changed: no rebuild";

    ContactBroadSoftPersonal dan = bsfttest::Personal("Dan", "200");
    ASSERT_TRUE(pModel->AddContact2Personal(&dan));
    EXPECT_EQ(pModel->GetContactNameByNumber("200"), "Dan");
    EXPECT_NE(BroadSoftModelPeer::CombinedStorage(), pStorage) << "a changed list is merged again";
    WaitIdle();

    pModel->CallOut("200", "Dan");
    const std::vector<HostControl::CallOutRecord> vecCalls = HostControl::TakeCallOuts();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_EQ(vecCalls[0].strNumber + "/" + vecCalls[0].strName + "/" + std::to_string(vecCalls[0].nAccount),
              "200/Dan/-1");
}

// Caller lookup reads a number index of the combined list; the index follows every change of the lists: a
// refresh with other entries, a Personal add and a Personal delete.
TEST_F(BroadSoftSearchTest, CallerLookupFollowsEveryChangeOfTheLists) {
    Configure({"BsftGroup", "BsftPersonal"});
    m_xsi.SetEntries(XsiDirectory::Group,
                     {XsiMember("Ann", "A", "100", "101", "102"), XsiMember("Bea", "B", "200", "100")});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("carl", "300")});
    CContactBroadSoftModel* pModel = StartModel();
    const auto answers = [pModel] {
        std::string strAnswers;
        for (const char* pNumber : {"100", "101", "102", "200", "300", "400", "10"}) {
            strAnswers += pModel->GetContactNameByNumber(pNumber) + "|";
        }
        return strAnswers;
    };
    EXPECT_EQ(answers(), "Bea,B|Ann,A|Ann,A|Bea,B|carl|||");

    m_xsi.SetEntries(XsiDirectory::Group,
                     {XsiMember("Ann", "A", "400", "101"), XsiMember("Dan", "D", "100", "")});
    ASSERT_TRUE(pModel->Update());
    WaitIdle();
    EXPECT_EQ(answers(), "Dan,D|Ann,A|||carl|Ann,A||") << "after a refresh";

    ContactBroadSoftPersonal eve = bsfttest::Personal("eve", "101");
    ASSERT_TRUE(pModel->AddContact2Personal(&eve));
    EXPECT_EQ(answers(), "Dan,D|eve|||carl|Ann,A||") << "after a Personal add";
    WaitIdle();
    ASSERT_TRUE(pModel->DeleteContactsInPersonal({"carl"}, "broadsoft_phonebook_x2"));
    EXPECT_EQ(answers(), "Dan,D|eve||||Ann,A||") << "after a Personal delete";
    WaitIdle();
}

TEST_F(BroadSoftSearchTest, CopiesIntoTheLocalBookAndItsBlacklist) {
    Configure({"BsftGroup", "BsftEnterprise", "BsftGroupCommon", "BsftPersonal", "BsftCustom"});
    configParser_SetConfigString("BsftCustomListUse", "S");
    configParser_SetConfigString("BsftCustomListAll", "S");
    m_xsi.SetEntries(XsiDirectory::Group, {XsiMember("Ana", "Silva", "100", "10", "0170"),
                                           XsiMember("Bea", "Costa", "101", "11", "0171")});
    m_xsi.SetEntries(XsiDirectory::Enterprise, {XsiMember("Eve", "Owl", "200", "20", "0172")});
    m_xsi.SetEntries(XsiDirectory::GroupCommon, {XsiNamedEntry("Lobby", "300")});
    m_xsi.SetEntries(XsiDirectory::Personal, {XsiNamedEntry("Pat", "400"), XsiNamedEntry("Quinn", "401")});
    m_xsi.SetCustomDirectory("S", {testsupport::XsiCustomContact("Cus", "Tom", "500")});
    CContactBroadSoftModel* pModel = StartModel();
    CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    ASSERT_NE(pLocal, nullptr);
    auto local = [pLocal](const std::string& strName) {
        ContactGeneralItemData data;
        if (!pLocal->GetContactData(&data, strName)) {
            return std::string("-");
        }
        return data.m_strOfficeNumber + "/" + data.m_strMobileNumber + "/" +
               std::to_string(pLocal->GetContactGroupId(strName));
    };
    struct Copy {
        const char* pAction;
        const char* pShownName;
        bool bBlack;
        bool bCopied;
        const char* pLocalName;
        const char* pStored;  // office/mobile/group id
    };
    const Copy kCopies[] = {
        {"broadsoft_phonebook_x1", "Ana,Silva", false, true, "Silva,Ana", "0170/100/0"},
        {"broadsoft_phonebook_x1", "Bea,Costa", true, true, "Costa,Bea", "0171/101/1"},
        {"broadsoft_phonebook_x2", "Eve,Owl", true, false, "Owl,Eve", "-"},
        {"broadsoft_phonebook_x2", "Eve,Owl", false, true, "Owl,Eve", "0172/200/0"},
        {"broadsoft_phonebook_x3", "Lobby", true, false, "Lobby", "-"},
        {"broadsoft_phonebook_x3", "Lobby", false, true, "Lobby", "/300/0"},
        {"broadsoft_phonebook_x4", "Pat", false, true, "Pat", "/400/0"},
        {"broadsoft_phonebook_x0", "Quinn", true, true, "Quinn", "401//1"},
        {"broadsoft_phonebook_x5", "Cus,Tom", false, false, "Tom,Cus", "-"},
        {"broadsoft_phonebook_x5", "Cus,Tom", true, false, "Tom,Cus", "-"},
        {"broadsoft_phonebook_x4", "Nobody", false, false, "Nobody", "-"},
        {"broadsoft_phonebook_x4", "", true, false, "", "-"},
    };
    for (const Copy& copy : kCopies) {
        int nResult = -1;
        Page(pModel, copy.pAction, &nResult);
        ASSERT_EQ(nResult, BSFT_LIST_COPIED) << copy.pAction;
        const int nBlackBefore = pLocal->GetCurrentBlackCount();
        const int nCopied =
            copy.bBlack ? pModel->BroadSoft2Black(copy.pShownName) : pModel->BroadSoft2Local(copy.pShownName);
        if (copy.bCopied) {
            EXPECT_GE(nCopied, 0) << copy.pShownName;
        } else {
            EXPECT_EQ(nCopied, -1) << copy.pShownName;
            EXPECT_EQ(pLocal->GetCurrentBlackCount(), nBlackBefore);
        }
        EXPECT_EQ(local(copy.pLocalName), copy.pStored) << copy.pShownName << " black " << copy.bBlack;
    }
    int nResult = -1;
    Page(pModel, "broadsoft_phonebook_x5", &nResult);
    EXPECT_NE(pModel->GetBroadSoftContactByName("Cus,Tom"), nullptr);
    EXPECT_EQ(pModel->GetBroadSoftContactByName("Quinn"), nullptr) << "only the directory in view";
}

}  // namespace
