#include "DirectoryEntry.h"

#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <utility>

#include "AppLog.h"
#include "BaseHelper.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactLocalSaveAction.h"
#include "ContactRemoteAction.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "DirectoryMessage.h"
#include "DirectoryShortcut.h"
#include "LocalContactSearchAction.h"
#include "PhoneServices.h"

using NS_DIRECTORY::CContactBroadSoftModel;
using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::CContactGroupController;
using NS_DIRECTORY::CContactRemoteModel;
using NS_DIRECTORY::CDirectoryShortcut;

// ---- Library load (DirectoryUnload.cpp takes the module down at unload)

namespace {

struct DefaultIconTable {
    std::mutex mutex;
    std::map<EDirectoryDefaultIconType, std::string> icons;
};

// Constructed empty when the library is loaded, destroyed when it is unloaded.
DefaultIconTable g_iconTable;

// The model's answer, or the fallback when there is no model or the answer could not be made.
template <class TModel, class Result, class Query>
Result AskModel(Result fallback, Query query) {
    try {
        TModel* pModel = TModel::GetInstance();
        return pModel == nullptr ? fallback : query(*pModel);
    } catch (const std::exception&) {
        return fallback;
    }
}

template <class Result, class Query>
Result AskLocalModel(Result fallback, Query query) {
    return AskModel<CContactGeneralModel>(std::move(fallback), query);
}

template <class Result, class Query>
Result AskGroupController(Result fallback, Query query) {
    return AskModel<CContactGroupController>(std::move(fallback), query);
}

template <class Result, class Query>
Result AskRemoteModel(Result fallback, Query query) {
    return AskModel<CContactRemoteModel>(std::move(fallback), query);
}

template <class Result, class Query>
Result AskBroadSoftModel(Result fallback, Query query) {
    return AskModel<CContactBroadSoftModel>(std::move(fallback), query);
}

// A new module action holding one reference, or null when memory ran out.
template <class TAction, class... Args>
TAction* CreateHeldAction(const Args&... args) {
    TAction* pAction = new (std::nothrow) TAction(args...);
    if (pAction != nullptr) {
        pAction->AddRef();
        pAction->SetCreatFlag(true);
    }
    return pAction;
}

template <class TAction>
void ReleaseHeldAction(TAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
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

// ---- Module life cycle

bool Directory_PreLoadConfigureFile() {
    CContactBroadSoftModel::GetInstance();
    return CContactGeneralModel::GetInstance() != nullptr;
}

bool Directory_RegisterMessage() {
    EtlMsgHandler_RegisterMsgHandle(NS_DIRECTORY::DIRECTORY_MSG_CONFIG_CHANGED,
                                    NS_DIRECTORY::DIRECTORY_MSG_CONFIG_CHANGED,
                                    &NS_DIRECTORY::OnDirectoryMessage);
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, &NS_DIRECTORY::OnTimerOut);
    return true;
}

bool Directory_UnInit() {
    const bool bGroups =
        AskGroupController(false, [](CContactGroupController& groups) { return groups.SaveGroupToXml(); });
    const bool bContacts =
        AskLocalModel(false, [](CContactGeneralModel& model) { return model.SaveContactToXml(); });
    return bGroups && bContacts;
}

bool Directory_ReloadConfigureFile() {
    const bool bGroups =
        AskGroupController(false, [](CContactGroupController& groups) { return groups.ReloadGroupXml(); });
    const bool bContacts =
        AskLocalModel(false, [](CContactGeneralModel& model) { return model.ReloadContactXml(); });
    return bGroups && bContacts;
}

// ---- Local phone book

int Directory_GetLocalGroupCount() {
    return AskLocalModel(-1, [](CContactGeneralModel& model) { return model.GetCurrentGroupCount(); });
}

bool Directory_GetGroupList(NS_DIRECTORY::ContactGroupListData* pList) {
    return pList != nullptr && AskGroupController(false, [pList](CContactGroupController& groups) {
               return groups.GetGroupList(pList, false);
           });
}

std::string Directory_GetGroupNameByIndex(int nIndex) {
    return AskLocalModel(std::string(),
                         [nIndex](CContactGeneralModel& model) { return model.GetGroupNameByIndex(nIndex); });
}

int Directory_GetGIdByGName(const std::string& strGroupName) {
    return AskGroupController(
        -1, [&strGroupName](CContactGroupController& groups) { return groups.GetGIdByGName(strGroupName); });
}

bool Directory_IsBlacklistIndex(int nIndex) {
    return AskGroupController(
        false, [nIndex](CContactGroupController& groups) { return groups.IsBlacklistIndex(nIndex); });
}

bool Directory_GetContactDataByName(NS_DIRECTORY::ContactGeneralItemData* pData, const std::string& strName) {
    return pData != nullptr && AskLocalModel(false, [pData, &strName](CContactGeneralModel& model) {
               return model.GetContactData(pData, strName);
           });
}

bool Directory_GetContactDataByNumber(NS_DIRECTORY::ContactGeneralItemData* pData, const char* pNumber) {
    return pData != nullptr && pNumber != nullptr &&
           AskLocalModel(false, [pData, pNumber](CContactGeneralModel& model) {
               return model.GetContactDataByNumber(pData, pNumber);
           });
}

std::string Directory_GetContactNameByNumber(const char* pNumber) {
    if (pNumber == nullptr) {
        return std::string();
    }
    return AskLocalModel(std::string(), [pNumber](CContactGeneralModel& model) {
        return model.GetContactNameByPhoneNumber(pNumber);
    });
}

std::string Directory_GetContactRingByNumber(const char* pNumber, const char* pExtra) {
    if (pNumber == nullptr) {
        return std::string();
    }
    return AskLocalModel(std::string(), [pNumber, pExtra](CContactGeneralModel& model) {
        return model.GetContactRingByNumber(pNumber, pExtra);
    });
}

std::string Directory_GetContactImageByNumber(const char* pNumber, const char* pExtra) {
    try {
        const std::string strImage =
            pNumber == nullptr ? std::string()
                               : AskLocalModel(std::string(), [pNumber, pExtra](CContactGeneralModel& model) {
                                     return model.GetContactImageByNumber(pNumber, pExtra);
                                 });
        if (strImage.empty() || !ETL_MiscHelper::pathFileExist(strImage)) {
            return CommonUnits_GetDefaultContactImage();
        }
        return strImage;
    } catch (const std::exception&) {
        return std::string();
    }
}

bool Directory_IsBlackContact(const char* pNumber) {
    return pNumber != nullptr && AskLocalModel(false, [pNumber](CContactGeneralModel& model) {
               return model.IsBlackContactNumber(pNumber);
           });
}

bool Directory_SearchWithMutlNumberAsync(NS_DIRECTORY::ContactGeneralSearchItemListData* pData,
                                         const char* pGroupName, const char* pKey,
                                         NS_TA::CTaskActionCallbackBase* pReceiver) {
    if (pData == nullptr || pGroupName == nullptr || pKey == nullptr || pReceiver == nullptr) {
        return false;
    }
    return AskLocalModel(false, [&](CContactGeneralModel& model) {
        return model.SearchWithMutlNumberAsync(pData, pGroupName, pKey, pReceiver);
    });
}

NS_DIRECTORY::CContactLocalSaveAction* Directory_CreateLocalSaveAction() {
    return CreateHeldAction<NS_DIRECTORY::CContactLocalSaveAction>();
}

void Directory_DestroyLocalSaveAction(NS_DIRECTORY::CContactLocalSaveAction* pAction) {
    ReleaseHeldAction(pAction);
}

NS_DIRECTORY::CLocalContactSearchAction* TaskAction_CreateLocalContactSearchAction() {
    return CreateHeldAction<NS_DIRECTORY::CLocalContactSearchAction>();
}

void TaskAction_DestroyLocalContactSearchAction(NS_DIRECTORY::CLocalContactSearchAction* pAction) {
    ReleaseHeldAction(pAction);
}

// ---- Remote phonebook

bool Directory_IsRemoteContactConfigured() {
    return AskRemoteModel(false,
                          [](CContactRemoteModel& model) { return model.IsRemotePhoneBookConfigured(); });
}

std::string Directory_GetRemoteDisplayName() {
    return AskRemoteModel(std::string(), [](CContactRemoteModel& model) { return model.GetDisplayName(); });
}

std::string Directory_GetRemoteGroupName(int nIndex) {
    return AskRemoteModel(
        std::string(), [nIndex](CContactRemoteModel& model) { return model.GetConfiguredItemName(nIndex); });
}

bool Directory_GetAllConfiguredItemName(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    return AskRemoteModel(false, [pList](CContactRemoteModel& model) {
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

std::string Directory_GetRemoteContactNameByNumber(const std::string& strNumber) {
    return AskRemoteModel(std::string(), [&strNumber](CContactRemoteModel& model) {
        return model.GetContactNameByNumber(strNumber);
    });
}

bool Directory_SearchRemoteWithOneNumber(NS_DIRECTORY::RemoteSearchListData* pData) {
    return pData != nullptr && AskRemoteModel(false, [pData](CContactRemoteModel& model) {
               return model.SearchWithOneNumber(pData);
           });
}

bool Directory_SearchRemoteWithMultNumber(NS_DIRECTORY::RemoteSearchListData* pData) {
    return pData != nullptr && AskRemoteModel(false, [pData](CContactRemoteModel& model) {
               return model.SearchWithMultNumber(pData);
           });
}

NS_DIRECTORY::CContactRemoteAction* Directory_CreateContactRemoteAction(const std::string& strLocalPath,
                                                                        const std::string& strUrl) {
    return CreateHeldAction<NS_DIRECTORY::CContactRemoteAction>(strLocalPath, strUrl);
}

void Directory_DestroyContactRemoteAction(NS_DIRECTORY::CContactRemoteAction* pAction) {
    ReleaseHeldAction(pAction);
}

NS_DIRECTORY::CContactRemoteSearchAction* TaskAction_CreateRemoteContactSearchAction() {
    return CreateHeldAction<NS_DIRECTORY::CContactRemoteSearchAction>();
}

void TaskAction_DestroyRemoteContactSearchAction(NS_DIRECTORY::CContactRemoteSearchAction* pAction) {
    ReleaseHeldAction(pAction);
}

// ---- Network directory

bool Directory_IsBroadSoftContactConfigured() {
    return AskBroadSoftModel(
        false, [](CContactBroadSoftModel& model) { return model.IsBroadSoftPhoneBookConfigured(); });
}

bool Directory_IsBroadSoftPersonal(const std::string& strClickAction) {
    return AskBroadSoftModel(false, [&strClickAction](CContactBroadSoftModel& model) {
        return model.IsPersonalV2(strClickAction);
    });
}

std::string Directory_GetBroadSoftDisplayName() {
    return AskBroadSoftModel(std::string(),
                             [](CContactBroadSoftModel& model) { return model.GetDisplayName(); });
}

std::string Directory_GetBroadSoftGroupName(int nIndex) {
    return AskBroadSoftModel(std::string(), [nIndex](CContactBroadSoftModel& model) {
        return model.GetConfiguredItemName(nIndex);
    });
}

std::string Directory_GetBroadSoftConfiguredItemNameInConfigured(int nIndex) {
    return AskBroadSoftModel(std::string(), [nIndex](CContactBroadSoftModel& model) {
        return model.GetConfiguredItemNameInConfigured(nIndex);
    });
}

std::string Directory_GetBstContactNameByNumber(const std::string& strNumber) {
    return AskBroadSoftModel(std::string(), [&strNumber](CContactBroadSoftModel& model) {
        return model.GetContactNameByNumber(strNumber);
    });
}

// ---- Other directories

bool Directory_IsLdapContactConfigured() {
    return Ldap_IsOn();
}

bool Directory_IsOtherLocalContactConfigured() {
    return Directory_IsRemoteContactConfigured() || Directory_IsBroadSoftContactConfigured() ||
           Directory_IsLdapContactConfigured();
}

bool Directory_GetShortcutList(NS_DIRECTORY::DirShortcutListData* pData) {
    return pData != nullptr && AskModel<CDirectoryShortcut>(false, [pData](CDirectoryShortcut& shortcut) {
               return shortcut.GetShortcutList(pData);
           });
}

// ---- Default icons

std::string Directory_GetDefaultIcon(EDirectoryDefaultIconType eType) {
    try {
        std::lock_guard<std::mutex> lock(g_iconTable.mutex);
        const auto found = g_iconTable.icons.find(eType);
        return found == g_iconTable.icons.end() ? std::string() : found->second;
    } catch (const std::exception&) {
        return std::string();
    }
}

void Directory_SetDefaultIcon(EDirectoryDefaultIconType eType, const std::string& strPath) {
    try {
        std::lock_guard<std::mutex> lock(g_iconTable.mutex);
        g_iconTable.icons[eType] = strPath;
    } catch (const std::exception&) {
        app_log(6, APP_LOG_WARNING, "Directory_SetDefaultIcon: out of memory\n");
    }
}

std::string Directory_GetGroupGeneralImage() {
    return Directory_GetDefaultIcon(DDIT_GROUP_GENERAL);
}

std::string Directory_GetContactGeneralImage() {
    return Directory_GetDefaultIcon(DDIT_CONTACT_GENERAL);
}
