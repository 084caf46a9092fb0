// The real file system behind the host's file-system seam, the atomic replace made of its steps, and the
// switch that installs another one.

#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "HostState.h"

namespace fs = std::filesystem;

namespace {

std::atomic<unsigned> g_nTempCounter{0};

class PosixWritableFile : public ETL_FileSystem::CWritableFile {
public:
    explicit PosixWritableFile(int nFd) : m_nFd(nFd) {}
    ~PosixWritableFile() override { Close(); }

    bool Append(const char* pData, std::size_t nSize) override {
        std::size_t nDone = 0;
        while (nDone < nSize) {
            const ssize_t nWritten = ::write(m_nFd, pData + nDone, nSize - nDone);
            if (nWritten < 0 && errno == EINTR) {
                continue;
            }
            if (nWritten < 0) {
                return false;
            }
            if (nWritten == 0) {
                errno = EIO;
                return false;
            }
            nDone += static_cast<std::size_t>(nWritten);
        }
        return true;
    }

    bool Sync() override { return ::fsync(m_nFd) == 0; }

    bool Close() override {
        if (m_nFd < 0) {
            return true;
        }
        const int nFd = m_nFd;
        m_nFd = -1;
        return ::close(nFd) == 0;
    }

private:
    int m_nFd;
};

// Closes the files renames replaced on a thread of its own, in the order given. A process forked from the
// one that started the thread (which does not have it) closes them at once.
class ReplacedFileCloser {
public:
    static void Close(int nFd) {
        ReplacedFileCloser& closer = Shared();
        if (closer.m_nOwner.load() != ::getpid() || !closer.Queue(nFd)) {
            ::close(nFd);
        }
    }

private:
    static ReplacedFileCloser& Shared() {
        static ReplacedFileCloser* pShared =
            new ReplacedFileCloser;  // never destroyed: its thread runs to the end
        return *pShared;
    }

    ReplacedFileCloser() {
        try {
            std::thread(&ReplacedFileCloser::Run, this).detach();
            m_nOwner.store(::getpid());
        } catch (const std::exception&) {
            // No thread: every file is closed at once.
        }
    }

    bool Queue(int nFd) {
        try {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_listFds.push_back(nFd);
        } catch (const std::exception&) {
            return false;
        }
        m_wake.notify_one();
        return true;
    }

    void Run() {
        std::vector<int> listClosing;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_listFds.empty(); });
                listClosing.swap(m_listFds);
            }
            for (int nFd : listClosing) {
                ::close(nFd);
            }
            listClosing.clear();
        }
    }

    std::atomic<pid_t> m_nOwner{-1};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<int> m_listFds;
};

class PosixFileSystem : public ETL_FileSystem::CFileSystem {
public:
    std::unique_ptr<ETL_FileSystem::CWritableFile> NewWritableFile(const std::string& strPath,
                                                                   int nMode) override {
        const int nFd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (nFd < 0) {
            return nullptr;
        }
        if (nMode >= 0) {
            ::fchmod(nFd, static_cast<mode_t>(nMode) & 07777);
        }
        try {
            return std::make_unique<PosixWritableFile>(nFd);
        } catch (const std::exception&) {
            ::close(nFd);
            ::unlink(strPath.c_str());
            errno = ENOMEM;
            return nullptr;
        }
    }

    // The file a rename replaces is held open across the rename and let go on the closer thread: the file
    // system frees a replaced file's blocks at its last close, and for a large file that would otherwise
    // hold up the rename (a milliseconds-long step of every save of a large phone book).
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override {
        const int nReplaced =
            ::open(strTo.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        const bool bRenamed = ::rename(strFrom.c_str(), strTo.c_str()) == 0;
        if (nReplaced >= 0) {
            const int nError = errno;
            ReplacedFileCloser::Close(nReplaced);
            errno = nError;
        }
        return bRenamed;
    }

    bool RemoveFile(const std::string& strPath) override { return ::unlink(strPath.c_str()) == 0; }

    bool SyncFolder(const std::string& strFolder) override {
        const int nFd =
            ::open(strFolder.empty() ? "." : strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nFd < 0) {
            return false;
        }
        const bool bOk = ::fsync(nFd) == 0;
        const int nError = errno;
        ::close(nFd);
        errno = nError;
        return bOk;
    }

    bool CreateFolders(const std::string& strFolder) override {
        std::error_code ec;
        fs::create_directories(strFolder, ec);
        if (fs::is_directory(strFolder, ec)) {
            return true;
        }
        errno = ENOTDIR;
        return false;
    }
};

std::atomic<ETL_FileSystem::CFileSystem*> g_pInstalled{nullptr};

// The permission bits of the file a write replaces, -1 when there is none yet.
int ModeOf(const std::string& strPath) {
    struct stat info {};
    return ::stat(strPath.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

}  // namespace

namespace hostcore {

std::string AtomicWriteTempName(const std::string& strTarget) {
    const fs::path target(strTarget);
    return (target.parent_path() /
            ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
             std::to_string(g_nTempCounter.fetch_add(1)) + kAtomicWriteTempSuffix))
        .string();
}

void InstallFileSystem(ETL_FileSystem::CFileSystem* pFileSystem) {
    g_pInstalled.store(pFileSystem);
}

}  // namespace hostcore

namespace ETL_FileSystem {

bool CFileSystem::WriteFileAtomic(const std::string& strPath, const std::string& strData) {
    return WriteFileAtomicPieces(
        strPath, [&strData](const Append& append) { return append(strData.data(), strData.size()); });
}

bool CFileSystem::WriteFileAtomicPieces(const std::string& strPath,
                                        const std::function<bool(const Append&)>& produce) {
    try {
        const fs::path target(strPath);
        if (target.filename().empty()) {
            errno = EISDIR;
            return false;
        }
        const std::string strFolder = target.parent_path().string();
        const std::string strTemp = hostcore::AtomicWriteTempName(strPath);
        const int nMode = ModeOf(strPath);
        std::unique_ptr<CWritableFile> pFile = NewWritableFile(strTemp, nMode);
        // The folder is made only when it is missing, so the usual write asks nothing of it beforehand.
        if (!pFile && errno == ENOENT && !strFolder.empty() && CreateFolders(strFolder)) {
            pFile = NewWritableFile(strTemp, nMode);
        }
        if (!pFile) {
            return false;
        }
        CWritableFile* pTemp = pFile.get();
        bool bAppended = true;
        const Append append = [pTemp, &bAppended](const char* pData, std::size_t nSize) {
            bAppended = bAppended && pTemp->Append(pData, nSize);
            return bAppended;
        };
        bool bProduced = false;
        try {
            bProduced = produce(append);
        } catch (const std::exception&) {
            errno = ENOMEM;
        }
        bool bWritten = bProduced && bAppended && pFile->Sync();
        bWritten = pFile->Close() && bWritten;
        pFile.reset();
        if (!bWritten || !RenameFile(strTemp, strPath)) {
            const int nError = errno;
            RemoveFile(strTemp);
            errno = nError;
            return false;
        }
        return SyncFolder(strFolder);
    } catch (const std::exception&) {
        errno = ENOMEM;
        return false;
    }
}

CFileSystem* Default() {
    static CFileSystem* pReal = new PosixFileSystem;  // never destroyed: used until process exit
    return pReal;
}

CFileSystem* Current() {
    CFileSystem* pInstalled = g_pInstalled.load();
    return pInstalled != nullptr ? pInstalled : Default();
}

}  // namespace ETL_FileSystem
