#pragma once
// The interactive shell on a terminal: libedit line editing with history (kept in the data folder) and
// completion of commands, options and group names, while the host loop keeps running between key presses
// so downloads and timers go on. "type" searches the local phone book key by key as you press the keys.
// Ctrl-C and end of input (Ctrl-D on an empty line) end the shell; the caller then stops the session.

#include <string>

namespace dirsim {

class CRunner;
class CSession;

class CShell {
public:
    CShell(CSession& session, CRunner& runner);
    // Runs until quit, end of input or Ctrl-C.
    void Run();

private:
    CSession& m_session;
    CRunner& m_runner;
};

}  // namespace dirsim
