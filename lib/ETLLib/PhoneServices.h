#pragma once
// Phone services around the directory: network state, phone status, menu titles, dialling, the call log and
// the LDAP switch. The host records what the module asked of them (HostControl).

#include <string>
#include <vector>

// One name-number pair handed to the call log.
struct SuperSearchItemData {
    std::string m_strDisplayName;
    std::string m_strNumber;
    void Reset() {
        m_strDisplayName.clear();
        m_strNumber.clear();
    }
};

// The numbers of one contact and the name the call log is to show for them ("" drops the name).
struct CallLogUpdateData {
    std::string m_strNumber1;
    std::string m_strNumber2;
    std::string m_strNumber3;
    std::string m_strDisplayName;
    void Reset() {
        m_strNumber1.clear();
        m_strNumber2.clear();
        m_strNumber3.clear();
        m_strDisplayName.clear();
    }
};

bool netIsNetworkReady();
std::string netGetWanIP();

struct PhoneStatusData {
    std::string m_strMac;  // "001565aabbcc" style, no separators
    std::string m_strIp;
};

namespace NS_SETTING {
class CStatusController {
public:
    static bool GetPhoneStatusData(PhoneStatusData* pData);
};
}  // namespace NS_SETTING

namespace NS_MENU {
class CMenuTitleManager {
public:
    static CMenuTitleManager* GetInstance();
    void SetTitle(const std::string& strClickAction, const std::string& strTitle);
};
}  // namespace NS_MENU

// Dials number (shown as name) on the account; false for an empty number.
bool talkLogic_CallOut(const std::string& strNumber, const std::string& strName, int nAccount,
                       const void* pParam);
// True while a call exists.
bool talkLogic_SessionExist(bool bIncludeIdle);

bool CallLog_UpdateLog(const CallLogUpdateData& data);
// False while the call log takes no name updates: CallLog_UpdateLog and UpdateDispName then change
// nothing, so a caller need not make them. Optional: referenced weakly, so a host may leave it out;
// ask through CallLog_MayTakeUpdates, which answers true on such a host.
__attribute__((weak)) bool CallLog_IsTakingUpdates();
inline bool CallLog_MayTakeUpdates() {
    return &CallLog_IsTakingUpdates == nullptr || CallLog_IsTakingUpdates();
}
void CallLog_ResetLogContactName();

namespace NS_CALLLOG {
class CCallLogModel {
public:
    static CCallLogModel* GetInstance();
    void UpdateDispName(const std::vector<SuperSearchItemData>& listNames);
};
}  // namespace NS_CALLLOG

bool Ldap_IsOn();
