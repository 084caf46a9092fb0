// Type-ahead search: narrowing and paging against fresh scans, groups and the blacklist, the model's
// synchronous searches, and background searches answered through the receiver.

#include <memory>
#include <random>

#include "ContactGeneralSearchHelper.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"
#include "LocalModelFixture.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CContactGeneralSearchHelper;
using NS_DIRECTORY::CContactSearchSnapshot;
using NS_DIRECTORY::CLocalContactSearchAction;
using NS_DIRECTORY::ContactGeneralSearchItemListData;
using ItemData = NS_DIRECTORY::CContactGeneralModel::ItemData;

ItemData Item(const std::string& strName, int nGroupId, const std::string& strMobile = "",
              const std::string& strOffice = "") {
    ItemData item;
    item.m_strDisplayName = strName;
    item.m_nGroupId = nGroupId;
    item.m_strMobileNumber = strMobile;
    item.m_strOfficeNumber = strOffice;
    item.m_strNameIndex = CommonUnits_ToKeyString(strName);
    return item;
}

std::shared_ptr<CContactSearchSnapshot> Snapshot(std::vector<ItemData> listItem) {
    return std::make_shared<CContactSearchSnapshot>(
        std::move(listItem),
        std::vector<std::pair<int, std::string>>{{0, "All Contacts"}, {1, "Blacklist"}, {2, "Work"}});
}

// Tells how a search walked the source: a full scan reads every contact, narrowing converts every
// remaining match, paging from memory converts only the page.
class CountingSource : public NS_DIRECTORY::CContactSearchSource {
public:
    explicit CountingSource(std::shared_ptr<CContactSearchSnapshot> pInner) : m_pInner(std::move(pInner)) {}
    size_t GetContactCount() const override { return m_pInner->GetContactCount(); }
    const ItemData& GetContact(size_t nIndex) const override {
        ++m_nReads;
        return m_pInner->GetContact(nIndex);
    }
    bool Convert(ContactGeneralItemData* pOut, const ItemData& item) const override {
        ++m_nConverts;
        return m_pInner->Convert(pOut, item);
    }

    mutable int m_nReads = 0;
    mutable int m_nConverts = 0;

private:
    std::shared_ptr<CContactSearchSnapshot> m_pInner;
};

ContactGeneralSearchItemListData Request(int nFrom = 0, int nCount = 20) {
    ContactGeneralSearchItemListData data;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    return data;
}

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

// Random phone books and random keys typed one character at a time: every answer (page, total, key and
// success) equals a fresh scan of the same key, including pages past the first and contacts whose group
// has no name.
TEST(SearchProperty, EveryNarrowedAnswerEqualsAFreshScan) {
    std::mt19937 random(20261206);
    const std::string strSyllables[] = {"an", "el", "mo", "ri", "su", "Ka", "Lo", "ü", "de", "Bo"};
    const std::string strKeyChars = "aeilmnorsuKLB0123456789 *";
    for (int nBook = 0; nBook < 20; ++nBook) {
        std::vector<ItemData> listItem;
        for (int nIndex = 0; nIndex < 150; ++nIndex) {
            std::string strName;
            for (int nPart = 0; nPart < 2 + static_cast<int>(random() % 3); ++nPart) {
                strName += strSyllables[random() % 10];
            }
            const int nGroup = static_cast<int>(random() % 4) + (random() % 10 == 0 ? 6 : 0);
            listItem.push_back(Item(strName + " " + std::to_string(nIndex), nGroup,
                                    std::to_string(random() % 100000), std::to_string(random() % 1000)));
        }
        const auto pSnapshot = Snapshot(listItem);
        for (int nKey = 0; nKey < 25; ++nKey) {
            CContactGeneralSearchHelper incremental;
            const int nGroupId = static_cast<int>(random() % 3);
            std::string strKey;
            for (int nLength = 0; nLength < 6; ++nLength) {
                strKey += strKeyChars[random() % strKeyChars.size()];
                const int nFrom = static_cast<int>(random() % 3) * 5;
                ContactGeneralSearchItemListData narrowed = Request(nFrom, 5);
                ContactGeneralSearchItemListData fresh = Request(nFrom, 5);
                const bool bNarrowed = incremental.Search(*pSnapshot, &narrowed, nGroupId, strKey, false);
                CContactGeneralSearchHelper scanner;
                const bool bFresh = scanner.Search(*pSnapshot, &fresh, nGroupId, strKey, false);
                ASSERT_EQ(bNarrowed, bFresh) << "key [" << strKey << "]";
                ASSERT_EQ(NamesOf(narrowed), NamesOf(fresh)) << "key [" << strKey << "]";
                ASSERT_EQ(narrowed.m_nTotalCount, fresh.m_nTotalCount) << "key [" << strKey << "]";
                ASSERT_EQ(narrowed.m_strSearchKey, fresh.m_strSearchKey);
            }
        }
    }
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
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(nullptr, "Company", "a", &m_receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&data, nullptr, "a", &m_receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&data, "Company", nullptr, &m_receiver));
    EXPECT_FALSE(Directory_SearchWithMutlNumberAsync(&data, "Company", "a", nullptr));
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
