// Searching the remote phonebook: the incremental engine, background searches, whole-tree searches by name
// or number, caller lookup and the server-side search of a "search.php" slot, against a loopback server.

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "DirectoryEntry.h"
#include "HeldAnswer.h"
#include "HostControl.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using namespace ::testing;
using remotetest::Described;
using remotetest::FreshSearches;
using remotetest::Names;
using remotetest::Request;
using remotetest::SearchReceiver;
using testsupport::BuildRemoteDirectory;

class RemoteSearchTest : public remotetest::RemoteFixture {
protected:
    void ServeStaff(const std::vector<testsupport::RemoteEntry>& vecExtra = {}) {
        std::vector<testsupport::RemoteEntry> vecStaff = {{"Zoe Walker", {"4001", "4002"}},
                                                          {"Ann Lee", {"1001", "*77"}},
                                                          {"Bob Annis", {"2001", "1001"}},
                                                          {"Anna Bell", {"1002"}},
                                                          {"M\xC3\xBCller Hans", {"3003"}}};
        vecStaff.insert(vecStaff.end(), vecExtra.begin(), vecExtra.end());
        m_server.Serve("/staff.xml", BuildRemoteDirectory("Staff", vecStaff));
    }

    // Slot 0 a directory, slot 1 a menu leading to a directory, slot 2 a server-side search service.
    void StartCompany() {
        ServeStaff();
        m_server.Serve("/sales.xml", testsupport::BuildRemoteMenu("Sales", {{"North", Url("north.xml")}}));
        m_server.Serve("/north.xml", BuildRemoteDirectory("North", {{"Annette North", {"5001"}},
                                                                    {"Carl Dunn", {"6001", "10015"}}}));
        m_server.Serve("/search.php", BuildRemoteDirectory("Results", {{"M\xC3\xBCller & co", {"777"}}}));
        WriteSlots("", {{"Staff", Url("staff.xml")},
                        {"Sales", Url("sales.xml")},
                        {"Find", Url("search.php?name=#SEARCH&amp;mac=#MAC&amp;ip=#IP")}});
        StartModel();
        HostControl::TakeLogLines();
    }
};

TEST_F(RemoteSearchTest, EngineSearchesScopesInTreeOrderAndCopiesWindows) {
    StartCompany();
    const RemoteSearchListData all = Search("ann", -1, true);
    EXPECT_THAT(Described(all.m_listData), ElementsAre("Ann Lee/2=1001,*77,", "Anna Bell/2=1002,",
                                                       "Bob Annis/2=2001,1001,", "Annette North/2=5001,"));
    EXPECT_EQ(all.m_nTotalCount, 4);
    const RemoteSearchListData staff = Search("ann", 0, false, 1, 1);
    EXPECT_THAT(Names(staff.m_listData), ElementsAre("Anna Bell"));
    EXPECT_EQ(staff.m_nTotalCount, 3);
    EXPECT_THAT(Names(Search("ANN", 1, false).m_listData), ElementsAre("Annette North"))
        << "through the menu";
    EXPECT_EQ(Search("266", -1, true).m_nTotalCount, 4) << "digit keys match the names' key digits";
    EXPECT_THAT(Names(Search("100", -1, true).m_listData),
                ElementsAre("Ann Lee", "Anna Bell", "Bob Annis", "Carl Dunn"));

    ASSERT_TRUE(Model()->LeaveOut());
    RemoteSearchListData nowhere = Request("ann"), empty = Request(""), bad = Request("a", -1, 9);
    EXPECT_FALSE(Model()->Search(&nowhere, -1, false)) << "no slot and no current node";
    EXPECT_FALSE(Model()->Search(&empty, -1, true));
    EXPECT_FALSE(Model()->Search(&bad, -1, true));
}

TEST_F(RemoteSearchTest, EngineNarrowsGrowingKeysAndAnswersRepeatsFromMemory) {
    StartCompany();
    Search("a", -1, true);
    EXPECT_EQ(FreshSearches(), 1);
    for (const char* pKey : {"an", "ann", "anna"}) {
        Search(pKey, -1, true);
        EXPECT_EQ(FreshSearches(), 0) << pKey;
    }
    EXPECT_THAT(Names(Search("ANNA", -1, true).m_listData), ElementsAre("Anna Bell"));
    EXPECT_EQ(FreshSearches(), 0) << "the same key in another case";
    EXPECT_EQ(Search("ann", -1, true).m_nTotalCount, 4);
    EXPECT_EQ(FreshSearches(), 1) << "a shorter key";
    Search("ann", 0, false);
    EXPECT_EQ(FreshSearches(), 1) << "another scope";
    Search("annxy", 0, false);
    EXPECT_EQ(FreshSearches(), 1) << "two more characters";

    ASSERT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    HostControl::TakeLogLines();
    Search("annxyz", 0, false);
    EXPECT_EQ(FreshSearches(), 1) << "a refresh forgets the remembered results";
}

TEST_F(RemoteSearchTest, NarrowingAgreesWithFreshSearchesForRandomKeys) {
    const char* const kSyllables[] = {"an", "na", "bo", "li", "mo", "ro", "ce", "du", "\xC3\xA9l", " "};
    std::mt19937 random(20240611);
    std::vector<testsupport::RemoteEntry> vecEntries;
    for (int i = 0; i < 300; ++i) {
        std::string strName;
        for (int n = 2 + static_cast<int>(random() % 4); n > 0; --n) {
            strName += kSyllables[random() % std::size(kSyllables)];
        }
        vecEntries.push_back({strName + std::to_string(i),
                              {std::to_string(random() % 100000), "*" + std::to_string(random() % 1000)}});
    }
    m_server.Serve("/big.xml", BuildRemoteDirectory("Big", vecEntries));
    m_server.Serve("/small.xml",
                   BuildRemoteDirectory("Small", {vecEntries.begin(), vecEntries.begin() + 40}));
    WriteSlots("", {{"Big", Url("big.xml")}, {"Small", Url("small.xml")}});
    StartModel();
    HostControl::TakeLogLines();

    std::vector<std::string> vecStrokes;
    for (const char cStroke : std::string("anbolimorcedu2667#*15")) {
        vecStrokes.emplace_back(1, cStroke);
    }
    int nNarrowed = 0;
    int nMultiByteNarrowed = 0;
    TypeKeysAgainstFreshSearches(random, vecStrokes, 150, 0, Url("big.xml"), &nNarrowed, &nMultiByteNarrowed);
    EXPECT_GT(nNarrowed, 100) << "typing narrowed the remembered results";
}

TEST_F(RemoteSearchTest, BackgroundSearchesAnswerTheWaitingReceiverWithACopy) {
    StartCompany();
    SearchReceiver receiver;
    std::string strNoAction;
    ASSERT_TRUE(Model()->SearchAsync("ann", 1, 2, &receiver, strNoAction, true));
    WaitIdle();  // searches run side by side and may answer in any order
    std::string strStaff = "remote_phonebook_x0";
    ASSERT_TRUE(Model()->SearchAsync("ann", 0, 10, &receiver, strStaff, false));
    WaitIdle();
    ASSERT_EQ(receiver.m_vecAnswers.size(), 2u);
    const RemoteSearchListData& whole = receiver.m_vecAnswers[0];
    EXPECT_EQ(whole.m_strKey, "ann");
    EXPECT_EQ(whole.m_nIndexFrom, 1);
    EXPECT_EQ(whole.m_nCountToGet, 2);
    EXPECT_EQ(whole.m_nTotalCount, 4);
    EXPECT_THAT(Names(whole.m_listData), ElementsAre("Anna Bell", "Bob Annis"));
    EXPECT_EQ(receiver.m_vecAnswers[1].m_nTotalCount, 3);

    ContactRemoteListData list;
    ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x1", "", false), 0);
    ASSERT_TRUE(Model()->SearchAsync("n", 0, 10, &receiver, strNoAction, false));
    {
        SearchReceiver gone;
        ASSERT_TRUE(Model()->SearchAsync("n", 0, 10, &gone, strNoAction, false));
        Model()->CancelSearchCallBack(&gone);
    }
    WaitIdle();
    ASSERT_EQ(receiver.m_vecAnswers.size(), 3u);
    EXPECT_THAT(Names(receiver.m_vecAnswers[2].m_listData), ElementsAre("Annette North", "Carl Dunn"))
        << "the node the user is in";
    HostControl::SetRefuseTaskActions(true);
    EXPECT_FALSE(Model()->SearchAsync("ann", 0, 10, &receiver, strNoAction, true));
    HostControl::SetRefuseTaskActions(false);

    // A later search sees the tree of a refresh.
    ServeStaff({{"Zoe Two", {"4003"}}});
    ASSERT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    ASSERT_EQ(receiver.m_vecAnswers.size(), 3u);
    ASSERT_TRUE(Model()->SearchAsync("zoe", 0, 10, &receiver, strNoAction, true));
    WaitIdle();
    ASSERT_EQ(receiver.m_vecAnswers.size(), 4u);
    EXPECT_THAT(Names(receiver.m_vecAnswers[3].m_listData), ElementsAre("Zoe Two", "Zoe Walker"));

    CContactRemoteSearchAction* pAction = TaskAction_CreateRemoteContactSearchAction();
    ASSERT_NE(pAction, nullptr);
    EXPECT_EQ(pAction->GetRequestType(), NS_TA::TA_REQUEST_REMOTE_CONTACT_SEARCH);
    pAction->SetRead(false);
    EXPECT_FALSE(pAction->Exec()) << "the search action refuses writes";
    EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_WRITE_UNSUPPORTED);
    TaskAction_DestroyRemoteContactSearchAction(pAction);
}

TEST_F(RemoteSearchTest, WholeTreeSearchesByNumberOrName) {
    StartCompany();
    RemoteSearchListData byNumber = Request("1001");
    ASSERT_TRUE(Directory_SearchRemoteWithOneNumber(&byNumber));
    EXPECT_THAT(Described(byNumber.m_listData),
                UnorderedElementsAre("Ann Lee/0=1001,", "Bob Annis/0=1001,", "Carl Dunn/0=10015,"));
    EXPECT_EQ(byNumber.m_nTotalCount, 3);
    RemoteSearchListData star = Request("*7"), byName = Request("ann"), everything = Request("", 2, 3);
    ASSERT_TRUE(Model()->SearchWithOneNumber(&star));
    EXPECT_THAT(Described(star.m_listData), ElementsAre("Ann Lee/0=*77,")) << "a number key";
    ASSERT_TRUE(Model()->SearchWithOneNumber(&byName));
    EXPECT_THAT(Described(byName.m_listData),
                UnorderedElementsAre("Ann Lee/0=,", "Anna Bell/0=,", "Bob Annis/0=,", "Annette North/0=,"));
    ASSERT_TRUE(Model()->SearchWithOneNumber(&everything));
    EXPECT_EQ(everything.m_nTotalCount, 7);
    EXPECT_EQ(everything.m_listData.size(), 3u) << "the window";

    RemoteSearchListData multi = Request("ann", 0, 2);
    ASSERT_TRUE(Directory_SearchRemoteWithMultNumber(&multi));
    EXPECT_EQ(multi.m_nTotalCount, 4);
    EXPECT_THAT(Names(multi.m_listData),
                UnorderedElementsAre("Ann Lee", "Anna Bell", "Bob Annis", "Annette North"));
    const auto HasNumbers = [](const RemoteSearchItemData& item) { return !item.m_vecNumber.empty(); };
    EXPECT_EQ(std::count_if(multi.m_listData.begin(), multi.m_listData.end(), HasNumbers), 2);
    EXPECT_TRUE(std::all_of(multi.m_listData.begin(), std::next(multi.m_listData.begin(), 2), HasNumbers))
        << "the first two in walk order carry their numbers";

    RemoteSearchListData badWindow = Request("ann", -2, 2);
    EXPECT_FALSE(Model()->SearchWithMultNumber(&badWindow));
}

TEST_F(RemoteSearchTest, CallerLookupComparesWholeNumbersWhileSwitchedOn) {
    StartCompany();
    EXPECT_FALSE(Model()->IsSearchOn());
    EXPECT_EQ(Directory_GetRemoteContactNameByNumber("3003"), "");
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    EXPECT_TRUE(Model()->IsSearchOn());
    const std::pair<const char*, const char*> kCallers[] = {{"3003", "M\xC3\xBCller Hans"},
                                                            {"10015", "Carl Dunn"},
                                                            {"4002", "Zoe Walker"},
                                                            {"300", ""},
                                                            {"30031", ""},
                                                            {"", ""}};
    for (const auto& [pNumber, pName] : kCallers) {
        EXPECT_EQ(Directory_GetRemoteContactNameByNumber(pNumber), pName) << pNumber;
    }
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 2);
    EXPECT_EQ(Model()->GetContactNameByNumber("3003"), "");
}

// Caller lookup goes through a number index of the tree; after every change of the tree it answers as a
// walk of the whole tree does (the first entry in index order carrying the number).
TEST_F(RemoteSearchTest, CallerLookupFollowsEveryChangeOfTheTree) {
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    const std::vector<testsupport::RemoteEntry> vecFirst = {
        {"Ann", {"100", "200"}}, {"Bob", {"200"}}, {"Cy", {"300", "300"}}, {"Dee", {"400"}}};
    const std::vector<testsupport::RemoteEntry> vecSecond = {{"Eve", {"200", "500"}}, {"Fay", {"400"}}};
    m_server.Serve("/top.xml",
                   testsupport::BuildRemoteMenu("Top", {{"One", Url("one.xml")}, {"Two", Url("two.xml")}}));
    m_server.Serve("/one.xml", BuildRemoteDirectory("One", vecFirst));
    m_server.Serve("/two.xml", BuildRemoteDirectory("Two", vecSecond));
    WriteSlots("", {{"Top", Url("top.xml")}});
    StartModel();
    const std::vector<std::string> vecNumbers = {"100", "200", "300", "400", "500", "600", "20", "2000"};
    const auto expectLikeWalk = [&](const char* pWhen, std::vector<std::string> vecExpected) {
        for (size_t nIndex = 0; nIndex < vecNumbers.size(); ++nIndex) {
            const std::string strName = Model()->GetContactNameByNumber(vecNumbers[nIndex]);
            EXPECT_EQ(strName, RemoteModelPeer::WalkedNameByNumber(vecNumbers[nIndex]))
                << pWhen << " " << vecNumbers[nIndex];
            if (vecExpected[nIndex] != "*") {
                EXPECT_EQ(strName, vecExpected[nIndex]) << pWhen << " " << vecNumbers[nIndex];
            }
        }
    };
    // "*": one of several entries carrying the number, whichever comes first in the index.
    expectLikeWalk("loaded", {"Ann", "*", "Cy", "*", "Eve", "", "", ""});

    m_server.Serve("/one.xml", BuildRemoteDirectory("One", {{"Ann", {"100"}}, {"Gus", {"600"}}}));
    ASSERT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    expectLikeWalk("refreshed", {"Ann", "Eve", "", "Fay", "Eve", "Gus", "", ""});

    m_server.Fail("/two.xml", 404);
    Model()->ReDownload(Url("top.xml"));
    WaitIdle();
    expectLikeWalk("second document gone", {"Ann", "Eve", "", "Fay", "Eve", "Gus", "", ""});

    Model()->ReloadConfigure();
    WaitIdle();
    expectLikeWalk("configuration reloaded", {"Ann", "", "", "", "", "Gus", "", ""});
}

// A refresh that fails, or whose sub-document fails, keeps the slot's last good entries for caller lookup;
// the first refresh that loads the slot whole drops them, so a number the server no longer lists goes too.
TEST_F(RemoteSearchTest, CallerLookupKeepsTheLastGoodEntriesUntilTheSlotLoadedWhole) {
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    m_server.Serve("/top.xml", testsupport::BuildRemoteMenu("Top", {{"Team", Url("team.xml")}}));
    m_server.Serve("/team.xml", BuildRemoteDirectory("Team", {{"Ann", {"1"}}, {"Old", {"9"}}}));
    WriteSlots("", {{"Top", Url("top.xml")}});
    StartModel();
    ASSERT_EQ(Model()->GetContactNameByNumber("9"), "Old");

    m_server.Fail("/top.xml", 500);
    EXPECT_EQ(Model()->ReDownload(REMOTE_ROOT_KEY), CContactRemoteModel::FILE_DOWNLOADING);
    WaitIdle();
    EXPECT_EQ(Model()->GetContactNameByNumber("9"), "Old");

    m_server.Serve("/top.xml", testsupport::BuildRemoteMenu("Top", {{"Team", Url("team.xml")}}));
    m_server.Fail("/team.xml", 404);
    Model()->ReDownload(REMOTE_ROOT_KEY);
    WaitIdle();
    EXPECT_EQ(Status(Url("top.xml")), CContactRemoteModel::FILE_DOWNLOADED_OK);
    EXPECT_EQ(Model()->GetContactNameByNumber("9"), "Old") << "the slot did not load whole";

    m_server.Serve("/team.xml", BuildRemoteDirectory("Team", {{"Ann", {"1"}}, {"New", {"8"}}}));
    Model()->ReDownload(REMOTE_ROOT_KEY);
    WaitIdle();
    EXPECT_EQ(Model()->GetContactNameByNumber("8"), "New");
    EXPECT_EQ(Model()->GetContactNameByNumber("9"), "");
    EXPECT_EQ(Model()->GetContactNameByNumber("1"), "Ann");

    // A new configuration starts afresh.
    m_server.Fail("/top.xml", 500);
    Model()->ReDownload(REMOTE_ROOT_KEY);
    WaitIdle();
    ASSERT_EQ(Model()->GetContactNameByNumber("8"), "New");
    Model()->ReloadConfigure();
    WaitIdle();
    EXPECT_EQ(Model()->GetContactNameByNumber("8"), "");
}

TEST_F(RemoteSearchTest, ServerSideSearchSendsTheEncodedKeyAndListsTheAnswer) {
    HostControl::SetMacAddress("001565aabbcc");
    HostControl::SetWanIP("203.0.113.7");
    StartCompany();
    EXPECT_TRUE(Model()->IsSearchType("remote_phonebook_x2"));
    EXPECT_FALSE(Model()->IsSearchType("remote_phonebook_x0"));
    EXPECT_TRUE(Model()->IsSearchContact(Url("search.php")));

    ContactRemoteListData list;
    list.m_nCountToGet = 10;
    const std::pair<const char*, int> kRefused[] = {
        {"", 11}, {"remote_phonebook_x0", 11}, {"remote_phonebook_x3", 5}, {"remote_phonebook_x7", 4}};
    for (const auto& [pAction, nStatus] : kRefused) {
        EXPECT_EQ(Model()->GetSearchListByClickAction(&list, pAction, "k", true), nStatus) << pAction;
    }
    EXPECT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x2", "", false), 0);
    EXPECT_THAT(list.m_listData, IsEmpty());
    EXPECT_TRUE(m_server.RequestsTo("/search.php").empty());

    HostControl::TakeNotifications();
    ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x2", "M\xC3\xBCller & co#1", true),
              1);
    WaitIdle();
    const std::vector<testsupport::RecordedRequest> vecRequests = m_server.RequestsTo("/search.php");
    ASSERT_EQ(vecRequests.size(), 1u);
    EXPECT_EQ(vecRequests[0].strQuery, "name=M%C3%BCller%20%26%20co%231&mac=001565aabbcc&ip=203.0.113.7");
    EXPECT_THAT(NotificationIds(), ::testing::Contains(REMOTE_MSG_DOWNLOAD_RESULT));
    RemoteNodeView slot;
    ASSERT_TRUE(RemoteModelPeer::Node(Url("search.php"), &slot));
    EXPECT_EQ(slot.strTitle, "Find") << "the answer's title has no node of its own";

    ContactRemoteListData answer;
    answer.m_nCountToGet = 10;
    ASSERT_EQ(Model()->GetSearchListByClickAction(&answer, "remote_phonebook_x2", "ignored", false), 0);
    ASSERT_EQ(answer.m_listData.size(), 1u);
    EXPECT_EQ(answer.m_listData.front().m_strDisplayName, "M\xC3\xBCller & co");

    // The answer is not sorted: entries, soft keys and page keys stay in document order.
    m_server.Serve("/search.php",
                   "<AcmeIPPhoneDirectory><Title>Results</Title>"
                   "<DirectoryEntry><Name>Zed</Name><Telephone>1</Telephone></DirectoryEntry>"
                   "<SoftKeyItem><Name>More</Name><URL></URL></SoftKeyItem>"
                   "<DirectoryEntry><Name>Zack</Name><Telephone>2</Telephone></DirectoryEntry>"
                   "<MenuItem><Item>next-page</Item><URL>" +
                       Url("next.xml") +
                       "</URL></MenuItem>"
                       "<DirectoryEntry><Name>Abe</Name><Telephone>3</Telephone></DirectoryEntry>"
                       "</AcmeIPPhoneDirectory>");
    ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x2", "z", true), 1);
    WaitIdle();
    EXPECT_THAT(ChildNames(Url("search.php")), ElementsAre("Zed", "More", "Zack", "next-page", "Abe"));
    ContactRemoteListData second;
    second.m_nCountToGet = 10;
    ASSERT_EQ(Model()->GetSearchListByClickAction(&second, "remote_phonebook_x2", "z", false), 0);
    EXPECT_EQ(second.m_nTotalCount, 3) << "the earlier answer was dropped";
    EXPECT_EQ(m_server.RequestsTo("/search.php").back().strQuery, "name=z&mac=001565aabbcc&ip=203.0.113.7");
}

TEST_F(RemoteSearchTest, ANewServerSideSearchDropsTheAnswerOfTheOneInFlight) {
    HostControl::SetMacAddress("001565aabbcc");
    HostControl::SetWanIP("203.0.113.7");
    StartCompany();
    const std::string kRest = "&mac=001565aabbcc&ip=203.0.113.7";
    remotetest::HeldAnswer first(m_server, "/search.php?name=old" + kRest,
                                 BuildRemoteDirectory("Old", {{"Old one", {"1"}}, {"Old two", {"2"}}}));
    m_server.Serve("/search.php?name=new" + kRest, BuildRemoteDirectory("New", {{"New one", {"3"}}}));
    ContactRemoteListData list;
    list.m_nCountToGet = 10;
    ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x2", "old", true), 1);
    WaitForRequests("/search.php", 1);
    ASSERT_EQ(Model()->GetSearchListByClickAction(&list, "remote_phonebook_x2", "new", true), 1);
    WaitForStatus(Url("search.php"), CContactRemoteModel::FILE_DOWNLOADED_OK);
    first.Open();
    WaitIdle();
    ASSERT_EQ(m_server.RequestsTo("/search.php").size(), 2u);
    ContactRemoteListData answer;
    answer.m_nCountToGet = 10;
    ASSERT_EQ(Model()->GetSearchListByClickAction(&answer, "remote_phonebook_x2", "new", false), 0);
    EXPECT_EQ(answer.m_nTotalCount, 1);
    ASSERT_EQ(answer.m_listData.size(), 1u);
    EXPECT_EQ(answer.m_listData.front().m_strDisplayName, "New one");
}

}  // namespace
