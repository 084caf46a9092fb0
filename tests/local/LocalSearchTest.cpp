// Type-ahead search: narrowing and paging against fresh scans, groups and the blacklist, the model's
// synchronous searches, and background searches answered through the receiver.

#include <cstdint>
#include <memory>
#include <random>

#include "ContactGeneralSearchHelper.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"
#include "LocalModelFixture.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactGeneralSearchHelper;
using NS_DIRECTORY::CLocalContactSearchAction;

class SearchHelperTest : public ::testing::Test {
protected:
    bool Run(const std::string& strKey, int nGroupId = 0, int nFrom = 0, int nCount = 20) {
        m_source.m_nReads = m_source.m_nConverts = 0;
        m_answer = Request(nFrom, nCount);
        return m_helper.Search(m_source, &m_answer, nGroupId, strKey, false);
    }

    CountingSource m_source{
        Snapshot({Item("Alma", 0, "0551"), Item("Ann", 2, "0556"), Item("Anna", 0, "0777"),
                  Item("Bert", 0, "0455", "0556"), Item("Cleo", 1, "0555"), Item("Jill", 2, "0123"),
                  Item("Kim", 0, "0789")})};
    CContactGeneralSearchHelper m_helper;
    ContactGeneralSearchItemListData m_answer;
};

TEST_F(SearchHelperTest, OnlyAKeyOneCharacterLongerNarrowsAndTheSameKeyOnlyPages) {
    ASSERT_TRUE(Run("5"));  // "Jill" and "Kim" match by their digit-key names (5455, 546)
    EXPECT_EQ(m_source.m_nReads, 7);
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Alma", "Ann", "Bert", "Jill", "Kim"}));
    ASSERT_TRUE(Run("55"));
    EXPECT_EQ(m_source.m_nReads, 0);
    EXPECT_EQ(m_source.m_nConverts, 4);
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Alma", "Ann", "Bert", "Jill"}));
    ASSERT_TRUE(Run("556"));
    EXPECT_EQ(m_source.m_nReads, 0);
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Ann", "Bert"}));
    ASSERT_TRUE(Run("556", 0, 1, 1));
    EXPECT_EQ(m_source.m_nReads, 0);
    EXPECT_EQ(m_source.m_nConverts, 1);
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Bert"}));
    EXPECT_EQ(m_answer.m_nTotalCount, 2);
    EXPECT_EQ(m_answer.m_strSearchKey, "556");
    // Another group, or a key that does not add one character, scans again.
    ASSERT_TRUE(Run("55", 2));
    EXPECT_EQ(m_source.m_nReads, 7);
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Ann", "Jill"}));
    ASSERT_TRUE(Run("556", 2));
    ASSERT_TRUE(Run("5", 2));
    EXPECT_EQ(m_source.m_nReads, 7);
    // Letter case does not matter, and asking again comes from memory.
    ASSERT_TRUE(Run("ANN"));
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Ann", "Anna"}));
    EXPECT_EQ(m_helper.GetSearchType(), CContactGeneralSearchHelper::SEARCH_TYPE_NAME);
    ASSERT_TRUE(Run("ANN"));
    EXPECT_EQ(m_source.m_nReads, 0);
    EXPECT_EQ(m_answer.m_strSearchKey, "ANN");
    EXPECT_EQ(m_helper.GetLastKey(), "ann");
}

TEST_F(SearchHelperTest, GroupsSplitTheBlacklistAndPagesPastTheMatchesAreRefused) {
    ASSERT_TRUE(Run("055", 0));
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Alma", "Ann", "Bert"}));
    ASSERT_TRUE(Run("055", 1));
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Cleo"}));
    ASSERT_TRUE(Run("055", 2));
    EXPECT_EQ(NamesOf(m_answer), (Strings{"Ann"}));
    EXPECT_FALSE(Run("anna", 0, 1));
    EXPECT_TRUE(Run("zzz", 0, 0));
    EXPECT_EQ(m_answer.m_nTotalCount, 0);
    EXPECT_FALSE(Run("zzz", 0, 1));
    EXPECT_FALSE(Run("5", -1));
    m_answer.m_nTotalCount = 42;
    m_answer.m_strSearchKey = "old";
    ASSERT_TRUE(m_helper.Search(m_source, &m_answer, 0, "", false));  // an empty key changes nothing
    EXPECT_EQ(m_answer.m_nTotalCount, 42);
    EXPECT_EQ(m_answer.m_strSearchKey, "old");
}

// Random books of 150 contacts, some in groups without a name, named from 2 to 5 of the pieces, and keys
// typed a stroke at a time into a helper of their own: every answer (success, page past the first too,
// total and key) equals a fresh scan of the same key. Counts the strokes of several bytes that narrowed
// without reading a contact.
void ExpectNarrowingEqualsFreshScans(std::uint32_t nSeed, const Strings& vecPieces, const Strings& vecStrokes,
                                     int nBooks, int nKeys, int* pMultiByteNarrowed) {
    std::mt19937 random(nSeed);
    for (int nBook = 0; nBook < nBooks; ++nBook) {
        std::vector<ItemData> listItem;
        for (int nIndex = 0; nIndex < 150; ++nIndex) {
            std::string strName;
            for (int nPart = 2 + static_cast<int>(random() % 4); nPart > 0; --nPart) {
                strName += vecPieces[random() % vecPieces.size()];
            }
            const int nGroup = static_cast<int>(random() % 4) + (random() % 10 == 0 ? 6 : 0);
            listItem.push_back(Item(strName + " " + std::to_string(nIndex), nGroup,
                                    std::to_string(random() % 100000), std::to_string(random() % 1000)));
        }
        const auto pBook = Snapshot(std::move(listItem));
        CountingSource source(pBook);
        for (int nKey = 0; nKey < nKeys; ++nKey) {
            CContactGeneralSearchHelper incremental;
            const int nGroupId = static_cast<int>(random() % 3);
            std::string strKey;
            for (int nLength = 0; nLength < 6; ++nLength) {
                const std::string& strStroke = vecStrokes[random() % vecStrokes.size()];
                strKey += strStroke;
                const int nFrom = static_cast<int>(random() % 3) * 5;
                ContactGeneralSearchItemListData narrowed = Request(nFrom, 5);
                ContactGeneralSearchItemListData fresh = Request(nFrom, 5);
                source.m_nReads = 0;
                const bool bNarrowed = incremental.Search(source, &narrowed, nGroupId, strKey, false);
                *pMultiByteNarrowed += nLength > 0 && strStroke.size() > 1 && source.m_nReads == 0 ? 1 : 0;
                CContactGeneralSearchHelper scanner;
                const bool bFresh = scanner.Search(*pBook, &fresh, nGroupId, strKey, false);
                ASSERT_EQ(bNarrowed, bFresh) << "key [" << strKey << "]";
                ASSERT_EQ(NamesOf(narrowed), NamesOf(fresh)) << "key [" << strKey << "]";
                ASSERT_EQ(narrowed.m_nTotalCount, fresh.m_nTotalCount) << "key [" << strKey << "]";
                ASSERT_EQ(narrowed.m_strSearchKey, fresh.m_strSearchKey);
            }
        }
    }
}

TEST(SearchProperty, EveryNarrowedAnswerEqualsAFreshScan) {
    Strings vecStrokes;
    for (const char cKey : std::string("aeilmnorsuKLB0123456789 *")) {
        vecStrokes.emplace_back(1, cKey);
    }
    int nMultiByteNarrowed = 0;
    ExpectNarrowingEqualsFreshScans(20261206, {"an", "el", "mo", "ri", "su", "Ka", "Lo", "ü", "de", "Bo"},
                                    vecStrokes, 20, 25, &nMultiByteNarrowed);
}

// Names in several scripts, keys typed as the keyboard gives whole characters, and a lone lead byte now and
// then: a letter of several bytes narrows like any other key stroke.
TEST(MultiScriptSearch, NarrowedAnswersEqualFreshScansForKeysInEveryScript) {
    int nMultiByteNarrowed = 0;
    ExpectNarrowingEqualsFreshScans(20261207, {"Ан", "на", "Ив", "ов", "Ёл", "ка", "Σο", "φί", "ας", "Mü",
                                               "ll", "er", "Łó", "dź", "ße", "an", "Ka", "ri", " ",  "Ωμ"},
                                    {"а", "н", "и", "В", "о", "ё", "е", "Е", "Н", "σ", "ο", "φ", "ι", "ς",
                                     "Σ", "ü", "u", "l", "ł", "ß", "s", "a", "K", " ", "2", "4", "6", "\xD0"},
                                    10, 30, &nMultiByteNarrowed);
    EXPECT_GT(nMultiByteNarrowed, 700) << "a letter of several bytes narrows like any other key stroke";
}

class SearchReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        EXPECT_TRUE(pAction->IsOperationSucceed());
        m_listAnswers.push_back(*static_cast<CLocalContactSearchAction*>(pAction)->GetSearchResult());
    }
    std::vector<ContactGeneralSearchItemListData> m_listAnswers;
};

class ModelSearchTest : public LocalModelFixture {
protected:
    void SetUp() override {
        m_root.WriteFile(kContactFile,
                         ContactFileXml(ContactElement("Anna", 2, "mobile_number=\"0551\"") +
                                        ContactElement("Annabel", 3) + ContactElement("Bert", 0) +
                                        ContactElement("Hanna", 1, "mobile_number=\"0552\"")));
    }
    SearchReceiver m_receiver;
};

TEST_F(ModelSearchTest, SearchesTheClickActionsGroupAndForgetsItsMatchesOnEveryEdit) {
    ContactGeneralSearchItemListData data = Request();
    ASSERT_TRUE(Model().SearchWithMutlNumber(&data, "local_contact_x1", "ann"));
    EXPECT_EQ(NamesOf(data), (Strings{"Hanna"}));
    EXPECT_FALSE(Model().Search(&data, "OpenSubPage(remote_phonebook_x0)", "ann"));
    data = Request();
    ASSERT_TRUE(Model().Search(&data, "OpenSubPage(local_contact_x0)", "ann"));
    EXPECT_EQ(NamesOf(data), (Strings{"Anna", "Annabel"}));
    EXPECT_EQ(data.m_listData[0].m_strGroupName, "Company");
    ASSERT_TRUE(Model().RemoveContact("Anna"));
    ASSERT_GE(Model().AddContact(Contact("Joanna", "Family")), 0);
    data = Request();
    ASSERT_TRUE(Model().Search(&data, "local_contact_x0", "ann"));
    EXPECT_EQ(NamesOf(data), (Strings{"Annabel", "Joanna"}));
}

TEST_F(ModelSearchTest, ABackgroundSearchDeliversItsPageAndOnlyTheNewestWaitingRequestIsAnswered) {
    ASSERT_TRUE(Model().SearchAsync("local_contact_x0", "an", 1, 1, &m_receiver));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_EQ(m_receiver.m_listAnswers.size(), 1u);
    EXPECT_EQ(NamesOf(m_receiver.m_listAnswers[0]), (Strings{"Annabel"}));
    EXPECT_EQ(m_receiver.m_listAnswers[0].m_nTotalCount, 2);
    EXPECT_EQ(m_receiver.m_listAnswers[0].m_strSearchKey, "an");
    ContactGeneralSearchItemListData window = Request(0, 5);
    ASSERT_TRUE(Directory_SearchWithMutlNumberAsync(&window, "Blacklist", "055", &m_receiver));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_EQ(m_receiver.m_listAnswers.size(), 2u);
    EXPECT_EQ(NamesOf(m_receiver.m_listAnswers[1]), (Strings{"Hanna"}));
    EXPECT_TRUE(window.m_listData.empty());
    for (const char* pKey : {"a", "an", "anna"}) {
        ASSERT_TRUE(Model().SearchAsync("local_contact_x0", pKey, 0, 20, &m_receiver));
    }
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_EQ(m_receiver.m_listAnswers.size(), 3u);
    EXPECT_EQ(m_receiver.m_listAnswers[2].m_strSearchKey, "anna");
    EXPECT_EQ(NamesOf(m_receiver.m_listAnswers[2]), (Strings{"Anna", "Annabel"}));
}

TEST_F(ModelSearchTest, ARunningSearchSeesTheStoreAsItWasAndAGoneReceiverGetsNothing) {
    auto pGone = std::make_unique<SearchReceiver>();
    ASSERT_TRUE(Model().SearchAsync("local_contact_x0", "ann", 0, 20, pGone.get()));
    pGone.reset();
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_TRUE(Model().SearchAsync("local_contact_x0", "ann", 0, 20, &m_receiver));
    ASSERT_TRUE(Model().RemoveContact("Annabel"));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_TRUE(Model().SearchAsync("local_contact_x0", "ann", 0, 20, &m_receiver));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    ASSERT_EQ(m_receiver.m_listAnswers.size(), 2u);
    EXPECT_EQ(NamesOf(m_receiver.m_listAnswers[0]), (Strings{"Anna", "Annabel"}));
    EXPECT_EQ(NamesOf(m_receiver.m_listAnswers[1]), (Strings{"Anna"}));
}

TEST_F(ModelSearchTest, RefusedRequestsAnswerFalse) {
    ContactGeneralSearchItemListData data = Request();
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&data, "No such group", "a", &m_receiver));
    EXPECT_FALSE(Model().SearchAsync("local_contact_x", "a", 0, 20, &m_receiver));
    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(Model().SearchAsync("local_contact_x0", "a", 0, 20, &m_receiver));
    HostControl::SetRefuseTaskActions(false);
    EXPECT_TRUE(Model().SearchAsync("local_contact_x0", "a", 0, 20, &m_receiver));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(m_receiver.m_listAnswers.size(), 1u);
}

TEST(LocalSearchAction, WithoutASourceOrForWritingItFails) {
    CLocalContactSearchAction* pAction = TaskAction_CreateLocalContactSearchAction();
    ASSERT_NE(pAction, nullptr);
    EXPECT_FALSE(pAction->Exec());
    EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_NO_WORKING_OBJECT);
    pAction->SetSearchSource(Snapshot({Item("Anna", 0)}));
    pAction->SetSearchGroupId(0);
    pAction->SetSearchCount(10);
    pAction->SetSearchString("zz");
    pAction->SetSearchBeginIndex(3);
    EXPECT_FALSE(pAction->Exec());
    EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_SEARCH_FAILED);
    pAction->SetRead(false);
    EXPECT_FALSE(pAction->Exec());
    EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_WRITE_UNSUPPORTED);
    TaskAction_DestroyLocalContactSearchAction(pAction);
}

}  // namespace
}  // namespace localtest
