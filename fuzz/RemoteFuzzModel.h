#pragma once
// What the remote phonebook drivers share: one remote model without slots in the sandbox, emptied before
// each input, and the checks every tree must pass after a parse.

#include <pugixml.hpp>
#include <string>

#include "ContactRemoteModel.h"

namespace fuzzsupport {

// The model, its tree emptied (the root alone); the sandbox refuses every download the parse starts.
NS_DIRECTORY::CContactRemoteModel& FreshRemoteModel();

// The first element at the top of the document, empty when it has none.
pugi::xml_node FirstElement(const pugi::xml_document& doc);

// Checks the children parsed under the root: the list agrees with itself, names and numbers of menus and
// entries carry no space at either end (bTrimmed) and come in byte order (bSorted), the entry count agrees
// with a whole-tree search and stays within the limit, nothing went to the network, and releasing the tree
// gives every entry back. Answers the number of entries.
int CheckRemoteTree(NS_DIRECTORY::CContactRemoteModel& model, bool bTrimmed, bool bSorted);

}  // namespace fuzzsupport
