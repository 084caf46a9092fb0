// Start, timers and shutdown as the host runs them: the models the start creates, the handlers it
// registers, the save timer routed to both local files, Directory_UnInit writing both files and
// Directory_ReloadConfigureFile reading them again.

#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "DirectoryEntry.h"
#include "EntryFixture.h"

namespace entrytest {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;

class LifeCycleTest : public EntryFixture {
protected:
    // While a folder stands where a file belongs, every save of that file fails and the file stays out of
    // date; the folder goes again before the save that is to succeed.
    void BlockFile(const char* pPhonePath) {
        fs::remove(m_root.Path(pPhonePath));
        fs::create_directories(m_root.Path(pPhonePath));
    }
    void UnblockFile(const char* pPhonePath) { fs::remove_all(m_root.Path(pPhonePath)); }

    // A change to each file, made as the GUI makes it, while both are blocked: a group and a contact in it.
    void ChangeBothFilesUnsaved(const std::string& strGroup, const std::string& strContact) {
        BlockFile(kGroupFile);
        BlockFile(kContactFile);
        NS_DIRECTORY::ContactGroupData group;
        group.m_strDisplayName = strGroup;
        ASSERT_GE(NS_DIRECTORY::CContactGroupController::GetInstance()->AddGroup(group), 0);
        NS_DIRECTORY::ContactGeneralItemData contact;
        contact.m_strDisplayName = strContact;
        contact.m_strGroupName = strGroup;
        ASSERT_GE(NS_DIRECTORY::CContactGeneralModel::GetInstance()->AddContact(contact), 0);
        UnblockFile(kGroupFile);
        UnblockFile(kContactFile);
    }

    bool FileHas(const char* pPhonePath, const std::string& strName) const {
        return m_root.ReadFile(pPhonePath).find("\"" + strName + "\"") != std::string::npos;
    }
};

TEST_F(LifeCycleTest, StartCreatesTheNetworkDirectoryAndLoadsTheLocalFilesThenRoutesBothMessages) {
    ConfigureBroadSoft({"BsftPersonal"});
    WriteContacts({{"Ann", 0, "100", ""}});
    EXPECT_EQ(SendConfig(50, 0), 0);
    EXPECT_THAT(TakeNotificationIds(), IsEmpty()) << "no handler before the start";

    ASSERT_TRUE(Directory_PreLoadConfigureFile());
    EXPECT_NE(NS_DIRECTORY::CContactBroadSoftModel::PeekInstance(), nullptr);
    EXPECT_TRUE(m_root.Exists(kGroupFile)) << "the default group file is made while the local files load";
    EXPECT_EQ(Directory_GetContactNameByNumber("100"), "Ann");
    WaitIdle();
    EXPECT_EQ(m_xsi.RequestsTo(m_xsi.PathOf(testsupport::XsiDirectory::Personal)).size(), 2u)
        << "the server was probed, then the directory downloaded";

    ASSERT_TRUE(Directory_RegisterMessage());
    DropRecords();
    EXPECT_EQ(SendConfig(50, 0), 0);
    EXPECT_EQ(TakeNotificationIds(), std::vector<int>{1720});
    EXPECT_EQ(SendTimer(91110), -1);
}

TEST_F(LifeCycleTest, TheSaveTimerWritesBothFilesAndAnyOtherTimerSavesNothing) {
    Start();
    ChangeBothFilesUnsaved("Team", "Zed");
    EXPECT_EQ(SendTimer(91110), -1);
    EXPECT_FALSE(m_root.Exists(kGroupFile));
    EXPECT_FALSE(m_root.Exists(kContactFile));

    EXPECT_EQ(SendTimer(83179), 0);
    EXPECT_TRUE(FileHas(kGroupFile, "Team"));
    EXPECT_TRUE(FileHas(kContactFile, "Zed"));
    EXPECT_EQ(SendTimer(83179), 0) << "nothing out of date: both saves are done";
}

TEST_F(LifeCycleTest, UnInitWritesTheGroupFileAndTheContactFile) {
    Start();
    ChangeBothFilesUnsaved("Team", "Zed");
    EXPECT_TRUE(Directory_UnInit());
    EXPECT_TRUE(FileHas(kGroupFile, "Team"));
    EXPECT_TRUE(FileHas(kContactFile, "Zed"));

    ChangeBothFilesUnsaved("Crew", "Yul");
    BlockFile(kGroupFile);
    EXPECT_FALSE(Directory_UnInit()) << "the group file could not be written";
    EXPECT_TRUE(FileHas(kContactFile, "Yul")) << "the contact file is written all the same";
    UnblockFile(kGroupFile);
    EXPECT_TRUE(Directory_UnInit());
    EXPECT_TRUE(FileHas(kGroupFile, "Crew"));
}

TEST_F(LifeCycleTest, ReloadConfigureFileReadsBothFilesAgain) {
    WriteContacts({{"Ann", 0, "100", ""}});
    Start();
    WriteContacts({{"Bea", 0, "200", ""}});
    EXPECT_TRUE(Directory_ReloadConfigureFile());
    EXPECT_EQ(Directory_GetContactNameByNumber("200"), "Bea");
    EXPECT_EQ(Directory_GetContactNameByNumber("100"), "");

    fs::remove(m_root.Path(kContactFile));
    EXPECT_FALSE(Directory_ReloadConfigureFile()) << "a contact file that cannot be read";
}

}  // namespace
}  // namespace entrytest
