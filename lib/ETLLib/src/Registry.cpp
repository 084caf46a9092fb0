// The INI store: files of "[section]" headers and "key=value" lines, kept in memory per file and written
// back whole by registryFlush.

#include "Registry.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

#include "BaseHelper.h"
#include "HostState.h"

namespace {

struct IniSection {
    std::string strName;
    std::vector<std::pair<std::string, std::string>> entries;
};

struct IniFile {
    std::vector<IniSection> sections;
    bool bDirty = false;  // changed since the last load or flush
};

struct Handle {
    std::string strFile;
    std::string strSection;
};

struct RegistryState {
    std::mutex mutex;
    std::map<std::string, IniFile> files;
    std::map<RegistryHandle, Handle> handles;
    std::map<std::pair<std::string, std::string>, RegistryHandle> handleByName;
    RegistryHandle nNextHandle = 1;  // never reused, so a handle from before a Reset stays invalid
};

RegistryState& Registry() {
    static RegistryState* pState = new RegistryState;
    return *pState;
}

std::string Trim(const std::string& strText) {
    const std::size_t nBegin = strText.find_first_not_of(" \t\r\n");
    if (nBegin == std::string::npos) {
        return std::string();
    }
    const std::size_t nEnd = strText.find_last_not_of(" \t\r\n");
    return strText.substr(nBegin, nEnd - nBegin + 1);
}

IniSection& SectionNamed(IniFile& file, const std::string& strName) {
    for (IniSection& section : file.sections) {
        if (section.strName == strName) {
            return section;
        }
    }
    file.sections.push_back(IniSection{strName, {}});
    return file.sections.back();
}

void SetEntry(IniSection& section, const std::string& strKey, const std::string& strValue) {
    for (auto& entry : section.entries) {
        if (entry.first == strKey) {
            entry.second = strValue;
            return;
        }
    }
    section.entries.emplace_back(strKey, strValue);
}

// Lines before the first header belong to the section "". Comments (";", "#") and other lines are dropped.
IniFile ParseIni(std::istream& in) {
    IniFile file;
    IniSection* pSection = &SectionNamed(file, "");
    std::string strLine;
    while (std::getline(in, strLine)) {
        const std::string strTrimmed = Trim(strLine);
        if (strTrimmed.size() >= 2 && strTrimmed.front() == '[' && strTrimmed.back() == ']') {
            pSection = &SectionNamed(file, Trim(strTrimmed.substr(1, strTrimmed.size() - 2)));
            continue;
        }
        const std::size_t nEqual = strTrimmed.find('=');
        if (strTrimmed.empty() || strTrimmed[0] == ';' || strTrimmed[0] == '#' || nEqual == std::string::npos) {
            continue;
        }
        SetEntry(*pSection, Trim(strTrimmed.substr(0, nEqual)), Trim(strTrimmed.substr(nEqual + 1)));
    }
    return file;
}

IniFile LoadIni(const std::string& strFile) {
    std::ifstream in(ETL_MiscHelper::pathMapToRoot(strFile), std::ios::binary);
    return in ? ParseIni(in) : IniFile();
}

std::string SerializeIni(const IniFile& file) {
    std::ostringstream out;
    bool bFirst = true;
    for (const IniSection& section : file.sections) {
        if (section.strName.empty() && section.entries.empty()) {
            continue;
        }
        if (!bFirst) {
            out << "\n";
        }
        bFirst = false;
        if (!section.strName.empty()) {
            out << "[" << section.strName << "]\n";
        }
        for (const auto& entry : section.entries) {
            out << entry.first << "=" << entry.second << "\n";
        }
    }
    return out.str();
}

bool IsStorableKey(const std::string& strKey) {
    return !strKey.empty() && strKey == Trim(strKey) && strKey.find_first_of("=\n\r[;#") == std::string::npos;
}

bool IsStorableValue(const std::string& strValue) { return strValue.find_first_of("\n\r") == std::string::npos; }

const Handle* FindHandleLocked(RegistryState& state, RegistryHandle hHandle) {
    const auto found = state.handles.find(hHandle);
    return found == state.handles.end() ? nullptr : &found->second;
}

const std::string* FindValueLocked(RegistryState& state, RegistryHandle hHandle, const std::string& strKey) {
    const Handle* pHandle = FindHandleLocked(state, hHandle);
    if (pHandle == nullptr) {
        return nullptr;
    }
    const auto file = state.files.find(pHandle->strFile);
    if (file == state.files.end()) {
        return nullptr;
    }
    for (const IniSection& section : file->second.sections) {
        if (section.strName != pHandle->strSection) {
            continue;
        }
        for (const auto& entry : section.entries) {
            if (entry.first == strKey) {
                return &entry.second;
            }
        }
    }
    return nullptr;
}

}  // namespace

namespace hostcore {

void ClearRegistry() {
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.files.clear();
    state.handles.clear();
    state.handleByName.clear();
}

}  // namespace hostcore

// A file without unsaved changes is read again on every open, so changes other processes made are seen.
RegistryHandle registryOpen(const std::string& strFile, const std::string& strSection) {
    if (strFile.empty() || strSection.empty()) {
        return REGISTRY_INVALID_HANDLE;
    }
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    try {
        IniFile& file = state.files[strFile];
        if (!file.bDirty) {
            file = LoadIni(strFile);
        }
        const auto key = std::make_pair(strFile, strSection);
        const auto known = state.handleByName.find(key);
        if (known != state.handleByName.end()) {
            return known->second;
        }
        const RegistryHandle hHandle = state.nNextHandle++;
        state.handles[hHandle] = Handle{strFile, strSection};
        state.handleByName[key] = hHandle;
        return hHandle;
    } catch (const std::exception&) {
        return REGISTRY_INVALID_HANDLE;
    }
}

int registryGetInt(RegistryHandle hHandle, const std::string& strKey, int nDefault) {
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    const std::string* pValue = FindValueLocked(state, hHandle, strKey);
    int nValue = 0;
    return pValue != nullptr && hostcore::ParseIntStrict(*pValue, &nValue) ? nValue : nDefault;
}

bool registrySetInt(RegistryHandle hHandle, const std::string& strKey, int nValue) {
    try {
        return registrySetString(hHandle, strKey, std::to_string(nValue));
    } catch (const std::exception&) {
        return false;
    }
}

std::string registryGetString(RegistryHandle hHandle, const std::string& strKey, const std::string& strDefault) {
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    try {
        const std::string* pValue = FindValueLocked(state, hHandle, strKey);
        return pValue != nullptr ? *pValue : strDefault;
    } catch (const std::exception&) {
        return strDefault;
    }
}

// Keys with "=", line breaks, "[", ";", "#" or outer blanks, and values with line breaks, are refused:
// they would not read back the same.
bool registrySetString(RegistryHandle hHandle, const std::string& strKey, const std::string& strValue) {
    if (!IsStorableKey(strKey) || !IsStorableValue(strValue) || strValue != Trim(strValue)) {
        return false;
    }
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    const Handle* pHandle = FindHandleLocked(state, hHandle);
    if (pHandle == nullptr) {
        return false;
    }
    try {
        IniFile& file = state.files[pHandle->strFile];
        SetEntry(SectionNamed(file, pHandle->strSection), strKey, strValue);
        file.bDirty = true;
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool registryFlush(RegistryHandle hHandle) {
    RegistryState& state = Registry();
    std::lock_guard<std::mutex> lock(state.mutex);
    const Handle* pHandle = FindHandleLocked(state, hHandle);
    if (pHandle == nullptr) {
        return false;
    }
    try {
        IniFile& file = state.files[pHandle->strFile];
        if (!ETL_MiscHelper::fileWriteAtomic(pHandle->strFile, SerializeIni(file))) {
            return false;
        }
        file.bDirty = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
