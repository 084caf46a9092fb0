#include "CommonAPI.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "TextFold.h"

namespace {

constexpr const char* kWhitespace = " \t\r\n\f\v";
constexpr const char* kDigitKeyChars = "0123456789*#+";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool AsciiMatchAt(const std::string& strField, size_t nPos, const std::string& strKey) {
    for (size_t k = 0; k < strKey.size(); ++k) {
        if (LowerAscii(strField[nPos + k]) != LowerAscii(strKey[k])) return false;
    }
    return true;
}

// Case-insensitive search of two ASCII texts without allocating.
bool AsciiContains(const std::string& strField, const std::string& strKey, bool bFromStart) {
    if (strKey.size() > strField.size()) return false;
    const size_t nLast = bFromStart ? 0 : strField.size() - strKey.size();
    for (size_t nPos = 0; nPos <= nLast; ++nPos) {
        if (AsciiMatchAt(strField, nPos, strKey)) return true;
    }
    return false;
}

}  // namespace

std::string CommonAPI_FormatString(const char* pFormat, ...) {
    if (pFormat == nullptr) return std::string();
    va_list args;
    va_start(args, pFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    const int nLength = std::vsnprintf(nullptr, 0, pFormat, argsCopy);
    va_end(argsCopy);
    std::string strOut;
    if (nLength > 0) {
        strOut.resize(static_cast<size_t>(nLength) + 1);
        std::vsnprintf(strOut.data(), strOut.size(), pFormat, args);
        strOut.resize(static_cast<size_t>(nLength));
    }
    va_end(args);
    return strOut;
}

std::string CommonAPI_TrimString(const std::string& strText, const std::string& strChars, int nTrimType) {
    if (nTrimType < TRIM_LEFT || nTrimType > TRIM_BOTH || strChars.empty()) return strText;
    size_t nBegin = 0;
    size_t nEnd = strText.size();
    if (nTrimType & TRIM_LEFT) {
        nBegin = strText.find_first_not_of(strChars);
        if (nBegin == std::string::npos) return std::string();
    }
    if (nTrimType & TRIM_RIGHT) {
        const size_t nLast = strText.find_last_not_of(strChars);
        if (nLast == std::string::npos) return std::string();
        nEnd = nLast + 1;
    }
    return strText.substr(nBegin, nEnd - nBegin);
}

std::string CommonAPI_TrimWhitespaceFromString(const std::string& strText, int nTrimType) {
    return CommonAPI_TrimString(strText, kWhitespace, nTrimType);
}

std::string CommonAPI_StringConvert(const std::string& strText, int nConvertType) {
    std::string strOut = strText;
    for (char& c : strOut) {
        if (nConvertType == STRING_CONVERT_TO_LOWER && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (nConvertType == STRING_CONVERT_TO_UPPER && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return strOut;
}

std::string CommonAPI_TranslateString(const std::string& strText, const std::string& strFrom,
                                      const std::string& strTo) {
    if (strFrom.empty()) return strText;
    std::string strOut;
    strOut.reserve(strText.size());
    size_t nPos = 0;
    for (size_t nFound = strText.find(strFrom); nFound != std::string::npos;
         nFound = strText.find(strFrom, nPos)) {
        strOut.append(strText, nPos, nFound - nPos);
        strOut += strTo;
        nPos = nFound + strFrom.size();
    }
    strOut.append(strText, nPos, std::string::npos);
    return strOut;
}

bool CommonAPI_ParseStringBySeparator(const std::string& strText, char cSeparator,
                                      std::vector<std::string>& listOut) {
    listOut.clear();
    if (strText.empty()) return false;
    size_t nPos = 0;
    while (true) {
        const size_t nFound = strText.find(cSeparator, nPos);
        listOut.push_back(strText.substr(nPos, nFound == std::string::npos ? std::string::npos : nFound - nPos));
        if (nFound == std::string::npos) break;
        nPos = nFound + 1;
    }
    return true;
}

int CommonAPI_ParseIdByClickAction(const std::string& strAction, const std::string& strPattern) {
    if (strPattern.empty()) return -1;
    const size_t nFound = strAction.find(strPattern);
    if (nFound == std::string::npos) return -1;
    long long nId = 0;
    size_t nPos = nFound + strPattern.size();
    const size_t nDigitsBegin = nPos;
    for (; nPos < strAction.size() && strAction[nPos] >= '0' && strAction[nPos] <= '9'; ++nPos) {
        nId = nId * 10 + (strAction[nPos] - '0');
        if (nId > std::numeric_limits<int>::max()) return -1;
    }
    return nPos == nDigitsBegin ? -1 : static_cast<int>(nId);
}

bool CommonAPI_GetFromAndToIndex(int* pFrom, int* pTo, int nBegin, int nCount, int nTotal) {
    if (pFrom == nullptr || pTo == nullptr || nBegin < 0 || nCount < 0 || nTotal < 0) return false;
    const long long nEnd = static_cast<long long>(nBegin) + nCount;
    *pFrom = nBegin < nTotal ? nBegin : nTotal;
    *pTo = nEnd < nTotal ? static_cast<int>(nEnd) : nTotal;
    return true;
}

bool CommonAPI_IsSearchByT9(const std::string& strKey) {
    return !strKey.empty() && strKey.find_first_not_of(kDigitKeyChars) == std::string::npos;
}

bool CommonAPI_StringMatch(const std::string& strField, const std::string& strKey, bool bFromStart,
                           int nMatchType) {
    if (nMatchType != STRING_MATCH_CONTAIN) return false;
    if (strKey.empty()) return true;
    if (etl_text::IsAscii(strField) && etl_text::IsAscii(strKey)) {
        return AsciiContains(strField, strKey, bFromStart);
    }
    return etl_text::FoldedContains(strField, strKey, bFromStart);
}

std::string CommonAPI_FoldForMatch(const std::string& strText) { return etl_text::Fold(strText); }
