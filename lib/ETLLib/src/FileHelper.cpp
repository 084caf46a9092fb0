// Phone paths under the host's root directory, and the crash-safe file write.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <filesystem>
#include <limits>
#include <mutex>

#include "BaseHelper.h"
#include "FileSystem.h"
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

bool IsUnder(const std::string& strPath, const std::string& strRoot) {
    return strPath.compare(0, strRoot.size(), strRoot) == 0 &&
           (strPath.size() == strRoot.size() || strPath[strRoot.size()] == '/');
}

// A component "." or "..": one or two dots between slashes (or the start and the end of the path).
bool HasDotComponent(const std::string& strPath) {
    for (std::size_t nStart = 0; nStart <= strPath.size();) {
        std::size_t nEnd = strPath.find('/', nStart);
        if (nEnd == std::string::npos) {
            nEnd = strPath.size();
        }
        const std::size_t nLength = nEnd - nStart;
        if ((nLength == 1 || nLength == 2) && strPath.compare(nStart, nLength, "..", nLength) == 0) {
            return true;
        }
        nStart = nEnd + 1;
    }
    return false;
}

// "/a/../../etc" becomes "/etc", so a phone path can never climb out of the root.
std::string WithoutDotComponents(const std::string& strPath) {
    return HasDotComponent(strPath) ? fs::path(strPath).lexically_normal().string() : strPath;
}

// The digits of text from nBegin up to the next '.', which must come; nEnd receives its position.
bool ReadNumberField(const std::string& strText, std::size_t nBegin, unsigned long long* pValue,
                     std::size_t* pEnd) {
    std::size_t nIndex = nBegin;
    unsigned long long nValue = 0;
    for (; nIndex < strText.size() && strText[nIndex] >= '0' && strText[nIndex] <= '9'; ++nIndex) {
        if (nIndex - nBegin >= 19) {
            return false;
        }
        nValue = nValue * 10 + static_cast<unsigned>(strText[nIndex] - '0');
    }
    if (nIndex == nBegin || nIndex >= strText.size() || strText[nIndex] != '.') {
        return false;
    }
    *pValue = nValue;
    *pEnd = nIndex;
    return true;
}

// The writer's process id when strName is a temporary name hostcore::AtomicWriteTempName gives for strTarget;
// -1 otherwise.
long long TempWriterOf(const std::string& strName, const std::string& strTarget) {
    const std::string strPrefix = "." + strTarget + ".";
    const std::string strSuffix = hostcore::kAtomicWriteTempSuffix;
    if (strName.size() <= strPrefix.size() + strSuffix.size() ||
        strName.compare(0, strPrefix.size(), strPrefix) != 0 ||
        strName.compare(strName.size() - strSuffix.size(), strSuffix.size(), strSuffix) != 0) {
        return -1;
    }
    unsigned long long nPid = 0;
    unsigned long long nCounter = 0;
    std::size_t nEnd = 0;
    if (!ReadNumberField(strName, strPrefix.size(), &nPid, &nEnd) ||
        !ReadNumberField(strName, nEnd + 1, &nCounter, &nEnd) || nEnd != strName.size() - strSuffix.size() ||
        nPid == 0 || nPid > static_cast<unsigned long long>(std::numeric_limits<pid_t>::max())) {
        return -1;
    }
    return static_cast<long long>(nPid);
}

bool IsStaleWriter(long long nPid) {
    if (nPid == static_cast<long long>(::getpid())) {
        return true;
    }
    return ::kill(static_cast<pid_t>(nPid), 0) != 0 && errno == ESRCH;
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

bool fileWriteAtomicPieces(
    const std::string& strPath,
    const std::function<bool(const std::function<bool(const char*, std::size_t)>&)>& produce) {
    if (strPath.empty() || !produce) {
        return false;
    }
    try {
        const std::string strTarget = pathMapToRoot(strPath);
        if (fs::path(strTarget).filename().empty()) {
            return false;
        }
        return ETL_FileSystem::Current()->WriteFileAtomicPieces(strTarget, produce);
    } catch (const std::exception&) {
        return false;
    }
}

bool fileWriteAtomic(const std::string& strPath, const std::string& strData) {
    return fileWriteAtomicPieces(strPath,
                                 [&strData](const std::function<bool(const char*, std::size_t)>& append) {
                                     return append(strData.data(), strData.size());
                                 });
}

bool fileRemove(const std::string& strPath) {
    if (strPath.empty()) {
        return false;
    }
    try {
        return ETL_FileSystem::Current()->RemoveFile(pathMapToRoot(strPath));
    } catch (const std::exception&) {
        return false;
    }
}

int fileRemoveStaleTemps(const std::string& strPath) {
    if (strPath.empty()) {
        return 0;
    }
    try {
        const fs::path target(pathMapToRoot(strPath));
        const std::string strTarget = target.filename().string();
        if (strTarget.empty()) {
            return 0;
        }
        int nRemoved = 0;
        std::error_code ec;
        for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
            const std::string strName = it->path().filename().string();
            const long long nPid = TempWriterOf(strName, strTarget);
            std::error_code typeError;
            if (nPid > 0 && IsStaleWriter(nPid) && it->is_regular_file(typeError) &&
                ETL_FileSystem::Current()->RemoveFile(it->path().string())) {
                ++nRemoved;
            }
        }
        return nRemoved;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace ETL_MiscHelper
