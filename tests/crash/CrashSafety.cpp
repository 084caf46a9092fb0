// Crash safety: runs saves of the local phone book in a child process and kills it with SIGKILL at a random
// moment, many times over (contact edits, group edits, imports, background reloads in turn). After every
// kill each checked file must hold exactly one of the versions a reference run of the same work wrote (or
// its content from before), both files must load, and the next load must leave no temporary file behind.
//
//   crash_safety [--kills N] [--seed S] [--keep]    (default 200 kills, a fresh seed)
//   --keep  keeps the folder of a round that failed, for a look at it
//
// A child is this program again: crash_safety --child <operation> <root>. It loads the phone book, writes
// "ready" on its standard output, runs the work and writes "done".

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BaseHelper.h"
#include "ContactGeneralModel.h"
#include "CrashOperations.h"
#include "HostControl.h"

namespace fs = std::filesystem;

namespace crashtest {
namespace {

using Clock = std::chrono::steady_clock;

// This program, to run again as a child ("/proc/self/exe" would name the emulator under qemu-user).
std::string g_strSelf = "/proc/self/exe";

// The versions each checked file may hold after a kill (phone path: contents; nothing stands for absent).
using Allowed = std::map<std::string, std::vector<std::optional<std::string>>>;

struct Round {
    std::string strRoot;
    pid_t nChild = -1;
    int nOutput = -1;  // the child's standard output
};

struct Tally {
    int nKills = 0;
    int nFailed = 0;
    int nBeforeDone = 0;     // killed before the work was done
    int nTempFilesLeft = 0;  // kills that left a temporary file behind (removed by the next load)
    std::map<std::string, int> mapByOperation;
};

std::string MakeRootDir() {
    std::string strPattern = (fs::temp_directory_path() / "crash.XXXXXX").string();
    if (::mkdtemp(strPattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return strPattern;
}

void UseRoot(const std::string& strRoot) {
    HostControl::SetLoopbackOnly(true);
    HostControl::Reset();
    HostControl::SetRootDir(strRoot);
}

void LeaveRoot() {
    NS_DIRECTORY::CContactGeneralModel::ReleaseInstance();
    HostControl::Reset();  // no worker thread stays, so the next fork is safe
    HostControl::SetRootDir("");
}

void WriteFiles(const Files& files) {
    for (const auto& file : files) {
        const fs::path path = ETL_MiscHelper::pathMapToRoot(file.first);
        fs::create_directories(path.parent_path());
        std::FILE* pFile = std::fopen(path.c_str(), "wb");
        std::fwrite(file.second.data(), 1, file.second.size(), pFile);
        std::fclose(pFile);
    }
}

// ---- the child

int RunChild(const std::string& strOperation, const std::string& strRoot) {
    Operation eOperation{};
    if (!OperationByName(strOperation, &eOperation)) {
        return 2;
    }
    UseRoot(strRoot);
    NS_DIRECTORY::CContactGeneralModel::GetInstance();
    const ssize_t nReady = ::write(1, "ready\n", 6);
    const bool bDone = RunOperation(eOperation);
    const ssize_t nDone = bDone ? ::write(1, "done\n", 5) : 0;
    ::_exit(nReady == 6 && nDone == 5 ? 0 : 3);
}

// A child working on a new root that holds the starting files.
Round StartChild(Operation eOperation, const Files& starting) {
    const std::string strRoot = MakeRootDir();
    UseRoot(strRoot);
    WriteFiles(starting);
    LeaveRoot();
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    Round round;
    round.strRoot = strRoot;
    round.nChild = ::fork();
    if (round.nChild < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (round.nChild == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        const char* argv[] = {"crash_safety", "--child", OperationName(eOperation), strRoot.c_str(), nullptr};
        ::execv(g_strSelf.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(fds[1]);
    round.nOutput = fds[0];
    return round;
}

// What the child wrote so far, waiting up to nTimeoutMs for wanted to show up (0: only what is there).
std::string ReadUntil(int nFd, const std::string& strWanted, int nTimeoutMs, std::string strSoFar = "") {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (strSoFar.find(strWanted) == std::string::npos) {
        const long long nLeftMs = std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        pollfd entry{nFd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(nLeftMs)) <= 0) {
            if (nLeftMs == 0) {
                break;
            }
            continue;
        }
        char buffer[256];
        const ssize_t nRead = ::read(nFd, buffer, sizeof buffer);
        if (nRead <= 0) {
            break;
        }
        strSoFar.append(buffer, static_cast<std::size_t>(nRead));
    }
    return strSoFar;
}

void SleepMicroseconds(long long nMicroseconds) {
    timespec delay{static_cast<time_t>(nMicroseconds / 1000000),
                   static_cast<long>(nMicroseconds % 1000000) * 1000};
    while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

// ---- the reference: every version of every checked file the work writes when nothing kills it

Allowed ReferenceVersions(Operation eOperation, const Files& starting) {
    const std::string strRoot = MakeRootDir();
    UseRoot(strRoot);
    WriteFiles(starting);
    NS_DIRECTORY::CContactGeneralModel::GetInstance();
    RecordingFileSystem recording;
    HostControl::SetFileSystem(&recording);
    const bool bDone = RunOperation(eOperation);
    HostControl::SetFileSystem(nullptr);
    LeaveRoot();
    if (!bDone) {
        std::fprintf(stderr, "%s: the work itself failed\n", OperationName(eOperation));
        std::exit(2);
    }
    const std::map<std::string, std::vector<std::string>> mapVersions = recording.Versions();
    Allowed allowed;
    for (const std::string& strPath : CheckedFiles()) {
        const auto found = starting.find(strPath);
        allowed[strPath].push_back(found != starting.end() ? std::optional<std::string>(found->second)
                                                           : std::nullopt);
        const auto versions = mapVersions.find(strRoot + strPath);
        if (versions != mapVersions.end()) {
            allowed[strPath].insert(allowed[strPath].end(), versions->second.begin(), versions->second.end());
        }
    }
    fs::remove_all(strRoot);
    return allowed;
}

// How long the work takes in a child, from "ready" to "done" (the middle one of three runs).
long long WorkMicroseconds(Operation eOperation, const Files& starting) {
    std::vector<long long> listTimes;
    for (int nRun = 0; nRun < 3; ++nRun) {
        Round round = StartChild(eOperation, starting);
        std::string strOutput = ReadUntil(round.nOutput, "ready\n", 20000);
        const Clock::time_point start = Clock::now();
        strOutput = ReadUntil(round.nOutput, "done\n", 60000, strOutput);
        listTimes.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
        int nStatus = 0;
        ::waitpid(round.nChild, &nStatus, 0);
        ::close(round.nOutput);
        fs::remove_all(round.strRoot);
        if (strOutput.find("done\n") == std::string::npos || !WIFEXITED(nStatus) ||
            WEXITSTATUS(nStatus) != 0) {
            std::fprintf(stderr, "%s: the child did not finish its work\n", OperationName(eOperation));
            std::exit(2);
        }
    }
    std::sort(listTimes.begin(), listTimes.end());
    return std::max<long long>(listTimes[1], 1);
}

// ---- after a kill

int TempFilesIn(const std::string& strRoot) {
    int nTemps = 0;
    for (const char* pFolder : {"/config/data", "/tmp"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(strRoot + pFolder, ec)) {
            nTemps += IsBookFileName(entry.path().filename().string()) ? 0 : 1;
        }
    }
    return nTemps;
}

std::string Describe(const std::optional<std::string>& content) {
    return content ? std::to_string(content->size()) + " bytes" : std::string("absent");
}

// Every failed check of one round, one line each.
std::vector<std::string> CheckAfterKill(const std::string& strRoot, const Allowed& allowed) {
    std::vector<std::string> listFailures;
    std::map<std::string, std::optional<std::string>> mapFound;
    for (const std::string& strPath : CheckedFiles()) {
        mapFound[strPath] = ReadWholeFile(strRoot + strPath);
        const auto& listVersions = allowed.at(strPath);
        if (std::find(listVersions.begin(), listVersions.end(), mapFound[strPath]) == listVersions.end()) {
            listFailures.push_back(strPath + " holds none of its " + std::to_string(listVersions.size()) +
                                   " versions (" + Describe(mapFound[strPath]) + ")");
        }
    }
    UseRoot(strRoot);
    NS_DIRECTORY::CContactGeneralModel* pModel = NS_DIRECTORY::CContactGeneralModel::GetInstance();
    if (!pModel->ReloadGroupXml()) {
        listFailures.push_back("the group file does not load");
    }
    if (!pModel->ReloadContactXml()) {
        listFailures.push_back("the contact file does not load");
    }
    LeaveRoot();
    for (const std::string& strPath : CheckedFiles()) {
        if (ReadWholeFile(strRoot + strPath) != mapFound[strPath]) {
            listFailures.push_back(strPath + " changed while it loaded");
        }
    }
    if (TempFilesIn(strRoot) != 0) {
        listFailures.push_back("a temporary file is still there after the load");
    }
    return listFailures;
}

bool RunRound(Operation eOperation, const Files& starting, const Allowed& allowed, long long nWindowUs,
              std::mt19937_64& random, bool bKeep, Tally& tally) {
    Round round = StartChild(eOperation, starting);
    const std::string& strRoot = round.strRoot;
    std::string strOutput = ReadUntil(round.nOutput, "ready\n", 20000);
    SleepMicroseconds(std::uniform_int_distribution<long long>(0, nWindowUs)(random));
    ::kill(round.nChild, SIGKILL);
    int nStatus = 0;
    ::waitpid(round.nChild, &nStatus, 0);  // reaped: its pid no longer counts as a running writer
    strOutput = ReadUntil(round.nOutput, "\n\n", 0, strOutput);
    ::close(round.nOutput);

    ++tally.nKills;
    ++tally.mapByOperation[OperationName(eOperation)];
    tally.nBeforeDone += strOutput.find("done\n") == std::string::npos ? 1 : 0;
    tally.nTempFilesLeft += TempFilesIn(strRoot) != 0 ? 1 : 0;
    std::vector<std::string> listFailures;
    if (strOutput.find("ready\n") == std::string::npos) {
        listFailures.push_back("the child never got ready");
    } else {
        listFailures = CheckAfterKill(strRoot, allowed);
    }
    for (const std::string& strFailure : listFailures) {
        std::fprintf(stderr, "kill %d (%s, %s): %s\n", tally.nKills, OperationName(eOperation),
                     strRoot.c_str(), strFailure.c_str());
    }
    if (!listFailures.empty()) {
        ++tally.nFailed;
    }
    if (listFailures.empty() || !bKeep) {
        fs::remove_all(strRoot);
    }
    return listFailures.empty();
}

int RunParent(int nKills, std::uint64_t nSeed, bool bKeep) {
    const std::string strScratch = MakeRootDir();
    UseRoot(strScratch);
    const Files starting = StartingFiles();
    LeaveRoot();
    fs::remove_all(strScratch);

    std::map<Operation, Allowed> mapAllowed;
    std::map<Operation, long long> mapWindowUs;
    for (const Operation eOperation : AllOperations()) {
        mapAllowed[eOperation] = ReferenceVersions(eOperation, starting);
        // A little past the end of the work, so some kills come after it, most inside it.
        mapWindowUs[eOperation] = WorkMicroseconds(eOperation, starting) * 5 / 4;
        std::printf("%-18s %5lld us of work, versions:", OperationName(eOperation),
                    mapWindowUs[eOperation] * 4 / 5);
        for (const auto& file : mapAllowed[eOperation]) {
            std::printf(" %s %zu", fs::path(file.first).filename().c_str(), file.second.size());
        }
        std::printf("\n");
    }

    std::mt19937_64 random(nSeed);
    Tally tally;
    const Clock::time_point start = Clock::now();
    for (int nKill = 0; nKill < nKills; ++nKill) {
        const Operation eOperation =
            AllOperations()[static_cast<std::size_t>(nKill) % AllOperations().size()];
        RunRound(eOperation, starting, mapAllowed[eOperation], mapWindowUs[eOperation], random, bKeep, tally);
    }
    const double dSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("crash safety, seed %llu: %d kills, %d survived (", static_cast<unsigned long long>(nSeed),
                tally.nKills, tally.nKills - tally.nFailed);
    bool bFirst = true;
    for (const auto& entry : tally.mapByOperation) {
        std::printf("%s%s %d", bFirst ? "" : ", ", entry.first.c_str(), entry.second);
        bFirst = false;
    }
    std::printf(
        "); %d before the work was done, %d left temporary files that the next load removed; %.1f s\n",
        tally.nBeforeDone, tally.nTempFilesLeft, dSeconds);
    return tally.nFailed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace crashtest

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        return crashtest::RunChild(argv[2], argv[3]);
    }
    std::error_code ec;
    const fs::path self = fs::canonical(argv[0], ec);
    if (!ec) {
        crashtest::g_strSelf = self.string();
    }
    int nKills = 200;
    std::uint64_t nSeed = std::random_device()();
    bool bKeep = false;
    for (int nArg = 1; nArg < argc; ++nArg) {
        const std::string strArg = argv[nArg];
        if (strArg == "--kills" && nArg + 1 < argc) {
            nKills = std::atoi(argv[++nArg]);
        } else if (strArg == "--seed" && nArg + 1 < argc) {
            nSeed = std::strtoull(argv[++nArg], nullptr, 10);
        } else if (strArg == "--keep") {
            bKeep = true;
        } else {
            std::fprintf(stderr, "usage: %s [--kills N] [--seed S] [--keep]\n", argv[0]);
            return 2;
        }
    }
    return crashtest::RunParent(nKills, nSeed, bKeep);
}
