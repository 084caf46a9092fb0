// The host's file-system seam: every step of an atomic write failing in turn, the nth call of a kind
// failing, and the host's own writes (downloads, removals; the INI store: RegistryTest) passing through it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "BaseHelper.h"
#include "FaultyFileSystem.h"
#include "FileSystem.h"
#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "TaskAction.h"
#include "TempRoot.h"

namespace {

using testsupport::FaultyFileSystem;
using testsupport::FileFault;

constexpr const char* kFile = "/config/data/list.xml";

class FileSystemTest : public testsupport::HostFixture {
protected:
    std::vector<std::string> FilesIn(const std::string& strPhoneFolder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_root.Path(strPhoneFolder))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// A replaced file is let go after the rename, on another thread: none stays open, and a path that is
// a FIFO or a link is replaced without waiting on it or touching what the link points to.
TEST_F(FileSystemTest, FilesReplacedByAtomicWritesAreAllLetGoAndOddTargetsDoNotHoldTheWriteUp) {
    const auto openFiles = [] {
        const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(std::filesystem::begin(entries), std::filesystem::end(entries));
    };
    ETL_FileSystem::CFileSystem* pFiles = ETL_FileSystem::Default();
    const std::string strPath = m_root.Path(kFile);
    ASSERT_TRUE(pFiles->WriteFileAtomic(strPath, "first"));
    const auto nBefore = openFiles();
    for (int nWrite = 0; nWrite < 200; ++nWrite) {
        ASSERT_TRUE(pFiles->WriteFileAtomic(strPath, std::string(1000 + nWrite, 'x')));
    }
    EXPECT_EQ(m_root.ReadFile(kFile), std::string(1199, 'x'));
    for (int nWait = 0; nWait < 500 && openFiles() > nBefore; ++nWait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(openFiles(), nBefore);

    const std::string strFifo = m_root.Path("/config/data/pipe");
    ASSERT_EQ(::mkfifo(strFifo.c_str(), 0600), 0);
    EXPECT_TRUE(pFiles->WriteFileAtomic(strFifo, "now a file"));
    EXPECT_EQ(m_root.ReadFile("/config/data/pipe"), "now a file");
    const std::string strLink = m_root.Path("/config/data/link");
    ASSERT_EQ(::symlink(strPath.c_str(), strLink.c_str()), 0);
    EXPECT_TRUE(pFiles->WriteFileAtomic(strLink, "the link's own"));
    EXPECT_FALSE(std::filesystem::is_symlink(strLink));
    EXPECT_EQ(m_root.ReadFile("/config/data/link"), "the link's own");
    EXPECT_EQ(m_root.ReadFile(kFile), std::string(1199, 'x'));
}

TEST_F(FileSystemTest, EveryFailedStepOfAnAtomicWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    for (const FileFault eFault : testsupport::SaveStepFaults()) {
        SCOPED_TRACE(testsupport::FileFaultName(eFault));
        m_root.WriteFile(kFile, "old content");
        FaultyFileSystem faults;
        faults.FailNth(eFault);
        EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic(kFile, "new content"));
        EXPECT_EQ(faults.Injected(), 1);
        // Only the folder flush comes after the rename: the new name is there but may not survive a power
        // cut, so the write still answers false.
        EXPECT_EQ(m_root.ReadFile(kFile), eFault == FileFault::SyncFolder ? "new content" : "old content");
        EXPECT_EQ(FilesIn("/config/data"), std::vector<std::string>{"list.xml"});
        EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic(kFile, "newer content"));
        EXPECT_EQ(m_root.ReadFile(kFile), "newer content");
    }
}

TEST_F(FileSystemTest, AnAtomicWriteMakesAMissingFolderAndFailsWhenItCannot) {
    FaultyFileSystem faults;
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic(kFile, "first"));
    EXPECT_EQ(faults.Calls(FileFault::CreateFolders), 0) << "the folder is there already";
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic("/config/new/deeper/list.xml", "made"));
    EXPECT_EQ(m_root.ReadFile("/config/new/deeper/list.xml"), "made");
    EXPECT_EQ(faults.Calls(FileFault::CreateFolders), 1);
    faults.FailEvery(FileFault::CreateFolders);
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic("/config/refused/list.xml", "lost"));
    EXPECT_FALSE(m_root.Exists("/config/refused"));
}

TEST_F(FileSystemTest, AWriteInPiecesReplacesTheFileOnlyWhenEveryPieceWentIn) {
    using Append = std::function<bool(const char*, std::size_t)>;
    m_root.WriteFile(kFile, "old content");
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomicPieces(kFile, [](const Append& append) {
        return append("new ", 4) && append("", 0) && append("content", 7);
    }));
    EXPECT_EQ(m_root.ReadFile(kFile), "new content");
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomicPieces(kFile, [](const Append& append) {
        append("half", 4);
        return false;
    }));
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomicPieces(kFile, [](const Append& append) -> bool {
        append("half", 4);
        throw std::bad_alloc();
    }));
    {
        FaultyFileSystem faults;
        faults.FailNth(FileFault::NoSpace, 2);
        bool bThirdAnswer = true;
        EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomicPieces(kFile, [&](const Append& append) {
            append("one", 3);
            append("two", 3);
            bThirdAnswer = append("three", 5);
            return true;  // a producer that ignores append's answers still does not replace the file
        }));
        EXPECT_FALSE(bThirdAnswer) << "append keeps answering false after a failed piece";
    }
    EXPECT_EQ(m_root.ReadFile(kFile), "new content");
    EXPECT_EQ(FilesIn("/config/data"), std::vector<std::string>{"list.xml"});
}

TEST_F(FileSystemTest, TheNthCallOfAKindFailsAndTheCallsAreCounted) {
    FaultyFileSystem faults;
    faults.FailNth(FileFault::Rename, 2);
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic(kFile, "one"));
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic(kFile, "two"));
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic(kFile, "three"));
    EXPECT_EQ(m_root.ReadFile(kFile), "three");
    EXPECT_EQ(faults.Calls(FileFault::Rename), 3);
    EXPECT_EQ(faults.Calls(FileFault::ShortWrite), faults.Calls(FileFault::NoSpace));
    EXPECT_EQ(faults.Injected(), 1);

    faults.FailEvery(FileFault::Remove);
    m_root.WriteFile("/tmp/stray", "x");
    EXPECT_FALSE(ETL_MiscHelper::fileRemove("/tmp/stray"));
    EXPECT_TRUE(m_root.Exists("/tmp/stray"));
    faults.Clear();
    EXPECT_TRUE(ETL_MiscHelper::fileRemove("/tmp/stray"));
    EXPECT_FALSE(m_root.Exists("/tmp/stray"));
    EXPECT_FALSE(ETL_MiscHelper::fileRemove("/tmp/stray"));
    EXPECT_FALSE(ETL_MiscHelper::fileRemove(""));
}

TEST_F(FileSystemTest, InstalledFileSystemsStackAndResetPutsTheRealOneBack) {
    {
        FaultyFileSystem outer;
        EXPECT_EQ(ETL_FileSystem::Current(), &outer);
        {
            FaultyFileSystem inner;
            EXPECT_EQ(inner.Target(), &outer);
            outer.FailEvery(FileFault::Open);
            EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic(kFile, "x"));
            EXPECT_EQ(inner.Calls(FileFault::Open), 1);
        }
        EXPECT_EQ(ETL_FileSystem::Current(), &outer);
        HostControl::Reset();
        EXPECT_EQ(ETL_FileSystem::Current(), ETL_FileSystem::Default());
    }
    EXPECT_EQ(ETL_FileSystem::Current(), ETL_FileSystem::Default());
    EXPECT_TRUE(ETL_MiscHelper::fileWriteAtomic(kFile, "x"));
}

TEST_F(FileSystemTest, ADownloadWhoseWriteFailsKeepsTheOldFileAndLeavesNothingBeside) {
    testsupport::LoopbackHttpServer server;
    server.Serve("/book.xml", std::string(100000, 'x'));
    for (const FileFault eFault : {FileFault::Open, FileFault::ShortWrite, FileFault::NoSpace,
                                   FileFault::Sync, FileFault::Close, FileFault::Rename}) {
        SCOPED_TRACE(testsupport::FileFaultName(eFault));
        m_root.WriteFile(kFile, "old");
        FaultyFileSystem faults;
        faults.FailNth(eFault);
        NS_TA::CNetworkFileAction* pAction =
            TaskAction_CreateNetworkFileAction(kFile, server.Url("/book.xml"));
        ASSERT_NE(pAction, nullptr);
        pAction->SetRead(true);
        EXPECT_FALSE(pAction->Exec());
        EXPECT_EQ(pAction->GetTaskActionErrorType(), NS_TA::TA_LOCAL_FILE_ERROR);
        TaskAction_DestroyNetworkFileAction(pAction);
        EXPECT_EQ(faults.Injected(), 1);
        EXPECT_EQ(m_root.ReadFile(kFile), "old");
        EXPECT_EQ(FilesIn("/config/data"), std::vector<std::string>{"list.xml"});
    }
}

}  // namespace
