// The network directory in dirsim: the demo Xsi server's directories reach the combined list, page by page
// and through server searches; Personal entries are added, changed and deleted on the server; entries are
// searched key by key and copied into the local phone book; a server refusing the credentials is told as
// such; setting changes reach the module as the phone's configuration message.

#include <stdlib.h>

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DemoXsi.h"
#include "DirsimProcess.h"
#include "MockXsiServer.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;
using dirsimtest::RunJson;
using ::testing::HasSubstr;

class DirsimBroadSoftTest : public testsupport::HostFixture {
protected:
    // dirsim --json against the mock server as user bob, with the password given as dirsim takes it.
    static dirsimtest::DirsimRun RunOnServer(const std::string& strRoot,
                                             const testsupport::MockXsiServer& server, const char* pPassword,
                                             std::vector<std::string> vecArgs) {
        setenv("DIRSIM_XSI_PASSWORD", pPassword, 1);
        vecArgs.insert(vecArgs.begin(),
                       {"--json", "--xsi", "http://127.0.0.1:" + server.Port(), "--xsi-user", "bob"});
        auto run = dirsimtest::RunDirsim(strRoot, vecArgs);
        unsetenv("DIRSIM_XSI_PASSWORD");
        return run;
    }
};

// The name the phone shows: "first,last" for members and custom contacts, the name for the others.
std::string Shown(const testsupport::XsiEntry& entry) {
    const std::string strName = entry.Field("name");
    return strName.empty() ? entry.Field("firstName") + "," + entry.Field("lastName") : strName;
}

std::vector<std::string> Names(const json& result) {
    std::vector<std::string> vecNames = dirsimtest::NamesIn(result, "entries");
    std::sort(vecNames.begin(), vecNames.end());
    return vecNames;
}

TEST_F(DirsimBroadSoftTest, CombinedListHoldsEveryDemoDirectoryTheEnterpriseCoveringTheGroup) {
    const dirsim::DemoXsiContent& demo = dirsim::DemoXsi();
    std::vector<std::string> vecExpected;
    for (const auto* pList : {&demo.vecEnterprise, &demo.vecGroupCommon, &demo.vecEnterpriseCommon,
                              &demo.vecPersonal, &demo.vecCustom}) {
        for (const testsupport::XsiEntry& entry : *pList) {
            vecExpected.push_back(Shown(entry));
        }
    }
    std::sort(vecExpected.begin(), vecExpected.end());
    const auto run = RunJson(m_root.Dir(),
                             "bsft; bsft open 1 --size 1000; bsft open 2 --size 1000; bsft refresh; "
                             "bsft open 1 --page 2 --size 100");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    EXPECT_EQ(dirsimtest::NamesIn(run.Result(0)["result"], "directories"),
              (std::vector<std::string>{"All Contact", "Group", "Enterprise", "G-Common", "E-Common",
                                        "Personal", demo.strCustomName}));
    EXPECT_EQ(Names(run.Result(1)["result"]), vecExpected);
    EXPECT_EQ(run.Result(2)["result"]["total"], demo.vecGroup.size());

    const json& refresh = run.Result(3)["result"];
    const int nEnterprisePages =
        static_cast<int>((demo.vecEnterprise.size() + demo.nPageSize - 1) / demo.nPageSize);
    EXPECT_GE(refresh["pages"].get<int>(), nEnterprisePages + 5) << "the Enterprise comes in many pages";
    EXPECT_EQ(refresh["combinedEntries"], vecExpected.size());
    EXPECT_EQ(run.Result(4)["result"]["entries"].size(), vecExpected.size() - 100);
}

TEST_F(DirsimBroadSoftTest, ServerSearchesAskTheServerWithTheCriteria) {
    const dirsim::DemoXsiContent& demo = dirsim::DemoXsi();
    std::vector<std::string> vecBrunos;
    for (const testsupport::XsiEntry& entry : demo.vecEnterprise) {
        if (dirsimtest::Lower(entry.Field("firstName")).find("bru") != std::string::npos) {
            vecBrunos.push_back(Shown(entry));
        }
    }
    std::sort(vecBrunos.begin(), vecBrunos.end());
    const auto run = RunJson(m_root.Dir(),
                             "bsft search --first BRU --in 3 --size 100; bsft list --size 100; "
                             "bsft search --name grand --in 6; bsft search --email nobody --in 6");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    EXPECT_EQ(Names(run.Result(0)["result"]), vecBrunos);
    EXPECT_EQ(run.Result(0)["result"]["criteria"]["name"], "BRU,");
    EXPECT_EQ(Names(run.Result(1)["result"]), vecBrunos) << "the search stays in view";
    EXPECT_EQ(Names(run.Result(2)["result"]), std::vector<std::string>{"Grandma"});
    EXPECT_EQ(run.Result(3)["result"]["total"], 0) << "e-mail is no criterion of a Personal directory";
}

bool HasNotice(const json& result, int nId) {
    for (const json& notice : result["notifications"]) {
        if (notice["id"] == nId) {
            return true;
        }
    }
    return false;
}

bool HasName(const json& result, const std::string& strName) {
    const std::vector<std::string> vecNames = Names(result);
    return std::find(vecNames.begin(), vecNames.end(), strName) != vecNames.end();
}

TEST_F(DirsimBroadSoftTest, PersonalEditsReachTheDemoServerAndCopiesReachTheLocalBook) {
    const auto run = RunJson(m_root.Dir(),
                             "bsft add Plumber 040123987; bsft refresh; bsft open 6 --size 100; "
                             "bsft find 758 --in 6; bsft copy 1 --blacklist; lookup 040123987; "
                             "bsft edit Plumber --number 040123988; bsft delete Plumber; bsft refresh; "
                             "bsft open 6 --size 100");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    const json& added = run.Result(0)["result"];
    ASSERT_EQ(added["server"].size(), 1u) << run.Dump();
    EXPECT_EQ(added["server"][0]["ok"], true);
    EXPECT_TRUE(HasName(run.Result(2)["result"], "Plumber")) << "downloaded again from the server";
    EXPECT_EQ(Names(run.Result(3)["result"]), std::vector<std::string>{"Plumber"}) << "7-5-8 spells Plu";
    EXPECT_EQ(run.Result(4)["result"]["to"], "blacklist");
    const json& lookup = run.Result(5)["result"];
    EXPECT_EQ(lookup["blacklisted"], true);
    EXPECT_EQ(lookup["broadsoftName"], "Plumber");
    EXPECT_EQ(run.Result(6)["result"]["server"][0]["ok"], true);
    EXPECT_EQ(run.Result(7)["result"]["server"][0]["ok"], true);
    EXPECT_FALSE(HasName(run.Result(9)["result"], "Plumber")) << "deleted on the server";
    EXPECT_TRUE(dirsimtest::IsStored(m_root.Dir(), "Plumber"));

    const auto refused = RunJson(m_root.Dir(), "bsft add Dentist 1; bsft delete Nobody");
    EXPECT_EQ(refused.nExit, 1);
    EXPECT_THAT(refused.Error(0), HasSubstr("exists already")) << refused.Dump();
}

TEST_F(DirsimBroadSoftTest, ARealServerGetsThePersonalAddAndSettingChangesAreToldToTheModule) {
    testsupport::MockXsiServer server("bob", "right");
    server.SetEntries(testsupport::XsiDirectory::Personal, {testsupport::XsiNamedEntry("Someone", "1")});
    const auto run =
        RunOnServer(m_root.Dir(), server, "right",
                    {"--no-demo", "--exec",
                     "bsft add 'New One' 0401; config BsftPersonal 0; bsft; message remote; message bogus"});
    EXPECT_EQ(run.nExit, 1) << run.Dump();
    bool bOnServer = false;
    for (const testsupport::XsiEntry& entry : server.Entries(testsupport::XsiDirectory::Personal)) {
        bOnServer = bOnServer || entry.Field("name") == "New One";
    }
    EXPECT_TRUE(bOnServer) << run.Dump();

    const json& config = run.Result(1);
    ASSERT_EQ(config["result"]["messages"].size(), 1u) << run.Dump();
    EXPECT_EQ(config["result"]["messages"][0]["wParam"], 49);
    EXPECT_EQ(config["result"]["messages"][0]["reply"], 0);
    EXPECT_TRUE(HasNotice(config, 1921)) << run.Dump();
    for (const json& directory : run.Result(2)["result"]["directories"]) {
        EXPECT_NE(directory["name"], "Personal") << "switched off by the setting";
    }
    EXPECT_TRUE(HasNotice(run.Result(3), 1821)) << run.Dump();
    EXPECT_TRUE(HasNotice(run.Result(3), 1721));
    EXPECT_THAT(run.Error(4), HasSubstr("no setting group"));

    server.SetWriteRefusal(403);
    const auto refused = RunOnServer(m_root.Dir() + "/personal-on", server, "right",
                                     {"--no-demo", "--exec", "bsft add Refused 0402"});
    EXPECT_EQ(refused.nExit, 1) << refused.Dump();
    EXPECT_THAT(refused.Error(0), HasSubstr("the server did not take it")) << refused.Dump();
}

TEST_F(DirsimBroadSoftTest, RefusedCredentialsAndBadArgumentsAreToldInWords) {
    testsupport::MockXsiServer server("bob", "right");
    server.SetEntries(testsupport::XsiDirectory::Personal, {testsupport::XsiNamedEntry("Someone", "1")});
    const auto refused =
        RunOnServer(m_root.Dir() + "/personal-on", server, "wrong", {"--exec", "bsft open 6"});
    EXPECT_EQ(refused.nExit, 1) << refused.Dump();
    EXPECT_THAT(refused.Error(0), HasSubstr("refused the user name or password (HTTP 401)"))
        << refused.Dump();
    EXPECT_EQ(refused.strOut.find("wrong"), std::string::npos) << "the password is never printed";
    EXPECT_EQ(refused.strErr.find("wrong"), std::string::npos);

    const auto bad = RunJson(m_root.Dir(), "bsft open 99");
    EXPECT_EQ(bad.nExit, 1);
    EXPECT_THAT(bad.Error(0), HasSubstr("numbered 1 to 7")) << bad.Dump();
    EXPECT_EQ(
        dirsimtest::RunDirsim(m_root.Dir(), {"--xsi", "127.0.0.1:80", "--xsi-user", "x", "--exec", "status"})
            .nExit,
        2);
}

}  // namespace
