// Import and export of "contact_xported.xml" through message 65543 with wParam 46: every request with its
// log lines, the notification after a success, a request nothing answers, and the busy answer while a
// background reload of the local files runs.

#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DirectoryEntry.h"
#include "EntryFixture.h"

namespace entrytest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// An import file of the newest format with these contacts in "All Contacts".
std::string ImportFile(const std::vector<std::pair<std::string, std::string>>& vecContacts) {
    std::string strXml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<vp_contact><root_group/><root_contact>";
    for (const auto& contact : vecContacts) {
        strXml +=
            "<contact display_name=\"" + contact.first + "\" mobile_number=\"" + contact.second + "\"/>";
    }
    return strXml + "</root_contact></vp_contact>\n";
}

class XPortMessageTest : public EntryFixture {
protected:
    void SetUp() override {
        EntryFixture::SetUp();
        WriteContacts({{"Ann", 0, "100", ""}, {"Bob", 1, "200", ""}});
        Start();
        DropRecords();
    }

    // Which of these numbers have a contact.
    static std::string Known(const std::vector<const char*>& vecNumbers) {
        std::string strKnown;
        for (const char* pNumber : vecNumbers) {
            strKnown += Directory_GetContactNameByNumber(pNumber).empty() ? "-" : "+";
        }
        return strKnown;
    }
};

TEST_F(XPortMessageTest, EachRequestRunsItsImportOrTheExportLogsItsResultAndNotifies) {
    struct Row {
        int lParam;
        std::vector<std::pair<std::string, std::string>> vecFile;
        const char* pResultLine;
        const char* pKnownAfter;  // for 100 (Ann), 300 (Cat), 400 (Dan), 500 (Eve)
    };
    const Row kRows[] = {
        {0, {{"Cat", "300"}}, "Local contact: imported result (0)\n", "-+--"},
        {2, {{"Dan", "400"}}, "Local contact: append csv result (0)\n", "-++-"},
        {3, {{"Eve", "500"}}, "Local contact: insert csv result (0)\n", "---+"},
        {4, {{"Ann", "100"}, {"Eve", "500"}}, "Local contact: imported result (0)\n", "+--+"},
    };
    for (const Row& row : kRows) {
        m_root.WriteFile(kExportFile, ImportFile(row.vecFile));
        EXPECT_EQ(SendConfig(46, row.lParam), 0) << row.lParam;
        const std::vector<std::string> vecLog = TakeLog();
        EXPECT_TRUE(
            Logged(vecLog, "Local contact: begin to xport contact. (" + std::to_string(row.lParam) + ")\n"));
        EXPECT_TRUE(Logged(vecLog, row.pResultLine)) << row.lParam;
        EXPECT_EQ(Known({"100", "300", "400", "500"}), row.pKnownAfter) << row.lParam;
        const std::vector<int> vecIds = TakeNotificationIds();
        ASSERT_FALSE(vecIds.empty());
        EXPECT_EQ(vecIds.back(), 1720) << row.lParam;
    }

    std::filesystem::remove(m_root.Path(kExportFile));
    EXPECT_EQ(SendConfig(46, 1), 0);
    EXPECT_TRUE(Logged(TakeLog(), "Local contact: exported result (0)\n"));
    EXPECT_THAT(TakeNotificationIds(), ElementsAre(1720));
    const std::string strExported = m_root.ReadFile(kExportFile);
    EXPECT_NE(strExported.find("display_name=\"Ann\""), std::string::npos);
    EXPECT_NE(strExported.find("display_name=\"Eve\""), std::string::npos);
}

TEST_F(XPortMessageTest, AFailedImportRepliesItsCodeWithoutNotifying) {
    m_root.WriteFile(kExportFile, "<not_a_contact_file/>");
    EXPECT_EQ(SendConfig(46, 0), 1);
    EXPECT_TRUE(Logged(TakeLog(), "Local contact: imported result (1)\n"));
    EXPECT_THAT(TakeNotificationIds(), IsEmpty());
    EXPECT_EQ(Known({"100", "200"}), "++");
}

TEST_F(XPortMessageTest, AnyOtherRequestRepliesZeroAndNotifiesWithoutTouchingAFile) {
    const std::string strContacts = m_root.ReadFile(kContactFile);
    const auto before = std::filesystem::last_write_time(m_root.Path(kContactFile));
    EXPECT_EQ(SendConfig(46, 7), 0);
    EXPECT_TRUE(Logged(TakeLog(), "Local contact: begin to xport contact. (7)\n"));
    EXPECT_THAT(TakeNotificationIds(), ElementsAre(1720));
    EXPECT_FALSE(m_root.Exists(kExportFile));
    EXPECT_EQ(m_root.ReadFile(kContactFile), strContacts);
    EXPECT_EQ(std::filesystem::last_write_time(m_root.Path(kContactFile)), before);
}

TEST_F(XPortMessageTest, ImportAndExportWhileTheLocalFilesReloadAnswerBusyAndTouchNothing) {
    m_root.WriteFile(kExportFile, ImportFile({{"Cat", "300"}}));
    const std::string strContacts = m_root.ReadFile(kContactFile);
    ASSERT_EQ(SendConfig(8, 0), 1);
    DropRecords();
    for (int lParam : {0, 1, 2, 3, 4, 7}) {
        EXPECT_EQ(SendConfig(46, lParam), 12) << lParam;
    }
    const std::vector<std::string> vecLog = TakeLog();
    EXPECT_TRUE(Logged(vecLog, "Directory:refObj.lResult: 12\n"));
    EXPECT_FALSE(Logged(vecLog, "Local contact: begin to xport contact. (0)\n"));
    EXPECT_THAT(TakeNotificationIds(), IsEmpty());
    EXPECT_EQ(m_root.ReadFile(kExportFile), ImportFile({{"Cat", "300"}}));
    EXPECT_EQ(m_root.ReadFile(kContactFile), strContacts);

    WaitIdle();
    EXPECT_EQ(Known({"100", "300"}), "+-") << "the reload kept the book it read";
    EXPECT_EQ(SendConfig(46, 0), 0) << "once the reload ended the import runs";
    EXPECT_EQ(Known({"100", "300"}), "-+");
}

}  // namespace
}  // namespace entrytest
