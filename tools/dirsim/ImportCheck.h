#pragma once
// The dry run of a contact import: which format the phone takes the file for, what it holds, and what the
// phone book's rules would refuse if it were imported now (limits, names taken, names twice in the file),
// following the phone's import step by step on a copy of the counts. Nothing is changed.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace dirsim {

struct ImportRefusal {
    std::string strKind;  // "group" or "contact"
    std::string strName;
    std::string strReason;
};

struct ImportCheckReport {
    int nFileType = -1;  // the phone's contact file type; -1 not a contact file
    std::string strFormat;
    std::vector<std::string> vecGroups;  // distinct group names the file defines or names
    int nContacts = 0;                   // contacts with a name, blacklisted ones included
    int nBlacklisted = 0;
    int nUnnamed = 0;  // contacts without a name, which every import skips
    bool bAppend = false;
    int nLimitCheck = 0;  // what the import with the limit check would answer (0: it passes)
    std::vector<ImportRefusal> vecRefused;
    int nContactsAfter = 0;
    int nBlacklistedAfter = 0;
    int nGroupsAfter = 0;

    nlohmann::json ToJson() const;
    std::vector<std::string> ToLines() const;
};

// strPhonePath: the file, already under the phone's root. bAppend: the import keeps the phone book and
// adds to it; otherwise it replaces it.
ImportCheckReport CheckImport(const std::string& strPhonePath, bool bAppend);

}  // namespace dirsim
