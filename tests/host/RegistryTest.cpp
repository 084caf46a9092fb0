// The INI store on real files under a temporary root.

#include <gtest/gtest.h>

#include "FaultyFileSystem.h"
#include "HostControl.h"
#include "Registry.h"
#include "TempRoot.h"

namespace {

const char* const kMarkFile = "/tmp/contact_update_mark.ini";

using RegistryTest = testsupport::HostFixture;

TEST_F(RegistryTest, ValuesSurviveFlushAndReopenBesideOtherSections) {
    m_root.WriteFile(kMarkFile, "; written by another process\n[other]\nkeep = yes\n\n[update]\ntype=1\n");
    RegistryHandle hUpdate = registryOpen(kMarkFile, "update");
    ASSERT_NE(hUpdate, REGISTRY_INVALID_HANDLE);
    EXPECT_TRUE(registrySetInt(hUpdate, "type", registryGetInt(hUpdate, "type", 0) | 2));
    EXPECT_TRUE(registrySetString(hUpdate, "who", "gui"));
    ASSERT_TRUE(registryFlush(hUpdate));

    HostControl::Reset();
    hUpdate = registryOpen(kMarkFile, "update");
    EXPECT_EQ(registryGetInt(hUpdate, "type", 0), 3);
    EXPECT_EQ(registryGetString(hUpdate, "who", ""), "gui");
    EXPECT_EQ(registryGetString(hUpdate, "missing", "dflt"), "dflt");
    EXPECT_EQ(registryGetString(registryOpen(kMarkFile, "other"), "keep", ""), "yes");
}

TEST_F(RegistryTest, SameFileAndSectionShareAHandleThatSeesUnsavedAndOutsideChanges) {
    const RegistryHandle hUpdate = registryOpen(kMarkFile, "update");
    EXPECT_NE(registryOpen(kMarkFile, "other"), hUpdate);
    EXPECT_NE(registryOpen("/tmp/another.ini", "update"), hUpdate);
    EXPECT_EQ(registryOpen("", "update"), REGISTRY_INVALID_HANDLE);
    EXPECT_EQ(registryOpen(kMarkFile, ""), REGISTRY_INVALID_HANDLE);
    registrySetInt(hUpdate, "type", 3);
    EXPECT_FALSE(m_root.Exists(kMarkFile)) << "nothing is written before a flush";
    EXPECT_EQ(registryOpen(kMarkFile, "update"), hUpdate);
    EXPECT_EQ(registryGetInt(hUpdate, "type", 0), 3);

    registryFlush(hUpdate);
    m_root.WriteFile(kMarkFile, "[update]\ntype=0\n");  // another process
    EXPECT_EQ(registryGetInt(registryOpen(kMarkFile, "update"), "type", 7), 0);
}

TEST_F(RegistryTest, RefusesWhatWouldNotReadBackAndUnknownHandles) {
    const RegistryHandle hUpdate = registryOpen(kMarkFile, "update");
    EXPECT_FALSE(registrySetString(hUpdate, "a=b", "1"));
    EXPECT_FALSE(registrySetString(hUpdate, "key", "two\nlines"));
    EXPECT_FALSE(registrySetString(hUpdate, "", "1"));
    EXPECT_FALSE(registrySetString(hUpdate, " key", "1"));
    EXPECT_FALSE(registrySetString(hUpdate, "key", "1 "));
    EXPECT_FALSE(registrySetInt(hUpdate + 100, "type", 1));
    EXPECT_FALSE(registryFlush(hUpdate + 100));
    EXPECT_EQ(registryGetInt(hUpdate + 100, "type", -5), -5);
    registrySetString(hUpdate, "word", "abc");
    EXPECT_EQ(registryGetInt(hUpdate, "word", 9), 9);
}

TEST_F(RegistryTest, FlushFailsAndKeepsTheOldFileWhenTheWriteFails) {
    m_root.WriteFile(kMarkFile, "[update]\ntype=1\n");
    const RegistryHandle hUpdate = registryOpen(kMarkFile, "update");
    registrySetInt(hUpdate, "type", 2);
    {
        testsupport::FaultyFileSystem faults;
        faults.FailEvery(testsupport::FileFault::Rename);
        EXPECT_FALSE(registryFlush(hUpdate));
        EXPECT_EQ(m_root.ReadFile(kMarkFile), "[update]\ntype=1\n");
    }
    registrySetString(hUpdate, "who", "gui");
    EXPECT_TRUE(registryFlush(hUpdate));
    EXPECT_EQ(m_root.ReadFile(kMarkFile), "[update]\ntype=2\nwho=gui\n");
}

}  // namespace
