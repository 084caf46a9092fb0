#pragma once
// Runs the built dirsim binary as a child process, as a person or a shell script would: arguments, text
// on its standard input, and what it printed and answered. With --json every stdout line is one result.

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace dirsimtest {

using json = nlohmann::json;

struct DirsimRun {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
    // stdout lines that parse as JSON. Mutable so that looking up a missing key gives null, not a crash.
    mutable std::vector<json> vecResults;

    // The result of the n-th command; an empty object when there is none.
    json& Result(size_t n) const;
    // The error the n-th command answered; "" when it answered none.
    std::string Error(size_t n) const;
    std::string Dump() const;
};

// The command line that starts dirsim with vecArgs: on a cross build the program runs under the
// emulator the build names (its words joined by '|' in DIRSIM_EMULATOR), as ctest runs the test programs.
std::vector<std::string> DirsimCommandLine(const std::vector<std::string>& vecArgs);
// The argv of a command line for exec or spawn: pointers into vecWords, ended by a null pointer.
std::vector<char*> Argv(std::vector<std::string>& vecWords);

// How a child process ended once it ends within nWaitMs, or is killed then: its exit code, or 128 + the
// signal that ended it.
int WaitForExit(pid_t pid, int nWaitMs);

// dirsim --root strRoot --quiet <args>, fed strInput; gives up after 60 seconds.
DirsimRun RunDirsim(const std::string& strRoot, const std::vector<std::string>& vecArgs,
                    const std::string& strInput = "");
// dirsim --root strRoot --quiet --json --exec strCommands.
DirsimRun RunJson(const std::string& strRoot, const std::string& strCommands);

std::string ReadFile(const std::string& strPath);
// "1 match", "3 matches": how dirsim writes a count.
inline std::string Counted(int nCount, const char* pSingular, const char* pPlural) {
    return std::to_string(nCount) + " " + (nCount == 1 ? pSingular : pPlural);
}
// The display names of contact_list.xml under the root, in file order.
std::vector<std::string> StoredContactNames(const std::string& strRoot);
bool IsStored(const std::string& strRoot, const std::string& strName);
// The contact file and the group file under the root, one after the other.
std::string BookFiles(const std::string& strRoot);
// The "name" of each item of a result's list, in the order given.
std::vector<std::string> NamesIn(const json& result, const char* pList = "items");
// ASCII letters in lower case, other bytes as they are.
std::string Lower(std::string strText);

}  // namespace dirsimtest
