#include "DirectoryEntry.h"

#include <map>
#include <mutex>

#include "CommonAPI.h"
#include "PhoneServices.h"

namespace {

struct DefaultIconTable {
    std::mutex mutex;
    std::map<EDirectoryDefaultIconType, std::string> icons;
};

DefaultIconTable& Icons() {
    static DefaultIconTable table;
    return table;
}

}  // namespace

namespace NS_DIRECTORY {

bool IsNetworkConnected() { return netIsNetworkReady(); }

std::string IntToString(int nValue) { return CommonAPI_FormatString("%d", nValue); }

}  // namespace NS_DIRECTORY

std::string Directory_GetDefaultIcon(EDirectoryDefaultIconType eType) {
    DefaultIconTable& table = Icons();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto found = table.icons.find(eType);
    return found == table.icons.end() ? std::string() : found->second;
}

void Directory_SetDefaultIcon(EDirectoryDefaultIconType eType, const std::string& strPath) {
    DefaultIconTable& table = Icons();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.icons[eType] = strPath;
}

std::string Directory_GetGroupGeneralImage() { return Directory_GetDefaultIcon(DDIT_GROUP_GENERAL); }

std::string Directory_GetContactGeneralImage() { return Directory_GetDefaultIcon(DDIT_CONTACT_GENERAL); }
