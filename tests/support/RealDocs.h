#pragma once
// The real third-party documents kept beside the project in shared/realdocs (not committed to it): tests
// that read them skip when they are absent. Also what the phone XML documents among them list.

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The content of realdocs/<strRelativePath>; false when the folder or the file is absent.
bool ReadRealDoc(const std::string& strRelativePath, std::string* pContent);

struct PhoneBookEntry {
    std::string strGroup;  // the Menu that holds a Unit; "" for a DirectoryEntry
    std::string strName;
    std::vector<std::string> vecNumbers;  // the non-empty ones, in document order
};

// Every Unit (Name, Phone1..Phone3) and DirectoryEntry (Name, Telephone) of a phone XML document.
std::vector<PhoneBookEntry> PhoneBookEntries(const std::string& strDocument);

// The text with its ASCII and Cyrillic letters (а..я, ѐ..џ) made capital, or small: keys typed in the
// other case than the names were written in.
std::string ChangeCase(const std::string& strText, bool bCapital);

// The real Cyrillic phone book (menus of units) and directory, and every entry of the two; false when the
// documents are absent.
struct CyrillicBooks {
    std::string strBook;
    std::string strDirectory;
    std::vector<PhoneBookEntry> vecEntries;
};
bool ReadCyrillicBooks(CyrillicBooks* pBooks);

// A search of a phone book for a typed key: the names it found.
using NameSearch = std::function<std::vector<std::string>(const std::string& strKey)>;
// Every name is found by its keypad digits and by its first word typed in either case.
void ExpectFoundByDigitsAndFirstWord(const std::vector<std::string>& vecNames, const NameSearch& search);
// Keys of the Cyrillic books, by letters in either case and by digits, find exactly the names holding them.
void ExpectCyrillicKeysFindTheirNames(const NameSearch& search);

}  // namespace testsupport
