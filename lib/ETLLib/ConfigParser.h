#pragma once
// The phone's configuration store: a process-wide map of keys to texts, safe to use from any thread.

#include <string>

// The value of key as an int (0 when unset or not a whole decimal number in int range; blanks around it are
// allowed).
int configParser_GetConfigInt(const std::string& strKey);
// The value of key ("" when unset).
std::string configParser_GetConfigString(const std::string& strKey);
bool configParser_SetConfigInt(const std::string& strKey, int nValue);
bool configParser_SetConfigString(const std::string& strKey, const std::string& strValue);
// The key that holds a per-account setting: account 0 uses the template itself, account N > 0 uses
// "<template>.N". A negative account gives "".
std::string configParser_GetAccountConfigName(const std::string& strKeyTemplate, int nAccount);
