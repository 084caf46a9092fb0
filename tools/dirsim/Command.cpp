#include "Command.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

#include <CLI/CLI.hpp>

namespace dirsim {

Result Result::Fail(const std::string& strError) {
    Result result;
    result.bOk = false;
    result.strError = strError;
    return result;
}

Result& Result::Line(const std::string& strLine) {
    vecLines.push_back(strLine);
    return *this;
}

bool Args::Has(const std::string& strName) const {
    return m_values.contains(strName) && !m_values[strName].is_null();
}

std::string Args::Text(const std::string& strName, const std::string& strDefault) const {
    if (!Has(strName)) {
        return strDefault;
    }
    const json& value = m_values[strName];
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_array()) {
        std::string strJoined;
        for (const json& item : value) {
            strJoined +=
                (strJoined.empty() ? "" : " ") + (item.is_string() ? item.get<std::string>() : item.dump());
        }
        return strJoined;
    }
    return value.dump();
}

int Args::Int(const std::string& strName, int nDefault) const {
    return Has(strName) && m_values[strName].is_number_integer() ? m_values[strName].get<int>() : nDefault;
}

bool Args::Flag(const std::string& strName) const {
    return Has(strName) && m_values[strName].is_boolean() && m_values[strName].get<bool>();
}

std::vector<std::string> Args::List(const std::string& strName) const {
    std::vector<std::string> vecItems;
    if (!Has(strName)) {
        return vecItems;
    }
    const json& value = m_values[strName];
    if (value.is_array()) {
        for (const json& item : value) {
            vecItems.push_back(item.is_string() ? item.get<std::string>() : item.dump());
        }
    } else {
        vecItems.push_back(Text(strName));
    }
    return vecItems;
}

void CCommandRegistry::Add(CommandDef def) {
    m_vecCommands.push_back(std::move(def));
}

const CommandDef* CCommandRegistry::Find(const std::string& strName) const {
    for (const CommandDef& def : m_vecCommands) {
        if (def.strName == strName) {
            return &def;
        }
    }
    return nullptr;
}

const CommandDef* CCommandRegistry::Match(const std::vector<std::string>& vecWords,
                                          size_t* pNameWords) const {
    if (vecWords.empty()) {
        return nullptr;
    }
    if (vecWords.size() >= 2) {
        if (const CommandDef* pDef = Find(vecWords[0] + " " + vecWords[1])) {
            *pNameWords = 2;
            return pDef;
        }
    }
    if (const CommandDef* pDef = Find(vecWords[0])) {
        *pNameWords = 1;
        return pDef;
    }
    return nullptr;
}

bool SplitWords(const std::string& strLine, std::vector<std::string>* pWords, std::string* pError) {
    pWords->clear();
    std::string strWord;
    bool bInWord = false;
    char cQuote = 0;
    for (size_t i = 0; i < strLine.size(); ++i) {
        const char c = strLine[i];
        if (cQuote != 0) {
            if (c == cQuote) {
                cQuote = 0;
            } else if (c == '\\' && cQuote == '"' && i + 1 < strLine.size()) {
                strWord += strLine[++i];
            } else {
                strWord += c;
            }
        } else if (c == '\'' || c == '"') {
            cQuote = c;
            bInWord = true;
        } else if (c == '\\' && i + 1 < strLine.size()) {
            strWord += strLine[++i];
            bInWord = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (bInWord) {
                pWords->push_back(strWord);
                strWord.clear();
                bInWord = false;
            }
        } else {
            strWord += c;
            bInWord = true;
        }
    }
    if (cQuote != 0) {
        *pError = std::string("a quote (") + cQuote + ") is not closed";
        return false;
    }
    if (bInWord) {
        pWords->push_back(strWord);
    }
    return true;
}

std::vector<std::string> SplitCommands(const std::string& strText) {
    std::vector<std::string> vecCommands;
    std::string strCurrent;
    char cQuote = 0;
    bool bComment = false;
    auto flush = [&]() {
        size_t nStart = strCurrent.find_first_not_of(" \t\r");
        if (nStart != std::string::npos) {
            size_t nEnd = strCurrent.find_last_not_of(" \t\r");
            vecCommands.push_back(strCurrent.substr(nStart, nEnd - nStart + 1));
        }
        strCurrent.clear();
        bComment = false;
    };
    for (size_t i = 0; i < strText.size(); ++i) {
        const char c = strText[i];
        if (bComment) {
            if (c == '\n') {
                flush();
            }
            continue;
        }
        if (cQuote != 0) {
            if (c == cQuote) {
                cQuote = 0;
            } else if (c == '\\' && i + 1 < strText.size()) {
                strCurrent += c;
                strCurrent += strText[++i];
                continue;
            }
            strCurrent += c;
        } else if (c == '\'' || c == '"') {
            cQuote = c;
            strCurrent += c;
        } else if (c == ';' || c == '\n') {
            flush();
        } else if (c == '#' && strCurrent.find_first_not_of(" \t") == std::string::npos) {
            bComment = true;
        } else {
            strCurrent += c;
        }
    }
    flush();
    return vecCommands;
}

namespace {

std::string Placeholder(const ParamDef& param) {
    std::string strUpper;
    for (char c : param.strName) {
        strUpper += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return strUpper;
}

bool ToInt(const std::string& strText, int* pValue) {
    if (strText.empty()) {
        return false;
    }
    char* pEnd = nullptr;
    errno = 0;
    const long nValue = std::strtol(strText.c_str(), &pEnd, 10);
    if (*pEnd != '\0' || errno != 0 || nValue < INT_MIN || nValue > INT_MAX) {
        return false;
    }
    *pValue = static_cast<int>(nValue);
    return true;
}

std::string ParamLabel(const ParamDef& param) {
    return param.eKind == ParamKind::Positional ? Placeholder(param) : "--" + param.strName;
}

// Turns a text value into the parameter's type.
bool TypedValue(const ParamDef& param, const std::string& strText, json* pValue, std::string* pError) {
    if (param.eType == ParamType::Int) {
        int nValue = 0;
        if (!ToInt(strText, &nValue)) {
            *pError = ParamLabel(param) + " wants a whole number, not \"" + strText + "\"";
            return false;
        }
        *pValue = nValue;
        return true;
    }
    *pValue = strText;
    return true;
}

std::string PlainParseError(const CLI::ParseError& error, const std::vector<std::string>& vecRemaining) {
    std::string strText = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        std::string strWords;
        for (const std::string& strWord : vecRemaining) {
            strWords += (strWords.empty() ? "" : " ") + strWord;
        }
        return "unexpected words: " + strWords;
    }
    const std::string strRequired = " is required";
    if (strText.size() > strRequired.size() &&
        strText.compare(strText.size() - strRequired.size(), strRequired.size(), strRequired) == 0) {
        return "missing " + strText.substr(0, strText.size() - strRequired.size());
    }
    if (!strText.empty()) {
        strText[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(strText[0])));
    }
    return strText;
}

}  // namespace

std::string Usage(const CommandDef& def) {
    std::string strUsage = def.strName;
    for (const ParamDef& param : def.vecParams) {
        std::string strPart;
        switch (param.eKind) {
            case ParamKind::Positional:
                strPart = Placeholder(param) + (param.bMany ? "..." : "");
                break;
            case ParamKind::Option:
                strPart = "--" + param.strName + " " + Placeholder(param);
                break;
            case ParamKind::Flag:
                strPart = "--" + param.strName;
                break;
        }
        strUsage += " " + (param.bRequired ? strPart : "[" + strPart + "]");
    }
    return strUsage;
}

bool ParseWords(const CommandDef& def, const std::vector<std::string>& vecWords, Args* pArgs,
                std::string* pError) {
    CLI::App app(def.strSummary, def.strName);
    app.set_help_flag();
    app.allow_extras(false);
    std::map<std::string, std::string> mapText;
    std::map<std::string, std::vector<std::string>> mapMany;
    std::map<std::string, bool> mapFlags;
    for (const ParamDef& param : def.vecParams) {
        CLI::Option* pOption = nullptr;
        switch (param.eKind) {
            case ParamKind::Positional:
                if (param.bMany) {
                    pOption =
                        app.add_option(param.strName, mapMany[param.strName], param.strHelp)->expected(-1);
                } else {
                    pOption = app.add_option(param.strName, mapText[param.strName], param.strHelp);
                }
                pOption->type_name(Placeholder(param));
                break;
            case ParamKind::Option:
                pOption = app.add_option("--" + param.strName, mapText[param.strName], param.strHelp);
                pOption->type_name(Placeholder(param));
                break;
            case ParamKind::Flag:
                pOption = app.add_flag("--" + param.strName, mapFlags[param.strName], param.strHelp);
                break;
        }
        if (param.bRequired) {
            pOption->required();
        }
    }
    std::vector<std::string> vecReversed(vecWords.rbegin(), vecWords.rend());
    try {
        app.parse(vecReversed);
    } catch (const CLI::RequiredError&) {
        for (const ParamDef& param : def.vecParams) {
            CLI::Option* pOption = app.get_option_no_throw(
                param.eKind == ParamKind::Positional ? param.strName : "--" + param.strName);
            if (param.bRequired && pOption != nullptr && pOption->count() == 0) {
                *pError = "missing " + ParamLabel(param) + " (usage: " + Usage(def) + ")";
                return false;
            }
        }
        *pError = "something required is missing (usage: " + Usage(def) + ")";
        return false;
    } catch (const CLI::ParseError& error) {
        *pError = PlainParseError(error, app.remaining()) + " (usage: " + Usage(def) + ")";
        return false;
    }
    json values = json::object();
    for (const ParamDef& param : def.vecParams) {
        CLI::Option* pOption = app.get_option_no_throw(
            param.eKind == ParamKind::Positional ? param.strName : "--" + param.strName);
        if (pOption == nullptr || pOption->count() == 0) {
            continue;
        }
        if (param.eKind == ParamKind::Flag) {
            values[param.strName] = true;
        } else if (param.bMany) {
            values[param.strName] = mapMany[param.strName];
        } else {
            json value;
            if (!TypedValue(param, mapText[param.strName], &value, pError)) {
                *pError += " (usage: " + Usage(def) + ")";
                return false;
            }
            values[param.strName] = value;
        }
    }
    *pArgs = Args(values);
    return true;
}

bool ParseJson(const CommandDef& def, const json& values, Args* pArgs, std::string* pError) {
    if (!values.is_object()) {
        *pError = "the arguments must be a JSON object";
        return false;
    }
    json checked = json::object();
    for (auto item = values.begin(); item != values.end(); ++item) {
        const ParamDef* pParam = nullptr;
        for (const ParamDef& param : def.vecParams) {
            if (param.strName == item.key()) {
                pParam = &param;
            }
        }
        if (pParam == nullptr) {
            *pError = "\"" + item.key() + "\" is not a parameter of " + def.strName;
            return false;
        }
        const json& value = item.value();
        if (pParam->eKind == ParamKind::Flag) {
            if (!value.is_boolean()) {
                *pError = "\"" + item.key() + "\" wants true or false";
                return false;
            }
            checked[item.key()] = value;
        } else if (pParam->bMany) {
            json list = json::array();
            for (const json& part : value.is_array() ? value : json::array({value})) {
                list.push_back(part.is_string() ? part.get<std::string>() : part.dump());
            }
            checked[item.key()] = list;
        } else if (pParam->eType == ParamType::Int && value.is_number_integer()) {
            checked[item.key()] = value;
        } else {
            json typed;
            if (!TypedValue(*pParam, value.is_string() ? value.get<std::string>() : value.dump(), &typed,
                            pError)) {
                return false;
            }
            checked[item.key()] = typed;
        }
    }
    for (const ParamDef& param : def.vecParams) {
        if (param.bRequired && !checked.contains(param.strName)) {
            *pError = "missing " + ParamLabel(param) + " (usage: " + Usage(def) + ")";
            return false;
        }
    }
    *pArgs = Args(checked);
    return true;
}

}  // namespace dirsim
