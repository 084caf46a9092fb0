#include "DirectoryMessage.h"

#include <exception>
#include <string>

#include "AppLog.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "DirectoryShortcut.h"
#include "PhoneServices.h"
#include "XPortBase.h"
#include "XPortFactory.h"

namespace NS_DIRECTORY {

namespace {

const char* const kRemoteTitleAction = "OpenDirectoryPage(remote_contact_list.xml)";
const char* const kRemoteDefaultTitle = "Remote DIR";
const char* const kBroadSoftTitleAction = "OpenDirectoryPage(broadsoft_contact_list.xml)";
const char* const kBroadSoftDefaultTitle = "BroadSoft PhoneBook";

void Notify(int nMsg) {
    EtlMsgHandler_NotifyApp(false, nMsg, 0, 0);
}

void SetMenuTitle(const std::string& strClickAction, const std::string& strTitle) {
    NS_MENU::CMenuTitleManager* pTitles = NS_MENU::CMenuTitleManager::GetInstance();
    if (pTitles != nullptr) {
        pTitles->SetTitle(strClickAction, strTitle);
    }
}

void ReloadShortcuts() {
    CDirectoryShortcut* pShortcut = CDirectoryShortcut::GetInstance();
    if (pShortcut != nullptr) {
        pShortcut->ReloadConfigure();
    }
}

int ReloadLocalFiles() {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel != nullptr) {
        app_log(6, APP_LOG_INFO, "Local contact: begin to reload contact and group.\n");
        pModel->ReloadGroupAndItemByHttp();
        pModel->SetContactUpdateMark(3);
    }
    return 1;
}

int ShortcutSettingsChanged(const char* pLogLine) {
    app_log(6, APP_LOG_INFO, "%s", pLogLine);
    ReloadShortcuts();
    Notify(DIRECTORY_MSG_SHORTCUT_CHANGED);
    return 0;
}

int RunXPort(int nRequest) {
    switch (nRequest) {
        case 0: {
            const int nResult = XPortFactory::ImportByPath(nullptr, false, false, false);
            app_log(6, APP_LOG_INFO, "Local contact: imported result (%d)\n", nResult);
            return nResult;
        }
        case 1: {
            const int nResult = XPortFactory::ExportToPath(nullptr);
            app_log(6, APP_LOG_INFO, "Local contact: exported result (%d)\n", nResult);
            return nResult;
        }
        case 2: {
            const int nResult = XPortFactory::ImportByPath(nullptr, true, true, false);
            app_log(6, APP_LOG_INFO, "Local contact: append csv result (%d)\n", nResult);
            return nResult;
        }
        case 3: {
            const int nResult = XPortFactory::ImportByPath(nullptr, false, false, false);
            app_log(6, APP_LOG_INFO, "Local contact: insert csv result (%d)\n", nResult);
            return nResult;
        }
        case 4: {
            const int nResult = XPortFactory::ImportByPath(nullptr, false, false, true);
            app_log(6, APP_LOG_INFO, "Local contact: imported result (%d)\n", nResult);
            return nResult;
        }
        default:
            return 0;
    }
}

// Import or export of the default file; refused with the busy answer while a background reload runs, since
// the reload's answer would replace whatever the import brought in.
int ImportOrExport(int nRequest) {
    const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel != nullptr && pModel->IsReloadGroupAndItemByHttp()) {
        return XPORT_RESULT_BUSY;
    }
    app_log(6, APP_LOG_INFO, "Local contact: begin to xport contact. (%d)\n", nRequest);
    const int nResult = RunXPort(nRequest);
    if (nResult == 0) {
        Notify(kLocalContactChangedMsg);
    }
    return nResult;
}

int RemoteSettingsChanged() {
    const bool bExisted = CContactRemoteModel::PeekInstance() != nullptr;
    CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
    if (pModel == nullptr) {
        return 0;
    }
    app_log(6, APP_LOG_INFO, "Begin to reload romote config file!\n");
    const bool bReloaded = bExisted ? pModel->ReloadConfigure() : true;
    const std::string strName = Directory_GetRemoteDisplayName();
    SetMenuTitle(kRemoteTitleAction, strName.empty() ? kRemoteDefaultTitle : strName);
    if (bReloaded) {
        Notify(DIRECTORY_MSG_REMOTE_RELOADED);
        ReloadShortcuts();
        Notify(DIRECTORY_MSG_SHORTCUT_CHANGED);
    }
    return bReloaded ? 1 : 0;
}

int RemoteRefreshPeriodChanged() {
    CContactRemoteModel* pModel = CContactRemoteModel::GetInstance();
    if (pModel != nullptr) {
        app_log(6, APP_LOG_INFO, "remote update change\n");
        pModel->ProcessAutoUpdate();
    }
    return 0;
}

int ReloadBroadSoft(CContactBroadSoftModel& model) {
    const int nResult = model.ReloadConfigure(true);
    const std::string strName = Directory_GetBroadSoftDisplayName();
    SetMenuTitle(kBroadSoftTitleAction, strName.empty() ? kBroadSoftDefaultTitle : strName);
    if (nResult == 0) {
        Notify(DIRECTORY_MSG_BROADSOFT_RELOADED);
    }
    return nResult;
}

int BroadSoftSettingsChanged() {
    CContactBroadSoftModel* pModel = CContactBroadSoftModel::GetInstance();
    return pModel == nullptr ? 0 : ReloadBroadSoft(*pModel);
}

int BroadSoftCustomSettingsChanged() {
    CContactBroadSoftModel* pModel = CContactBroadSoftModel::GetInstance();
    if (pModel == nullptr) {
        return 0;
    }
    app_log(6, APP_LOG_INFO, "Begin to reload broadsoft config file!\n");
    configParser_SetConfigString("BsftCustomListUse", "");
    return ReloadBroadSoft(*pModel);
}

int HandleConfigChange(int wParam, int lParam) {
    switch (wParam) {
        case DIR_CONFIG_LOCAL_FILES:
            return ReloadLocalFiles();
        case DIR_CONFIG_SUPERSEARCH:
        case DIR_CONFIG_SUPERSEARCH_2:
            return ShortcutSettingsChanged("OnDirectoryMessage Handle ST_SUPERSEARCH\n");
        case DIR_CONFIG_XPORT:
            return ImportOrExport(lParam);
        case DIR_CONFIG_REMOTE:
            return lParam == 0 ? RemoteSettingsChanged() : lParam == 1 ? RemoteRefreshPeriodChanged() : 0;
        case DIR_CONFIG_BROADSOFT:
        case DIR_CONFIG_BROADSOFT_2:
            return BroadSoftSettingsChanged();
        case DIR_CONFIG_BLACKLIST_SHOW:
            app_log(6, APP_LOG_INFO, "Contact, Black list show changed, begin to post message.\n");
            Notify(kLocalContactChangedMsg);
            return 0;
        case DIR_CONFIG_BROADSOFT_CUSTOM:
            return BroadSoftCustomSettingsChanged();
        case DIR_CONFIG_FAVORITE:
            return ShortcutSettingsChanged("OnDirectoryMessage ST_FAVORITE_CONFIG\n");
        default:
            return 0;
    }
}

}  // namespace

int OnDirectoryMessage(ETL_MsgQueueHelper::msgObject& msg) {
    app_log(6, APP_LOG_INFO, "message(0x%x), wparam(0x%x), lparam(0x%x)\n", msg.message, msg.wParam,
            msg.lParam);
    int nResult = 0;
    try {
        nResult = HandleConfigChange(msg.wParam, msg.lParam);
    } catch (const std::exception&) {
        app_log(6, APP_LOG_WARNING, "OnDirectoryMessage: out of memory\n");
    }
    msg.ReplyMessage(nResult);
    app_log(6, APP_LOG_INFO, "Directory:refObj.lResult: %d\n", msg.lResult);
    return nResult;
}

int OnTimerOut(ETL_MsgQueueHelper::msgObject& msg) {
    if (msg.message != TM_TIMER) {
        return -1;
    }
    const unsigned int nTimerId = static_cast<unsigned int>(msg.wParam);
    bool bGroupSaved = false;
    bool bContactSaved = false;
    try {
        CContactGroupController* pGroups = CContactGroupController::GetInstance();
        bGroupSaved = pGroups != nullptr && pGroups->OnTimeoutSaveGroup(nTimerId);
        CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        bContactSaved = pModel != nullptr && pModel->OnTimeoutSaveContact(nTimerId);
    } catch (const std::exception&) {
        app_log(6, APP_LOG_WARNING, "OnTimerOut: out of memory\n");
    }
    return bGroupSaved && bContactSaved ? 0 : -1;
}

}  // namespace NS_DIRECTORY
