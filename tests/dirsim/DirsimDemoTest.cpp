// The demo data folder: a fresh folder boots with the local phone book and the remote phonebook working.

#include <algorithm>

#include <gtest/gtest.h>

#include "DemoPhoneBook.h"
#include "DemoRemotePhonebook.h"
#include "DemoXsi.h"
#include "DirsimProcess.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;
using dirsimtest::RunJson;

class DirsimDemoTest : public testsupport::HostFixture {};

int DemoCount(bool bBlacklisted) {
    const auto& vecContacts = dirsim::DemoBook().vecContacts;
    return static_cast<int>(std::count_if(
        vecContacts.begin(), vecContacts.end(),
        [&](const dirsim::DemoContact& c) { return (c.strGroup == "Blacklist") == bBlacklisted; }));
}

TEST_F(DirsimDemoTest, FreshFolderBootsWithLocalRemoteNetworkDirectoryAndShortcutsWorking) {
    const dirsim::DemoContact& local = dirsim::DemoBook().vecContacts.front();
    const dirsim::DemoRemoteEntry& remote = dirsim::DemoRemote().vecDepartments.front().vecEntries.front();
    const testsupport::XsiEntry& personal = dirsim::DemoXsi().vecPersonal.front();
    const auto run = RunJson(m_root.Dir(), "status; shortcuts; remote open 1; lookup " + local.strMobile +
                                               "; lookup " + remote.vecNumbers.front() +
                                               "; favourites; lookup " + personal.Field("number"));
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    ASSERT_EQ(run.vecResults.size(), 7u) << run.Dump();

    json status = run.Result(0)["result"];
    EXPECT_TRUE(status["boot"]["seeded"].get<bool>());
    EXPECT_TRUE(status["loopbackOnly"].get<bool>());
    EXPECT_EQ(status["local"]["contacts"], DemoCount(false));
    EXPECT_EQ(status["local"]["blacklisted"], DemoCount(true));
    EXPECT_EQ(status["local"]["groups"], dirsim::DemoBook().vecGroups.size() + 2);
    EXPECT_TRUE(status["remote"]["configured"].get<bool>());
    EXPECT_EQ(status["transfers"]["failed"], 0);
    EXPECT_GT(status["transfers"]["done"].get<int>(), 10);
    std::vector<std::string> vecSlots;
    for (const auto& slot : dirsim::DemoRemote().vecSlots) {
        vecSlots.push_back(slot.strName);
    }
    EXPECT_EQ(status["remote"]["slots"].get<std::vector<std::string>>(), vecSlots);
    EXPECT_TRUE(status["broadsoft"]["configured"].get<bool>());
    const dirsim::DemoXsiContent& xsi = dirsim::DemoXsi();
    EXPECT_EQ(status["broadsoft"]["combinedEntries"], xsi.vecEnterprise.size() + xsi.vecGroupCommon.size() +
                                                          xsi.vecEnterpriseCommon.size() +
                                                          xsi.vecPersonal.size() + xsi.vecCustom.size())
        << "every directory downloaded at start; the Enterprise covers the Group";

    const auto vecShortcuts = run.Result(1)["result"]["shortcuts"].get<std::vector<std::string>>();
    EXPECT_EQ(vecShortcuts, (std::vector<std::string>{"localdirectory", "remotedirectory",
                                                      "broadsoftdirectory", "networkcalllog"}));
    EXPECT_EQ(dirsimtest::NamesIn(run.Result(2)["result"]),
              (std::vector<std::string>{"All staff", "Departments", "Offices"}));

    json localLookup = run.Result(3)["result"];
    EXPECT_EQ(localLookup["name"], local.strName);
    EXPECT_EQ(localLookup["contact"]["group"], local.strGroup);
    EXPECT_FALSE(localLookup["blacklisted"].get<bool>());
    EXPECT_EQ(run.Result(4)["result"]["remoteName"], remote.strName);
    EXPECT_EQ(run.Result(5)["result"]["total"], 15);
    EXPECT_EQ(run.Result(6)["result"]["broadsoftName"], personal.Field("name"));
}

TEST_F(DirsimDemoTest, SeededFilesHoldEveryScriptAndTheNextRunKeepsThem) {
    ASSERT_EQ(RunJson(m_root.Dir(), "add 'Kept Between Runs' --mobile 0170999").nExit, 0);
    EXPECT_EQ(dirsimtest::StoredContactNames(m_root.Dir()).size(), dirsim::DemoBook().vecContacts.size() + 1);
    for (const char* pName : {"Łukasz Dvořák", "Екатерина Иванова", "Σοφία Παπαδοπούλου", "Spam Survey"}) {
        EXPECT_TRUE(dirsimtest::IsStored(m_root.Dir(), pName)) << pName;
    }
    const auto run = RunJson(m_root.Dir(), "status; show 'kept between runs'");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    EXPECT_FALSE(run.Result(0)["result"]["boot"]["seeded"].get<bool>());
    EXPECT_EQ(run.Result(1)["result"]["contact"]["mobile"], "0170999");
}

}  // namespace
