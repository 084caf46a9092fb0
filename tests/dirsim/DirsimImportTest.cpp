// Import and its dry run: the check tells the format, what the file holds and what the rules would refuse,
// changes nothing, and predicts what the real import then does.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DirsimProcess.h"
#include "TempRoot.h"

namespace {

using dirsimtest::json;
using dirsimtest::RunJson;
using ::testing::HasSubstr;

class DirsimImportTest : public testsupport::HostFixture {
protected:
    std::string Files() const { return dirsimtest::BookFiles(m_root.Dir()); }
    std::string Write(const std::string& strName, const std::string& strContent) const {
        m_root.WriteFile("/" + strName, strContent);
        return m_root.Path("/" + strName);
    }
};

// The current format: a new and an existing group, a new contact, one the demo has, one named twice, and
// 25 blacklisted entries where the demo has 8 of at most 30.
std::string CurrentFormatFile() {
    std::string strFile =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<vp_contact><root_group>"
        "<group display_name=\"Neighbours\" ring=\"\"/><group display_name=\"Family\" "
        "ring=\"\"/></root_group>"
        "<root_contact>"
        "<contact display_name=\"Import One\" mobile_number=\"0170100\" group_id_name=\"Neighbours\"/>"
        "<contact display_name=\"Anna Müller\" mobile_number=\"0170101\" group_id_name=\"Family\"/>"
        "<contact display_name=\"Twice Named\" mobile_number=\"0170102\" group_id_name=\"\"/>"
        "<contact display_name=\"twice named\" mobile_number=\"0170103\" group_id_name=\"Builders\"/>"
        "<contact display_name=\"\" mobile_number=\"0170104\"/>";
    for (int i = 0; i < 25; ++i) {
        strFile += "<contact display_name=\"Blocked " + std::to_string(i) + "\" mobile_number=\"0900" +
                   std::to_string(i) + "\" group_id_name=\"Blacklist\"/>";
    }
    return strFile + "</root_contact></vp_contact>\n";
}

std::vector<std::string> Refused(json result, const std::string& strKind) {
    std::vector<std::string> vecNames;
    for (const json& refusal : result["refused"]) {
        if (refusal["kind"] == strKind) {
            vecNames.push_back(refusal["name"].get<std::string>());
        }
    }
    return vecNames;
}

TEST_F(DirsimImportTest, DryRunReportsAndChangesNothingAndTheImportDoesWhatItPredicted) {
    ASSERT_EQ(RunJson(m_root.Dir(), "status").nExit, 0);
    const std::string strFile = Write("import.xml", CurrentFormatFile());
    const std::string strBefore = Files();
    const auto check =
        RunJson(m_root.Dir(), "import --check " + strFile + " --append; import --check " + strFile);
    ASSERT_EQ(check.nExit, 0) << check.Dump();
    EXPECT_EQ(Files(), strBefore);

    json append = check.Result(0)["result"];
    EXPECT_EQ(append["fileType"], 2);
    EXPECT_EQ(append["groups"], (std::vector<std::string>{"Neighbours", "Family", "Builders"}));
    EXPECT_EQ(append["contacts"], 29);
    EXPECT_EQ(append["blacklisted"], 25);
    EXPECT_EQ(append["unnamed"], 1);
    EXPECT_EQ(Refused(append, "group"), (std::vector<std::string>{"Family"}));
    const std::vector<std::string> vecRefused = Refused(append, "contact");
    ASSERT_EQ(vecRefused.size(), 5u) << append.dump(1);
    EXPECT_EQ(vecRefused[0], "Anna Müller");
    EXPECT_EQ(vecRefused[1], "twice named");
    EXPECT_EQ(vecRefused[2], "Blocked 22") << "8 + 22 fill the blacklist of 30";
    EXPECT_EQ(append["limitCheck"], "passes") << "the limit check counts the file alone";
    EXPECT_FALSE(append["changed"].get<bool>());

    json replace = check.Result(1)["result"];
    EXPECT_EQ(Refused(replace, "contact"), std::vector<std::string>{"twice named"});
    EXPECT_EQ(replace["after"]["contacts"], 3);
    EXPECT_EQ(replace["after"]["blacklisted"], 25);
    EXPECT_EQ(replace["after"]["groups"], 5) << "the two built in, Neighbours, Family, Builders";

    const auto imported = RunJson(m_root.Dir(), "import --append " + strFile + "; status");
    ASSERT_EQ(imported.nExit, 0) << imported.Dump();
    EXPECT_EQ(imported.Result(0)["result"]["after"], append["after"]);
    EXPECT_NE(Files(), strBefore);
    const auto replaced = RunJson(m_root.Dir(), "import " + strFile);
    ASSERT_EQ(replaced.nExit, 0) << replaced.Dump();
    EXPECT_EQ(replaced.Result(0)["result"]["after"], replace["after"]);
}

TEST_F(DirsimImportTest, DryRunTellsTheFormatsAndFilesThatAreNoContactFiles) {
    const std::string strMiddle =
        Write("middle.xml",
              "<contactData><group sGroupName=\"Black List\">"
              "<contact sLocalRename=\"Old Spammer\" sMobilNumber=\"0900555\"/></group>"
              "<group sGroupName=\"Team\"><contact sLocalRename=\"Tina\"/></group>"
              "</contactData>");
    const std::string strOldest =
        Write("oldest.xml",
              "<contactData><groupinfo><group name=\"Club\"/></groupinfo><group>"
              "<contact sDisplayName=\"Otto\" group=\"Club\"/></group></contactData>");
    const std::string strHtml = Write("page.html", "<html><body/></html>");
    const auto run = RunJson(m_root.Dir(), "import --check " + strMiddle + "; import --check " + strOldest +
                                               "; import --check " + strHtml + "; import --check " +
                                               m_root.Dir() + "/absent.xml");
    ASSERT_EQ(run.vecResults.size(), 4u) << run.Dump();
    EXPECT_EQ(run.Result(0)["result"]["fileType"], 1);
    EXPECT_EQ(run.Result(0)["result"]["blacklisted"], 1);
    EXPECT_EQ(run.Result(0)["result"]["groups"], std::vector<std::string>{"Team"});
    EXPECT_EQ(run.Result(1)["result"]["fileType"], 0);
    EXPECT_EQ(run.Result(1)["result"]["contacts"], 1);
    EXPECT_FALSE(run.Result(2)["result"]["contactFile"].get<bool>());
    EXPECT_FALSE(run.Result(3)["ok"].get<bool>());
    EXPECT_THAT(run.Error(3), HasSubstr("there is no file"));
    EXPECT_EQ(run.nExit, 1);
}

}  // namespace
