#pragma once
// The local phone book as plain text, for the fuzz drivers' property checks: every field of every group and
// contact in store order, the invariants the store keeps, and the part of a contact an export carries.

#include <string>
#include <vector>

#include "ContactGeneralModel.h"

namespace fuzzsupport {

struct BookSnapshot {
    std::vector<std::string> vecGroups;    // id|name|ring|read-only
    std::vector<std::string> vecContacts;  // every field
    bool operator==(const BookSnapshot& other) const {
        return vecGroups == other.vecGroups && vecContacts == other.vecContacts;
    }
    bool operator!=(const BookSnapshot& other) const { return !(*this == other); }
};

BookSnapshot TakeBook(const NS_DIRECTORY::CContactGeneralModel& model);
// Stops the run, printing the first group or contact that differs, unless the books are equal.
void CheckSameBook(const BookSnapshot& expected, const BookSnapshot& actual, const char* pWhat);

// What an export keeps of each contact: name, numbers, group by name, ring, line, and the photo when it has
// one. In store order.
std::vector<std::string> ExportedPart(const NS_DIRECTORY::CContactGeneralModel& model);

// Both built-in groups with their names, no two groups of one id or of one name, every contact in a group
// that exists, counters in step with the contacts. bChecked: no two contact names equal ignoring case and no
// limit passed (the background reload takes contacts as they are, so it skips these).
void CheckBook(const NS_DIRECTORY::CContactGeneralModel& model, bool bChecked);

// Writes both files of the book as they are now, whatever the dirty flags said; the contact file must be
// byte for byte what pugixml saves for a document of the same contacts.
void SaveBook(NS_DIRECTORY::CContactGeneralModel& model);

// Splits an input into the group file (before the first "<root_contact") and the contact file (the rest).
void SplitLocalFiles(const std::string& strInput, std::string* pGroups, std::string* pContacts);

}  // namespace fuzzsupport
