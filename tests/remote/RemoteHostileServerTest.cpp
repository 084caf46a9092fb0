// Hostile remote phonebook servers, for the tree's refresh and for paging: refused connections, error
// statuses, stalls, short and oversized bodies, redirect loops, redirects off the machine, documents that are
// not XML or lie about their encoding, entity bombs and a 100 MB body. Every case ends in its failure state
// (or, for the documents that are harmless once read, its success state) with the matching notification,
// leaves no temporary file, keeps the last good entries for caller lookup and never blocks the GUI loop.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigParser.h"
#include "ContactRemoteModel.h"
#include "HostControl.h"
#include "LoopTurn.h"
#include "RemoteDocBuilder.h"
#include "RemoteTestFixture.h"

namespace {

using namespace NS_DIRECTORY;
using ::testing::Contains;
using testsupport::BuildRemoteDirectory;
using testsupport::LoopbackHttpServer;

constexpr int kOk = CContactRemoteModel::FILE_DOWNLOADED_OK;
constexpr int kFailed = CContactRemoteModel::FILE_DOWNLOAD_FAILED;
constexpr int kDownloading = CContactRemoteModel::FILE_DOWNLOADING;
constexpr int kStallTimeoutMs = 1000;  // far above the longest GUI-loop turn allowed
constexpr long long kSmallCap = 64 * 1024;

// What a case does to the server before the refresh or the page load.
struct HostileSetup {
    LoopbackHttpServer* pServer;
    std::string strPath;  // the document under attack
    HostControl::TransferLimits* pLimits;
    std::function<void()> closeServer;
};

struct HostileCase {
    const char* pName;
    std::function<void(HostileSetup&)> apply;
    bool bLoads;  // harmless once read: the document loads
};

std::string EntryDoc(const std::string& strName, const std::string& strNumber) {
    return BuildRemoteDirectory("Hostile", {{strName, {strNumber}}});
}

std::string EntityBomb() {
    return testsupport::EntityBombPrologue() +
           "<AcmeIPPhoneDirectory><DirectoryEntry><Name>&lol9;</Name><Telephone>999</Telephone>"
           "</DirectoryEntry></AcmeIPPhoneDirectory>\n";
}

const std::vector<HostileCase>& Cases() {
    static const std::vector<HostileCase> kCases = {
        {"ConnectionRefused", [](HostileSetup& s) { s.closeServer(); }, false},
        {"Unauthorized", [](HostileSetup& s) { s.pServer->Fail(s.strPath, 401); }, false},
        {"NotFound", [](HostileSetup& s) { s.pServer->Remove(s.strPath); }, false},
        {"ServerError", [](HostileSetup& s) { s.pServer->Fail(s.strPath, 500, "<html>oops</html>"); }, false},
        {"Stall",
         [](HostileSetup& s) {
             s.pLimits->nTotalTimeoutMs = kStallTimeoutMs;
             s.pServer->Stall(s.strPath, 30000, EntryDoc("Late", "1"));
         },
         false},
        {"BodyCutShort",
         [](HostileSetup& s) {
             s.pServer->ServeTruncated(s.strPath, 4096, EntryDoc("Cut", "1").substr(0, 80));
         },
         false},
        {"BodyOverTheCap",
         [](HostileSetup& s) {
             s.pLimits->nMaxDownloadBytes = kSmallCap;
             s.pServer->ServeRepeated(
                 s.strPath, "<AcmeIPPhoneDirectory>",
                 "<DirectoryEntry><Name>Big</Name><Telephone>1</Telephone></DirectoryEntry>", 4096,
                 "</AcmeIPPhoneDirectory>");
         },
         false},
        {"RedirectLoop",
         [](HostileSetup& s) {
             s.pServer->Redirect(s.strPath, s.pServer->Url("/loop-a.xml"));
             s.pServer->Redirect("/loop-a.xml", s.pServer->Url("/loop-b.xml"));
             s.pServer->Redirect("/loop-b.xml", s.pServer->Url(s.strPath));
         },
         false},
        // A documentation address: the loopback-only switch refuses it before anything is sent.
        {"RedirectToAnotherHost",
         [](HostileSetup& s) { s.pServer->Redirect(s.strPath, "http://192.0.2.7/book.xml"); }, false},
        {"NotXml",
         [](HostileSetup& s) { s.pServer->Serve(s.strPath, "Name,Number\nAnn,5551234\n", "text/csv"); },
         false},
        // A UTF-16 byte order mark before 8-bit text: nothing readable is left.
        {"WrongDeclaredEncoding",
         [](HostileSetup& s) {
             s.pServer->Serve(s.strPath, "\xff\xfe<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                                             EntryDoc("Wide", "1").substr(38));
         },
         false},
        // Latin-1 declared over UTF-8 bytes: read as Latin-1, so the names stay valid UTF-8.
        {"Latin1DeclaredForUtf8",
         [](HostileSetup& s) {
             s.pServer->Serve(s.strPath,
                              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><AcmeIPPhoneDirectory>"
                              "<DirectoryEntry><Name>\xd0\x98</Name><Telephone>999</Telephone>"
                              "</DirectoryEntry></AcmeIPPhoneDirectory>");
         },
         true},
        // The document type is skipped: no entity is expanded, the reference stays text.
        {"EntityBomb", [](HostileSetup& s) { s.pServer->Serve(s.strPath, EntityBomb()); }, true},
        {"HundredMegabyteBody",
         [](HostileSetup& s) {
             s.pServer->ServeRepeated(
                 s.strPath, "<AcmeIPPhoneDirectory>",
                 "<DirectoryEntry><Name>Many</Name><Telephone>2</Telephone></DirectoryEntry>",
                 100 * 1024 * 1024 / 72, "</AcmeIPPhoneDirectory>", true);
         },
         false},
        // Under the cap: the tree and a page keep their first 5000 entries, read off the GUI thread.
        {"BigDocumentUnderTheCap",
         [](HostileSetup& s) {
             s.pServer->ServeRepeated(
                 s.strPath, "<AcmeIPPhoneDirectory>",
                 "<DirectoryEntry><Name>Big</Name><Telephone>999</Telephone></DirectoryEntry>",
                 12 * 1024 * 1024 / 74, "</AcmeIPPhoneDirectory>", true);
         },
         true},
    };
    return kCases;
}

class RemoteHostileServerTest : public remotetest::RemoteFixture,
                                public ::testing::WithParamInterface<HostileCase> {
protected:
    void SetUp() override {
        RemoteFixture::SetUp();
        m_pPeer = std::make_unique<LoopbackHttpServer>();
        configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
        m_limits = HostControl::GetTransferLimits();
        m_limits.nConnectTimeoutMs = 2000;
        m_limits.nTotalTimeoutMs = 20000;
    }

    // Applies the case to the document at strPath of the peer server, with the transfer limits it needs.
    void Attack(const std::string& strPath) {
        HostileSetup setup{m_pPeer.get(), strPath, &m_limits, [this] { m_pPeer.reset(); }};
        GetParam().apply(setup);
        HostControl::SetTransferLimits(m_limits);
        HostControl::TakeNotifications();
        HostControl::TakeLongestLoopTurnUs();
    }

    std::string PeerUrl(const std::string& strPath) const { return m_strPeerBase + strPath; }

    void StartOnPeer(const std::string& strTopDocument) {
        m_strPeerBase = m_pPeer->Url("");
        m_pPeer->Serve("/book.xml", strTopDocument);
        WriteSlots("", {{"Book", PeerUrl("/book.xml")}});
        HostControl::SetTransferLimits(m_limits);
        StartModel();
        ContactRemoteListData list;
        list.m_nCountToGet = 10;
        ASSERT_EQ(Model()->GetContactListByClickAction(&list, "remote_phonebook_x0", "", false), 0);
        ASSERT_EQ(Model()->GetContactNameByNumber("5551234"), "Ann");
    }

    // Runs the loop until bDone holds, as the GUI would; fails after 30 seconds.
    void RunUntil(const std::function<bool()>& bDone) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!bDone()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << GetParam().pName << " never ended";
            HostControl::RunUntilIdle(5);
        }
    }

    void ReportLoopTurn(const char* pRoad) { testsupport::ExpectGuiLoopNotBlocked(pRoad, GetParam().pName); }

    std::unique_ptr<LoopbackHttpServer> m_pPeer;
    std::string m_strPeerBase;
    HostControl::TransferLimits m_limits;
};

// The timer refresh of a slot whose server turned hostile.
TEST_P(RemoteHostileServerTest, RefreshEndsInItsStateAndKeepsTheLastGoodEntries) {
    StartOnPeer(EntryDoc("Ann", "5551234"));
    Attack("/book.xml");
    HostControl::AdvanceClock(120 * 1000);
    EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ann") << "while the refresh runs";
    RunUntil([this] { return Status(PeerUrl("/book.xml")) != kDownloading; });
    WaitIdle();
    const std::vector<HostControl::Notification> vecNotes = HostControl::TakeNotifications();
    ReportLoopTurn("refresh");

    EXPECT_THAT(ResultsOf(vecNotes, REMOTE_MSG_REFRESH_STARTED), ::testing::ElementsAre(0));
    const bool bLoads = GetParam().bLoads;
    EXPECT_EQ(Status(PeerUrl("/book.xml")), bLoads ? kOk : kFailed);
    EXPECT_THAT(ResultsOf(vecNotes, REMOTE_MSG_DOWNLOAD_RESULT), ::testing::ElementsAre(bLoads ? 0 : 1));
    EXPECT_EQ(TempFileCount(), 0);
    if (bLoads) {
        EXPECT_NE(Model()->GetContactNameByNumber("999"), "");
        EXPECT_LT(Model()->GetContactNameByNumber("999").size(), 64u) << "nothing was expanded";
    } else {
        EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ann");
        std::list<std::string> listFailed;
        ASSERT_TRUE(Model()->GetFailedMissonList(&listFailed));
        EXPECT_THAT(listFailed, Contains(PeerUrl("/book.xml")));
        ContactRemoteListData list;
        EXPECT_EQ(Model()->GetContactList(&list, ""), REMOTE_LIST_DOWNLOAD_FAILED);
    }
}

// A page load from a server that turned hostile after the first page came.
TEST_P(RemoteHostileServerTest, PageLoadEndsInItsStateAndCanBeTriedAgain) {
    StartOnPeer(BuildRemoteDirectory("Book", {{"Ann", {"5551234"}}}, {},
                                     {{"next-page", m_pPeer->Url("/page2.xml")}}));
    m_pPeer->Serve("/page2.xml", BuildRemoteDirectory("Page 2", {{"Bea", {"2"}}}, {},
                                                      {{"next-page", m_pPeer->Url("/page3.xml")}}));
    ASSERT_TRUE(Model()->ReqPagingList(true));
    WaitIdle();
    ASSERT_THAT(ResultsOf(HostControl::TakeNotifications(), REMOTE_MSG_PAGE_RESULT),
                ::testing::ElementsAre(0));

    Attack("/page3.xml");
    ASSERT_TRUE(Model()->ReqPagingList(true));
    std::vector<HostControl::Notification> vecNotes;
    RunUntil([&vecNotes] {
        for (HostControl::Notification& note : HostControl::TakeNotifications()) {
            vecNotes.push_back(note);
        }
        return !ResultsOf(vecNotes, REMOTE_MSG_PAGE_RESULT).empty();
    });
    WaitIdle();
    ReportLoopTurn("paging");

    const bool bLoads = GetParam().bLoads;
    EXPECT_THAT(ResultsOf(vecNotes, REMOTE_MSG_PAGE_RESULT), ::testing::ElementsAre(bLoads ? 0 : 1));
    EXPECT_EQ(TempFileCount(), 0);
    ContactRemoteListData page;
    page.m_nCountToGet = 10;
    EXPECT_EQ(Model()->GetPageListData(&page), bLoads);
    EXPECT_LE(page.m_nTotalCount, 5000);
    EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ann");
    if (!bLoads) {
        EXPECT_TRUE(Model()->ReqPagingList(true)) << "the failed page can be asked for again";
        WaitIdle();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoteHostileServerTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.pName; });

}  // namespace
