#pragma once
// One downloaded network directory page read into records, apart from the model: the worker that
// downloaded a page reads it, so the GUI thread only adds ready records to their list. Safe on any thread.

#include <memory>
#include <string>
#include <vector>

#include "ContactBroadSoftItem.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace NS_DIRECTORY {

using BroadSoftRecords = std::vector<std::unique_ptr<ContactBroadSoftItemBase>>;

struct BroadSoftPage {
    // A document with a page root whose entries were all read. False for a missing file, a document that is
    // not well-formed XML, one without a page root, and a custom page without contacts.
    bool bRead = false;
    std::string strRefusal;  // what pugixml found wrong with a document that is not well-formed, else ""
    // The texts of "startIndex", "totalAvailableRecords" and "numberOfRecords" ("" when missing).
    std::string strStart;
    std::string strTotal;
    std::string strCount;
    BroadSoftRecords vecRecords;  // in document order
};

// A downloaded document (a phone path) with its declaration, in the encoding it declares. False for a
// missing file and for anything that is not well-formed XML, with strRefusal saying why: a body cut short
// is refused whole, never read in part.
bool LoadBroadSoftDocument(pugi::xml_document& doc, const std::string& strPath, std::string& strRefusal);
// A downloaded body kept in memory, read exactly as a file holding those bytes is read.
bool LoadBroadSoftBody(pugi::xml_document& doc, const std::string& strBody, std::string& strRefusal);

// Logs why a downloaded document was refused; nothing for an empty refusal.
void LogBroadSoftRefusal(const std::string& strPath, const std::string& strRefusal);

// Reads the page in the file at strPath, or in a body kept in memory, into page, which starts empty.
void ReadBroadSoftPage(const std::string& strPath, BroadSoftPage& page);
void ReadBroadSoftPageBody(const std::string& strBody, BroadSoftPage& page);

// The entries under a page root of each kind, appended in document order. Group and Enterprise pages take
// their "entry" children, else the details in their "groupDirectory" or "enterpriseDirectory".
void ReadBroadSoftGroupEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords);
void ReadBroadSoftEnterpriseEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords);
void ReadBroadSoftCommonEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords);
void ReadBroadSoftPersonalEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords);
// False (nothing read) for a custom page without "contacts".
bool ReadBroadSoftCustomEntries(const pugi::xml_node& root, BroadSoftRecords& vecRecords);

}  // namespace NS_DIRECTORY
