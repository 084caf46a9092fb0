#pragma once
// A small INI store. A handle names one section of one file; the same file and section always give the same
// handle. Changes stay in memory until registryFlush writes the whole file (atomically, other sections kept).

#include <string>

using RegistryHandle = int;
constexpr RegistryHandle REGISTRY_INVALID_HANDLE = 0;

// Opens (loading the file when it exists) the section; REGISTRY_INVALID_HANDLE for an empty file name or
// section. A file without unsaved changes is read again on each open, so other processes' changes are seen.
RegistryHandle registryOpen(const std::string& strFile, const std::string& strSection);
int registryGetInt(RegistryHandle hHandle, const std::string& strKey, int nDefault);
bool registrySetInt(RegistryHandle hHandle, const std::string& strKey, int nValue);
std::string registryGetString(RegistryHandle hHandle, const std::string& strKey, const std::string& strDefault);
// Keys with "=", "[", ";", "#", line breaks or outer blanks and values with line breaks or outer blanks are
// refused (false): they would not read back the same.
bool registrySetString(RegistryHandle hHandle, const std::string& strKey, const std::string& strValue);
// Writes the handle's file; false when it cannot be written.
bool registryFlush(RegistryHandle hHandle);
