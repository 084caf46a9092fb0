// The command layer's reading of what people and programs give it: words with quotes, scripts, typed
// arguments, and the same arguments as a JSON object (the road a web front end takes).

#include <gtest/gtest.h>

#include "Command.h"
#include "CommandSupport.h"

namespace {

using dirsim::Args;
using dirsim::Commands;
using dirsim::json;

TEST(CommandWordsTest, QuotesEscapesAndBlanks) {
    struct Case {
        const char* pLine;
        std::vector<std::string> vecWords;
    };
    const Case cases[] = {
        {"add 'Anna Müller' --mobile 0170", {"add", "Anna Müller", "--mobile", "0170"}},
        {"show \"O'Neill\"", {"show", "O'Neill"}},
        {"show O\\'Neill", {"show", "O'Neill"}},
        {"  search   627  ", {"search", "627"}},
        {"edit X --office ''", {"edit", "X", "--office", ""}},
        {"add \"a \\\"quoted\\\" name\"", {"add", "a \"quoted\" name"}},
        {"add Jo' 'Ann", {"add", "Jo Ann"}},
        {"", {}},
    };
    for (const Case& test : cases) {
        std::vector<std::string> vecWords;
        std::string strError;
        ASSERT_TRUE(dirsim::SplitWords(test.pLine, &vecWords, &strError)) << test.pLine << ": " << strError;
        EXPECT_EQ(vecWords, test.vecWords) << test.pLine;
    }
    std::vector<std::string> vecWords;
    std::string strError;
    EXPECT_FALSE(dirsim::SplitWords("add 'Anna", &vecWords, &strError));
    EXPECT_NE(strError.find("not closed"), std::string::npos);
}

TEST(CommandWordsTest, ScriptsSplitAtSemicolonsAndLinesOutsideQuotes) {
    const std::string strScript =
        "add 'a;b' --mobile 1; show x\n# a comment; not a command\n\n  remote open 1 ;\n"
        "search \"x\\\"y;z\"";
    EXPECT_EQ(
        dirsim::SplitCommands(strScript),
        (std::vector<std::string>{"add 'a;b' --mobile 1", "show x", "remote open 1", "search \"x\\\"y;z\""}));
}

// The arguments of a command line as the shell reads them; pError says why they are not, ppDef which
// command the line names.
Args FromWords(const std::string& strLine, std::string* pError, const dirsim::CommandDef** ppDef = nullptr) {
    std::vector<std::string> vecWords;
    dirsim::SplitWords(strLine, &vecWords, pError);
    size_t nNameWords = 0;
    const dirsim::CommandDef* pDef = Commands().Match(vecWords, &nNameWords);
    if (ppDef != nullptr) {
        *ppDef = pDef;
    }
    Args args;
    if (pDef == nullptr) {
        *pError = "no command";
        return args;
    }
    vecWords.erase(vecWords.begin(), vecWords.begin() + static_cast<long>(nNameWords));
    if (!dirsim::ParseWords(*pDef, vecWords, &args, pError)) {
        args = Args(json{{"failed", true}});
    }
    return args;
}

TEST(CommandArgumentsTest, WordsAndJsonGiveTheSameArguments) {
    struct Case {
        const char* pCommand;
        const char* pWords;
        json values;
    };
    const Case cases[] = {
        {"add",
         "add 'Eva' --group Friends --line 2 --favourite",
         {{"name", "Eva"}, {"group", "Friends"}, {"line", 2}, {"favourite", true}}},
        {"remove", "remove A 'B C'", {{"contacts", {"A", "B C"}}}},
        {"contacts", "contacts Family --page 3", {{"group", "Family"}, {"page", "3"}}},
        {"remote open", "remote open 2 --size 5", {{"slot", 2}, {"size", 5}}},
        {"help", "help remote open", {{"command", {"remote", "open"}}}},
    };
    for (const Case& test : cases) {
        std::string strError;
        const Args fromWords = FromWords(test.pWords, &strError);
        ASSERT_TRUE(strError.empty()) << test.pWords << ": " << strError;
        Args fromJson;
        ASSERT_TRUE(dirsim::ParseJson(*Commands().Find(test.pCommand), test.values, &fromJson, &strError))
            << test.pCommand << ": " << strError;
        EXPECT_EQ(fromWords.Values(), fromJson.Values()) << test.pWords;
    }
}

TEST(CommandArgumentsTest, RefusalsSayWhatIsWrong) {
    struct WordsCase {
        const char* pWords;
        const char* pReason;
    };
    const WordsCase wordCases[] = {
        {"add", "missing NAME"},
        {"move A", "missing --to"},
        {"contacts --page two", "--page wants a whole number, not \"two\""},
        {"remote open 99999999999", "SLOT wants a whole number"},
        {"add X --nope", "unexpected words: --nope"},
        {"status now", "unexpected words: now"},
    };
    for (const WordsCase& test : wordCases) {
        std::string strError;
        FromWords(test.pWords, &strError);
        EXPECT_NE(strError.find(test.pReason), std::string::npos) << test.pWords << ": " << strError;
        EXPECT_NE(strError.find("usage: "), std::string::npos) << "the usage line comes along";
    }
    struct JsonCase {
        const char* pCommand;
        json values;
        const char* pReason;
    };
    const JsonCase jsonCases[] = {
        {"add", json::object(), "missing NAME"},
        {"add", {{"name", "X"}, {"favourite", "yes"}}, "wants true or false"},
        {"add", {{"name", "X"}, {"colour", "red"}}, "\"colour\" is not a parameter of add"},
        {"contacts", {{"page", "two"}}, "whole number"},
        {"status", json::array(), "must be a JSON object"},
    };
    for (const JsonCase& test : jsonCases) {
        Args args;
        std::string strError;
        EXPECT_FALSE(dirsim::ParseJson(*Commands().Find(test.pCommand), test.values, &args, &strError));
        EXPECT_NE(strError.find(test.pReason), std::string::npos) << test.values.dump() << ": " << strError;
    }
}

TEST(CommandRegistryTest, EveryExampleInHelpIsACommandThatParses) {
    ASSERT_GT(Commands().All().size(), 30u);
    for (const dirsim::CommandDef& def : Commands().All()) {
        std::string strError;
        const dirsim::CommandDef* pMatched = nullptr;
        FromWords(def.strExample, &strError, &pMatched);
        EXPECT_EQ(pMatched, &def) << def.strExample;
        EXPECT_EQ(strError, "") << def.strExample;
        EXPECT_FALSE(def.strSummary.empty()) << def.strName;
    }
}

TEST(CommandSupportTest, CountsReadAsWords) {
    EXPECT_EQ(dirsim::Counted(1, "match"), "1 match");
    EXPECT_EQ(dirsim::Counted(0, "match"), "0 matches");
    EXPECT_EQ(dirsim::Counted(2, "entry"), "2 entries");
    EXPECT_EQ(dirsim::Counted(3, "contact"), "3 contacts");
    EXPECT_EQ(dirsim::Pad("Žofie", 7), "Žofie  ") << "padding counts characters, not bytes";
}

}  // namespace
