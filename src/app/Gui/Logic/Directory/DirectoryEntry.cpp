#include "DirectoryEntry.h"

#include <map>
#include <mutex>
#include <new>

#include "CommonAPI.h"
#include "ContactRemoteAction.h"
#include "ContactRemoteModel.h"
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

bool Directory_IsRemoteContactConfigured() {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    return pModel != nullptr && pModel->IsRemotePhoneBookConfigured();
}

std::string Directory_GetRemoteDisplayName() {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    return pModel == nullptr ? std::string() : pModel->GetDisplayName();
}

std::string Directory_GetRemoteGroupName(int nIndex) {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    return pModel == nullptr ? std::string() : pModel->GetConfiguredItemName(nIndex);
}

bool Directory_GetAllConfiguredItemName(std::list<std::string>* pList) {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    if (pList == nullptr || pModel == nullptr) {
        return false;
    }
    pList->clear();
    const int nCount = pModel->GetTotalConfigurableItemCount();
    for (int i = 0; i < nCount; ++i) {
        if (pModel->IsItemConfigured(i)) {
            pList->push_back(pModel->GetConfiguredItemName(i));
        }
    }
    return true;
}

NS_DIRECTORY::CContactRemoteAction* Directory_CreateContactRemoteAction(const std::string& strLocalPath,
                                                                        const std::string& strUrl) {
    auto* pAction = new (std::nothrow) NS_DIRECTORY::CContactRemoteAction(strLocalPath, strUrl);
    if (pAction != nullptr) {
        pAction->AddRef();
        pAction->SetCreatFlag(true);
    }
    return pAction;
}

void Directory_DestroyContactRemoteAction(NS_DIRECTORY::CContactRemoteAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
}
