#include "FaultyFileSystem.h"

#include <algorithm>

#include "HostControl.h"

namespace testsupport {

const char* FileFaultName(FileFault eFault) {
    switch (eFault) {
        case FileFault::Open:
            return "open";
        case FileFault::ShortWrite:
            return "short write";
        case FileFault::NoSpace:
            return "no space";
        case FileFault::Sync:
            return "flush";
        case FileFault::Close:
            return "close";
        case FileFault::Rename:
            return "rename";
        case FileFault::SyncFolder:
            return "folder flush";
        case FileFault::Remove:
            return "remove";
        case FileFault::CreateFolders:
            return "create folders";
    }
    return "?";
}

const std::vector<FileFault>& SaveStepFaults() {
    static const std::vector<FileFault> kSteps = {
        FileFault::Open,  FileFault::ShortWrite, FileFault::NoSpace,    FileFault::Sync,
        FileFault::Close, FileFault::Rename,     FileFault::SyncFolder,
    };
    return kSteps;
}

// Applies the write faults of its file system to one file.
class FaultyFileSystem::FaultyFile : public ETL_FileSystem::CWritableFile {
public:
    FaultyFile(FaultyFileSystem& owner, std::string strPath,
               std::unique_ptr<ETL_FileSystem::CWritableFile> pTarget)
        : m_owner(owner), m_strPath(std::move(strPath)), m_pTarget(std::move(pTarget)) {}

    bool Append(const char* pData, std::size_t nSize) override {
        FileFault eFault{};
        if (!m_owner.NextCallFails(Step::Write, m_strPath, &eFault)) {
            return m_pTarget->Append(pData, nSize);
        }
        if (eFault == FileFault::ShortWrite) {
            m_pTarget->Append(pData, nSize / 2);
            errno = EIO;
        } else {
            errno = ENOSPC;
        }
        return false;
    }

    bool Sync() override { return !m_owner.Refuses(Step::Sync, m_strPath, EIO) && m_pTarget->Sync(); }

    bool Close() override {
        const bool bClosed = m_pTarget->Close();
        return !m_owner.Refuses(Step::Close, m_strPath, EIO) && bClosed;
    }

private:
    FaultyFileSystem& m_owner;
    const std::string m_strPath;
    std::unique_ptr<ETL_FileSystem::CWritableFile> m_pTarget;
};

FaultyFileSystem::FaultyFileSystem() : CFileSystemWrapper(ETL_FileSystem::Current()) {
    HostControl::SetFileSystem(this);
}

FaultyFileSystem::~FaultyFileSystem() {
    HostControl::SetFileSystem(Target() == ETL_FileSystem::Default() ? nullptr : Target());
}

FaultyFileSystem::Step FaultyFileSystem::StepOf(FileFault eFault) {
    switch (eFault) {
        case FileFault::Open:
            return Step::Open;
        case FileFault::ShortWrite:
        case FileFault::NoSpace:
            return Step::Write;
        case FileFault::Sync:
            return Step::Sync;
        case FileFault::Close:
            return Step::Close;
        case FileFault::Rename:
            return Step::Rename;
        case FileFault::SyncFolder:
            return Step::SyncFolder;
        case FileFault::Remove:
            return Step::Remove;
        case FileFault::CreateFolders:
            return Step::CreateFolders;
    }
    return Step::Open;
}

void FaultyFileSystem::FailNth(FileFault eFault, int nNth) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listArmed.push_back({eFault, std::max(nNth, 1), false});
}

void FaultyFileSystem::FailEvery(FileFault eFault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listArmed.push_back({eFault, 0, true});
}

void FaultyFileSystem::CutShortBeforeRename() {
    FailEvery(FileFault::Rename);
    FailEvery(FileFault::Remove);
}

void FaultyFileSystem::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listArmed.clear();
}

int FaultyFileSystem::Injected() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nInjected;
}

std::vector<std::string> FaultyFileSystem::FailedPaths() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listFailedPaths;
}

int FaultyFileSystem::Calls(FileFault eFault) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_mapCalls.find(StepOf(eFault));
    return found == m_mapCalls.end() ? 0 : found->second;
}

bool FaultyFileSystem::Refuses(Step eStep, const std::string& strPath, int nErrno) {
    FileFault eFault{};
    if (!NextCallFails(eStep, strPath, &eFault)) {
        return false;
    }
    errno = nErrno;
    return true;
}

bool FaultyFileSystem::NextCallFails(Step eStep, const std::string& strPath, FileFault* pFault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_mapCalls[eStep];
    bool bFails = false;
    for (auto it = m_listArmed.begin(); it != m_listArmed.end();) {
        const bool bThisStep = StepOf(it->eFault) == eStep;
        const bool bNow = bThisStep && (it->bEvery || --it->nCallsLeft == 0);
        if (bNow && !bFails) {
            *pFault = it->eFault;
            bFails = true;
        }
        it = bNow && !it->bEvery ? m_listArmed.erase(it) : it + 1;
    }
    if (bFails) {
        ++m_nInjected;
        m_listFailedPaths.push_back(
            eStep == Step::SyncFolder && !m_strLastRenamedTo.empty() ? m_strLastRenamedTo : strPath);
    }
    return bFails;
}

std::unique_ptr<ETL_FileSystem::CWritableFile> FaultyFileSystem::NewWritableFile(const std::string& strPath,
                                                                                 int nMode) {
    if (Refuses(Step::Open, strPath, EACCES)) {
        return nullptr;
    }
    std::unique_ptr<ETL_FileSystem::CWritableFile> pFile =
        CFileSystemWrapper::NewWritableFile(strPath, nMode);
    return pFile ? std::make_unique<FaultyFile>(*this, strPath, std::move(pFile)) : nullptr;
}

bool FaultyFileSystem::RenameFile(const std::string& strFrom, const std::string& strTo) {
    if (Refuses(Step::Rename, strTo, EIO) || !CFileSystemWrapper::RenameFile(strFrom, strTo)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strLastRenamedTo = strTo;
    return true;
}

bool FaultyFileSystem::RemoveFile(const std::string& strPath) {
    return !Refuses(Step::Remove, strPath, EIO) && CFileSystemWrapper::RemoveFile(strPath);
}

bool FaultyFileSystem::SyncFolder(const std::string& strFolder) {
    return !Refuses(Step::SyncFolder, strFolder, EIO) && CFileSystemWrapper::SyncFolder(strFolder);
}

bool FaultyFileSystem::CreateFolders(const std::string& strFolder) {
    return !Refuses(Step::CreateFolders, strFolder, EACCES) && CFileSystemWrapper::CreateFolders(strFolder);
}

}  // namespace testsupport
