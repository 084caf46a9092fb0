// Faults the fuzz drivers found in the local phone book, each kept as a disabled test until it is mended;
// the inputs that found them are kept in fuzz/regressions.

#include <algorithm>

#include "LocalModelFixture.h"

namespace localtest {
namespace {

using LocalFuzzFindingsTest = LocalModelFixture;

// A provisioned group file whose user groups carry the built-in names: the background reload adds the
// missing built-in groups anyway, so two groups answer to "Blacklist" (and two to "All Contacts"), and a
// lookup by name can land in the user group. The synchronous load refuses such a user group.
TEST_F(LocalFuzzFindingsTest, DISABLED_BackgroundReloadNeverGivesTwoGroupsOneName) {
    Model();
    m_root.WriteFile(kGroupFile,
                     GroupFileXml(GroupElement(3, "Blacklist") + GroupElement(4, "All Contacts")));
    m_root.WriteFile(kContactFile, ContactFileXml(ContactElement("Ann", 3)));
    ASSERT_TRUE(Model().ReloadGroupAndItemByHttp());
    ASSERT_TRUE(HostControl::RunUntilIdle(10000));
    const Strings names = GroupNames();
    for (const char* pName : {"All Contacts", "Blacklist"}) {
        EXPECT_EQ(std::count(names.begin(), names.end(), pName), 1) << pName;
    }
    EXPECT_EQ(Model().GetGroupIdByGroupName("Blacklist"), NS_DIRECTORY::kBlacklistGroupId);
}

}  // namespace
}  // namespace localtest
