#pragma once
// Reader of the oldest contact file format: a "contactData" root with group definitions under
// "groupinfo" and the contacts in its first "group" element, each naming its group by name.

#include <string>

#include "XPortBase.h"

namespace NS_DIRECTORY {

class CXPortKestrel : public CXPortBase {
public:
    CXPortKestrel();
    using CXPortBase::Import;
    // 1 for a file without "contactData", 17 without a model.
    int Import(const char* pPath) override;

    // A "sRing" value as a ring path: "<prefix>:<name>" is the name (up to the first white space) in the
    // user ring folder for the prefix "Config", else in the built-in ring folder; any other value is kept
    // when that ring exists, else "". Values of any length are taken whole.
    static std::string ResolveRing(const std::string& strValue);

private:
    static void MyImportGroups(CContactGeneralModel& model, const pugi::xml_node& root);
    static void MyImportContacts(CContactGeneralModel& model, const pugi::xml_node& root);
};

}  // namespace NS_DIRECTORY
