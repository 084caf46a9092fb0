// Bad commands, bad arguments and refused operations give an error in plain words and a non-zero exit in
// scripted mode, and leave the phone book's files as they were; transfer failures are told by their cause.

#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DirsimProcess.h"
#include "LoopbackHttpServer.h"
#include "TempRoot.h"

namespace {

using dirsimtest::RunJson;
using ::testing::AllOf;
using ::testing::HasSubstr;

class DirsimErrorsTest : public testsupport::HostFixture {
protected:
    void SetUp() override { ASSERT_EQ(RunJson(m_root.Dir(), "status").nExit, 0); }
    std::string Files() const { return dirsimtest::BookFiles(m_root.Dir()); }
};

struct BadCase {
    const char* pCommand;
    const char* pWords;  // what the error must say
};

TEST_F(DirsimErrorsTest, BadCommandsAndArgumentsFailInWordsAndChangeNothing) {
    std::ofstream(m_root.Dir() + "/not-contacts.xml") << "<html><body>hello</body></html>";
    const std::string strNotContacts = m_root.Dir() + "/not-contacts.xml";
    const BadCase cases[] = {
        // The command reader's refusals reach the answer once each way (no command, a bad value, an open
        // quote); all it refuses, in its own words: the Command*Test cases.
        {"frobnicate", "there is no command \"frobnicate\""},
        {"contacts --page 0", "--page counts from 1"},
        {"add \"unclosed", "is not closed"},
        {"show Nobody", "there is no contact named \"Nobody\""},
        {"add 'anna müller'", "a contact of that name exists already"},
        {"add Someone --group Nowhere", "there is no group named \"Nowhere\""},
        {"remove 'Anna Müller' Nobody", "nothing was removed"},
        {"move 'Anna Müller' --to Nowhere", "nothing was moved"},
        {"block 'Spam Survey'", "in the blacklist already"},
        {"group remove Blacklist", "built in"},
        {"group add Family", "already in use"},
        {"remote open 9", "numbered 1 to 5"},
        {"remote copy 1", "open a remote phonebook first"},
        {"import /no/such/file.xml", "there is no file /no/such/file.xml"},
        {"phone network sideways", "on or off"},
    };
    const std::string strBefore = Files();
    for (const BadCase& bad : cases) {
        const auto run = RunJson(m_root.Dir(), bad.pCommand);
        EXPECT_EQ(run.nExit, 1) << bad.pCommand << "\n" << run.Dump();
        ASSERT_EQ(run.vecResults.size(), 1u) << bad.pCommand << "\n" << run.Dump();
        EXPECT_FALSE(run.Result(0)["ok"].get<bool>());
        EXPECT_THAT(run.Error(0), HasSubstr(bad.pWords)) << bad.pCommand;
        EXPECT_EQ(Files(), strBefore) << bad.pCommand << " touched the phone book";
    }
    const auto notContacts = RunJson(m_root.Dir(), "import " + strNotContacts);
    EXPECT_EQ(notContacts.nExit, 1);
    EXPECT_THAT(notContacts.Error(0), HasSubstr("not a contact file"));
    EXPECT_EQ(Files(), strBefore);
}

TEST_F(DirsimErrorsTest, AFailedCommandEndsTheScriptUnlessToldToGoOn) {
    const auto stopped = RunJson(m_root.Dir(), "add 'First Added'; frobnicate; add 'Never Added'");
    EXPECT_EQ(stopped.nExit, 1);
    EXPECT_EQ(stopped.vecResults.size(), 2u);
    const auto goneOn =
        dirsimtest::RunDirsim(m_root.Dir(), {"--keep-going", "--exec", "frobnicate; add 'Then Added'"});
    EXPECT_EQ(goneOn.nExit, 1) << "a failure still shows in the exit status";
    EXPECT_NE(goneOn.strErr.find("error: there is no command \"frobnicate\""), std::string::npos)
        << goneOn.Dump();
    EXPECT_NE(goneOn.strOut.find("added Then Added"), std::string::npos) << goneOn.Dump();
    EXPECT_TRUE(dirsimtest::IsStored(m_root.Dir(), "First Added"));
    EXPECT_FALSE(dirsimtest::IsStored(m_root.Dir(), "Never Added"));
    EXPECT_EQ(dirsimtest::RunDirsim(m_root.Dir(), {"--no-such-option"}).nExit, 2);
}

TEST_F(DirsimErrorsTest, RemoteFailuresSayWhatWentWrong) {
    testsupport::LoopbackHttpServer server;
    server.RequireBasicAuth("/locked.xml", "alice", "right", "<AcmeIPPhoneMenu/>");
    server.Serve("/garbage.xml", "this is not XML");
    struct RemoteCase {
        std::string strUrl;
        const char* pWords;
    };
    const RemoteCase cases[] = {
        {server.Url("/locked.xml"), "refused the user name or password (HTTP 401)"},
        {server.Url("/missing.xml"), "no such document (HTTP 404)"},
        {server.Url("/garbage.xml"), "not a remote phonebook document"},
        {"http://127.0.0.1:9/down.xml", "could not be reached"},
        {"http://phonebook.example.com/top.xml", "only 127.0.0.1 may be contacted"},
    };
    for (const RemoteCase& remote : cases) {
        const auto run = dirsimtest::RunDirsim(
            m_root.Dir(), {"--json", "--remote", "Broken=" + remote.strUrl, "--exec", "remote open 1"});
        EXPECT_EQ(run.nExit, 1) << run.Dump();
        EXPECT_THAT(run.Error(0), AllOf(HasSubstr("the download failed"), HasSubstr(remote.pWords)));
    }
}

}  // namespace
