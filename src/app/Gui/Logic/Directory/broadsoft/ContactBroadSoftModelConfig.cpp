// The table of configured directories: built from the configuration store, queried by index, URL and click
// action; the custom-list keys; the model's start (probe, MyInit) and stop (MyFinal).

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <vector>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBSTSearchHelper.h"
#include "ContactBroadSoftModel.h"
#include "DirectoryEntry.h"
#include "UrlCodec.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

const char* const kClickActionPattern = "broadsoft_phonebook_x";
const char* const kCustomSuffix = "CustomContact";
constexpr int kNoNetwork = -14;
constexpr int kMaxIndexedEntries = 7;
constexpr int kMillisecondsPerMinute = 60000;

struct FixedDirectory {
    const char* pEnableKey;
    const char* pSuffix;
    const char* pNameKey;
    const char* pDefaultName;
};

const FixedDirectory kFixedDirectories[] = {
    {"BsftGroup", "Group", "NetworkDirectoryGroupDisplayname", "Group"},
    {"BsftEnterprise", "Enterprise", "NetworkDirectoryEnterpriseDisplayname", "Enterprise"},
    {"BsftGroupCommon", "GroupCommon", "NetworkDirectoryGroupCommonDisplayname", "G-Common"},
    {"BsftEnterpriseCommon", "EnterpriseCommon", "NetworkDirectoryEnterpriseCommonDisplayname", "E-Common"},
    {"BsftPersonal", "Personal", "NetworkDirectoryPersonalDisplayname", "Personal"},
};

std::string AccountValue(const char* pKeyTemplate) {
    return configParser_GetConfigString(configParser_GetAccountConfigName(pKeyTemplate, 0));
}

bool UrlContains(const std::string& strUrl, const char* pMark) {
    return CommonAPI_StringConvert(strUrl, STRING_CONVERT_TO_LOWER).find(pMark) != std::string::npos;
}

int RefreshPeriodMs(int nMinutes) {
    return nMinutes > INT_MAX / kMillisecondsPerMinute ? INT_MAX : nMinutes * kMillisecondsPerMinute;
}

}  // namespace

int CContactBroadSoftModel::ReloadConfigure(bool bUpdate) {
    if (!IsNetworkConnected()) {
        return kNoNetwork;
    }
    try {
        ClearCustomList(false);
        {
            Lock lock(m_csLock);
            MyKeepLastGoodLists();
        }
        MyFinal();
        PreLoad(bUpdate);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::ReloadConfigure out of memory\n");
    }
    return 0;
}

bool CContactBroadSoftModel::PreLoad(bool bUpdate) {
    app_log(6, APP_LOG_INFO, "CContactBroadSoftManager::PreLoad()\n");
    bool bAccountValid = false;
    MyBuildFixedTable(&bAccountValid);
    if (!bAccountValid) {
        Lock lock(m_csLock);
        MyDropAllLastGood();
        return false;
    }
    if (!IsNetworkConnected()) {
        return false;
    }
    if (bUpdate) {
        MyStartProbe();
    }
    return true;
}

bool CContactBroadSoftModel::MyInit() {
    const int nMinutes = configParser_GetConfigInt("BstDirUpdateInterVal");
    if (nMinutes > 0) {
        m_timerUpdate.SetTimer(RefreshPeriodMs(nMinutes), this, &CContactBroadSoftModel::OnTimeoutMessage);
    } else {
        m_timerUpdate.KillTimer();
    }
    m_strCurUrl.clear();
    {
        Lock lock(m_csSearch);
        if (!m_pSearchHelper) {
            m_pSearchHelper = std::make_unique<CContactBSTSearchHelper>(this);
        }
    }
    MyLoadDataFromConfig();
    if (m_strCurUrl.empty()) {
        Update();
    }
    return true;
}

bool CContactBroadSoftModel::MyFinal() {
    if (m_timerUpdate.IsTimerRuning()) {
        m_timerUpdate.KillTimer();
    }
    m_pProbeAction = nullptr;
    {
        Lock lock(m_csSearch);
        m_pSearchHelper.reset();
    }
    MyClearConfigVector();
    MyClearMap(false);
    return true;
}

bool CContactBroadSoftModel::MyBuildFixedTable(bool* pAccountValid) {
    *pAccountValid = false;
    MyClearConfigVector();
    if (configParser_GetConfigInt("BSFTActive") != 1) {
        return false;
    }
    const std::string strHost = AccountValue("AccountBroadsoftXSIHostAddr");
    const std::string strUserId = AccountValue("AccountBroadsoftXSIUserID");
    const std::string strPassword = AccountValue("AccountBroadsoftXSIPassword");
    const std::string strPort = AccountValue("AccountBroadsoftXSIPort");
    const std::string strServerType = AccountValue("AccountBroadsoftXSIServerType");
    Lock lock(m_csLock);
    m_strUserId = strUserId;
    m_strPassword = strPassword;
    m_strPort = strPort;
    if (strHost.empty() || strUserId.empty() || strServerType.empty()) {
        return true;
    }
    *pAccountValid = true;
    m_bEnterpriseConfigured = false;
    m_strBaseUrl = strServerType + "://" + strHost;
    if (!strPort.empty()) {
        m_strBaseUrl += ":" + strPort;
    }
    m_strBaseUrl +=
        "/com.broadsoft.xsi-actions/v2.0/user/" + CommonAPI_UrlEncode(strUserId) + "/directories/";
    MyAppendConfig(BSFT_ALL_CONTACT, BSFT_ALL_CONTACT);
    for (const FixedDirectory& directory : kFixedDirectories) {
        if (configParser_GetConfigInt(directory.pEnableKey) != 1) {
            continue;
        }
        std::string strName = configParser_GetConfigString(directory.pNameKey);
        if (strName.empty()) {
            strName = directory.pDefaultName;
        }
        MyAppendConfig(strName, m_strBaseUrl + directory.pSuffix);
        if (std::string(directory.pSuffix) == "Enterprise") {
            m_bEnterpriseConfigured = true;
        }
    }
    MyListsChanged();
    return true;
}

bool CContactBroadSoftModel::MyLoadDataFromConfig() {
    bool bAccountValid = false;
    if (!MyBuildFixedTable(&bAccountValid)) {
        return false;
    }
    if (!bAccountValid || configParser_GetConfigInt("BsftCustom") != 1) {
        return true;
    }
    const std::string strUse = configParser_GetConfigString("BsftCustomListUse");
    const bool bFetchRunning =
        configParser_GetConfigInt("BsftCustomListStatus") == 2 && m_pCustomListAction != nullptr;
    if (bFetchRunning) {
        return true;
    }
    if (strUse.empty() || configParser_GetConfigString("BsftCustomListAll").empty()) {
        MyStartCustomListFetch();
    } else {
        MyInsertCustomConfig(m_strBaseUrl + kCustomSuffix, strUse);
    }
    return true;
}

void CContactBroadSoftModel::MyInsertCustomConfig(const std::string& strBaseUrl,
                                                  const std::string& strNames) {
    std::vector<std::string> vecNames;
    if (strNames.empty() || !CommonAPI_ParseStringBySeparator(strNames, ',', vecNames)) {
        return;
    }
    Lock lock(m_csLock);
    for (const std::string& strName : vecNames) {
        if (!strName.empty()) {
            MyAppendConfig(strName, strBaseUrl + "/" + CommonAPI_UrlEncode(strName));
        }
    }
    MyListsChanged();
}

void CContactBroadSoftModel::MyAppendConfig(const std::string& strName, const std::string& strUrl) {
    auto pItem = std::make_unique<BroadSoftConfigItem>();
    pItem->m_strName = strName;
    pItem->m_strUrl = strUrl;
    m_vecConfig.push_back(std::move(pItem));
}

bool CContactBroadSoftModel::MyClearConfigVector() {
    Lock lock(m_csLock);
    m_vecConfig.clear();
    MyListsChanged();
    return true;
}

BroadSoftConfigItem* CContactBroadSoftModel::MyConfigByIndex(int nIndex) {
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_vecConfig.size()) {
        return nullptr;
    }
    return m_vecConfig[static_cast<std::size_t>(nIndex)].get();
}

BroadSoftConfigItem* CContactBroadSoftModel::MyConfigByClickAction(const std::string& strClickAction) {
    return MyConfigByIndex(CommonAPI_ParseIdByClickAction(strClickAction, kClickActionPattern));
}

int CContactBroadSoftModel::GetTotalConfigurableItemCount() {
    Lock lock(m_csLock);
    return static_cast<int>(m_vecConfig.size());
}

BroadSoftConfigItem* CContactBroadSoftModel::GetConfigDataByIndex(int nIndex) {
    Lock lock(m_csLock);
    return MyConfigByIndex(nIndex);
}

void CContactBroadSoftModel::SetConfigDataByIndex(int nIndex, const BroadSoftConfigItem& item) {
    Lock lock(m_csLock);
    if (BroadSoftConfigItem* pItem = MyConfigByIndex(nIndex)) {
        *pItem = item;
        MyListsChanged();
    }
}

BroadSoftConfigItem* CContactBroadSoftModel::GetConfigDataByUrl(const std::string& strUrl) {
    Lock lock(m_csLock);
    for (const auto& pItem : m_vecConfig) {
        if (pItem->m_strUrl == strUrl) {
            return pItem.get();
        }
    }
    return nullptr;
}

bool CContactBroadSoftModel::IsItemConfigured(int nIndex) {
    Lock lock(m_csLock);
    const BroadSoftConfigItem* pItem = MyConfigByIndex(nIndex);
    return pItem != nullptr && !pItem->m_strName.empty();
}

bool CContactBroadSoftModel::IsItemConfigured(const std::string& strUrl) {
    return GetConfigDataByUrl(strUrl) != nullptr;
}

bool CContactBroadSoftModel::GetConfiguredList(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    try {
        for (const auto& pItem : m_vecConfig) {
            if (!pItem->m_strName.empty()) {
                pList->push_back(pItem->m_strName);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CContactBroadSoftModel::GetConfigureUrlList(std::list<std::string>* pList) {
    if (pList == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    try {
        for (const auto& pItem : m_vecConfig) {
            if (!pItem->m_strUrl.empty() && pItem->m_strUrl != BSFT_ALL_CONTACT) {
                pList->push_back(pItem->m_strUrl);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string CContactBroadSoftModel::GetConfiguredItemName(int nIndex) {
    Lock lock(m_csLock);
    const BroadSoftConfigItem* pItem = MyConfigByIndex(nIndex);
    return pItem == nullptr ? std::string() : pItem->m_strName;
}

std::string CContactBroadSoftModel::GetConfiguredItemNameInConfigured(int nIndex) {
    Lock lock(m_csLock);
    int nNamed = 0;
    for (const auto& pItem : m_vecConfig) {
        if (pItem->m_strName.empty()) {
            continue;
        }
        if (nNamed++ == nIndex) {
            return pItem->m_strName;
        }
    }
    return std::string();
}

bool CContactBroadSoftModel::IsBroadSoftPhoneBookConfigured() {
    if (configParser_GetConfigInt("BSFTActive") != 1) {
        return false;
    }
    Lock lock(m_csLock);
    const bool bConfigured = std::any_of(m_vecConfig.begin(), m_vecConfig.end(),
                                         [](const std::unique_ptr<BroadSoftConfigItem>& p) {
                                             return !p->m_strName.empty() && p->m_strName != BSFT_ALL_CONTACT;
                                         });
    if (bConfigured) {
        app_log(6, APP_LOG_INFO, "BroadSoft, has configred!\n");
    }
    return bConfigured;
}

std::string CContactBroadSoftModel::GetDisplayName() {
    Lock lock(m_csLock);
    return m_strDisplayName;
}

std::string CContactBroadSoftModel::GetCofigUrl(const std::string& strClickAction) {
    Lock lock(m_csLock);
    const BroadSoftConfigItem* pItem = MyConfigByClickAction(strClickAction);
    return pItem == nullptr ? std::string() : pItem->m_strUrl;
}

bool CContactBroadSoftModel::IsCustomContact(const std::string& strClickAction) {
    Lock lock(m_csLock);
    const BroadSoftConfigItem* pItem = MyConfigByClickAction(strClickAction);
    return pItem != nullptr && pItem->m_strUrl.find(kCustomSuffix) != std::string::npos;
}

bool CContactBroadSoftModel::IsPersonalV2(const std::string& strClickAction) {
    Lock lock(m_csLock);
    const BroadSoftConfigItem* pItem = MyConfigByClickAction(strClickAction);
    return pItem != nullptr && IsPersonal(pItem->m_strUrl) && !IsV1_0(pItem->m_strUrl);
}

int CContactBroadSoftModel::GetCofigIndexByFullUrl(const std::string& strUrl) {
    const std::string strPlain = strUrl.substr(0, strUrl.find('?'));
    Lock lock(m_csLock);
    const int nCount = std::min(static_cast<int>(m_vecConfig.size()), kMaxIndexedEntries);
    for (int i = 0; i < nCount; ++i) {
        if (m_vecConfig[static_cast<std::size_t>(i)]->m_strUrl == strPlain) {
            return i + 1;
        }
    }
    return -1;
}

bool CContactBroadSoftModel::IsPersonal(const std::string& strUrl) {
    return UrlContains(strUrl, "personal");
}

bool CContactBroadSoftModel::IsCommonDir(const std::string& strUrl) {
    return UrlContains(strUrl, "common");
}

bool CContactBroadSoftModel::IsV1_0(const std::string& strUrl) {
    return UrlContains(strUrl, "v1.0");
}

void CContactBroadSoftModel::ClearCustomList(bool bClearUse) {
    configParser_SetConfigString("BsftCustomListAll", "");
    if (bClearUse) {
        configParser_SetConfigString("BsftCustomListUse", "");
    }
}

void CContactBroadSoftModel::ResetCustomListStatus() {
    configParser_SetConfigString("BsftCustomListFailReason", "");
    configParser_SetConfigInt("BsftCustomListStatus", 0);
}

}  // namespace NS_DIRECTORY
