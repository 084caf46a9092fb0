#pragma once
// String utilities of the host. Text is UTF-8; case folding also folds accented Latin letters to their base
// letter ("Ü" -> "u") and upper-case Cyrillic and Greek letters to lower case.

#include <string>
#include <vector>

std::string CommonAPI_FormatString(const char* pFormat, ...) __attribute__((format(printf, 1, 2)));

enum { TRIM_LEFT = 1, TRIM_RIGHT = 2, TRIM_BOTH = 3 };
// Removes characters of strChars from the front (type 1), the back (2) or both ends (3).
std::string CommonAPI_TrimString(const std::string& strText, const std::string& strChars, int nTrimType);
// As TrimString with the white-space characters " \t\r\n\f\v".
std::string CommonAPI_TrimWhitespaceFromString(const std::string& strText, int nTrimType);

enum { STRING_CONVERT_TO_LOWER = 1, STRING_CONVERT_TO_UPPER = 2 };
// Type 1 lower-cases ASCII letters, type 2 upper-cases them; other bytes are kept.
std::string CommonAPI_StringConvert(const std::string& strText, int nConvertType);
// strText with every occurrence of strFrom replaced by strTo (left to right, no rescanning).
std::string CommonAPI_TranslateString(const std::string& strText, const std::string& strFrom,
                                      const std::string& strTo);
// Splits strText at each separator into listOut (cleared first; empty pieces kept). False for empty text.
bool CommonAPI_ParseStringBySeparator(const std::string& strText, char cSeparator,
                                      std::vector<std::string>& listOut);
// The decimal id that follows the pattern in the action: ("local_contact_x3", "local_contact_x") and
// ("OpenSubPage(local_contact_x3)", "local_contact_x") give 3. -1 when the pattern is absent or no digits
// follow it.
int CommonAPI_ParseIdByClickAction(const std::string& strAction, const std::string& strPattern);
// The page window [*pFrom, *pTo) of nCount entries from nBegin among nTotal: both ends are clipped to
// nTotal, so a begin at or past the end gives an empty window. False (outputs untouched) for null outputs,
// a negative begin, count or total.
bool CommonAPI_GetFromAndToIndex(int* pFrom, int* pTo, int nBegin, int nCount, int nTotal);
// A digit-key search: a non-empty key made only of "0123456789*#+".
bool CommonAPI_IsSearchByT9(const std::string& strKey);

enum { STRING_MATCH_CONTAIN = 1 };
// Match type 1: strKey occurs in strField, ignoring case and accents in every script: both are folded by
// Unicode case folding, compatibility decomposition and removal of combining marks ("muller" and "MÜLLER"
// find "Müller", "иван" finds "Иван", "strasse" finds "Straße"); with bFromStart only at the start. An
// empty key matches every field. Ill-formed UTF-8 is compared byte by byte; a character the end of the
// key cuts short (one being typed) is left out of the key. So a field that matches a key also matches
// every prefix of that key, down to single bytes. ASCII text is compared without folding.
bool CommonAPI_StringMatch(const std::string& strField, const std::string& strKey, bool bFromStart,
                           int nMatchType);
// Contact file types, told apart by what they carry: 2 a file with a top-level "root_group", "root_contact"
// or "vp_contact"; under a "contactData" root, 0 when it has a "groupinfo" child or its contacts carry
// "sDisplayName", 1 when its groups carry "sGroupName" or its contacts "sLocalRename" (the first mark met in
// document order decides), and 1 for a "contactData" without any group. -1 for groups that carry neither
// format's marks, a missing or unparsable file or any other root.
int CommonAPI_ParseContactFileType(const std::string& strPath);
// Whether a contact file fits the phone book once it replaces it: 0 when it fits; -9 when its groups (its
// distinct user group names, defined or named by contacts, plus the two built-in groups) pass nMaxGroups,
// -7 when its distinct contact names outside the blacklist pass nMaxContacts, -8 when its blacklisted
// contacts pass nMaxBlack (checked in that order); 1 when the file is not a contact file.
int CommonAPI_CanContactFileImported(const std::string& strPath, int nMaxGroups, int nMaxContacts,
                                     int nMaxBlack);
// strText case- and accent-folded as StringMatch compares it.
std::string CommonAPI_FoldForMatch(const std::string& strText);
