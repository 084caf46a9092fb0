#pragma once
// The host's file-system seam. Every file the module writes, replaces or removes passes through the
// installed CFileSystem (ETL_MiscHelper::fileWriteAtomic and fileRemove, the INI store's flush, downloads
// landing beside their target), so a test can break any step of any save. The real file system is
// installed by default; HostControl::SetFileSystem installs another. Paths here are real paths (already
// mapped under the host's root).
//
// Implementations must be safe for concurrent use from several threads: saves run on the GUI thread while
// downloads write on workers. Failures answer false or null with errno set, never throw.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace ETL_FileSystem {

// A file being written. The destructor closes a file left open.
class CWritableFile {
public:
    virtual ~CWritableFile() = default;
    // Writes every byte, or fails (a part may have reached the file).
    virtual bool Append(const char* pData, std::size_t nSize) = 0;
    // Flushes what was written to the device.
    virtual bool Sync() = 0;
    virtual bool Close() = 0;
};

class CFileSystem {
public:
    virtual ~CFileSystem() = default;

    // Creates a file that must not exist yet; nMode gives its permission bits, -1 the process default.
    virtual std::unique_ptr<CWritableFile> NewWritableFile(const std::string& strPath, int nMode) = 0;
    // Replaces strTo by strFrom in one step.
    virtual bool RenameFile(const std::string& strFrom, const std::string& strTo) = 0;
    virtual bool RemoveFile(const std::string& strPath) = 0;
    // Flushes a folder's entries (a rename into it) to the device.
    virtual bool SyncFolder(const std::string& strFolder) = 0;
    // Creates the folder and its missing parents; true when it exists afterwards.
    virtual bool CreateFolders(const std::string& strFolder) = 0;

    // Replaces the file with data without ever leaving a torn file, in the steps above: a temporary file
    // ".<name>.<pid>.<n>.tmp" in the same folder (with the permissions of the file it replaces), written,
    // synced and closed, renamed over the file, then the folder synced. On a failure before the rename the
    // temporary file is removed and the old file stays as it was. A failed folder sync comes after the
    // rename: the file then holds the new data, but the answer is false, since a power cut may still bring
    // the old one back.
    bool WriteFileAtomic(const std::string& strPath, const std::string& strData);
    // The same, with the data handed over in pieces as produced, so a large file needs no buffer of its
    // size: produce calls append for each piece (append answers false once a write failed) and answers
    // false, or throws, to give the write up; the old file then stays.
    using Append = std::function<bool(const char* pData, std::size_t nSize)>;
    virtual bool WriteFileAtomicPieces(const std::string& strPath,
                                       const std::function<bool(const Append&)>& produce);
};

// Forwards every call to a target; a test subclass overrides only what it breaks.
class CFileSystemWrapper : public CFileSystem {
public:
    explicit CFileSystemWrapper(CFileSystem* pTarget) : m_pTarget(pTarget) {}
    CFileSystem* Target() const { return m_pTarget; }

    std::unique_ptr<CWritableFile> NewWritableFile(const std::string& strPath, int nMode) override {
        return m_pTarget->NewWritableFile(strPath, nMode);
    }
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override {
        return m_pTarget->RenameFile(strFrom, strTo);
    }
    bool RemoveFile(const std::string& strPath) override { return m_pTarget->RemoveFile(strPath); }
    bool SyncFolder(const std::string& strFolder) override { return m_pTarget->SyncFolder(strFolder); }
    bool CreateFolders(const std::string& strFolder) override { return m_pTarget->CreateFolders(strFolder); }

private:
    CFileSystem* const m_pTarget;
};

// The real file system (POSIX calls); lives as long as the process.
CFileSystem* Default();
// The installed one: Default() unless HostControl::SetFileSystem installed another.
CFileSystem* Current();

}  // namespace ETL_FileSystem
