#pragma once
// What the local phone book drivers share: one local model in the sandbox, with its two files written from
// an input (the group file before the first "<root_contact", the contact file from there on).

#include <string>

#include "ContactGeneralModel.h"

namespace fuzzsupport {

NS_DIRECTORY::CContactGeneralModel& LocalModel();

// Writes "contact_group_list.xml" and "contact_list.xml" from the input.
void WriteLocalFiles(const std::string& strInput);

}  // namespace fuzzsupport
