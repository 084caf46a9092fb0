// Hostile Xsi servers, for a directory's refresh, a Personal upload and a batch of Personal deletes: refused
// connections, error statuses, stalls, short and oversized bodies, redirect loops, redirects off the machine,
// documents that are not XML or lie about their encoding, entity bombs and a 100 MB body. Every case ends in
// its failure state (or, for the documents that are harmless once read, its success state) with the matching
// message, leaves no temporary file, keeps the last good lists for caller lookup and never blocks the GUI
// loop.

#include <chrono>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BroadSoftTestFixture.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "LoopTurn.h"
#include "RemoteDocBuilder.h"
#include "UrlCodec.h"
#include "XsiAccount.h"

namespace {

using namespace NS_DIRECTORY;
using testsupport::LoopbackHttpServer;
using testsupport::MockXsiServer;
using testsupport::XsiDirectory;

constexpr int kStallTimeoutMs = 1000;  // far above the longest GUI-loop turn allowed
constexpr long long kSmallCap = 64 * 1024;
constexpr int kGroupMessage = 2;  // the Group directory's table position plus one

struct HostileSetup {
    MockXsiServer* pXsi;
    std::string strPath;  // the path under attack, as the server sees it
    HostControl::TransferLimits* pLimits;
    std::function<void()> closeServer;
    LoopbackHttpServer& Http() const { return pXsi->Http(); }
};

struct HostileCase {
    const char* pName;
    std::function<void(HostileSetup&)> apply;
    bool bLoads;       // a page that is harmless once read loads
    int nRefusalCode;  // lParam of a failed page: 401 for refused credentials, else 0
    bool bAccepted;    // a success status with a whole body: an upload or a delete went through
};

std::string GroupPage(const std::string& strFirst, const std::string& strNumber,
                      const std::string& strDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {
    return strDeclaration +
           "<Group><startIndex>1</startIndex><numberOfRecords>1</numberOfRecords><totalAvailableRecords>1"
           "</totalAvailableRecords><groupDirectory><directoryDetails><firstName>" +
           strFirst + "</firstName><lastName>X</lastName><number>" + strNumber +
           "</number></directoryDetails></groupDirectory></Group>";
}

std::string EntityBomb() {
    return testsupport::EntityBombPrologue() + GroupPage("&lol9;", "999").substr(38);
}

void ServeManyMembers(HostileSetup& s, std::size_t nBytes) {
    const std::string strUnit =
        "<directoryDetails><firstName>Big</firstName><number>1</number></directoryDetails>";
    s.Http().ServeRepeated(s.strPath, "<Group><groupDirectory>", strUnit, nBytes / strUnit.size(),
                           "</groupDirectory></Group>", true);
}

const std::vector<HostileCase>& Cases() {
    static const std::vector<HostileCase> kCases = {
        {"ConnectionRefused", [](HostileSetup& s) { s.closeServer(); }, false, 0, false},
        {"Unauthorized", [](HostileSetup& s) { s.Http().Fail(s.strPath, 401); }, false, 401, false},
        {"NotFound", [](HostileSetup& s) { s.Http().Fail(s.strPath, 404); }, false, 0, false},
        {"ServerError", [](HostileSetup& s) { s.Http().Fail(s.strPath, 500, "<html>oops</html>"); }, false, 0,
         false},
        {"Stall",
         [](HostileSetup& s) {
             s.pLimits->nTotalTimeoutMs = kStallTimeoutMs;
             s.pXsi->Stall(s.strPath);
         },
         false, 0, false},
        {"BodyCutShort",
         [](HostileSetup& s) {
             s.Http().ServeTruncated(s.strPath, 4096, GroupPage("Cut", "1").substr(0, 120));
         },
         false, 0, false},
        {"BodyOverTheCap",
         [](HostileSetup& s) {
             s.pLimits->nMaxDownloadBytes = kSmallCap;
             ServeManyMembers(s, 4 * kSmallCap);
         },
         false, 0, false},
        {"RedirectLoop",
         [](HostileSetup& s) {
             s.Http().Redirect(s.strPath, s.pXsi->Url("/loop-a.xml"));
             s.Http().Redirect("/loop-a.xml", s.pXsi->Url("/loop-b.xml"));
             s.Http().Redirect("/loop-b.xml", s.pXsi->Url("/loop-a.xml"));
         },
         false, 0, false},
        // A documentation address: the loopback-only switch refuses it before anything is sent.
        {"RedirectToAnotherHost",
         [](HostileSetup& s) { s.Http().Redirect(s.strPath, "http://192.0.2.7/Group"); }, false, 0, false},
        {"NotXml", [](HostileSetup& s) { s.Http().Serve(s.strPath, "Service Unavailable\n", "text/plain"); },
         false, 0, true},
        // A UTF-16 byte order mark before 8-bit text: nothing readable is left.
        {"WrongDeclaredEncoding",
         [](HostileSetup& s) {
             s.Http().Serve(s.strPath, "\xff\xfe" + GroupPage("Wide", "999",
                                                              "<?xml version=\"1.0\" "
                                                              "encoding=\"UTF-16\"?>"));
         },
         false, 0, true},
        // Latin-1 declared over UTF-8 bytes: read as Latin-1, so the name stays valid UTF-8.
        {"Latin1DeclaredForUtf8",
         [](HostileSetup& s) {
             s.Http().Serve(s.strPath,
                            GroupPage("\xd0\x98", "999", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
         },
         true, 0, true},
        // No entity of a document type is expanded: the reference stays text.
        {"EntityBomb", [](HostileSetup& s) { s.Http().Serve(s.strPath, EntityBomb()); }, true, 0, true},
        {"HundredMegabyteBody", [](HostileSetup& s) { ServeManyMembers(s, 100 * 1024 * 1024); }, false, 0,
         false},
    };
    return kCases;
}

class BroadSoftHostileServerTest : public testsupport::HostFixture,
                                   public ::testing::WithParamInterface<HostileCase> {
protected:
    void SetUp() override {
        HostControl::SetManualClock(true);
        m_pXsi = std::make_unique<MockXsiServer>(bsfttest::kUser, bsfttest::kPassword);
        testsupport::ConfigureXsiAccount(*m_pXsi, bsfttest::kUser, bsfttest::kPassword, m_pXsi->Port());
        configParser_SetConfigInt("BsftGroup", 1);
        configParser_SetConfigInt("BsftPersonal", 1);
        configParser_SetConfigInt("BstDirUpdateInterVal", 1);
        m_strBase = m_pXsi->Url("/com.broadsoft.xsi-actions/v2.0/user/" +
                                CommonAPI_UrlEncode(bsfttest::kUser) + "/directories/");
        m_limits = HostControl::GetTransferLimits();
        m_limits.nConnectTimeoutMs = 2000;
        m_limits.nTotalTimeoutMs = 20000;
        HostControl::SetTransferLimits(m_limits);

        m_pXsi->SetEntries(XsiDirectory::Group, {testsupport::XsiMember("Ana", "Lee", "5551234", "100")});
        m_pXsi->SetEntries(XsiDirectory::Personal, {testsupport::XsiNamedEntry("Pia", "777"),
                                                    testsupport::XsiNamedEntry("Quinn", "888")});
        Model();
        ASSERT_TRUE(HostControl::RunUntilIdle(60000));
        ASSERT_EQ(Model()->GetContactNameByNumber("5551234"), "Ana,Lee");
        ASSERT_EQ(Model()->GetContactNameByNumber("777"), "Pia");
        HostControl::TakeNotifications();
    }

    void TearDown() override {
        if (m_pXsi) {
            m_pXsi->ReleaseStalls();
        }
        EXPECT_TRUE(HostControl::RunUntilIdle(60000));
        EXPECT_THAT(LeftoverFiles(), ::testing::IsEmpty());
        BroadSoftModelPeer::Destroy();
        EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    }

    static CContactBroadSoftModel* Model() { return CContactBroadSoftModel::GetInstance(); }

    void Attack(const std::string& strPath) {
        HostileSetup setup{m_pXsi.get(), strPath, &m_limits, [this] { m_pXsi.reset(); }};
        GetParam().apply(setup);
        HostControl::SetTransferLimits(m_limits);
        HostControl::TakeNotifications();
        HostControl::TakeWarningLines();
        HostControl::TakeLongestLoopTurnUs();
    }

    // Runs the loop as the GUI would until nothing is on its way; fails after 30 seconds.
    void RunUntilSettled() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (HostControl::PendingActionCount() > 0 || !HostControl::RunUntilIdle(5)) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << GetParam().pName << " never ended";
        }
    }

    void ReportLoopTurn(const char* pRoad) { testsupport::ExpectGuiLoopNotBlocked(pRoad, GetParam().pName); }

    std::vector<std::string> Names(const std::string& strSuffix) {
        return BroadSoftModelPeer::List(m_strBase + strSuffix).vecNames;
    }

    // Downloads, uploads and parts of them left in the temporary folder.
    std::vector<std::string> LeftoverFiles() const {
        std::vector<std::string> vecNames;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_root.Path("/tmp"), ec)) {
            const std::string strName = entry.path().filename().string();
            if (strName.rfind("BroadSoft", 0) == 0 || strName.find(".part.") != std::string::npos) {
                vecNames.push_back(strName);
            }
        }
        return vecNames;
    }

    // The path of a directory as the server sees it, however the server is gone.
    std::string PathOf(const std::string& strSuffix) const {
        return "/com.broadsoft.xsi-actions/v2.0/user/" + std::string(bsfttest::kUser) + "/directories/" +
               strSuffix;
    }

    static std::vector<bsfttest::Notice> Notices(int nWParam) {
        std::vector<bsfttest::Notice> vecNotices;
        for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
            if (note.id == BSFT_MSG_DOWNLOAD_RESULT && note.wParam == nWParam) {
                vecNotices.push_back({note.wParam, note.lParam, note.data});
            }
        }
        return vecNotices;
    }

    std::unique_ptr<MockXsiServer> m_pXsi;
    std::string m_strBase;
    HostControl::TransferLimits m_limits;
};

// The timer's refresh, while the Group directory's server turned hostile.
TEST_P(BroadSoftHostileServerTest, RefreshEndsInItsStateAndKeepsTheLastGoodLists) {
    const bool bRefused = std::string(GetParam().pName) == "ConnectionRefused";
    Attack(PathOf("Group"));
    HostControl::AdvanceClock(60 * 1000);
    EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ana,Lee") << "while the refresh runs";
    RunUntilSettled();
    ReportLoopTurn("refresh");

    const HostileCase& param = GetParam();
    if (bRefused) {
        // The probe meets the closed server first: the model stays idle with the lists it had.
        const std::vector<bsfttest::Notice> vecProbe = Notices(BSFT_PROBE_TAG);
        ASSERT_EQ(vecProbe.size(), 1u);
        EXPECT_EQ(vecProbe[0].nLParam, 0);
        EXPECT_FALSE(BroadSoftModelPeer::IsServerReady());
    } else {
        const std::vector<bsfttest::Notice> vecGroup = Notices(kGroupMessage);
        ASSERT_EQ(vecGroup.size(), 1u);
        EXPECT_EQ(vecGroup[0].nLParam, param.bLoads ? 1 : param.nRefusalCode);
        EXPECT_EQ(BroadSoftModelPeer::List(m_strBase + "Group").nStatus,
                  param.bLoads ? CContactBroadSoftModel::LIST_LOADED : CContactBroadSoftModel::LIST_FAILED);
        EXPECT_THAT(Names("Personal"), ::testing::ElementsAre("Pia", "Quinn"));
    }
    EXPECT_THAT(LeftoverFiles(), ::testing::IsEmpty());
    EXPECT_EQ(Model()->GetContactNameByNumber("777"), "Pia");
    if (param.bLoads) {
        const std::string strName = Model()->GetContactNameByNumber("999");
        EXPECT_NE(strName, "");
        EXPECT_LT(strName.size(), 64u) << "nothing was expanded";
        EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "") << "the new list replaced the last one";
    } else {
        EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ana,Lee") << "the last good list stays";
        EXPECT_EQ(Model()->GetContactNameByNumber("1"), "");
    }
}

// A Personal add whose upload meets the hostile server: the entry stays in the list the user sees.
TEST_P(BroadSoftHostileServerTest, UploadOfAnAddEndsAndKeepsTheEntry) {
    Attack(PathOf("Personal"));
    ContactBroadSoftPersonal record = bsfttest::Personal("Rex", "999");
    EXPECT_TRUE(Model()->AddContact2Personal(&record));
    EXPECT_THAT(Names("Personal"), ::testing::ElementsAre("Pia", "Quinn", "Rex")) << "shown at once";
    RunUntilSettled();
    ReportLoopTurn("upload");

    EXPECT_THAT(Names("Personal"), ::testing::ElementsAre("Pia", "Quinn", "Rex"));
    EXPECT_EQ(Model()->GetContactNameByNumber("999"), "Rex");
    EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ana,Lee");
    EXPECT_TRUE(Notices(3).empty()) << "an upload's answer sends no message";
    EXPECT_THAT(LeftoverFiles(), ::testing::IsEmpty());
    const std::vector<std::string> vecWarnings = HostControl::TakeWarningLines();
    const auto warned = ::testing::Contains(::testing::HasSubstr("BroadSoft upload to"));
    if (GetParam().bAccepted) {
        EXPECT_THAT(vecWarnings, ::testing::Not(warned));
    } else {
        EXPECT_THAT(vecWarnings, warned) << "a failed upload is logged";
    }
}

// A batch of two Personal deletes meeting the hostile server: both entries leave the list at once and the
// batch runs to its end one request after another, whatever the answers.
TEST_P(BroadSoftHostileServerTest, DeleteBatchRunsToItsEndAndTheEntriesStayGone) {
    Attack(PathOf("Personal/Pia"));
    if (m_pXsi) {
        HostileSetup setup{m_pXsi.get(), PathOf("Personal/Quinn"), &m_limits, [] {}};
        GetParam().apply(setup);
        HostControl::SetTransferLimits(m_limits);
    }
    EXPECT_TRUE(Model()->DeleteContactsInPersonal({"Pia", "Quinn"}, "broadsoft_phonebook_x2"));
    EXPECT_THAT(Names("Personal"), ::testing::IsEmpty()) << "gone at once";
    RunUntilSettled();
    ReportLoopTurn("delete");

    EXPECT_THAT(BroadSoftModelPeer::PendingDeletes(), ::testing::IsEmpty());
    EXPECT_THAT(Names("Personal"), ::testing::IsEmpty());
    EXPECT_EQ(Model()->GetContactNameByNumber("777"), "");
    EXPECT_EQ(Model()->GetContactNameByNumber("5551234"), "Ana,Lee");
    if (m_pXsi) {
        EXPECT_EQ(m_pXsi->RequestsTo(PathOf("Personal/Quinn")).size(), 1u) << "the batch went on";
    }
    EXPECT_THAT(LeftoverFiles(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BroadSoftHostileServerTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.pName; });

}  // namespace
