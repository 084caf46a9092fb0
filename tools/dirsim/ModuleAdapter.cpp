#include "ModuleAdapter.h"

#include "BaseHelper.h"
#include "CommonUnits.h"
#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "XPortFactory.h"

namespace dirsim::module {

using namespace NS_DIRECTORY;

namespace {

CContactGeneralModel* Local() {
    return CContactGeneralModel::GetInstance();
}

}  // namespace

bool PreLoadConfigureFile() {
    return Local() != nullptr;
}

bool RegisterMessage() {
    // The module registers no handler of its own yet; the remote model registers its timer handler itself.
    return true;
}

bool UnInit() {
    CContactGroupController* pGroups = CContactGroupController::GetInstance();
    const bool bGroups = pGroups != nullptr && pGroups->SaveGroupToXml();
    const bool bContacts = Local() != nullptr && Local()->SaveContactToXml();
    return bGroups && bContacts;
}

void ReleaseInstances() {
    CDirectoryShortcut::ReleaseInstance();
    CContactRemoteModel::ReleaseInstance();
    CContactEditorController::ReleaseInstance();
    CContactGroupController::ReleaseInstance();
    CContactGeneralModel::ReleaseInstance();
}

bool ReloadConfigureFile() {
    CContactGroupController* pGroups = CContactGroupController::GetInstance();
    const bool bGroups = pGroups != nullptr && pGroups->ReloadGroupXml();
    const bool bContacts = Local() != nullptr && Local()->ReloadContactXml();
    return bGroups && bContacts;
}

int GetLocalGroupCount() {
    return Local() == nullptr ? -1 : Local()->GetCurrentGroupCount();
}

bool GetGroupList(ContactGroupListData* pList) {
    CContactGroupController* pGroups = CContactGroupController::GetInstance();
    return pGroups != nullptr && pGroups->GetGroupList(pList, false);
}

int GetGIdByGName(const std::string& strName) {
    CContactGroupController* pGroups = CContactGroupController::GetInstance();
    return pGroups == nullptr ? -1 : pGroups->GetGIdByGName(strName);
}

bool GetContactDataByName(ContactGeneralItemData* pData, const std::string& strName) {
    return Local() != nullptr && Local()->GetContactData(pData, strName);
}

bool GetContactDataByNumber(ContactGeneralItemData* pData, const std::string& strNumber) {
    return Local() != nullptr && Local()->GetContactDataByNumber(pData, strNumber.c_str());
}

std::string GetContactNameByNumber(const std::string& strNumber) {
    return Local() == nullptr ? "" : Local()->GetContactNameByPhoneNumber(strNumber.c_str());
}

std::string GetContactRingByNumber(const std::string& strNumber) {
    return Local() == nullptr ? "" : Local()->GetContactRingByNumber(strNumber.c_str(), "");
}

std::string GetContactImageByNumber(const std::string& strNumber) {
    const std::string strImage =
        Local() == nullptr ? "" : Local()->GetContactImageByNumber(strNumber.c_str(), "");
    return strImage.empty() || !ETL_MiscHelper::pathFileExist(strImage) ? CommonUnits_GetDefaultContactImage()
                                                                        : strImage;
}

bool IsBlackContact(const std::string& strNumber) {
    return Local() != nullptr && Local()->IsBlackContactNumber(strNumber.c_str());
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
