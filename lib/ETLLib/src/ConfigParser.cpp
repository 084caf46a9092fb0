// The configuration store: one process-wide map of keys to texts.

#include "ConfigParser.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <exception>
#include <map>
#include <mutex>

#include "HostState.h"

namespace {

struct ConfigStore {
    std::mutex mutex;
    std::map<std::string, std::string> values;
};

ConfigStore& Store() {
    static ConfigStore* pStore = new ConfigStore;
    return *pStore;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

namespace hostcore {

bool ParseIntStrict(const std::string& strText, int* pValue) {
    std::size_t nBegin = 0;
    std::size_t nEnd = strText.size();
    while (nBegin < nEnd && IsBlank(strText[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsBlank(strText[nEnd - 1])) {
        --nEnd;
    }
    if (nBegin == nEnd) {
        return false;
    }
    const std::string strNumber = strText.substr(nBegin, nEnd - nBegin);
    char* pStop = nullptr;
    errno = 0;
    const long nValue = std::strtol(strNumber.c_str(), &pStop, 10);
    if (errno != 0 || *pStop != '\0' || IsBlank(strNumber[0]) || nValue < INT_MIN || nValue > INT_MAX) {
        return false;
    }
    *pValue = static_cast<int>(nValue);
    return true;
}

void ClearConfig() {
    ConfigStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    store.values.clear();
}

}  // namespace hostcore

int configParser_GetConfigInt(const std::string& strKey) {
    int nValue = 0;
    return hostcore::ParseIntStrict(configParser_GetConfigString(strKey), &nValue) ? nValue : 0;
}

std::string configParser_GetConfigString(const std::string& strKey) {
    ConfigStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    try {
        const auto found = store.values.find(strKey);
        return found == store.values.end() ? std::string() : found->second;
    } catch (const std::exception&) {
        return std::string();
    }
}

bool configParser_SetConfigInt(const std::string& strKey, int nValue) {
    try {
        return configParser_SetConfigString(strKey, std::to_string(nValue));
    } catch (const std::exception&) {
        return false;
    }
}

bool configParser_SetConfigString(const std::string& strKey, const std::string& strValue) {
    if (strKey.empty()) {
        return false;
    }
    ConfigStore& store = Store();
    std::lock_guard<std::mutex> lock(store.mutex);
    try {
        store.values[strKey] = strValue;
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

std::string configParser_GetAccountConfigName(const std::string& strKeyTemplate, int nAccount) {
    if (nAccount < 0 || strKeyTemplate.empty()) {
        return std::string();
    }
    try {
        return nAccount == 0 ? strKeyTemplate : strKeyTemplate + "." + std::to_string(nAccount);
    } catch (const std::exception&) {
        return std::string();
    }
}
