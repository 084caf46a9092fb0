// The interactive shell on a pseudo-terminal, read as a person reads the screen: the prompt, a command's
// page, completion, the key-by-key search narrowing as keys are pressed, and the ways out (end of input
// saves and exits 0, Ctrl-C stops cleanly with 130).

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "CommonAPI.h"
#include "DemoPhoneBook.h"
#include "DirsimProcess.h"
#include "TempRoot.h"

namespace {

constexpr int kScreenWaitMs = 20000;

// dirsim on the slave side of a pseudo-terminal; what it draws accumulates in Screen().
class CTerminalSession {
public:
    explicit CTerminalSession(const std::string& strRoot) {
        winsize size{};
        size.ws_col = 140;
        size.ws_row = 40;
        std::vector<std::string> vecArgs = dirsimtest::DirsimCommandLine({"--root", strRoot, "--quiet"});
        std::vector<char*> vecArgv = dirsimtest::Argv(vecArgs);
        m_pid = forkpty(&m_nMaster, nullptr, nullptr, &size);
        if (m_pid == 0) {
            setenv("TERM", "xterm", 1);
            execv(vecArgv[0], vecArgv.data());
            _exit(127);
        }
    }
    ~CTerminalSession() {
        if (m_pid > 0 && !m_bReaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_nMaster >= 0) {
            close(m_nMaster);
        }
    }

    bool Started() const { return m_pid > 0; }
    void Type(const std::string& strKeys) {
        ASSERT_EQ(write(m_nMaster, strKeys.data(), strKeys.size()), static_cast<ssize_t>(strKeys.size()));
    }
    // Reads until the screen shows strText after what was read before the call began (from nFrom on).
    bool WaitFor(const std::string& strText, size_t nFrom) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kScreenWaitMs);
        while (m_strScreen.find(strText, nFrom) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome(100)) {
                return m_strScreen.find(strText, nFrom) != std::string::npos;
            }
        }
        return true;
    }
    size_t Mark() const { return m_strScreen.size(); }
    // Types keys and reads until the screen shows strText after them.
    bool TypeAndWaitFor(const std::string& strKeys, const std::string& strText) {
        const size_t nMark = Mark();
        Type(strKeys);
        return WaitFor(strText, nMark);
    }
    // Types a command line and reads until the screen shows strText and then the prompt again.
    bool RunCommand(const std::string& strLine, const std::string& strText) {
        const size_t nMark = Mark();
        return TypeAndWaitFor(strLine + "\r", strText) &&
               WaitFor("dirsim> ", m_strScreen.find(strText, nMark));
    }
    const std::string& Screen() const { return m_strScreen; }
    // The exit status once the program ended; a program still running after the screen wait is killed.
    int Exit() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kScreenWaitMs);
        while (ReadSome(50) && std::chrono::steady_clock::now() < deadline) {
        }
        m_bReaped = true;
        return dirsimtest::WaitForExit(m_pid, 0);
    }

private:
    // False once the other side closed.
    bool ReadSome(int nTimeoutMs) {
        pollfd fd = {m_nMaster, POLLIN, 0};
        if (poll(&fd, 1, nTimeoutMs) <= 0) {
            return true;
        }
        char szBuffer[4096];
        const ssize_t nRead = read(m_nMaster, szBuffer, sizeof szBuffer);
        if (nRead <= 0) {
            return false;
        }
        m_strScreen.append(szBuffer, static_cast<size_t>(nRead));
        return true;
    }

    pid_t m_pid = -1;
    int m_nMaster = -1;
    bool m_bReaped = false;
    std::string m_strScreen;
};

int DemoMatches(const std::string& strKey) {
    int nMatches = 0;
    for (const dirsim::DemoContact& contact : dirsim::DemoBook().vecContacts) {
        nMatches +=
            contact.strGroup != "Blacklist" && CommonAPI_StringMatch(contact.strName, strKey, false, 1) ? 1
                                                                                                        : 0;
    }
    return nMatches;
}

// The shell needs a real terminal: under a cross build's user-mode emulator the pseudo-terminal is
// emulated too, and its end of input and hang-up do not reach the program as they do on a phone or a PC.
class DirsimShellTest : public testsupport::HostFixture {
protected:
    void SetUp() override {
        if (!std::string(DIRSIM_EMULATOR).empty()) {
            GTEST_SKIP() << "the shell is tested on the build machine, not under " << DIRSIM_EMULATOR;
        }
    }
};

TEST_F(DirsimShellTest, PromptPagesCompletionKeyByKeySearchAndEndOfInput) {
    CTerminalSession terminal(m_root.Dir());
    ASSERT_TRUE(terminal.Started());
    ASSERT_TRUE(terminal.WaitFor("dirsim> ", 0)) << terminal.Screen();

    ASSERT_TRUE(terminal.TypeAndWaitFor("contacts Fam\t", "ily")) << "Tab completes the group name:\n"
                                                                  << terminal.Screen();
    ASSERT_TRUE(terminal.RunCommand("", "Family: page 1 of")) << terminal.Screen();

    ASSERT_TRUE(terminal.TypeAndWaitFor("type\r", "search> ")) << terminal.Screen();
    ASSERT_TRUE(terminal.TypeAndWaitFor("Σ", dirsimtest::Counted(DemoMatches("Σ"), "match", "matches")))
        << terminal.Screen();
    const size_t nMark = terminal.Mark();
    ASSERT_TRUE(terminal.TypeAndWaitFor("ο", dirsimtest::Counted(DemoMatches("Σο"), "match", "matches")))
        << terminal.Screen();
    EXPECT_LT(DemoMatches("Σο"), DemoMatches("Σ")) << "the demo makes the second key narrow";
    ASSERT_TRUE(terminal.WaitFor("Σοφία", nMark));
    ASSERT_TRUE(terminal.RunCommand("", "searched \"Σο\"")) << terminal.Screen();

    ASSERT_TRUE(terminal.RunCommand("add 'Typed In' --mobile 0170777", "added Typed In"))
        << terminal.Screen();
    terminal.Type("\x04");  // Ctrl-D ends input at the prompt
    EXPECT_EQ(terminal.Exit(), 0) << terminal.Screen();
    EXPECT_TRUE(dirsimtest::IsStored(m_root.Dir(), "Typed In"));
    EXPECT_NE(dirsimtest::ReadFile(m_root.Dir() + "/dirsim-history").find("Typed"), std::string::npos);
}

TEST_F(DirsimShellTest, CtrlCStopsCleanly) {
    CTerminalSession terminal(m_root.Dir());
    ASSERT_TRUE(terminal.Started());
    ASSERT_TRUE(terminal.WaitFor("dirsim> ", 0)) << terminal.Screen();
    terminal.Type("\x03");
    EXPECT_EQ(terminal.Exit(), 130) << terminal.Screen();
    EXPECT_TRUE(std::filesystem::exists(m_root.Dir() + "/dirsim-history"));
    EXPECT_EQ(dirsimtest::StoredContactNames(m_root.Dir()).size(), dirsim::DemoBook().vecContacts.size());
}

}  // namespace
