#pragma once
// The command layer of dirsim: every command is a definition (name, parameters, example) and a function from
// parsed arguments to a structured result. The shell parses words into arguments, a JSON front end may
// hand them over as an object; both get the same result, which the shell prints in words (the lines) and
// --json prints as one object (the data).

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace dirsim {

using json = nlohmann::json;

class CSession;

enum class ParamKind {
    Positional,  // in order; the last positional may take several words (bMany)
    Option,      // --name VALUE
    Flag,        // --name
};

enum class ParamType { Text, Int };

struct ParamDef {
    std::string strName;
    ParamKind eKind = ParamKind::Positional;
    ParamType eType = ParamType::Text;
    bool bRequired = false;
    bool bMany = false;
    std::string strHelp;
};

// What a command answers: ok or a failure in plain words, the data for --json and the lines for people.
struct Result {
    bool bOk = true;
    std::string strError;
    json data = json::object();
    std::vector<std::string> vecLines;

    static Result Fail(const std::string& strError);
    Result& Line(const std::string& strLine);
};

// Parsed arguments: a JSON object of parameter name to text, number, true or a list of texts.
class Args {
public:
    Args() = default;
    explicit Args(json values) : m_values(std::move(values)) {}

    bool Has(const std::string& strName) const;
    std::string Text(const std::string& strName, const std::string& strDefault = "") const;
    int Int(const std::string& strName, int nDefault = 0) const;
    bool Flag(const std::string& strName) const;
    std::vector<std::string> List(const std::string& strName) const;
    const json& Values() const { return m_values; }

private:
    json m_values = json::object();
};

struct CommandDef {
    std::string strName;  // one word, or a family and a verb ("remote open")
    std::string strSummary;
    std::string strExample;
    std::vector<ParamDef> vecParams;
    std::function<Result(CSession&, const Args&)> run;
    bool bInteractiveOnly = false;  // needs a terminal (typed key by key)
};

// Every command, by name.
class CCommandRegistry {
public:
    void Add(CommandDef def);
    const CommandDef* Find(const std::string& strName) const;
    const std::vector<CommandDef>& All() const { return m_vecCommands; }
    // The command a line of words starts with (two-word names first) and how many words it took; null when
    // none matches.
    const CommandDef* Match(const std::vector<std::string>& vecWords, size_t* pNameWords) const;

private:
    std::vector<CommandDef> m_vecCommands;
};

// The registry with every command of dirsim.
const CCommandRegistry& Commands();
void AddGeneralCommands(CCommandRegistry& registry);
void AddLocalCommands(CCommandRegistry& registry);
void AddRemoteCommands(CCommandRegistry& registry);
void AddTransferCommands(CCommandRegistry& registry);
void AddBroadSoftCommands(CCommandRegistry& registry);

// Splits a command line into words: blanks separate, '...' and "..." quote, a backslash escapes the next
// character. False (with the reason) for an open quote.
bool SplitWords(const std::string& strLine, std::vector<std::string>* pWords, std::string* pError);
// Splits a script text at ';' and line ends that stand outside quotes; blank pieces and '#' comments go.
std::vector<std::string> SplitCommands(const std::string& strText);

// Turns the words after the command name into arguments; false with a plain reason when they do not fit.
bool ParseWords(const CommandDef& def, const std::vector<std::string>& vecWords, Args* pArgs,
                std::string* pError);
// Checks and normalises arguments given as a JSON object (names as in the def).
bool ParseJson(const CommandDef& def, const json& values, Args* pArgs, std::string* pError);

// The usage line of a command ("add NAME [--group GROUP] ...").
std::string Usage(const CommandDef& def);

}  // namespace dirsim
