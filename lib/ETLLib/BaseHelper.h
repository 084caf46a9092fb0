#pragma once
// Locking and file helpers of the host.

#include <mutex>
#include <cstddef>
#include <functional>
#include <string>

namespace ETL_BaseHelper {

// A recursive lock: the thread that holds it may take it again.
class chCriticalSection {
public:
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    // Lockable names, so std::lock_guard and std::unique_lock work.
    void lock() { Lock(); }
    void unlock() { Unlock(); }
    bool try_lock() { return m_mutex.try_lock(); }

private:
    std::recursive_mutex m_mutex;
};

}  // namespace ETL_BaseHelper

namespace ETL_MiscHelper {

// Where an absolute phone path ("/config/data/x.xml", "/tmp/y") lives on this machine: under the host's
// root directory when one is set, else the path itself. Relative paths and paths already under the root
// are returned unchanged. "." and ".." are resolved first, so a phone path never leads out of the root.
// Every file access of the module and the host goes through this.
std::string pathMapToRoot(const std::string& strPath);
// True when a file or folder exists at the (mapped) path.
bool pathFileExist(const std::string& strPath);
// Replaces the (mapped) file with data without ever leaving a torn file: writes a temporary file in the same
// folder, flushes it, renames it over the old one and flushes the folder. On failure the old file is kept
// (unless only the folder flush failed, after the rename), the temporary file removed, and false returned.
// Creates missing parent folders. A replaced file keeps its permissions. Goes through the installed file
// system (FileSystem.h), as does every call below that changes a file.
bool fileWriteAtomic(const std::string& strPath, const std::string& strData);
// The same, with the content handed over in pieces: produce calls append for each piece (append answers
// false once a write failed) and answers false to give the write up.
bool fileWriteAtomicPieces(
    const std::string& strPath,
    const std::function<bool(const std::function<bool(const char*, std::size_t)>&)>& produce);
// Removes the (mapped) file; false when it could not (a missing file included).
bool fileRemove(const std::string& strPath);
// Removes the temporary files fileWriteAtomic left beside the (mapped) file when a write was cut short
// (".<name>.<pid>.<n>.tmp"), and answers how many went. Only files of exactly that pattern are touched, and
// only those of this process or of a process that no longer runs: a live process may still be writing one.
// The caller makes sure no write of its own to that file is under way.
int fileRemoveStaleTemps(const std::string& strPath);

}  // namespace ETL_MiscHelper
