#pragma once
// The module's outer face: the Directory_* entry points the GUI calls, the message handlers the module
// registers on the host bus, and the table of default icons.

#include <string>

// Kinds of default icon: 0 the icon on every entry of a local contact page, 1 the generic group image,
// 2 the generic contact image.
enum EDirectoryDefaultIconType : int {
    DDIT_LOCAL_CONTACT_ITEM = 0,
    DDIT_GROUP_GENERAL = 1,
    DDIT_CONTACT_GENERAL = 2,
};

namespace NS_DIRECTORY {
// True exactly when the host says the network is ready.
bool IsNetworkConnected();
// The decimal text of an int.
std::string IntToString(int nValue);
}  // namespace NS_DIRECTORY

// The icon path of a kind, "" when none was set.
std::string Directory_GetDefaultIcon(EDirectoryDefaultIconType eType);
// Inserts or replaces the icon path of a kind.
void Directory_SetDefaultIcon(EDirectoryDefaultIconType eType, const std::string& strPath);
std::string Directory_GetGroupGeneralImage();
std::string Directory_GetContactGeneralImage();
