// The transfer diary reads the host's own log lines of real transfers, so a failure is explained by its
// cause; the user part of a URL never reaches it.

#include <gtest/gtest.h>

#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "TaskAction.h"
#include "TempRoot.h"
#include "TransferDiary.h"

namespace {

class TransferDiaryTest : public testsupport::HostFixture {
protected:
    // Downloads the URL through the host as the module would, and lets the diary read what the host logged.
    void Fetch(const std::string& strUrl) {
        NS_TA::CNetworkFileAction* pAction =
            TaskAction_CreateNetworkFileAction("/tmp/diary-test.xml", strUrl);
        ASSERT_NE(pAction, nullptr);
        pAction->SetRead(true);
        ASSERT_TRUE(TaskAction_ExecAction(pAction));
        ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        TaskAction_DestroyNetworkFileAction(pAction);
        for (const std::string& strLine : HostControl::TakeLogLines()) {
            m_diary.Read(strLine);
        }
    }

    testsupport::LoopbackHttpServer m_server;
    dirsim::CTransferDiary m_diary;
};

TEST_F(TransferDiaryTest, EveryKindOfFailureIsToldByItsCause) {
    m_server.Serve("/ok.xml", "<AcmeIPPhoneMenu/>");
    m_server.RequireBasicAuth("/locked.xml", "alice", "secret", "<x/>");
    m_server.Fail("/broken.xml", 500);
    m_server.ServeOversized("/huge.xml", 4096, false);
    HostControl::TransferLimits limits = HostControl::GetTransferLimits();
    limits.nMaxDownloadBytes = 1024;
    HostControl::SetTransferLimits(limits);
    struct Case {
        std::string strUrl;
        const char* pReason;
    };
    const Case cases[] = {
        {m_server.Url("/ok.xml"), "not a remote phonebook document"},
        {m_server.Url("/locked.xml"), "refused the user name or password (HTTP 401)"},
        {m_server.Url("/missing.xml"), "no such document (HTTP 404)"},
        {m_server.Url("/broken.xml"), "answered with an error (HTTP 500)"},
        {m_server.Url("/huge.xml"), "larger than a phone accepts"},
        {"http://127.0.0.1:9/closed.xml", "could not be reached"},
        {"ftp://127.0.0.1/file.xml", "not an http or https address"},
    };
    for (const Case& test : cases) {
        Fetch(test.strUrl);
        EXPECT_NE(m_diary.Explain(test.strUrl).find(test.pReason), std::string::npos)
            << test.strUrl << ": " << m_diary.Explain(test.strUrl);
    }
    EXPECT_EQ(m_diary.DoneCount(), 1);
    EXPECT_EQ(m_diary.FailedCount(), 6);
    EXPECT_EQ(m_diary.Explain(m_server.Url("/never.xml")), "");
}

TEST_F(TransferDiaryTest, CredentialsNeverReachItAndSearchAddressesAreFoundByTheirSlot) {
    m_server.RequireBasicAuth("/locked.xml", "alice", "secret", "<x/>");
    m_server.Serve("/search.php", "<AcmeIPPhoneDirectory/>");
    const std::string strWithUser = "http://alice:wrong@" + m_server.Url("/locked.xml").substr(7);
    Fetch(strWithUser);
    Fetch(m_server.Url("/search.php?name=ann"));
    for (const dirsim::TransferOutcome& outcome : m_diary.History()) {
        EXPECT_EQ(outcome.strUrl.find("wrong"), std::string::npos) << outcome.strUrl;
        EXPECT_EQ(outcome.strUrl.find("alice"), std::string::npos) << outcome.strUrl;
    }
    EXPECT_NE(m_diary.Explain(strWithUser).find("HTTP 401"), std::string::npos);
    const dirsim::TransferOutcome* pSearch = m_diary.Find(m_server.Url("/search.php"));
    ASSERT_NE(pSearch, nullptr);
    EXPECT_TRUE(pSearch->bOk);
    EXPECT_EQ(dirsim::UrlWithoutCredentials("https://u:p@host:8080/a@b?x=@"), "https://host:8080/a@b?x=@");
}

}  // namespace
