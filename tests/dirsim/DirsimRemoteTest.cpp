// Browsing the demo remote phonebook from dirsim returns the demo entries, level by level, page by page,
// by soft key and by server search; an entry copied lands in the local phone book's file.

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DemoRemotePhonebook.h"
#include "DirsimProcess.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;
using dirsimtest::RunJson;
using ::testing::HasSubstr;

class DirsimRemoteTest : public testsupport::HostFixture {};

using dirsimtest::NamesIn;

std::vector<std::string> InOrder(const dirsim::DemoRemoteDirectory& directory) {
    std::vector<std::string> vecNames;
    for (const auto& entry : directory.vecEntries) {
        vecNames.push_back(entry.strName);
    }
    return vecNames;
}

std::vector<std::string> Sorted(std::vector<std::string> vecNames) {
    std::sort(vecNames.begin(), vecNames.end());
    return vecNames;
}

std::vector<std::string> Sorted(const dirsim::DemoRemoteDirectory& directory) {
    return Sorted(InOrder(directory));
}

TEST_F(DirsimRemoteTest, BrowseMenusSoftKeysAndInlineGroups) {
    const auto& demo = dirsim::DemoRemote();
    const auto run =
        RunJson(m_root.Dir(),
                "remote open 1; remote enter 2; remote enter 1; remote key H; remote back; remote back; "
                "remote back; remote enter 3; remote enter 3; remote top; remote open 2; remote enter 1");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    ASSERT_EQ(run.vecResults.size(), 12u);
    std::vector<std::string> vecDepartments;
    for (const auto& department : demo.vecDepartments) {
        vecDepartments.push_back(department.strTitle);
    }
    EXPECT_EQ(NamesIn(run.Result(1)["result"]), Sorted(vecDepartments));
    EXPECT_EQ(NamesIn(run.Result(2)["result"]), Sorted(demo.vecDepartments[0])) << "Engineering sorts first";
    EXPECT_EQ(run.Result(2)["result"]["items"].at(0)["numbers"].at(0),
              demo.vecDepartments[0].vecEntries[0].vecNumbers[0]);
    EXPECT_EQ(NamesIn(run.Result(3)["result"]), Sorted(demo.helpDesk));
    EXPECT_EQ(run.Result(4)["result"]["title"], "Engineering");
    EXPECT_EQ(run.Result(5)["result"]["title"], "Departments");
    EXPECT_EQ(run.Result(6)["result"]["title"], "Company directory");
    EXPECT_EQ(NamesIn(run.Result(8)["result"]), Sorted(demo.vecOffices[2]))
        << "Москва sorts after Berlin and Αθήνα";
    EXPECT_EQ(NamesIn(run.Result(11)["result"]), Sorted(demo.vecPartnerGroups[0]));
    EXPECT_EQ(run.Result(11)["result"]["title"], demo.vecPartnerGroups[0].strTitle);
}

TEST_F(DirsimRemoteTest, PagingWalksThePagedDirectoryBothWays) {
    const auto& pages = dirsim::DemoRemote().vecStaffPages;
    const auto run = RunJson(m_root.Dir(),
                             "remote open 1; remote enter 1; remote page next; remote page next; "
                             "remote page prev; remote page next; remote page next");
    ASSERT_EQ(run.nExit, 1) << run.Dump();
    ASSERT_EQ(run.vecResults.size(), 7u);
    EXPECT_EQ(NamesIn(run.Result(1)["result"]), Sorted(pages[0]));
    EXPECT_EQ(NamesIn(run.Result(2)["result"]), InOrder(pages[1]));
    EXPECT_TRUE(run.Result(2)["result"]["hasNextPage"].get<bool>());
    EXPECT_EQ(NamesIn(run.Result(3)["result"]), InOrder(pages[2]));
    EXPECT_FALSE(run.Result(3)["result"]["hasNextPage"].get<bool>());
    EXPECT_EQ(run.Result(3)["result"]["title"], "All staff (page 3)");
    EXPECT_EQ(NamesIn(run.Result(4)["result"]), InOrder(pages[1]));
    EXPECT_FALSE(run.Result(6)["ok"].get<bool>());
    EXPECT_THAT(run.Error(6), HasSubstr("no next page"));
}

TEST_F(DirsimRemoteTest, ServerSearchTreeSearchLookupAndCopyToLocal) {
    std::vector<std::string> vecExpected;
    for (const auto& entry : dirsim::DemoRemoteSearchable()) {
        if (dirsimtest::Lower(entry.strName).find("ar") != std::string::npos) {
            vecExpected.push_back(entry.strName);
        }
    }
    const auto run = RunJson(m_root.Dir(),
                             "remote open 3; remote search ar --size 50; remote copy 1; "
                             "remote search жанна --all; lookup 3305; remote copy 1 --blacklist");
    ASSERT_EQ(run.nExit, 1) << run.Dump();
    ASSERT_EQ(run.vecResults.size(), 6u);
    EXPECT_TRUE(run.Result(0)["result"]["search"].get<bool>());
    EXPECT_EQ(run.Result(1)["result"]["where"], "server");
    EXPECT_EQ(Sorted(NamesIn(run.Result(1)["result"])), Sorted(vecExpected));
    EXPECT_TRUE(dirsimtest::IsStored(m_root.Dir(), run.Result(2)["result"]["copied"]["name"]));

    EXPECT_EQ(NamesIn(run.Result(3)["result"]), (std::vector<std::string>{"Жанна Павлова"}));
    EXPECT_EQ(run.Result(4)["result"]["remoteName"], "Жанна Павлова");
    EXPECT_FALSE(run.Result(5)["ok"].get<bool>()) << "the copy exists already, now in the local book";
    EXPECT_THAT(run.Error(5), HasSubstr("exists already"));
}

}  // namespace
