#include "ModuleAdapter.h"

#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "XPortFactory.h"

namespace dirsim::module {

using namespace NS_DIRECTORY;

bool PreLoadConfigureFile() {
    return Directory_PreLoadConfigureFile();
}

bool RegisterMessage() {
    return Directory_RegisterMessage();
}

bool UnInit() {
    return Directory_UnInit();
}

void ReleaseInstances() {
    CDirectoryShortcut::ReleaseInstance();
    CContactRemoteModel::ReleaseInstance();
    CContactEditorController::ReleaseInstance();
    CContactGroupController::ReleaseInstance();
    CContactGeneralModel::ReleaseInstance();
}

bool ReloadConfigureFile() {
    return Directory_ReloadConfigureFile();
}

int GetLocalGroupCount() {
    return Directory_GetLocalGroupCount();
}

bool GetGroupList(ContactGroupListData* pList) {
    return Directory_GetGroupList(pList);
}

int GetGIdByGName(const std::string& strName) {
    return Directory_GetGIdByGName(strName);
}

bool GetContactDataByName(ContactGeneralItemData* pData, const std::string& strName) {
    return Directory_GetContactDataByName(pData, strName);
}

bool GetContactDataByNumber(ContactGeneralItemData* pData, const std::string& strNumber) {
    return Directory_GetContactDataByNumber(pData, strNumber.c_str());
}

std::string GetContactNameByNumber(const std::string& strNumber) {
    return Directory_GetContactNameByNumber(strNumber.c_str());
}

std::string GetContactRingByNumber(const std::string& strNumber) {
    return Directory_GetContactRingByNumber(strNumber.c_str(), "");
}

std::string GetContactImageByNumber(const std::string& strNumber) {
    return Directory_GetContactImageByNumber(strNumber.c_str(), "");
}

bool IsBlackContact(const std::string& strNumber) {
    return Directory_IsBlackContact(strNumber.c_str());
}

bool IsRemoteContactConfigured() {
    return Directory_IsRemoteContactConfigured();
}

std::string GetRemoteDisplayName() {
    return Directory_GetRemoteDisplayName();
}

bool GetAllConfiguredItemName(std::list<std::string>* pList) {
    return Directory_GetAllConfiguredItemName(pList);
}

std::string GetRemoteContactNameByNumber(const std::string& strNumber) {
    return Directory_GetRemoteContactNameByNumber(strNumber);
}

bool IsBroadSoftContactConfigured() {
    return Directory_IsBroadSoftContactConfigured();
}

std::string GetBstContactNameByNumber(const std::string& strNumber) {
    return Directory_GetBstContactNameByNumber(strNumber);
}

bool GetShortcutList(DirShortcutListData* pData) {
    return Directory_GetShortcutList(pData);
}

int ImportContacts(const std::string& strPhonePath, ImportMode eMode) {
    switch (eMode) {
        case ImportMode::Append:
            return XPortFactory::ImportByPath(strPhonePath.c_str(), true, true, false);
        case ImportMode::ReplaceAfterLimitCheck:
            return XPortFactory::ImportByPath(strPhonePath.c_str(), false, false, true);
        case ImportMode::Replace:
        default:
            return XPortFactory::ImportByPath(strPhonePath.c_str(), false, false, false);
    }
}

int ExportContacts(const std::string& strPhonePath) {
    return XPortFactory::ExportToPath(strPhonePath.c_str());
}

}  // namespace dirsim::module
