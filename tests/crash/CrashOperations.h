#pragma once
// What the crash test kills: the phone book it starts from and the four kinds of work that save it, run
// alike by the child that gets killed and by the reference run that records every version a file goes
// through.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace crashtest {

enum class Operation { ContactEdits, GroupEdits, Import, BackgroundReload };
const std::vector<Operation>& AllOperations();
const char* OperationName(Operation eOperation);
bool OperationByName(const std::string& strName, Operation* pOperation);

// The files checked after every kill (phone paths).
const std::vector<std::string>& CheckedFiles();
// The names a folder may hold after the next load: the book's files and the file imported.
bool IsBookFileName(const std::string& strName);

// Phone path: content, for the files the phone book starts from (the update mark absent).
using Files = std::map<std::string, std::string>;
// Makes them with the module itself in a scratch root, so they are exactly what it writes. Needs the host.
Files StartingFiles();

// Runs the work on the phone book of the current host root; false when a step did not do what it should.
bool RunOperation(Operation eOperation);

// Forwards everything and remembers the content of each file right after every rename onto it: every
// version the file went through, in order (real paths).
class RecordingFileSystem : public ETL_FileSystem::CFileSystemWrapper {
public:
    RecordingFileSystem() : CFileSystemWrapper(ETL_FileSystem::Default()) {}
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override;
    std::map<std::string, std::vector<std::string>> Versions() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<std::string>> m_mapVersions;
};

// The content of a file, nothing when it is absent.
std::optional<std::string> ReadWholeFile(const std::string& strRealPath);

}  // namespace crashtest
