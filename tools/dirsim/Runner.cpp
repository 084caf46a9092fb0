#include "Runner.h"

#include "Session.h"

namespace dirsim {

CRunner::CRunner(CSession& session, bool bJson) : m_session(session), m_bJson(bJson) {}

Result CRunner::Run(const CommandDef& def, const Args& args, json* pNotices) {
    m_session.BeginCommand();
    Result result;
    if (def.bInteractiveOnly && m_hook) {
        result = m_hook(def, args);
    } else {
        result = def.run(m_session, args);
    }
    if (def.strName == "quit" && result.bOk) {
        m_bQuit = true;
    }
    *pNotices = json::array();
    for (const Notice& notice : m_session.TakeCommandNotices()) {
        pNotices->push_back({{"id", notice.nId},
                             {"wParam", notice.wParam},
                             {"lParam", notice.lParam},
                             {"text", notice.strText}});
    }
    return result;
}

bool CRunner::RunLine(const std::string& strLine) {
    std::vector<std::string> vecWords;
    std::string strError;
    if (!SplitWords(strLine, &vecWords, &strError)) {
        Print("", strLine, Result::Fail("cannot read the command: " + strError), json::array());
        ++m_nFailures;
        return false;
    }
    if (vecWords.empty()) {
        return true;
    }
    size_t nNameWords = 0;
    const CommandDef* pDef = Commands().Match(vecWords, &nNameWords);
    if (pDef == nullptr) {
        Print(vecWords[0], strLine,
              Result::Fail("there is no command \"" + vecWords[0] + "\"; \"help\" lists every command"),
              json::array());
        ++m_nFailures;
        return false;
    }
    Args args;
    if (!ParseWords(
            *pDef, std::vector<std::string>(vecWords.begin() + static_cast<long>(nNameWords), vecWords.end()),
            &args, &strError)) {
        Print(pDef->strName, strLine, Result::Fail(pDef->strName + ": " + strError), json::array());
        ++m_nFailures;
        return false;
    }
    json notices;
    const Result result = Run(*pDef, args, &notices);
    Print(pDef->strName, strLine, result, notices);
    if (!result.bOk) {
        ++m_nFailures;
    }
    return result.bOk;
}

namespace {

// The notifications in words; a run of the same kind comes as one line with its count.
void PrintNotices(const json& notices) {
    size_t i = 0;
    while (i < notices.size()) {
        size_t nEnd = i + 1;
        while (nEnd < notices.size() && notices[nEnd]["id"] == notices[i]["id"] &&
               notices[nEnd]["lParam"] == notices[i]["lParam"]) {
            ++nEnd;
        }
        std::string strText = notices[i]["text"].get<std::string>();
        if (nEnd - i > 2) {
            strText = std::to_string(nEnd - i) + " x " + strText.substr(0, strText.find(" ("));
        } else {
            nEnd = i + 1;
        }
        std::printf("  (module: %s)\n", strText.c_str());
        i = nEnd;
    }
}

}  // namespace

json ResultObject(const std::string& strName, const std::string& strLine, const Result& result,
                  const json& notices) {
    json object = {{"command", strName}, {"line", strLine}, {"ok", result.bOk}};
    if (result.bOk) {
        object["result"] = result.data;
    } else {
        object["error"] = result.strError;
        if (!result.data.empty()) {
            object["result"] = result.data;
        }
    }
    object["notifications"] = notices;
    return object;
}

void CRunner::Print(const std::string& strName, const std::string& strLine, const Result& result,
                    const json& notices) {
    if (m_bJson) {
        const json object = ResultObject(strName, strLine, result, notices);
        std::printf("%s\n", object.dump(-1, ' ', false, json::error_handler_t::replace).c_str());
        std::fflush(stdout);
        return;
    }
    for (const std::string& strText : result.vecLines) {
        std::printf("%s\n", strText.c_str());
    }
    PrintNotices(notices);
    std::fflush(stdout);
    if (!result.bOk) {
        std::fprintf(stderr, "error: %s\n", result.strError.c_str());
        std::fflush(stderr);
    }
}

}  // namespace dirsim
