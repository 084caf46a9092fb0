// The network directory in dirsim: the demo Xsi server's directories reach the combined list, page by page
// and through server searches; a server refusing the credentials is told as such.

#include <stdlib.h>

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

#include "DemoXsi.h"
#include "DirsimProcess.h"
#include "MockXsiServer.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;
using dirsimtest::RunJson;

class DirsimBroadSoftTest : public testsupport::HostFixture {};

// The name the phone shows: "first,last" for members and custom contacts, the name for the others.
std::string Shown(const testsupport::XsiEntry& entry) {
    const std::string strName = entry.Field("name");
    return strName.empty() ? entry.Field("firstName") + "," + entry.Field("lastName") : strName;
}

std::vector<std::string> Names(const json& result) {
    std::vector<std::string> vecNames;
    for (const json& entry : result["entries"]) {
        vecNames.push_back(entry["name"].get<std::string>());
    }
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
    std::vector<std::string> vecTable;
    for (const json& directory : run.Result(0)["result"]["directories"]) {
        vecTable.push_back(directory["name"]);
    }
    EXPECT_EQ(vecTable, (std::vector<std::string>{"All Contact", "Group", "Enterprise", "G-Common",
                                                  "E-Common", "Personal", demo.strCustomName}));
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
        std::string strFirst = entry.Field("firstName");
        std::transform(strFirst.begin(), strFirst.end(), strFirst.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (strFirst.find("bru") != std::string::npos) {
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

TEST_F(DirsimBroadSoftTest, RefusedCredentialsAndBadArgumentsAreToldInWords) {
    testsupport::MockXsiServer server("bob", "right");
    server.SetEntries(testsupport::XsiDirectory::Personal, {testsupport::XsiNamedEntry("Someone", "1")});
    setenv("DIRSIM_XSI_PASSWORD", "wrong", 1);
    const auto refused =
        dirsimtest::RunDirsim(m_root.Dir(), {"--json", "--xsi", "http://127.0.0.1:" + server.Port(),
                                             "--xsi-user", "bob", "--exec", "bsft open 6"});
    unsetenv("DIRSIM_XSI_PASSWORD");
    EXPECT_EQ(refused.nExit, 1) << refused.Dump();
    EXPECT_NE(
        refused.Result(0)["error"].get<std::string>().find("refused the user name or password (HTTP 401)"),
        std::string::npos)
        << refused.Dump();
    EXPECT_EQ(refused.strOut.find("wrong"), std::string::npos) << "the password is never printed";
    EXPECT_EQ(refused.strErr.find("wrong"), std::string::npos);

    const auto bad = RunJson(m_root.Dir(), "bsft open 99");
    EXPECT_EQ(bad.nExit, 1);
    EXPECT_NE(bad.Result(0)["error"].get<std::string>().find("numbered 1 to 7"), std::string::npos)
        << bad.Dump();
    EXPECT_EQ(
        dirsimtest::RunDirsim(m_root.Dir(), {"--xsi", "127.0.0.1:80", "--xsi-user", "x", "--exec", "status"})
            .nExit,
        2);
}

}  // namespace
