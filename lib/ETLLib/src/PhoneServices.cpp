// Phone services around the directory. Each call is recorded for HostControl; the phone's state comes from
// the HostControl setters.

#include "PhoneServices.h"

#include <cstdlib>
#include <exception>

#include "HostState.h"

namespace {

constexpr const char* kDefaultWanIp = "192.168.0.10";
constexpr const char* kDefaultMac = "001565000001";

template <class Action>
bool WithRecords(Action action) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    try {
        action(records);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool EchoFromEnvironment() {
    const char* pEcho = std::getenv("DIRECTORY_LOG_ECHO");
    return pEcho != nullptr && std::string(pEcho) == "1";
}

void ApplyDefaults(hostcore::Records& records) {
    records.bNetworkReady = true;
    records.strWanIp = kDefaultWanIp;
    records.strMac = kDefaultMac;
    records.bCallSession = false;
    records.bLdapOn = false;
    records.bLogEcho = EchoFromEnvironment();
    records.bRecordCallLog = true;
}

}  // namespace

namespace hostcore {

Records& Recs() {
    static Records* pRecords = [] {
        auto* pNew = new Records;
        ApplyDefaults(*pNew);
        return pNew;
    }();
    return *pRecords;
}

void ResetRecords() {
    Records& records = Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    records.notifications.clear();
    records.logLines.clear();
    records.warningLines.clear();
    records.callOuts.clear();
    records.callLogUpdates.clear();
    records.nCallLogResets = 0;
    records.dispNames.clear();
    records.menuTitles.clear();
    records.removedStatuses.clear();
    records.nProcessedCallbacks = 0;
    ApplyDefaults(records);
}

}  // namespace hostcore

namespace etl_host {

void RecordRemovedStatus(int nStatusId) {
    WithRecords([nStatusId](hostcore::Records& records) { records.removedStatuses.push_back(nStatusId); });
}

}  // namespace etl_host

bool netIsNetworkReady() {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    return records.bNetworkReady;
}

std::string netGetWanIP() {
    std::string strIp;
    WithRecords([&strIp](hostcore::Records& records) { strIp = records.strWanIp; });
    return strIp;
}

namespace NS_SETTING {

bool CStatusController::GetPhoneStatusData(PhoneStatusData* pData) {
    if (pData == nullptr) {
        return false;
    }
    return WithRecords([pData](hostcore::Records& records) {
        pData->m_strMac = records.strMac;
        pData->m_strIp = records.strWanIp;
    });
}

}  // namespace NS_SETTING

namespace NS_MENU {

CMenuTitleManager* CMenuTitleManager::GetInstance() {
    static CMenuTitleManager* pInstance = new CMenuTitleManager;
    return pInstance;
}

void CMenuTitleManager::SetTitle(const std::string& strClickAction, const std::string& strTitle) {
    WithRecords([&](hostcore::Records& records) {
        records.menuTitles.push_back(HostControl::MenuTitleRecord{strClickAction, strTitle});
    });
}

}  // namespace NS_MENU

bool talkLogic_CallOut(const std::string& strNumber, const std::string& strName, int nAccount,
                       const void* /*pParam*/) {
    if (strNumber.empty()) {
        return false;
    }
    return WithRecords([&](hostcore::Records& records) {
        records.callOuts.push_back(HostControl::CallOutRecord{strNumber, strName, nAccount});
    });
}

bool talkLogic_SessionExist(bool /*bIncludeIdle*/) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    return records.bCallSession;
}

bool CallLog_UpdateLog(const CallLogUpdateData& data) {
    if (!hostcore::Recs().bRecordCallLog) {
        return true;
    }
    return WithRecords([&data](hostcore::Records& records) {
        if (records.bRecordCallLog) {
            records.callLogUpdates.push_back(data);
        }
    });
}

bool CallLog_IsTakingUpdates() {
    return hostcore::Recs().bRecordCallLog;
}

void CallLog_ResetLogContactName() {
    WithRecords([](hostcore::Records& records) { ++records.nCallLogResets; });
}

namespace NS_CALLLOG {

CCallLogModel* CCallLogModel::GetInstance() {
    static CCallLogModel* pInstance = new CCallLogModel;
    return pInstance;
}

void CCallLogModel::UpdateDispName(const std::vector<SuperSearchItemData>& listNames) {
    if (!hostcore::Recs().bRecordCallLog) {
        return;
    }
    WithRecords([&listNames](hostcore::Records& records) {
        if (records.bRecordCallLog) {
            records.dispNames.push_back(listNames);
        }
    });
}

}  // namespace NS_CALLLOG

bool Ldap_IsOn() {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    return records.bLdapOn;
}
