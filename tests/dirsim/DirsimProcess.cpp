#include "DirsimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <pugixml.hpp>

extern char** environ;

namespace dirsimtest {

namespace {

constexpr int kRunTimeoutMs = 60000;

std::vector<json> ParseLines(const std::string& strOut) {
    std::vector<json> vecResults;
    std::istringstream in(strOut);
    std::string strLine;
    while (std::getline(in, strLine)) {
        json line = json::parse(strLine, nullptr, false);
        if (line.is_object()) {
            vecResults.push_back(line);
        }
    }
    return vecResults;
}

}  // namespace

json& DirsimRun::Result(size_t n) const {
    static json empty;
    empty = json::object();
    return n < vecResults.size() ? vecResults[n] : empty;
}

std::string DirsimRun::Error(size_t n) const {
    const json& error = Result(n)["error"];
    return error.is_string() ? error.get<std::string>() : "";
}

std::string DirsimRun::Dump() const {
    return "exit " + std::to_string(nExit) + "\n--- stdout\n" + strOut + "--- stderr\n" + strErr;
}

std::vector<std::string> DirsimCommandLine(const std::vector<std::string>& vecArgs) {
    std::vector<std::string> vecAll;
    std::stringstream emulator(DIRSIM_EMULATOR);
    for (std::string strWord; std::getline(emulator, strWord, '|');) {
        if (!strWord.empty()) {
            vecAll.push_back(strWord);
        }
    }
    vecAll.push_back(DIRSIM_BINARY);
    vecAll.insert(vecAll.end(), vecArgs.begin(), vecArgs.end());
    return vecAll;
}

std::vector<char*> Argv(std::vector<std::string>& vecWords) {
    std::vector<char*> vecArgv;
    for (std::string& strWord : vecWords) {
        vecArgv.push_back(strWord.data());
    }
    vecArgv.push_back(nullptr);
    return vecArgv;
}

int WaitForExit(pid_t pid, int nWaitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nWaitMs);
    int nStatus = 0;
    while (waitpid(pid, &nStatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &nStatus, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
}

DirsimRun RunDirsim(const std::string& strRoot, const std::vector<std::string>& vecArgs,
                    const std::string& strInput) {
    std::vector<std::string> vecAll = {"--root", strRoot, "--quiet"};
    vecAll.insert(vecAll.end(), vecArgs.begin(), vecArgs.end());
    vecAll = DirsimCommandLine(vecAll);
    std::vector<char*> vecArgv = Argv(vecAll);

    int inPipe[2], outPipe[2], errPipe[2];
    DirsimRun run;
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    pid_t pid = 0;
    const int nSpawn = posix_spawn(&pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (nSpawn != 0) {
        close(inPipe[1]);
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }
    signal(SIGPIPE, SIG_IGN);
    size_t nWritten = 0;
    if (strInput.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRunTimeoutMs);
    bool bOutOpen = true;
    bool bErrOpen = true;
    while ((bOutOpen || bErrOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[3] = {{outPipe[0], static_cast<short>(bOutOpen ? POLLIN : 0), 0},
                         {errPipe[0], static_cast<short>(bErrOpen ? POLLIN : 0), 0},
                         {inPipe[1], static_cast<short>(inPipe[1] >= 0 ? POLLOUT : 0), 0}};
        if (poll(fds, 3, 100) <= 0) {
            continue;
        }
        char szBuffer[8192];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents & (POLLIN | POLLHUP)) {
                const ssize_t nRead = read(fds[i].fd, szBuffer, sizeof szBuffer);
                if (nRead <= 0) {
                    (i == 0 ? bOutOpen : bErrOpen) = false;
                } else {
                    (i == 0 ? run.strOut : run.strErr).append(szBuffer, static_cast<size_t>(nRead));
                }
            }
        }
        if (inPipe[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            const ssize_t nSent = write(inPipe[1], strInput.data() + nWritten, strInput.size() - nWritten);
            nWritten += nSent > 0 ? static_cast<size_t>(nSent) : 0;
            if (nSent <= 0 || nWritten == strInput.size()) {
                close(inPipe[1]);
                inPipe[1] = -1;
            }
        }
    }
    if (inPipe[1] >= 0) {
        close(inPipe[1]);
    }
    close(outPipe[0]);
    close(errPipe[0]);
    run.nExit = WaitForExit(pid, bOutOpen || bErrOpen ? 0 : kRunTimeoutMs);
    run.vecResults = ParseLines(run.strOut);
    return run;
}

DirsimRun RunJson(const std::string& strRoot, const std::string& strCommands) {
    return RunDirsim(strRoot, {"--json", "--exec", strCommands});
}

std::string ReadFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> StoredContactNames(const std::string& strRoot) {
    std::vector<std::string> vecNames;
    pugi::xml_document doc;
    doc.load_file((strRoot + "/config/data/contact_list.xml").c_str());
    for (pugi::xml_node contact : doc.child("root_contact").children("contact")) {
        vecNames.push_back(contact.attribute("display_name").value());
    }
    return vecNames;
}

bool IsStored(const std::string& strRoot, const std::string& strName) {
    const std::vector<std::string> vecNames = StoredContactNames(strRoot);
    return std::find(vecNames.begin(), vecNames.end(), strName) != vecNames.end();
}

std::string BookFiles(const std::string& strRoot) {
    return ReadFile(strRoot + "/config/data/contact_list.xml") +
           ReadFile(strRoot + "/config/data/contact_group_list.xml");
}

std::vector<std::string> NamesIn(const json& result, const char* pList) {
    std::vector<std::string> vecNames;
    if (result.contains(pList)) {
        for (const json& item : result[pList]) {
            vecNames.push_back(item["name"].get<std::string>());
        }
    }
    return vecNames;
}

std::string Lower(std::string strText) {
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return strText;
}

}  // namespace dirsimtest
