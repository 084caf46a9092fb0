#pragma once
// One run of dirsim: the reference host rooted in the data folder, the demo servers, and the directory
// module started and stopped as a phone does it. Everything here runs on the thread that called Start,
// which is the host's GUI thread; commands run the host loop through Pump and WaitUntil while they wait
// for background work, and nowhere else does the module run.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "TransferDiary.h"

namespace dirsim {

class CDemoServers;
class CProgress;

// The Xsi account of the network directory: where the server is and who the phone is.
struct XsiAccount {
    std::string strServerType = "http";  // the URL scheme
    std::string strHost;
    std::string strPort;
    std::string strUserId;
    std::string strPassword;
};

struct SessionOptions {
    std::string strRoot = "dirsim-data";
    // Serve the demo remote phonebook and the demo Xsi server on 127.0.0.1 and point the configuration at
    // them.
    bool bDemoRemote = true;
    bool bDemoXsi = true;
    // Real-server mode: the host may contact other machines than 127.0.0.1.
    bool bRealNetwork = false;
    // Remote phonebook slots to configure instead of the demo's (name, URL).
    std::vector<std::pair<std::string, std::string>> vecRemoteSlots;
    std::string strRemoteDisplayName;
    // A network directory account instead of the demo's (used when its host is set).
    XsiAccount xsi;
    bool bProgress = true;
    int nBootWaitMs = 5000;
};

// One notification of the module, with its meaning in words.
struct Notice {
    int nId = 0;
    int wParam = 0;
    int lParam = 0;
    std::string strData;
    std::string strText;
};

class CSession {
public:
    explicit CSession(SessionOptions options);
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // Roots the host, starts the demo servers, writes the configuration, seeds a fresh data folder and
    // starts the module. False with the reason in words.
    bool Start(std::string* pError);
    // Saves and stops the module, then the servers and the host. Safe to call twice.
    void Stop();

    // ---- the host loop (GUI thread)
    void Pump(int nMs);
    enum class WaitEnd { Done, TimedOut, Interrupted };
    // Runs the loop until done() holds, the time is up or Ctrl-C came; the progress line shows state().
    WaitEnd WaitUntil(const std::function<bool()>& done, int nTimeoutMs, CProgress* pProgress = nullptr,
                      const std::function<std::string()>& state = {});
    // Until no background work is left.
    WaitEnd WaitIdle(int nTimeoutMs, CProgress* pProgress = nullptr,
                     const std::function<std::string()>& state = {});

    // ---- what the module sent
    // Called before each command: what came since the last command is kept for "notifications".
    void BeginCommand();
    // The notifications that came while the command ran.
    std::vector<Notice> TakeCommandNotices();
    // Those that came between commands, since the last time they were asked for.
    std::vector<Notice> TakeIdleNotices();
    // Whether a notification of this id came during the running command, after the first nSkip of them.
    bool HasCommandNotice(int nId, size_t nSkip = 0, Notice* pNotice = nullptr);
    size_t CommandNoticeCount() const { return m_vecPending.size(); }
    // The notifications of the running command from the nSkip-th on.
    std::vector<Notice> CommandNoticesSince(size_t nSkip);
    const CTransferDiary& Transfers();
    std::vector<std::string> RecentLog(size_t nLines);

    // ---- state of the simulated screen
    int RemoteSlot() const { return m_nRemoteSlot; }
    void SetRemoteSlot(int nSlot) { m_nRemoteSlot = nSlot; }
    // While a page of the paging road is in view: its number (from 1) and the title of the directory paged.
    bool RemotePaging() const { return m_nRemotePage > 0; }
    int RemotePage() const { return m_nRemotePage; }
    const std::string& RemotePagedTitle() const { return m_strRemotePagedTitle; }
    void SetRemotePage(int nPage, const std::string& strTitle = "") {
        m_nRemotePage = nPage;
        m_strRemotePagedTitle = strTitle;
    }

    // The network directory in view: its table index (-1: none), the criteria when a server search is in
    // view, the key when a search of what was downloaded is.
    int BsftIndex() const { return m_nBsftIndex; }
    const nlohmann::json& BsftCriteria() const { return m_bsftCriteria; }
    const std::string& BsftFindKey() const { return m_strBsftFindKey; }
    void SetBsftView(int nIndex, nlohmann::json criteria = nullptr, const std::string& strFindKey = "") {
        m_nBsftIndex = nIndex;
        m_bsftCriteria = std::move(criteria);
        m_strBsftFindKey = strFindKey;
    }

    const SessionOptions& Options() const { return m_options; }
    const std::string& RootDir() const { return m_strRootDir; }
    bool FirstRun() const { return m_bFirstRun; }
    // What the start did, for "status".
    const nlohmann::json& BootReport() const { return m_boot; }
    std::string DemoServerUrl() const;
    bool ShowProgress() const { return m_options.bProgress; }

    // ---- settings kept in the data folder ("dirsim-settings.json"): configuration keys that survive a run
    // The configuration keys dirsim sets (its defaults, the network directory account, the kept settings).
    std::vector<std::string> ConfigKeys() const;
    // Keys naming a password are set for this run only, never written to the data folder.
    bool SetConfig(const std::string& strKey, const std::string& strValue, std::string* pError);
    static bool IsSecretKey(const std::string& strKey);

    // Ctrl-C: safe from a signal handler.
    static void RequestInterrupt();
    static bool Interrupted();
    // Readable after an interrupt (for poll); -1 before SetUpInterrupts.
    static int InterruptFd();
    static void SetUpInterrupts();

private:
    bool StartHost(std::string* pError);
    bool StartServers(std::string* pError);
    bool WriteConfiguration(std::string* pError);
    bool StartModule(std::string* pError);
    bool SeedDemoBook(std::string* pError);
    void LoadSettings();
    bool SaveSettings(std::string* pError) const;
    void ApplyConfig() const;
    void ApplyXsiAccount() const;
    void Collect();

    SessionOptions m_options;
    std::string m_strRootDir;
    bool m_bStarted = false;
    bool m_bFirstRun = false;
    std::unique_ptr<CDemoServers> m_pServers;
    std::vector<std::pair<std::string, std::string>> m_vecConfig;
    std::vector<Notice> m_vecPending;
    std::vector<Notice> m_vecIdle;
    CTransferDiary m_diary;
    std::deque<std::string> m_logTail;
    nlohmann::json m_boot = nlohmann::json::object();
    int m_nRemoteSlot = -1;
    int m_nRemotePage = 0;
    int m_nBsftIndex = -1;
    nlohmann::json m_bsftCriteria;
    std::string m_strBsftFindKey;
    std::string m_strRemotePagedTitle;

    static std::atomic<bool> s_bInterrupted;
    static int s_nInterruptPipe[2];
};

}  // namespace dirsim
