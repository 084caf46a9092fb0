#pragma once
// A file system that fails chosen calls, for tests of what a failed save leaves behind. It installs itself
// over the real one (HostControl::SetFileSystem) for its lifetime and forwards every call it does not fail.
// Safe from several threads at once.

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace testsupport {

// One way a step of a write can fail. Both write faults hit the same step (Append): a short write stores
// the first half of the bytes and then fails with EIO, no space stores nothing and fails with ENOSPC.
enum class FileFault {
    Open,           // creating the file: EACCES
    ShortWrite,     // writing: EIO after half the bytes
    NoSpace,        // writing: ENOSPC, nothing stored
    Sync,           // flushing the file: EIO
    Close,          // closing the file: EIO
    Rename,         // EIO, nothing renamed
    SyncFolder,     // flushing the folder after the rename: EIO
    Remove,         // EIO, nothing removed
    CreateFolders,  // EACCES
};
const char* FileFaultName(FileFault eFault);
// The faults that fail a save, in the order an atomic write meets their steps.
const std::vector<FileFault>& SaveStepFaults();

class FaultyFileSystem : public ETL_FileSystem::CFileSystemWrapper {
public:
    FaultyFileSystem();
    ~FaultyFileSystem() override;
    FaultyFileSystem(const FaultyFileSystem&) = delete;
    FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

    // The nth call (1: the next one) of the fault's step from now on fails that way.
    void FailNth(FileFault eFault, int nNth = 1);
    // Every call of the fault's step fails that way until Clear().
    void FailEvery(FileFault eFault);
    // What a power cut just before the rename leaves: the temporary file written and flushed, the rename
    // and the removal of the temporary file failing, until Clear().
    void CutShortBeforeRename();
    void Clear();
    // Faults injected so far.
    int Injected() const;
    // Calls of the fault's step so far (both write faults count the same step).
    int Calls(FileFault eFault) const;
    // The file each injected fault hit, in order: the file written, removed or renamed to (the temporary
    // file, for the steps of writing one), and for a folder flush the file last renamed into it.
    std::vector<std::string> FailedPaths() const;

    std::unique_ptr<ETL_FileSystem::CWritableFile> NewWritableFile(const std::string& strPath,
                                                                   int nMode) override;
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override;
    bool RemoveFile(const std::string& strPath) override;
    bool SyncFolder(const std::string& strFolder) override;
    bool CreateFolders(const std::string& strFolder) override;

private:
    class FaultyFile;
    enum class Step { Open, Write, Sync, Close, Rename, SyncFolder, Remove, CreateFolders };
    static Step StepOf(FileFault eFault);

    // Counts a call of the step on the path; the fault to inject into it, if any.
    bool NextCallFails(Step eStep, const std::string& strPath, FileFault* pFault);
    // NextCallFails for a step with one way to fail: true, with errno set to nErrno, when it fails.
    bool Refuses(Step eStep, const std::string& strPath, int nErrno);

    struct Armed {
        FileFault eFault;
        int nCallsLeft;  // of the step, until the one that fails
        bool bEvery;
    };
    mutable std::mutex m_mutex;
    std::vector<Armed> m_listArmed;
    std::map<Step, int> m_mapCalls;
    std::vector<std::string> m_listFailedPaths;
    std::string m_strLastRenamedTo;
    int m_nInjected = 0;
};

}  // namespace testsupport
