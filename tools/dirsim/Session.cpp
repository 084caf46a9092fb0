#include "Session.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BaseHelper.h"
#include "ConfigParser.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "DataRoot.h"
#include "DemoPhoneBook.h"
#include "DemoRemotePhonebook.h"
#include "DemoServers.h"
#include "DemoXsi.h"
#include "MockXsiServer.h"
#include "HostControl.h"
#include "ModuleAdapter.h"
#include "Progress.h"
#include "Words.h"

namespace dirsim {

using json = nlohmann::json;

std::atomic<bool> CSession::s_bInterrupted{false};
int CSession::s_nInterruptPipe[2] = {-1, -1};

namespace {

constexpr const char* kSettingsFile = "dirsim-settings.json";
constexpr size_t kLogTailLines = 500;
constexpr int kLoopSliceMs = 10;

// Configuration the phone would have from provisioning: remote caller names on, a calm refresh period.
const std::vector<std::pair<std::string, std::string>> kDefaultConfig = {
    {"SearchNameFromRemoteSwitch", "1"},
    {"SRemoteNameFlashTime", "3600"},
    {"BSFTActive", "0"},
    {"LDAPSwitch", "0"},
    {"BsftGroup", "1"},
    {"BsftEnterprise", "1"},
    {"BsftGroupCommon", "1"},
    {"BsftEnterpriseCommon", "1"},
    {"BsftPersonal", "1"},
    {"BsftCustom", "1"},
    {"BstDirUpdateInterVal", "60"},
};

constexpr const char* kXsiAccountKeys[] = {"AccountBroadsoftXSIServerType", "AccountBroadsoftXSIHostAddr",
                                           "AccountBroadsoftXSIPort", "AccountBroadsoftXSIUserID",
                                           "AccountBroadsoftXSIPassword"};

}  // namespace

CSession::CSession(SessionOptions options) : m_options(std::move(options)) {}

CSession::~CSession() {
    Stop();
}

bool CSession::Start(std::string* pError) {
    if (m_bStarted) {
        return true;
    }
    if (!StartHost(pError) || !StartServers(pError) || !WriteConfiguration(pError) || !StartModule(pError)) {
        Stop();
        return false;
    }
    m_bStarted = true;
    return true;
}

bool CSession::StartHost(std::string* pError) {
    std::error_code error;
    const std::filesystem::path root = std::filesystem::absolute(m_options.strRoot, error);
    if (!error) {
        std::filesystem::create_directories(root, error);
    }
    if (error || !std::filesystem::is_directory(root)) {
        *pError =
            "cannot use " + m_options.strRoot + " as the data folder" + (error ? ": " + error.message() : "");
        return false;
    }
    m_strRootDir = root.lexically_normal().string();
    HostControl::Reset();
    HostControl::SetRootDir(m_strRootDir);
    HostControl::SetLoopbackOnly(!m_options.bRealNetwork);
    const char* pEcho = std::getenv("DIRECTORY_LOG_ECHO");
    HostControl::SetLogEcho(pEcho != nullptr && std::string(pEcho) == "1");
    LoadSettings();
    return true;
}

bool CSession::StartServers(std::string* pError) {
    if (!m_options.bDemoRemote && !m_options.bDemoXsi) {
        return true;
    }
    m_pServers = std::make_unique<CDemoServers>();
    return m_pServers->Start(m_options.bDemoRemote, m_options.bDemoXsi, pError);
}

std::string CSession::DemoServerUrl() const {
    return m_pServers ? m_pServers->RemoteBaseUrl() : "";
}

// The account the network directory reads, for account 0: the demo server's, or the one given; the
// directory is switched on with it. Set before the kept settings are applied, so "config BSFTActive 0" holds.
void CSession::ApplyXsiAccount() const {
    XsiAccount account = m_options.xsi;
    if (account.strHost.empty() && m_pServers && m_pServers->Xsi() != nullptr) {
        account.strServerType = m_pServers->Xsi()->ServerType();
        account.strHost = m_pServers->Xsi()->Host();
        account.strPort = m_pServers->Xsi()->Port();
        account.strUserId = DemoXsi().strUserId;
        account.strPassword = DemoXsi().strPassword;
    }
    if (account.strHost.empty()) {
        return;
    }
    const std::string* pValues[] = {&account.strServerType, &account.strHost, &account.strPort,
                                    &account.strUserId, &account.strPassword};
    for (size_t i = 0; i < std::size(kXsiAccountKeys); ++i) {
        configParser_SetConfigString(configParser_GetAccountConfigName(kXsiAccountKeys[i], 0), *pValues[i]);
    }
    configParser_SetConfigInt("BSFTActive", 1);
    configParser_SetConfigString("BsftCustomListUse", "");
    configParser_SetConfigString("BsftCustomListAll", "");
    configParser_SetConfigInt("BsftCustomListStatus", 0);
}

bool CSession::WriteConfiguration(std::string* pError) {
    for (const auto& entry : kDefaultConfig) {
        configParser_SetConfigString(entry.first, entry.second);
    }
    ApplyXsiAccount();
    ApplyConfig();
    if (!dataroot::WriteResourceFiles() || !dataroot::WriteShortcutSettingsIfMissing()) {
        *pError = "cannot write the phone's resource and shortcut files under " + m_strRootDir;
        return false;
    }
    std::vector<std::pair<std::string, std::string>> vecSlots = m_options.vecRemoteSlots;
    std::string strDisplayName = m_options.strRemoteDisplayName;
    if (vecSlots.empty() && m_pServers) {
        vecSlots = m_pServers->RemoteSlots();
        strDisplayName = DemoRemote().strDisplayName;
    }
    // Without demo servers and without slots of its own, the remote settings in the folder stay as they are.
    if (!vecSlots.empty() && !dataroot::WriteRemoteSettings(strDisplayName, vecSlots)) {
        *pError = "cannot write the remote phonebook settings under " + m_strRootDir;
        return false;
    }
    return true;
}

bool CSession::StartModule(std::string* pError) {
    m_bFirstRun = dataroot::IsFresh();
    if (!module::PreLoadConfigureFile()) {
        *pError = "the local phone book did not start";
        return false;
    }
    module::RegisterMessage();
    if (m_bFirstRun && !SeedDemoBook(pError)) {
        return false;
    }
    // The remote model comes into being on first use, as on the phone; it starts its downloads at once.
    NS_DIRECTORY::CContactRemoteModel::GetInstance();
    CProgress progress("starting: downloading the remote phonebook and the network directory",
                       m_options.bProgress);
    const WaitEnd eEnd = WaitIdle(m_options.nBootWaitMs, &progress,
                                  [this] { return std::to_string(m_diary.DoneCount()) + " documents"; });
    Collect();
    NS_DIRECTORY::CContactGeneralModel* pLocal = NS_DIRECTORY::CContactGeneralModel::GetInstance();
    m_boot = json{{"root", m_strRootDir},
                  {"seeded", m_bFirstRun},
                  {"contacts", pLocal->GetCurrentContactCount()},
                  {"blacklisted", pLocal->GetCurrentBlackCount()},
                  {"groups", pLocal->GetCurrentGroupCount()},
                  {"remoteDocuments", m_diary.DoneCount()},
                  {"remoteFailures", m_diary.FailedCount()},
                  {"remoteStillLoading", eEnd != WaitEnd::Done}};
    if (eEnd == WaitEnd::Interrupted) {
        *pError = "interrupted while starting";
        return false;
    }
    return true;
}

bool CSession::SeedDemoBook(std::string* pError) {
    if (!ETL_MiscHelper::fileWriteAtomic(dataroot::kDemoBookPhonePath, DemoBookFile())) {
        *pError = "cannot write the demo phone book under " + m_strRootDir;
        return false;
    }
    const int nResult = module::ImportContacts(dataroot::kDemoBookPhonePath, module::ImportMode::Replace);
    std::remove(HostControl::MapPath(dataroot::kDemoBookPhonePath).c_str());
    if (nResult != 0) {
        *pError = "the demo phone book was not taken: " + XPortResultText(nResult);
        return false;
    }
    std::list<std::string> listFavourites;
    for (const DemoContact& contact : DemoBook().vecContacts) {
        if (contact.bFavourite) {
            listFavourites.push_back(contact.strName);
        }
    }
    NS_DIRECTORY::CContactGeneralModel::GetInstance()->ToFavorateList(listFavourites);
    return true;
}

void CSession::Stop() {
    if (!m_strRootDir.empty()) {
        HostControl::RunUntilIdle(2000);
        if (m_bStarted) {
            module::UnInit();
        }
        module::ReleaseInstances();
        HostControl::Reset();
        m_strRootDir.clear();
    }
    m_pServers.reset();
    m_bStarted = false;
}

void CSession::Pump(int nMs) {
    HostControl::RunFor(nMs);
    Collect();
}

CSession::WaitEnd CSession::WaitUntil(const std::function<bool()>& done, int nTimeoutMs, CProgress* pProgress,
                                      const std::function<std::string()>& state) {
    const long long nDeadline = HostControl::NowMs() + nTimeoutMs;
    for (;;) {
        Pump(0);
        if (done()) {
            return WaitEnd::Done;
        }
        if (Interrupted()) {
            return WaitEnd::Interrupted;
        }
        if (HostControl::NowMs() >= nDeadline) {
            return WaitEnd::TimedOut;
        }
        if (pProgress != nullptr && state) {
            pProgress->Update(state());
        }
        Pump(kLoopSliceMs);
    }
}

CSession::WaitEnd CSession::WaitIdle(int nTimeoutMs, CProgress* pProgress,
                                     const std::function<std::string()>& state) {
    return WaitUntil([] { return HostControl::RunUntilIdle(0); }, nTimeoutMs, pProgress, state);
}

void CSession::Collect() {
    for (const HostControl::Notification& notification : HostControl::TakeNotifications()) {
        m_vecPending.push_back(
            {notification.id, notification.wParam, notification.lParam, notification.data,
             NotificationText(notification.id, notification.wParam, notification.lParam, notification.data)});
    }
    for (const std::string& strLine : HostControl::TakeLogLines()) {
        m_diary.Read(strLine);
        m_logTail.push_back(strLine);
        if (m_logTail.size() > kLogTailLines) {
            m_logTail.pop_front();
        }
    }
}

void CSession::BeginCommand() {
    Collect();
    m_vecIdle.insert(m_vecIdle.end(), m_vecPending.begin(), m_vecPending.end());
    m_vecPending.clear();
}

std::vector<Notice> CSession::TakeCommandNotices() {
    Collect();
    return std::move(m_vecPending);
}

bool CSession::HasCommandNotice(int nId, size_t nSkip, Notice* pNotice) {
    Collect();
    for (size_t i = nSkip; i < m_vecPending.size(); ++i) {
        if (m_vecPending[i].nId == nId) {
            if (pNotice != nullptr) {
                *pNotice = m_vecPending[i];
            }
            return true;
        }
    }
    return false;
}

std::vector<Notice> CSession::CommandNoticesSince(size_t nSkip) {
    Collect();
    return nSkip < m_vecPending.size()
               ? std::vector<Notice>(m_vecPending.begin() + static_cast<long>(nSkip), m_vecPending.end())
               : std::vector<Notice>();
}

std::vector<Notice> CSession::TakeIdleNotices() {
    return std::move(m_vecIdle);
}

const CTransferDiary& CSession::Transfers() {
    Collect();
    return m_diary;
}

std::vector<std::string> CSession::RecentLog(size_t nLines) {
    Collect();
    const size_t nFrom = m_logTail.size() > nLines ? m_logTail.size() - nLines : 0;
    return std::vector<std::string>(m_logTail.begin() + static_cast<long>(nFrom), m_logTail.end());
}

void CSession::LoadSettings() {
    m_vecConfig.clear();
    std::ifstream in(std::filesystem::path(m_strRootDir) / kSettingsFile);
    if (!in) {
        return;
    }
    const json settings = json::parse(in, nullptr, false);
    if (!settings.is_object() || !settings.contains("config") || !settings["config"].is_object()) {
        return;
    }
    for (auto item = settings["config"].begin(); item != settings["config"].end(); ++item) {
        if (!item.value().is_string()) {
            continue;
        }
        bool bReplaced = false;
        for (auto& entry : m_vecConfig) {
            if (entry.first == item.key()) {
                entry.second = item.value().get<std::string>();
                bReplaced = true;
            }
        }
        if (!bReplaced) {
            m_vecConfig.emplace_back(item.key(), item.value().get<std::string>());
        }
    }
}

bool CSession::SaveSettings(std::string* pError) const {
    json config = json::object();
    for (const auto& entry : m_vecConfig) {
        if (IsSecretKey(entry.first)) {
            continue;
        }
        config[entry.first] = entry.second;
    }
    const std::filesystem::path path = std::filesystem::path(m_strRootDir) / kSettingsFile;
    std::ofstream out(path);
    out << json{{"config", config}}.dump(2) << "\n";
    if (!out) {
        *pError = "cannot write " + path.string();
        return false;
    }
    return true;
}

void CSession::ApplyConfig() const {
    for (const auto& entry : m_vecConfig) {
        configParser_SetConfigString(entry.first, entry.second);
    }
}

bool CSession::SetConfig(const std::string& strKey, const std::string& strValue, std::string* pError) {
    if (IsSecretKey(strKey)) {
        configParser_SetConfigString(strKey, strValue);
        return true;
    }
    bool bReplaced = false;
    for (auto& entry : m_vecConfig) {
        if (entry.first == strKey) {
            entry.second = strValue;
            bReplaced = true;
        }
    }
    if (!bReplaced) {
        m_vecConfig.emplace_back(strKey, strValue);
    }
    configParser_SetConfigString(strKey, strValue);
    return SaveSettings(pError);
}

std::vector<std::string> CSession::ConfigKeys() const {
    std::vector<std::string> vecKeys;
    auto add = [&vecKeys](const std::string& strKey) {
        if (std::find(vecKeys.begin(), vecKeys.end(), strKey) == vecKeys.end()) {
            vecKeys.push_back(strKey);
        }
    };
    for (const auto& entry : kDefaultConfig) {
        add(entry.first);
    }
    for (const char* pKey : kXsiAccountKeys) {
        add(configParser_GetAccountConfigName(pKey, 0));
    }
    for (const auto& entry : m_vecConfig) {
        add(entry.first);
    }
    return vecKeys;
}

bool CSession::IsSecretKey(const std::string& strKey) {
    return strKey.find("Password") != std::string::npos || strKey.find("password") != std::string::npos;
}

void CSession::RequestInterrupt() {
    s_bInterrupted = true;
    if (s_nInterruptPipe[1] >= 0) {
        const char c = 'i';
        [[maybe_unused]] const ssize_t nWritten = write(s_nInterruptPipe[1], &c, 1);
    }
}

bool CSession::Interrupted() {
    return s_bInterrupted;
}

int CSession::InterruptFd() {
    return s_nInterruptPipe[0];
}

void CSession::SetUpInterrupts() {
    if (s_nInterruptPipe[0] >= 0) {
        return;
    }
    if (pipe(s_nInterruptPipe) == 0) {
        fcntl(s_nInterruptPipe[0], F_SETFL, O_NONBLOCK);
        fcntl(s_nInterruptPipe[1], F_SETFL, O_NONBLOCK);
    }
}

}  // namespace dirsim
