#pragma once
// Runs command lines against a session and prints their results: in words (results on stdout, failures on
// stderr, the module's notifications after each result) or, with --json, one JSON object per command on
// stdout: {"command", "line", "ok", "result" or "error", "notifications"}.

#include <cstdio>
#include <functional>
#include <string>

#include "Command.h"

namespace dirsim {

class CSession;

// The object --json prints for one command (and the web API answers).
json ResultObject(const std::string& strName, const std::string& strLine, const Result& result,
                  const json& notices);

class CRunner {
public:
    // Commands that need a terminal are handed to this hook (the shell's key-by-key search).
    using InteractiveHook = std::function<Result(const CommandDef&, const Args&)>;

    CRunner(CSession& session, bool bJson);

    void SetInteractiveHook(InteractiveHook hook) { m_hook = std::move(hook); }
    // Runs one command line; false when it failed (a blank line succeeds).
    bool RunLine(const std::string& strLine);
    // Runs a command with arguments already parsed (the JSON front end's road).
    Result Run(const CommandDef& def, const Args& args, json* pNotices);
    bool QuitRequested() const { return m_bQuit; }
    int FailureCount() const { return m_nFailures; }

private:
    void Print(const std::string& strName, const std::string& strLine, const Result& result,
               const json& notices);

    CSession& m_session;
    const bool m_bJson;
    InteractiveHook m_hook;
    bool m_bQuit = false;
    int m_nFailures = 0;
};

}  // namespace dirsim
