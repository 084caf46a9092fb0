#include "DirectoryEntry.h"

#include <map>
#include <mutex>
#include <new>

#include "CommonAPI.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "ContactLocalSaveAction.h"
#include "ContactRemoteAction.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "DirectoryShortcut.h"
#include "LocalContactSearchAction.h"
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

bool IsNetworkConnected() {
    return netIsNetworkReady();
}

std::string IntToString(int nValue) {
    return CommonAPI_FormatString("%d", nValue);
}

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

std::string Directory_GetGroupGeneralImage() {
    return Directory_GetDefaultIcon(DDIT_GROUP_GENERAL);
}

std::string Directory_GetContactGeneralImage() {
    return Directory_GetDefaultIcon(DDIT_CONTACT_GENERAL);
}

namespace {

// The remote model's answer, or the fallback when there is no model or memory ran out on the way.
template <class Result, class Query>
Result AskRemoteModel(Result fallback, Query query) {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    if (pModel == nullptr) {
        return fallback;
    }
    try {
        return query(*pModel);
    } catch (const std::bad_alloc&) {
        return fallback;
    }
}

}  // namespace

bool Directory_IsRemoteContactConfigured() {
    return AskRemoteModel(
        false, [](NS_DIRECTORY::CContactRemoteModel& model) { return model.IsRemotePhoneBookConfigured(); });
}

std::string Directory_GetRemoteDisplayName() {
    return AskRemoteModel(std::string(),
                          [](NS_DIRECTORY::CContactRemoteModel& model) { return model.GetDisplayName(); });
}

std::string Directory_GetRemoteGroupName(int nIndex) {
    return AskRemoteModel(std::string(), [nIndex](NS_DIRECTORY::CContactRemoteModel& model) {
        return model.GetConfiguredItemName(nIndex);
    });
}

bool Directory_GetAllConfiguredItemName(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    return AskRemoteModel(false, [pList](NS_DIRECTORY::CContactRemoteModel& model) {
        pList->clear();
        const int nCount = model.GetTotalConfigurableItemCount();
        for (int i = 0; i < nCount; ++i) {
            if (model.IsItemConfigured(i)) {
                pList->push_back(model.GetConfiguredItemName(i));
            }
        }
        return true;
    });
}

namespace {

// The network directory model's answer, or the fallback when there is no model or memory ran out.
template <class Result, class Query>
Result AskBroadSoftModel(Result fallback, Query query) {
    NS_DIRECTORY::CContactBroadSoftModel* pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
    if (pModel == nullptr) {
        return fallback;
    }
    try {
        return query(*pModel);
    } catch (const std::bad_alloc&) {
        return fallback;
    }
}

}  // namespace

bool Directory_IsBroadSoftContactConfigured() {
    return AskBroadSoftModel(false, [](NS_DIRECTORY::CContactBroadSoftModel& model) {
        return model.IsBroadSoftPhoneBookConfigured();
    });
}

bool Directory_IsBroadSoftPersonal(const std::string& strClickAction) {
    return AskBroadSoftModel(false, [&strClickAction](NS_DIRECTORY::CContactBroadSoftModel& model) {
        return model.IsPersonalV2(strClickAction);
    });
}

std::string Directory_GetBroadSoftDisplayName() {
    return AskBroadSoftModel(
        std::string(), [](NS_DIRECTORY::CContactBroadSoftModel& model) { return model.GetDisplayName(); });
}

std::string Directory_GetBroadSoftGroupName(int nIndex) {
    return AskBroadSoftModel(std::string(), [nIndex](NS_DIRECTORY::CContactBroadSoftModel& model) {
        return model.GetConfiguredItemName(nIndex);
    });
}

std::string Directory_GetBroadSoftConfiguredItemNameInConfigured(int nIndex) {
    return AskBroadSoftModel(std::string(), [nIndex](NS_DIRECTORY::CContactBroadSoftModel& model) {
        return model.GetConfiguredItemNameInConfigured(nIndex);
    });
}

std::string Directory_GetBstContactNameByNumber(const std::string& strNumber) {
    return AskBroadSoftModel(std::string(), [&strNumber](NS_DIRECTORY::CContactBroadSoftModel& model) {
        return model.GetContactNameByNumber(strNumber);
    });
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

namespace {

// A new module action holding one reference, or null when memory ran out.
template <class TAction>
TAction* CreateHeldAction() {
    TAction* pAction = nullptr;
    try {
        pAction = new TAction();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    pAction->AddRef();
    pAction->SetCreatFlag(true);
    return pAction;
}

}  // namespace

NS_DIRECTORY::CContactLocalSaveAction* Directory_CreateLocalSaveAction() {
    return CreateHeldAction<NS_DIRECTORY::CContactLocalSaveAction>();
}

void Directory_DestroyLocalSaveAction(NS_DIRECTORY::CContactLocalSaveAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
}

NS_DIRECTORY::CLocalContactSearchAction* TaskAction_CreateLocalContactSearchAction() {
    return CreateHeldAction<NS_DIRECTORY::CLocalContactSearchAction>();
}

void TaskAction_DestroyLocalContactSearchAction(NS_DIRECTORY::CLocalContactSearchAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
}

bool Directory_SearchWithMutlNumberAsync(NS_DIRECTORY::ContactGeneralSearchItemListData* pData,
                                         const char* pGroupName, const char* pKey,
                                         NS_TA::CTaskActionCallbackBase* pReceiver) {
    if (pData == nullptr || pGroupName == nullptr || pKey == nullptr || pReceiver == nullptr) {
        return false;
    }
    NS_DIRECTORY::CContactGeneralModel* pModel = NS_DIRECTORY::CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return false;
    }
    try {
        return pModel->SearchWithMutlNumberAsync(pData, pGroupName, pKey, pReceiver);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::string Directory_GetRemoteContactNameByNumber(const std::string& strNumber) {
    return AskRemoteModel(std::string(), [&strNumber](NS_DIRECTORY::CContactRemoteModel& model) {
        return model.GetContactNameByNumber(strNumber);
    });
}

bool Directory_SearchRemoteWithOneNumber(NS_DIRECTORY::RemoteSearchListData* pData) {
    return AskRemoteModel(false, [pData](NS_DIRECTORY::CContactRemoteModel& model) {
        return model.SearchWithOneNumber(pData);
    });
}

bool Directory_SearchRemoteWithMultNumber(NS_DIRECTORY::RemoteSearchListData* pData) {
    return AskRemoteModel(false, [pData](NS_DIRECTORY::CContactRemoteModel& model) {
        return model.SearchWithMultNumber(pData);
    });
}

NS_DIRECTORY::CContactRemoteSearchAction* TaskAction_CreateRemoteContactSearchAction() {
    auto* pAction = new (std::nothrow) NS_DIRECTORY::CContactRemoteSearchAction();
    if (pAction != nullptr) {
        pAction->AddRef();
        pAction->SetCreatFlag(true);
    }
    return pAction;
}

void TaskAction_DestroyRemoteContactSearchAction(NS_DIRECTORY::CContactRemoteSearchAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
}

bool Directory_GetShortcutList(NS_DIRECTORY::DirShortcutListData* pData) {
    NS_DIRECTORY::CDirectoryShortcut* pShortcut = NS_DIRECTORY::CDirectoryShortcut::GetInstance();
    return pShortcut != nullptr && pShortcut->GetShortcutList(pData);
}
