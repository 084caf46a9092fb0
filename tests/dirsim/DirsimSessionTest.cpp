// A scripted session that adds, searches, looks up, edits and removes contacts leaves the files as expected.

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "DirsimProcess.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;

class DirsimSessionTest : public testsupport::HostFixture {
protected:
    pugi::xml_node StoredContact(pugi::xml_document& doc, const std::string& strName) {
        doc.load_file((m_root.Dir() + "/config/data/contact_list.xml").c_str());
        return doc.child("root_contact").find_child_by_attribute("contact", "display_name", strName.c_str());
    }
    int GroupId(const std::string& strName) {
        pugi::xml_document doc;
        doc.load_file((m_root.Dir() + "/config/data/contact_group_list.xml").c_str());
        return doc.child("root_group")
            .find_child_by_attribute("group", "display_name", strName.c_str())
            .attribute("id_name")
            .as_int(-1);
    }
};

TEST_F(DirsimSessionTest, AddSearchLookupEditRemoveWriteTheFiles) {
    const std::string strScript = m_root.Dir() + "/session.txt";
    std::ofstream(strScript)
        << "# a person's session\n"
           "add 'Zoë Quist' --group Friends --mobile 0179555111 --office 0301112 --favourite\n"
           "search quist\n"
           "search 78478 --group Friends\n"
           "lookup 0179555111\n"
           "edit 'zoë quist' --group Family --other 0800111\n";
    const auto run = dirsimtest::RunDirsim(m_root.Dir(), {"--json", "--script", strScript});
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    ASSERT_EQ(run.vecResults.size(), 5u) << run.Dump();
    EXPECT_EQ(run.Result(1)["result"]["total"], 1);
    EXPECT_EQ(run.Result(1)["result"]["contacts"].at(0)["name"], "Zoë Quist");
    EXPECT_EQ(run.Result(2)["result"]["kind"], "keypad digits");
    EXPECT_EQ(run.Result(2)["result"]["contacts"].at(0)["name"], "Zoë Quist");
    EXPECT_EQ(run.Result(3)["result"]["name"], "Zoë Quist");
    EXPECT_TRUE(run.Result(3)["result"]["contact"]["favourite"].get<bool>());
    EXPECT_EQ(run.Result(4)["result"]["contact"]["group"], "Family");

    pugi::xml_document doc;
    const pugi::xml_node stored = StoredContact(doc, "Zoë Quist");
    ASSERT_TRUE(stored) << dirsimtest::ReadFile(m_root.Dir() + "/config/data/contact_list.xml");
    EXPECT_STREQ(stored.attribute("mobile_number").value(), "0179555111");
    EXPECT_STREQ(stored.attribute("office_number").value(), "0301112");
    EXPECT_STREQ(stored.attribute("other_number").value(), "0800111");
    EXPECT_EQ(stored.attribute("group_id_name").as_int(), GroupId("Family"));
    EXPECT_STREQ(stored.attribute("is_favorate").value(), "1");

    const size_t nBefore = dirsimtest::StoredContactNames(m_root.Dir()).size();
    const auto removal =
        dirsimtest::RunDirsim(m_root.Dir(), {"--json"}, "remove 'Zoë Quist'\nlookup 0179555111\n");
    ASSERT_EQ(removal.nExit, 0) << removal.Dump();
    EXPECT_EQ(removal.Result(1)["result"]["name"], "");
    pugi::xml_document after;
    EXPECT_FALSE(StoredContact(after, "Zoë Quist"));
    EXPECT_EQ(dirsimtest::StoredContactNames(m_root.Dir()).size(), nBefore - 1);
}

TEST_F(DirsimSessionTest, SearchStepsNarrowAsTheKeyGrowsInEveryScript) {
    const auto run =
        dirsimtest::RunJson(m_root.Dir(), "search Σοφ --steps --size 50; search 7684 --steps --size 50");
    ASSERT_EQ(run.nExit, 0) << run.Dump();
    for (size_t nCommand = 0; nCommand < 2; ++nCommand) {
        json result = run.Result(nCommand)["result"];
        ASSERT_EQ(result["steps"].size(), nCommand == 0 ? 2u : 3u) << "one step per key before the last";
        int nPrevious = 1 << 30;
        for (const json& step : result["steps"]) {
            EXPECT_LE(step["total"].get<int>(), nPrevious);
            nPrevious = step["total"].get<int>();
        }
        EXPECT_LE(result["total"].get<int>(), nPrevious);
        EXPECT_GE(result["total"].get<int>(), 1);
        int nSofia = 0;
        for (const json& contact : result["contacts"]) {
            const bool bSofia = contact["name"].get<std::string>().find("Σοφία") != std::string::npos;
            nSofia += bSofia ? 1 : 0;
            EXPECT_TRUE(bSofia || nCommand == 1) << "letters match the name only: " << contact["name"];
        }
        EXPECT_EQ(nSofia, 3) << "every Σοφία of the demo, by letters and by keypad digits";
    }
}

}  // namespace
