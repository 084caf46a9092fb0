// The fault matrix: each step of each write a save makes (open, short write, no space, flush, close,
// rename, folder flush) fails in turn, for contact edits, group edits, import and export. Every time the
// file whose write failed keeps its old content (a failed folder flush comes after the rename: the file
// then holds the new content), no file is torn, no temporary file stays, the change stays in memory, a
// warning names the file, and the save timer (the next export, for an export) writes what was missing.

#include <cstdio>
#include <filesystem>
#include <map>

#include <gmock/gmock.h>

#include "FaultyFileSystem.h"
#include "LocalModelFixture.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

using NS_DIRECTORY::XPortFactory;
using testsupport::FaultyFileSystem;
using testsupport::FileFault;

constexpr const char* kExportFile = "/config/data/contact_xported.xml";
constexpr const char* kImportSource = "/config/data/import.xml";
const char* const kWatchedFiles[] = {kContactFile, kGroupFile, kExportFile, kMarkFile};

using Files = std::map<std::string, std::string>;  // phone path: content ("" when absent)

struct Operation {
    const char* pName;
    std::function<bool()> run;         // whether the call answered success
    std::function<void()> writeAgain;  // what writes a change a failed save left in memory
    bool bFailureAnswered;  // an edit is taken whatever the disk does; an export that is not written fails
};

class SaveFaultMatrixTest : public LocalModelFixture {
protected:
    // A fresh host and phone book, started from these files.
    void StartFrom(const Files& files) {
        CContactGeneralModel::ReleaseInstance();
        HostControl::Reset();
        HostControl::SetManualClock(true);
        EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, DeliverLocalSaveTimer);
        for (const auto& file : files) {
            m_root.WriteFile(file.first, file.second);
        }
        Model();
        DropRecords();
        HostControl::TakeWarningLines();
    }

    Files Watched() const {
        Files files;
        for (const char* pPath : kWatchedFiles) {
            files[pPath] = m_root.ReadFile(pPath);
        }
        return files;
    }

    Strings FileNames() const {
        Strings listNames;
        for (const char* pFolder : {"/config/data", "/tmp"}) {
            for (const auto& entry : std::filesystem::directory_iterator(m_root.Path(pFolder))) {
                listNames.push_back(entry.path().filename().string());
            }
        }
        return listNames;
    }

    // Every group and every contact with all their fields.
    Strings Book() {
        Strings listBook = GroupNames();
        for (const std::string& strName : AllNames()) {
            ContactGeneralItemData data;
            EXPECT_TRUE(Model().GetContactData(&data, strName));
            listBook.push_back(Describe(data));
        }
        return listBook;
    }

    // The watched file a failed call was about (its temporary file, for the steps of writing one).
    static std::string WatchedFileHit(const std::string& strFailedPath) {
        const std::string strFailedName = std::filesystem::path(strFailedPath).filename().string();
        for (const char* pPath : kWatchedFiles) {
            if (strFailedName.find(std::filesystem::path(pPath).filename().string()) != std::string::npos) {
                return pPath;
            }
        }
        return std::string();
    }

    // The update mark is whole, and each bit it carries stands for a file that was saved.
    static void ExpectMarkTellsTheTruth(const Files& after, const Files& expected) {
        int nBits = -1;
        char cEnd = 0;
        ASSERT_EQ(std::sscanf(after.at(kMarkFile).c_str(), "[update]\ntype=%d%c", &nBits, &cEnd), 2)
            << after.at(kMarkFile);
        EXPECT_EQ(after.at(kMarkFile), "[update]\ntype=" + std::to_string(nBits) + "\n");
        if (nBits & 1) {
            EXPECT_EQ(after.at(kContactFile), expected.at(kContactFile)) << "bit 1 without the contact file";
        }
        if (nBits & 2) {
            EXPECT_EQ(after.at(kGroupFile), expected.at(kGroupFile)) << "bit 2 without the group file";
        }
        EXPECT_EQ(nBits & ~3, 0);
    }

    static bool Warned(const Strings& listWarnings, const std::string& strPath) {
        const std::string strName = std::filesystem::path(strPath).filename().string();
        return std::any_of(listWarnings.begin(), listWarnings.end(), [&](const std::string& strLine) {
            return strLine.find(strName) != std::string::npos;
        });
    }

    // The files the phone book starts from: two contacts, a user group, an export, a clean update mark, and
    // a file to import.
    Files Baseline() {
        EXPECT_GE(Model().AddContact(Contact("Anna", "Family", "100")), 0);
        EXPECT_EQ(XPortFactory::ExportToPath(nullptr), 0);  // older than the book, so an export changes it
        EXPECT_GE(Model().AddContact(Contact("Bert", "Friend", "200")), 0);
        EXPECT_GE(Model().AddGroup({"Work", ""}), 0);
        Files files = Watched();
        files[kMarkFile] = "[update]\ntype=0\n";
        files[kImportSource] =
            "<vp_contact><root_group><group display_name=\"Imported\"/></root_group><root_contact>"
            "<contact display_name=\"Carl\" group_id_name=\"Imported\" mobile_number=\"300\"/>"
            "</root_contact></vp_contact>";
        return files;
    }
};

TEST_F(SaveFaultMatrixTest, EveryStepOfEverySaveFailingKeepsTheOldFileAndTheChangeWhichIsWrittenLater) {
    const Files baseline = Baseline();
    const auto timerSaves = [] { HostControl::AdvanceClock(NS_DIRECTORY::kLocalSaveRetryMs); };
    const Operation kOperations[] = {
        {"contact edit", [this] { return Model().AddContact(Contact("Zoe", "Work", "555")) >= 0; },
         timerSaves, false},
        {"group edit",
         [this] {
             return Model().AddGroup({"Club", "/config/data/ring/club.wav"}) >= 0;
         },
         timerSaves, false},
        {"import", [] { return XPortFactory::ImportByPath(kImportSource, false, false, false) == 0; },
         timerSaves, false},
        {"export", [] { return XPortFactory::ExportToPath(nullptr) == 0; },
         [] { ASSERT_EQ(XPortFactory::ExportToPath(nullptr), 0); }, true},
    };
    int nTried = 0;
    for (const Operation& operation : kOperations) {
        SCOPED_TRACE(operation.pName);
        // What the operation writes when nothing fails, and how often it meets each step.
        StartFrom(baseline);
        std::map<FileFault, int> mapCalls;
        {
            FaultyFileSystem counting;
            ASSERT_TRUE(operation.run());
            for (const FileFault eFault : testsupport::SaveStepFaults()) {
                mapCalls[eFault] = counting.Calls(eFault);
            }
        }
        const Files expected = Watched();
        const Strings listBook = Book();
        const Strings listFileNames = FileNames();
        ASSERT_TRUE(HostControl::TakeWarningLines().empty());
        ASSERT_NE(expected, baseline);

        for (const FileFault eFault : testsupport::SaveStepFaults()) {
            ASSERT_GT(mapCalls[eFault], 0) << testsupport::FileFaultName(eFault);
            for (int nNth = 1; nNth <= mapCalls[eFault]; ++nNth) {
                SCOPED_TRACE(std::string(testsupport::FileFaultName(eFault)) + " at call " +
                             std::to_string(nNth));
                StartFrom(baseline);
                FaultyFileSystem faults;
                faults.FailNth(eFault, nNth);
                EXPECT_EQ(operation.run(), !operation.bFailureAnswered);
                ASSERT_EQ(faults.Injected(), 1);
                ++nTried;
                const std::string strHit = WatchedFileHit(faults.FailedPaths().front());
                ASSERT_FALSE(strHit.empty()) << faults.FailedPaths().front();

                const Files after = Watched();
                for (const char* pPath : {kContactFile, kGroupFile, kExportFile}) {
                    EXPECT_TRUE(after.at(pPath) == baseline.at(pPath) ||
                                after.at(pPath) == expected.at(pPath))
                        << pPath << " is torn:\n"
                        << after.at(pPath);
                }
                ExpectMarkTellsTheTruth(after, expected);
                if (strHit != kMarkFile) {
                    EXPECT_EQ(after.at(strHit),
                              eFault == FileFault::SyncFolder ? expected.at(strHit) : baseline.at(strHit));
                }
                EXPECT_EQ(Book(), listBook) << "the change stays in memory";
                EXPECT_THAT(FileNames(), ::testing::UnorderedElementsAreArray(listFileNames));
                EXPECT_TRUE(Warned(HostControl::TakeWarningLines(), strHit)) << strHit;

                faults.Clear();
                operation.writeAgain();
                EXPECT_EQ(Watched(), expected) << "written by the next save";
                EXPECT_FALSE(Model().MyGetContactDirty());
                EXPECT_FALSE(Model().MyGetGroupDirty());
            }
        }
    }
    EXPECT_GE(nTried, 4 * 7);
    RecordProperty("faults_tried", nTried);
    std::printf("fault matrix: %d faults tried\n", nTried);
}

}  // namespace
}  // namespace localtest
