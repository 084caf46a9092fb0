#pragma once
// Reader of the middle contact file format: a "contactData" root whose "group" elements each hold the
// contacts of that group; "Anonymous" stands for no group and "Black List" for the blacklist. A group whose
// name the phone book already has (say "Family" when appending) is that group, its ring kept.

#include "XPortBase.h"

namespace NS_DIRECTORY {

class CXPortMarlin : public CXPortBase {
public:
    CXPortMarlin();
    using CXPortBase::Import;
    // 1 for no path or a file without "contactData", 17 without a model.
    int Import(const char* pPath) override;

private:
    static int MyGroupIdOf(CContactGeneralModel& model, const pugi::xml_node& group);
};

}  // namespace NS_DIRECTORY
