// Phone paths under the host's root directory, and the crash-safe file write.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <mutex>

#include "BaseHelper.h"
#include "HostState.h"

namespace fs = std::filesystem;

namespace {

struct FileRoot {
    std::mutex mutex;
    std::string strRoot;
};

FileRoot& Root() {
    static FileRoot* pRoot = new FileRoot;
    return *pRoot;
}

std::atomic<bool> g_bAtomicWriteFault{false};
std::atomic<unsigned> g_nTempCounter{0};

bool IsUnder(const std::string& strPath, const std::string& strRoot) {
    return strPath.compare(0, strRoot.size(), strRoot) == 0 &&
           (strPath.size() == strRoot.size() || strPath[strRoot.size()] == '/');
}

bool HasDotComponent(const std::string& strPath) {
    for (const auto& part : fs::path(strPath)) {
        if (part == "." || part == "..") {
            return true;
        }
    }
    return false;
}

// "/a/../../etc" becomes "/etc", so a phone path can never climb out of the root.
std::string WithoutDotComponents(const std::string& strPath) {
    return HasDotComponent(strPath) ? fs::path(strPath).lexically_normal().string() : strPath;
}

bool WriteAll(int nFd, const std::string& strData) {
    std::size_t nDone = 0;
    while (nDone < strData.size()) {
        const ssize_t nWritten = ::write(nFd, strData.data() + nDone, strData.size() - nDone);
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            return false;
        }
        nDone += static_cast<std::size_t>(nWritten);
    }
    return true;
}

bool SyncFolder(const fs::path& folder) {
    const int nFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nFd < 0) {
        return false;
    }
    const bool bOk = ::fsync(nFd) == 0;
    ::close(nFd);
    return bOk;
}

std::string TempNameFor(const fs::path& target) {
    return (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                                    std::to_string(g_nTempCounter.fetch_add(1)) + ".tmp"))
        .string();
}

// The replaced file keeps its permissions; a new one gets the default ones of the process.
void KeepModeOf(const fs::path& target, int nFd) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        ::fchmod(nFd, info.st_mode & 07777);
    }
}

// Writes and flushes the temporary file; false (file closed, maybe left behind) on any failure.
bool WriteTempFile(const std::string& strTemp, const fs::path& target, const std::string& strData) {
    const int nFd = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (nFd < 0) {
        return false;
    }
    KeepModeOf(target, nFd);
    const bool bOk = WriteAll(nFd, strData) && ::fsync(nFd) == 0;
    return ::close(nFd) == 0 && bOk;
}

bool WriteAtomically(const fs::path& target, const std::string& strData) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    const std::string strTemp = TempNameFor(target);
    if (!WriteTempFile(strTemp, target, strData)) {
        ::unlink(strTemp.c_str());
        return false;
    }
    if (g_bAtomicWriteFault.load()) {
        return false;
    }
    if (::rename(strTemp.c_str(), target.c_str()) != 0) {
        ::unlink(strTemp.c_str());
        return false;
    }
    return SyncFolder(target.parent_path());
}

}  // namespace

namespace hostcore {

void SetRoot(const std::string& strDir) {
    std::string strRoot = strDir;
    try {
        if (!strRoot.empty()) {
            strRoot = fs::absolute(strRoot).lexically_normal().string();
        }
    } catch (const std::exception&) {
    }
    while (strRoot.size() > 1 && strRoot.back() == '/') {
        strRoot.pop_back();
    }
    if (strRoot == "/") {
        strRoot.clear();
    }
    FileRoot& root = Root();
    std::lock_guard<std::mutex> lock(root.mutex);
    root.strRoot = strRoot;
}

std::string GetRoot() {
    FileRoot& root = Root();
    std::lock_guard<std::mutex> lock(root.mutex);
    return root.strRoot;
}

void SetAtomicWriteFault(bool bFail) { g_bAtomicWriteFault = bFail; }

}  // namespace hostcore

namespace ETL_MiscHelper {

std::string pathMapToRoot(const std::string& strPath) {
    try {
        const std::string strRoot = hostcore::GetRoot();
        if (strRoot.empty() || strPath.empty() || strPath[0] != '/') {
            return strPath;
        }
        const std::string strClean = WithoutDotComponents(strPath);
        return IsUnder(strClean, strRoot) ? strClean : strRoot + strClean;
    } catch (const std::exception&) {
        return strPath;
    }
}

bool pathFileExist(const std::string& strPath) {
    if (strPath.empty()) {
        return false;
    }
    try {
        struct stat info {};
        return ::stat(pathMapToRoot(strPath).c_str(), &info) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

bool fileWriteAtomic(const std::string& strPath, const std::string& strData) {
    if (strPath.empty()) {
        return false;
    }
    try {
        const fs::path target(pathMapToRoot(strPath));
        if (target.filename().empty()) {
            return false;
        }
        return WriteAtomically(target, strData);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace ETL_MiscHelper
