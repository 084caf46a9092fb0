#include "Shell.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include <editline/readline.h>

#include "CommandSupport.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "LocalSearch.h"
#include "Runner.h"
#include "Session.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

constexpr int kIdleSliceMs = 20;
constexpr const char* kPrompt = "dirsim> ";
constexpr const char* kHistoryFile = "dirsim-history";
constexpr int kLiveRows = 10;
constexpr unsigned char kCtrlC = 3;
constexpr unsigned char kCtrlD = 4;

CShell* g_pShell = nullptr;
bool g_bLineDone = false;
bool g_bEndOfInput = false;
std::string g_strLine;

std::vector<std::string> g_vecCandidates;
size_t g_nNextCandidate = 0;

std::vector<std::string> GroupNameList() {
    std::vector<std::string> vecNames;
    ContactGroupListData list;
    list.m_nCountToGet = 1 << 16;
    if (CContactGroupController::GetInstance()->GetGroupList(&list, true)) {
        for (const ContactGroupData& group : list.m_listData) {
            vecNames.push_back(group.m_strDisplayName);
        }
    }
    return vecNames;
}

// What may come at the cursor, given the words before it.
std::vector<std::string> CandidatesAfter(const std::vector<std::string>& vecWords,
                                         const std::string& strText) {
    std::set<std::string> setNames;
    const std::vector<CommandDef>& vecCommands = Commands().All();
    if (vecWords.empty()) {
        for (const CommandDef& def : vecCommands) {
            setNames.insert(def.strName.substr(0, def.strName.find(' ')));
        }
        return std::vector<std::string>(setNames.begin(), setNames.end());
    }
    if (vecWords.size() == 1) {
        for (const CommandDef& def : vecCommands) {
            if (def.strName.rfind(vecWords[0] + " ", 0) == 0) {
                setNames.insert(def.strName.substr(vecWords[0].size() + 1));
            }
        }
    }
    size_t nNameWords = 0;
    const CommandDef* pDef = Commands().Match(vecWords, &nNameWords);
    if (pDef != nullptr && (strText.empty() || strText[0] == '-')) {
        for (const ParamDef& param : pDef->vecParams) {
            if (param.eKind != ParamKind::Positional) {
                setNames.insert("--" + param.strName);
            }
        }
    }
    const std::string& strLast = vecWords.back();
    const bool bGroupWanted = strLast == "--group" || strLast == "--to" ||
                              (pDef != nullptr && vecWords.size() == nNameWords &&
                               (pDef->strName == "contacts" || pDef->strName == "group edit" ||
                                pDef->strName == "group remove" || pDef->strName == "type"));
    if (bGroupWanted) {
        for (const std::string& strGroup : GroupNameList()) {
            setNames.insert(strGroup);
        }
    }
    return std::vector<std::string>(setNames.begin(), setNames.end());
}

char* NextCandidate(const char* pText, int nState) {
    if (nState == 0) {
        g_nNextCandidate = 0;
    }
    const size_t nLength = std::strlen(pText);
    while (g_nNextCandidate < g_vecCandidates.size()) {
        const std::string& strCandidate = g_vecCandidates[g_nNextCandidate++];
        if (strCandidate.compare(0, nLength, pText) == 0) {
            return strdup(strCandidate.c_str());
        }
    }
    return nullptr;
}

char** Complete(const char* pText, int nStart, int) {
    rl_attempted_completion_over = 1;
    std::vector<std::string> vecWords;
    std::string strError;
    if (!SplitWords(std::string(rl_line_buffer, static_cast<size_t>(nStart)), &vecWords, &strError)) {
        return nullptr;
    }
    g_vecCandidates = CandidatesAfter(vecWords, pText);
    return rl_completion_matches(pText, NextCandidate);
}

// The line editor's reading of a key: waits for the key or for Ctrl-C, so the editor never sits in a read
// that only another key could end. End of input, Ctrl-D on an empty line and Ctrl-C read as end of file.
int ReadKey(FILE*) {
    for (;;) {
        if (CSession::Interrupted()) {
            return EOF;
        }
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {CSession::InterruptFd(), POLLIN, 0}};
        if (poll(fds, CSession::InterruptFd() >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) {
            return EOF;
        }
        if (CSession::Interrupted()) {
            return EOF;
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            continue;
        }
        unsigned char c = 0;
        const ssize_t nRead = read(STDIN_FILENO, &c, 1);
        if (nRead == 1 && c == kCtrlC) {
            CSession::RequestInterrupt();
            return EOF;
        }
        if (nRead == 1 && c == kCtrlD && rl_end == 0) {
            return EOF;
        }
        if (nRead == 1) {
            return c;
        }
        if (nRead == 0 || errno != EINTR) {
            return EOF;
        }
    }
}

void OnLine(char* pLine) {
    g_bLineDone = true;
    if (pLine == nullptr) {
        g_bEndOfInput = true;
        return;
    }
    g_strLine = pLine;
    std::free(pLine);
}

// A terminal in character mode for the key-by-key search; restored when it goes.
class CRawTerminal {
public:
    CRawTerminal() {
        m_bOk = tcgetattr(STDIN_FILENO, &m_saved) == 0;
        if (m_bOk) {
            termios raw = m_saved;
            raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            raw.c_cc[VMIN] = 0;
            raw.c_cc[VTIME] = 0;
            tcsetattr(STDIN_FILENO, TCSANOW, &raw);
        }
    }
    ~CRawTerminal() {
        if (m_bOk) {
            tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
        }
    }

private:
    termios m_saved{};
    bool m_bOk = false;
};

size_t TerminalWidth() {
    winsize size{};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? size.ws_col : 80;
}

// The line cut to the terminal width, counting UTF-8 characters.
std::string FitLine(const std::string& strLine, size_t nWidth) {
    size_t nCharacters = 0;
    for (size_t i = 0; i < strLine.size(); ++i) {
        if ((static_cast<unsigned char>(strLine[i]) & 0xC0) != 0x80 && ++nCharacters >= nWidth) {
            return strLine.substr(0, i);
        }
    }
    return strLine;
}

// The key-by-key search screen: a key line and a page of matches, redrawn in place after every answer.
class CLiveSearch {
public:
    CLiveSearch(CSession& session, int nGroupId, const std::string& strGroup)
        : m_session(session), m_nGroupId(nGroupId), m_strGroup(strGroup) {}

    Result Run() {
        std::printf("searching %s: type letters or keypad digits; Backspace deletes, Enter or Esc leaves\n",
                    m_strGroup.c_str());
        CRawTerminal raw;
        Redraw(GroupPage(), "");
        bool bLeave = false;
        while (!bLeave && !CSession::Interrupted()) {
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {CSession::InterruptFd(), POLLIN, 0}};
            if (poll(fds, CSession::InterruptFd() >= 0 ? 2 : 1, kIdleSliceMs) > 0 &&
                (fds[0].revents & POLLIN)) {
                bLeave = ReadKeys();
            }
            m_session.Pump(0);
            if (LocalSearcher().HasAnswer()) {
                const LocalSearchAnswer answer = LocalSearcher().TakeAnswer();
                if (answer.strKey == m_strKey) {
                    Redraw(answer, "");
                }
            }
        }
        std::printf("\n");
        Result result;
        result.data = {{"key", m_strKey}, {"group", m_strGroup}, {"total", m_nShownTotal}};
        return result.Line("searched \"" + m_strKey + "\" in " + m_strGroup + ": " +
                           Counted(m_nShownTotal, "match"));
    }

private:
    // True when the user leaves.
    bool ReadKeys() {
        char szBuffer[64];
        const ssize_t nRead = read(STDIN_FILENO, szBuffer, sizeof szBuffer);
        if (nRead <= 0) {
            return true;
        }
        std::string strKey = m_strKey;
        for (ssize_t i = 0; i < nRead; ++i) {
            const unsigned char c = static_cast<unsigned char>(szBuffer[i]);
            if (c == '\r' || c == '\n' || c == 4) {
                return true;
            }
            if (c == 27) {
                if (i + 1 == nRead) {
                    return true;
                }
                break;  // an arrow or function key: ignored
            }
            if (c == 127 || c == 8) {
                const std::vector<std::string> vecPrefixes = TypedPrefixes(strKey);
                strKey = vecPrefixes.size() >= 2 ? vecPrefixes[vecPrefixes.size() - 2] : "";
            } else if (c >= 32) {
                strKey += static_cast<char>(c);
            }
        }
        if (strKey != m_strKey) {
            m_strKey = strKey;
            const std::vector<std::string> vecWhole = TypedPrefixes(m_strKey);
            const bool bWholeCharacters = m_strKey.empty() || vecWhole.back() == m_strKey;
            if (m_strKey.empty()) {
                Redraw(GroupPage(), "");
            } else if (bWholeCharacters && !LocalSearcher().Start(m_nGroupId, m_strKey, 0, kLiveRows)) {
                Redraw(LocalSearchAnswer(), "the phone book refused the search");
            }
        }
        return false;
    }

    LocalSearchAnswer GroupPage() {
        LocalSearchAnswer answer;
        ContactGeneralItemListData list;
        list.m_nCountToGet = kLiveRows;
        CContactGeneralModel::GetInstance()->GetContactListById(&list, m_nGroupId);
        answer.nTotal = list.m_nTotalCount;
        answer.vecPage = list.m_listData;
        return answer;
    }

    void Redraw(const LocalSearchAnswer& answer, const std::string& strNote) {
        const size_t nWidth = TerminalWidth();
        if (m_nDrawnLines > 0) {
            std::printf("\033[%dA", m_nDrawnLines);
        }
        std::printf("\r\033[J");
        std::vector<std::string> vecLines = {"search> " + m_strKey};
        vecLines.push_back("  " + (strNote.empty()
                                       ? Counted(answer.nTotal, m_strKey.empty() ? "contact" : "match")
                                       : strNote));
        int nNumber = 0;
        for (const ContactGeneralItemData& data : answer.vecPage) {
            vecLines.push_back("  " + ContactLine(++nNumber, data, false, true));
        }
        for (size_t i = 0; i < vecLines.size(); ++i) {
            std::printf("%s%s", FitLine(vecLines[i], nWidth).c_str(), i + 1 < vecLines.size() ? "\n" : "");
        }
        std::fflush(stdout);
        m_nDrawnLines = static_cast<int>(vecLines.size()) - 1;
        m_nShownTotal = answer.nTotal;
    }

    CSession& m_session;
    const int m_nGroupId;
    const std::string m_strGroup;
    std::string m_strKey;
    int m_nDrawnLines = 0;
    int m_nShownTotal = 0;
};

}  // namespace

CShell::CShell(CSession& session, CRunner& runner) : m_session(session), m_runner(runner) {}

void CShell::Run() {
    g_pShell = this;
    const std::string strHistory = (std::filesystem::path(m_session.RootDir()) / kHistoryFile).string();
    rl_getc_function = ReadKey;
    rl_readline_name = const_cast<char*>("dirsim");
    rl_attempted_completion_function = Complete;
    using_history();
    stifle_history(1000);
    read_history(strHistory.c_str());
    m_runner.SetInteractiveHook([this](const CommandDef& def, const Args& args) -> Result {
        if (def.strName != "type") {
            return def.run(m_session, args);
        }
        const std::string strGroup = args.Text("group");
        const int nGroupId = strGroup.empty()
                                 ? kAllContactsGroupId
                                 : CContactGroupController::GetInstance()->GetGIdByGName(strGroup);
        if (nGroupId < 0) {
            return Result::Fail("there is no group named \"" + strGroup + "\"");
        }
        CLiveSearch live(m_session, nGroupId, strGroup.empty() ? "All Contacts" : strGroup);
        return live.Run();
    });

    std::printf("dirsim: the phone's directory, simulated. Data folder %s.\n", m_session.RootDir().c_str());
    std::printf("Type help for the commands, Tab completes, quit or Ctrl-D leaves.\n");
    std::fflush(stdout);
    bool bRunning = true;
    while (bRunning && !CSession::Interrupted()) {
        g_bLineDone = false;
        rl_callback_handler_install(kPrompt, OnLine);
        while (!g_bLineDone && !CSession::Interrupted()) {
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {CSession::InterruptFd(), POLLIN, 0}};
            const int nReady = poll(fds, CSession::InterruptFd() >= 0 ? 2 : 1, kIdleSliceMs);
            if (nReady > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
                rl_callback_read_char();
            } else {
                m_session.Pump(0);
            }
        }
        rl_callback_handler_remove();
        if (!g_bLineDone || g_bEndOfInput) {
            std::printf("\n");
            break;
        }
        const std::string strLine = g_strLine;
        if (strLine.find_first_not_of(" \t") != std::string::npos) {
            add_history(strLine.c_str());
        }
        m_runner.RunLine(strLine);
        bRunning = !m_runner.QuitRequested();
    }
    write_history(strHistory.c_str());
    m_runner.SetInteractiveHook({});
    g_pShell = nullptr;
}

}  // namespace dirsim
