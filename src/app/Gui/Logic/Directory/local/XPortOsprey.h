#pragma once
// Reader of the newest contact file format, the one export writes: a "root_group" of groups and a
// "root_contact" of contacts naming their group by name, optionally wrapped in "vp_contact".

#include "XPortBase.h"

namespace NS_DIRECTORY {

class CXPortOsprey : public CXPortBase {
public:
    CXPortOsprey();
    using CXPortBase::Import;
    // 7 for no path, 17 without a model when the file holds groups or contacts.
    int Import(const char* pPath) override;

private:
    static int MyImportGroups(const pugi::xml_document& doc);
    static int MyImportContacts(const pugi::xml_document& doc);
};

}  // namespace NS_DIRECTORY
