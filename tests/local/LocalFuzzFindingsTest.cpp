// Faults the fuzz drivers found in the local phone book. The inputs that found them are kept in
// fuzz/regressions/<driver>, which every fuzz run replays.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LocalModelFixture.h"
#include "XPortKestrel.h"

namespace localtest {
namespace {

using LocalFuzzFindingsTest = LocalModelFixture;

// A provisioned group file whose user groups carry the built-in names: the background reload used to add
// the missing built-in groups anyway, so two groups answered to "Blacklist" (and two to "All Contacts"), and
// a lookup by name could land in the user group. Both loads now refuse such a user group, wherever it stands
// in the file, and its contacts land in group 0.
TEST_F(LocalFuzzFindingsTest, BothLoadsRefuseAUserGroupThatCarriesABuiltInName) {
    Model();
    const std::string strGroups =
        GroupFileXml(GroupElement(3, "Blacklist") + GroupElement(4, "All Contacts") +
                     GroupElement(1, "Blacklist", "ring=\"Config:black.wav\"") + GroupElement(5, "Work") +
                     GroupElement(0, "Everyone"));
    const std::string strContacts =
        ContactFileXml(ContactElement("Ann", 3) + ContactElement("Bob", 4) + ContactElement("Cid", 5));
    for (const bool bBackground : {true, false}) {
        SCOPED_TRACE(bBackground ? "background reload" : "load at start");
        m_root.WriteFile(kGroupFile, strGroups);
        m_root.WriteFile(kContactFile, strContacts);
        if (bBackground) {
            ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
            ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        } else {
            CContactGeneralModel::ReleaseInstance();
        }
        EXPECT_EQ(GroupNames(), (Strings{"All Contacts", "Work", "Blacklist"}));
        EXPECT_EQ(Model().GetGroupIdByGroupName("Blacklist"), NS_DIRECTORY::kBlacklistGroupId);
        EXPECT_EQ(Model().GetGroupIdByGroupName("All Contacts"), NS_DIRECTORY::kAllContactsGroupId);
        EXPECT_EQ(Model().MyFindGroupById(NS_DIRECTORY::kBlacklistGroupId)->m_strRing,
                  "/config/data/ring/black.wav");
        EXPECT_EQ(PageNames(0), (Strings{"Ann", "Bob", "Cid"}));
        EXPECT_EQ(Model().GetContactGroupId("Ann"), NS_DIRECTORY::kAllContactsGroupId);
        EXPECT_EQ(Model().GetContactGroupId("Cid"), 5);
    }
}

// An imported ring in stored form with control characters inside (the input the fuzz driver found): the
// import converts the path before it drops the control characters, so the book holds a stored form as if it
// were the real path, and the ring changes once the saved file is read back.
TEST_F(LocalFuzzFindingsTest, DISABLED_AnImportedRingIsCleanedBeforeItIsConverted) {
    const std::filesystem::path input =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
        "fuzz/regressions/open/ImportKestrel/ring-cleaned-after-conversion.xml";
    std::ifstream in(input, std::ios::binary);
    ASSERT_TRUE(in) << input;
    std::ostringstream content;
    content << in.rdbuf();
    m_root.WriteFile("/config/data/contact_xported.xml", content.str());
    ASSERT_EQ(NS_DIRECTORY::CXPortKestrel().Import(nullptr, false, false, false), 0);
    ASSERT_NE(Model().MyFindGroupByDisplayName("Work"), nullptr);
    const std::string strImported = Model().MyFindGroupByDisplayName("Work")->m_strRing;
    ASSERT_TRUE(Model().ReloadGroupXml());
    EXPECT_EQ(Model().MyFindGroupByDisplayName("Work")->m_strRing, strImported);
}

}  // namespace
}  // namespace localtest
