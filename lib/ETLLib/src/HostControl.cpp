// The host's control surface: reset, file root, phone state, transfer limits and the records' takes.

#include "HostControl.h"

#include <atomic>
#include <exception>
#include <filesystem>
#include <mutex>

#include "BaseHelper.h"
#include "HostState.h"

namespace {

struct TransferSettings {
    std::mutex mutex;
    HostControl::TransferLimits limits;
};

TransferSettings& Transfers() {
    static TransferSettings* pSettings = new TransferSettings;
    return *pSettings;
}

std::atomic<bool> s_bLoopbackOnly{false};

template <class Setter>
void SetPhoneState(Setter setter) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    try {
        setter(records);
    } catch (const std::exception&) {
    }
}

// Moves a record list out under the records' lock.
template <class T>
T TakeRecord(T hostcore::Records::*pMember) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    T taken{};
    std::swap(taken, records.*pMember);
    return taken;
}

}  // namespace

namespace hostcore {

void ResetTransferLimits() {
    TransferSettings& settings = Transfers();
    std::lock_guard<std::mutex> lock(settings.mutex);
    settings.limits = HostControl::TransferLimits();
}

}  // namespace hostcore

namespace HostControl {

void Reset() {
    for (NS_TA::CTaskAction* pAction : hostcore::StopExecutor()) {
        pAction->Release();
    }
    hostcore::ResetLoopState();
    hostcore::ClearHandlers();
    hostcore::ResetRecords();
    hostcore::ClearConfig();
    hostcore::ClearRegistry();
    hostcore::ResetTransferLimits();
    hostcore::InstallFileSystem(nullptr);
    etl_host::ResetCommonUnits();
}

void SetRootDir(const std::string& strDir) {
    hostcore::SetRoot(strDir);
    const std::string strRoot = hostcore::GetRoot();
    if (strRoot.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(strRoot + "/config/data", ec);
    std::filesystem::create_directories(strRoot + "/tmp", ec);
}

std::string GetRootDir() {
    return hostcore::GetRoot();
}

std::string MapPath(const std::string& strPath) {
    return ETL_MiscHelper::pathMapToRoot(strPath);
}

void SetNetworkReady(bool bReady) {
    SetPhoneState([bReady](hostcore::Records& records) { records.bNetworkReady = bReady; });
}

void SetWanIP(const std::string& strIp) {
    SetPhoneState([&strIp](hostcore::Records& records) { records.strWanIp = strIp; });
}

void SetMacAddress(const std::string& strMac) {
    SetPhoneState([&strMac](hostcore::Records& records) { records.strMac = strMac; });
}

void SetCallSessionExists(bool bExists) {
    SetPhoneState([bExists](hostcore::Records& records) { records.bCallSession = bExists; });
}

void SetLdapOn(bool bOn) {
    SetPhoneState([bOn](hostcore::Records& records) { records.bLdapOn = bOn; });
}

void SetCallLogRecording(bool bRecord) {
    SetPhoneState([bRecord](hostcore::Records& records) { records.bRecordCallLog = bRecord; });
}

void SetLogEcho(bool bEcho) {
    SetPhoneState([bEcho](hostcore::Records& records) { records.bLogEcho = bEcho; });
}

void SetTransferLimits(const TransferLimits& limits) {
    TransferSettings& settings = Transfers();
    std::lock_guard<std::mutex> lock(settings.mutex);
    settings.limits = limits;
}

TransferLimits GetTransferLimits() {
    TransferSettings& settings = Transfers();
    std::lock_guard<std::mutex> lock(settings.mutex);
    return settings.limits;
}

void SetLoopbackOnly(bool bOn) {
    s_bLoopbackOnly.store(bOn);
}

bool IsLoopbackOnly() {
    return s_bLoopbackOnly.load();
}

void SetFileSystem(ETL_FileSystem::CFileSystem* pFileSystem) {
    hostcore::InstallFileSystem(pFileSystem);
}

std::vector<Notification> TakeNotifications() {
    return TakeRecord(&hostcore::Records::notifications);
}

std::vector<std::string> TakeLogLines() {
    std::deque<std::string> lines = TakeRecord(&hostcore::Records::logLines);
    return std::vector<std::string>(std::make_move_iterator(lines.begin()),
                                    std::make_move_iterator(lines.end()));
}

std::vector<std::string> TakeWarningLines() {
    std::deque<std::string> lines = TakeRecord(&hostcore::Records::warningLines);
    return std::vector<std::string>(std::make_move_iterator(lines.begin()),
                                    std::make_move_iterator(lines.end()));
}

std::vector<CallOutRecord> TakeCallOuts() {
    return TakeRecord(&hostcore::Records::callOuts);
}

std::vector<CallLogUpdateData> TakeCallLogUpdates() {
    return TakeRecord(&hostcore::Records::callLogUpdates);
}

int TakeCallLogResets() {
    return TakeRecord(&hostcore::Records::nCallLogResets);
}

std::vector<std::vector<SuperSearchItemData>> TakeCallLogDispNames() {
    return TakeRecord(&hostcore::Records::dispNames);
}

std::vector<MenuTitleRecord> TakeMenuTitles() {
    return TakeRecord(&hostcore::Records::menuTitles);
}

std::vector<int> TakeRemovedStatuses() {
    return TakeRecord(&hostcore::Records::removedStatuses);
}

int TakeProcessedCallbacks() {
    return TakeRecord(&hostcore::Records::nProcessedCallbacks);
}

}  // namespace HostControl
