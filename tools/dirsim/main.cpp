// dirsim: the phone's directory module on the reference host, driven from a shell or a script.
//
//   dirsim                         interactive shell on the demo data in ./dirsim-data
//   dirsim --root DIR --exec "contacts; search 627"
//   dirsim --root DIR --script session.txt --json
//   dirsim --web 0                 the phone's screen as a page on 127.0.0.1 (0: a free port)
//   dirsim --remote "Company=https://pb.example.com/top.xml" --xsi https://xsp.example.com --xsi-user bob
//          --real-network
//
// Exit status: 0 when every command worked, 1 when one failed, 2 when dirsim could not start or its own
// options were wrong, 130 after Ctrl-C.

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "Command.h"
#include "Runner.h"
#include "Session.h"
#include "Shell.h"
#include "TransferDiary.h"
#include "WebServer.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitNoStart = 2;
constexpr int kExitInterrupted = 130;

struct ProgramOptions {
    dirsim::SessionOptions session;
    std::string strExec;
    std::string strScript;
    bool bJson = false;
    bool bKeepGoing = false;
    bool bNoDemo = false;
    bool bQuiet = false;
    std::vector<std::string> vecRemote;
    std::string strRemoteUser;
    std::string strXsi;
    std::string strXsiUser;
    std::string strWebPort;
};

void OnSignal(int) {
    dirsim::CSession::RequestInterrupt();
}

void InstallSignalHandlers() {
    dirsim::CSession::SetUpInterrupts();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// UTF-8 keyboard input for the line editor, without changing how numbers print.
void UseUtf8Input() {
    const char* pLocale = std::setlocale(LC_CTYPE, "");
    if (pLocale == nullptr || std::string(pLocale) == "C" || std::string(pLocale) == "POSIX") {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

// A password from the environment, else typed without echo on the terminal.
bool ReadPassword(const char* pVariable, const std::string& strFor, std::string* pPassword) {
    if (const char* pValue = std::getenv(pVariable)) {
        *pPassword = pValue;
        return true;
    }
    if (isatty(STDIN_FILENO) != 1) {
        std::fprintf(stderr, "dirsim: set %s to the password for %s (no terminal to ask on)\n", pVariable,
                     strFor.c_str());
        return false;
    }
    std::fprintf(stderr, "password for %s: ", strFor.c_str());
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    std::getline(std::cin, *pPassword);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fprintf(stderr, "\n");
    return static_cast<bool>(std::cin);
}

// "user:password@" put in front of the host of a URL.
std::string WithCredentials(const std::string& strUrl, const std::string& strUser,
                            const std::string& strPassword) {
    const size_t nScheme = strUrl.find("://");
    if (strUser.empty() || nScheme == std::string::npos) {
        return strUrl;
    }
    return strUrl.substr(0, nScheme + 3) + strUser + ":" + strPassword + "@" + strUrl.substr(nScheme + 3);
}

bool ReadRemoteSlots(ProgramOptions& options) {
    std::string strPassword;
    if (!options.strRemoteUser.empty() &&
        !ReadPassword("DIRSIM_REMOTE_PASSWORD", "the remote phonebook user " + options.strRemoteUser,
                      &strPassword)) {
        return false;
    }
    for (const std::string& strSlot : options.vecRemote) {
        const size_t nEquals = strSlot.find('=');
        if (nEquals == std::string::npos || nEquals == 0 || nEquals + 1 == strSlot.size()) {
            std::fprintf(stderr, "dirsim: --remote wants NAME=URL, not \"%s\"\n", strSlot.c_str());
            return false;
        }
        const std::string strUrl = strSlot.substr(nEquals + 1);
        if (strUrl.find('@') != std::string::npos &&
            strUrl.find('@') < strUrl.find('/', strUrl.find("://") + 3)) {
            std::fprintf(stderr, "dirsim: give credentials with --remote-user, not inside the URL %s\n",
                         dirsim::UrlWithoutCredentials(strUrl).c_str());
            return false;
        }
        options.session.vecRemoteSlots.emplace_back(
            strSlot.substr(0, nEquals), WithCredentials(strUrl, options.strRemoteUser, strPassword));
    }
    return true;
}

// "--xsi scheme://host[:port]" and "--xsi-user" into the account; the password from the environment or a
// prompt.
bool ReadXsiAccount(ProgramOptions& options) {
    if (options.strXsi.empty()) {
        return true;
    }
    const size_t nScheme = options.strXsi.find("://");
    const std::string strRest = nScheme == std::string::npos ? "" : options.strXsi.substr(nScheme + 3);
    const std::string strHostPort = strRest.substr(0, strRest.find('/'));
    if (nScheme == 0 || nScheme == std::string::npos || strHostPort.empty() ||
        strHostPort.find('@') != std::string::npos) {
        std::fprintf(stderr,
                     "dirsim: --xsi wants scheme://host[:port] (the user goes in --xsi-user), not \"%s\"\n",
                     dirsim::UrlWithoutCredentials(options.strXsi).c_str());
        return false;
    }
    if (options.strXsiUser.empty()) {
        std::fprintf(stderr, "dirsim: --xsi needs --xsi-user\n");
        return false;
    }
    dirsim::XsiAccount& account = options.session.xsi;
    account.strServerType = options.strXsi.substr(0, nScheme);
    const size_t nColon = strHostPort.rfind(':');
    account.strHost = nColon == std::string::npos ? strHostPort : strHostPort.substr(0, nColon);
    account.strPort = nColon == std::string::npos ? "" : strHostPort.substr(nColon + 1);
    account.strUserId = options.strXsiUser;
    return ReadPassword("DIRSIM_XSI_PASSWORD", "the Xsi user " + options.strXsiUser, &account.strPassword);
}

std::string ReadScript(const std::string& strPath, bool* pOk) {
    std::ifstream in(strPath);
    std::ostringstream content;
    content << in.rdbuf();
    *pOk = static_cast<bool>(in) || in.eof();
    return content.str();
}

// Servers the configuration names that loopback-only mode will not let the phone reach.
void NoteServersOffLoopback(const ProgramOptions& options) {
    std::vector<std::string> vecServers;
    for (const auto& slot : options.session.vecRemoteSlots) {
        vecServers.push_back(dirsim::UrlWithoutCredentials(slot.second));
    }
    if (!options.strXsi.empty()) {
        vecServers.push_back(options.strXsi);
    }
    for (const std::string& strServer : vecServers) {
        if (strServer.find("://127.0.0.1") == std::string::npos &&
            strServer.find("://localhost") == std::string::npos) {
            std::fprintf(
                stderr,
                "dirsim: note: %s is not on 127.0.0.1; add --real-network to let the phone reach it\n",
                strServer.c_str());
        }
    }
}

// Runs the commands in order; unless keepGoing, the first failure ends the run.
int RunScripted(dirsim::CRunner& runner, const std::vector<std::string>& vecCommands, bool bKeepGoing) {
    for (const std::string& strCommand : vecCommands) {
        if (dirsim::CSession::Interrupted()) {
            return kExitInterrupted;
        }
        if (!runner.RunLine(strCommand) && !bKeepGoing) {
            return kExitFailed;
        }
        if (runner.QuitRequested()) {
            break;
        }
    }
    if (dirsim::CSession::Interrupted()) {
        return kExitInterrupted;
    }
    return runner.FailureCount() > 0 ? kExitFailed : 0;
}

// Commands read from a pipe, one per line, run as they arrive.
int RunFromInput(dirsim::CRunner& runner, bool bKeepGoing) {
    std::string strLine;
    while (!dirsim::CSession::Interrupted() && std::getline(std::cin, strLine)) {
        for (const std::string& strCommand : dirsim::SplitCommands(strLine)) {
            if (!runner.RunLine(strCommand) && !bKeepGoing) {
                return kExitFailed;
            }
            if (runner.QuitRequested()) {
                return runner.FailureCount() > 0 ? kExitFailed : 0;
            }
        }
    }
    if (dirsim::CSession::Interrupted()) {
        return kExitInterrupted;
    }
    return runner.FailureCount() > 0 ? kExitFailed : 0;
}

// The port of --web; none given is the default one.
bool ReadWebPort(const std::string& strPort, int* pPort) {
    constexpr int kDefaultWebPort = 8080;
    *pPort = kDefaultWebPort;
    if (strPort.empty()) {
        return true;
    }
    if (strPort.find_first_not_of("0123456789") != std::string::npos || strPort.size() > 5 ||
        (*pPort = std::stoi(strPort)) > 65535) {
        std::fprintf(stderr, "dirsim: --web wants a port number from 0 to 65535, not \"%s\"\n",
                     strPort.c_str());
        return false;
    }
    return true;
}

// The phone's screen in a browser until quit or Ctrl-C.
int RunWeb(dirsim::CSession& session, dirsim::CRunner& runner, int nPort) {
    dirsim::CWebServer server(session, runner);
    std::string strError;
    if (!server.Listen(nPort, &strError)) {
        std::fprintf(stderr, "dirsim: %s\n", strError.c_str());
        return kExitNoStart;
    }
    std::printf("dirsim: the phone's directory screen is at %s (Ctrl-C stops)\n", server.Url().c_str());
    std::fflush(stdout);
    server.Serve();
    return dirsim::CSession::Interrupted() ? kExitInterrupted : 0;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    CLI::App app(
        "dirsim: a phone directory simulator. Without --exec or --script it opens a shell on a terminal "
        "and reads commands line by line from a pipe.",
        "dirsim");
    app.add_option("--root", options.session.strRoot,
                   "data folder (default ./dirsim-data, seeded on first use)");
    app.add_option("--exec", options.strExec, "commands to run, separated by ';'");
    app.add_option("--script", options.strScript, "file of commands, one per line ('#' starts a comment)")
        ->check(CLI::ExistingFile);
    app.add_option("--web", options.strWebPort,
                   "serve the phone's directory screen on 127.0.0.1:PORT (default 8080, 0: a free port)")
        ->expected(0, 1);
    app.add_flag("--json", options.bJson, "print every command result as one JSON object per line");
    app.add_flag("--keep-going", options.bKeepGoing, "in a script, go on after a failed command");
    app.add_flag("--quiet", options.bQuiet, "no progress lines on stderr");
    app.add_flag("--no-demo", options.bNoDemo,
                 "serve neither the demo remote phonebook nor the demo network directory");
    app.add_option("--remote", options.vecRemote,
                   "a remote phonebook slot NAME=URL instead of the demo (repeatable, up to five)");
    app.add_option(
        "--remote-user", options.strRemoteUser,
        "user for the remote phonebooks; the password comes from DIRSIM_REMOTE_PASSWORD or a prompt");
    app.add_option("--xsi", options.strXsi,
                   "the network directory's Xsi server, scheme://host[:port], instead of the demo's");
    app.add_option("--xsi-user", options.strXsiUser,
                   "Xsi user id; the password comes from DIRSIM_XSI_PASSWORD or a prompt");
    app.add_flag("--real-network", options.session.bRealNetwork,
                 "allow servers other than 127.0.0.1 (off: only loopback is ever contacted)");
    app.add_option("--boot-wait", options.session.nBootWaitMs,
                   "milliseconds to wait at start for the first downloads (default 5000)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitNoStart;
    }
    if (!options.strExec.empty() && !options.strScript.empty()) {
        std::fprintf(stderr, "dirsim: give --exec or --script, not both\n");
        return kExitNoStart;
    }
    const bool bWeb = app.count("--web") > 0;
    int nWebPort = 0;
    if (bWeb && (!options.strExec.empty() || !options.strScript.empty())) {
        std::fprintf(stderr, "dirsim: --web takes its commands from the page, not from --exec or --script\n");
        return kExitNoStart;
    }
    if (bWeb && !ReadWebPort(options.strWebPort, &nWebPort)) {
        return kExitNoStart;
    }
    options.session.bDemoRemote = !options.bNoDemo && options.vecRemote.empty();
    options.session.bDemoXsi = !options.bNoDemo && options.strXsi.empty();
    options.session.bProgress = !options.bQuiet;
    if (!ReadRemoteSlots(options) || !ReadXsiAccount(options)) {
        return kExitNoStart;
    }
    if (!options.session.bRealNetwork) {
        NoteServersOffLoopback(options);
    }

    UseUtf8Input();
    InstallSignalHandlers();
    dirsim::CSession session(options.session);
    std::string strError;
    if (!session.Start(&strError)) {
        std::fprintf(stderr, "dirsim: %s\n", strError.c_str());
        return dirsim::CSession::Interrupted() ? kExitInterrupted : kExitNoStart;
    }
    dirsim::CRunner runner(session, options.bJson);
    int nExit = 0;
    if (bWeb) {
        nExit = RunWeb(session, runner, nWebPort);
    } else if (!options.strExec.empty()) {
        nExit = RunScripted(runner, dirsim::SplitCommands(options.strExec), options.bKeepGoing);
    } else if (!options.strScript.empty()) {
        bool bRead = false;
        const std::string strScript = ReadScript(options.strScript, &bRead);
        if (!bRead) {
            std::fprintf(stderr, "dirsim: cannot read the script %s\n", options.strScript.c_str());
            nExit = kExitNoStart;
        } else {
            nExit = RunScripted(runner, dirsim::SplitCommands(strScript), options.bKeepGoing);
        }
    } else if (isatty(STDIN_FILENO) == 1 && !options.bJson) {
        dirsim::CShell(session, runner).Run();
        nExit = dirsim::CSession::Interrupted() ? kExitInterrupted : 0;
    } else {
        nExit = RunFromInput(runner, options.bKeepGoing);
    }
    session.Stop();
    return nExit;
}
