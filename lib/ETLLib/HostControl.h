#pragma once
// Control surface of the reference host for tests, the simulator and tools: the file root, the loop, the
// clock, the phone's state and records of everything the module sent to the phone.
//
// The GUI thread is the thread that called Reset() last (or, before any Reset, the first thread that ran
// the loop). Loop functions must be called on it.

#include <cstddef>
#include <string>
#include <vector>

#include "PhoneServices.h"

namespace ETL_FileSystem {
class CFileSystem;
}

namespace HostControl {

// Back to a fresh host: workers stopped (running actions finish, their callbacks are dropped), empty
// configuration, no handlers, timers or queued work, records cleared, real clock, network ready, default
// transfer limits, executor accepting work, the real file system, root directory kept. The calling thread
// becomes the GUI thread.
void Reset();

// Root directory under which absolute phone paths live ("" = the real paths). Creates "<root>/config/data"
// and "<root>/tmp".
void SetRootDir(const std::string& strDir);
std::string GetRootDir();
std::string MapPath(const std::string& strPath);

// Runs queued messages, task-action callbacks and expired timers until no action is queued or running and
// no message or callback is waiting. False when the time ran out first.
bool RunUntilIdle(int nTimeoutMs);
// Runs the loop for nMs milliseconds of real time (the simulator's main loop), or until Quit().
void RunFor(int nMs);
// Ends the running RunFor; without one running, the next RunFor returns after one turn.
void Quit();
// Queues a message for the handlers of its id; delivered by the loop. Safe from any thread.
void PostMessage(int nMsg, int wParam, int lParam);
// On the GUI thread: hands the message straight to the handlers of its id (in registration order) and
// returns the first value given to ReplyMessage, else the first handler's return value (0 without one).
int SendMessage(int nMsg, int wParam, int lParam);

// Under a manual clock timers expire only through AdvanceClock, which moves the clock forward and, on the
// GUI thread, delivers every expiry that falls due on the way, in time order. Elsewhere it only moves the
// clock and the loop delivers each due timer once; under the real clock it does nothing. Switching clocks
// keeps each timer's remaining time.
void SetManualClock(bool bManual);
void AdvanceClock(int nMs);
// Milliseconds on the host clock (manual or monotonic).
long long NowMs();

void SetNetworkReady(bool bReady);
void SetWanIP(const std::string& strIp);
void SetMacAddress(const std::string& strMac);
void SetCallSessionExists(bool bExists);
void SetLdapOn(bool bOn);
// While refusing, TaskAction_ExecAction answers false and runs nothing.
void SetRefuseTaskActions(bool bRefuse);
// How many actions were queued or running right now.
int PendingActionCount();
// Waits until no action is queued or running, delivering nothing: finished actions keep waiting for the
// loop. False when the time ran out first.
bool WaitForActions(int nTimeoutMs);
// On the GUI thread: delivers the callback of the action that finished first, and nothing else. False when
// no finished action was waiting or its receiver postponed it. Lets a test act between two callbacks that a
// loop turn would deliver together.
bool DeliverOneCallback();
// The longest turn of the GUI loop since the last take (or Reset), in microseconds: one pass over posted
// messages, finished actions and due timers, or one timer expiry that AdvanceClock delivers. Tells whether
// anything the module does on the GUI thread blocks it.
long long TakeLongestLoopTurnUs();

struct TransferLimits {
    int nConnectTimeoutMs = 10000;
    int nTotalTimeoutMs = 60000;
    int nLowSpeedSeconds = 20;  // abort when under 1 byte/s for this long
    long long nMaxDownloadBytes = 32LL * 1024 * 1024;
    int nMaxRedirects = 3;
    bool bVerifyTls = true;
};
void SetTransferLimits(const TransferLimits& limits);
TransferLimits GetTransferLimits();

// Loopback only: every transfer to a host other than 127.0.0.1, ::1 or localhost fails at once with a
// connect error (1001), before any name is looked up or any socket opened, redirects included. Tests,
// benchmarks and demos switch it on; Reset() leaves it as it is, so a fixture cannot switch it off by
// accident.
void SetLoopbackOnly(bool bOn);
bool IsLoopbackOnly();

// Installs the file system every file write of the module and the host goes through (FileSystem.h); null
// puts the real one back, as Reset() does. The caller keeps it alive while installed, and swaps it only
// while no background work writes files.
void SetFileSystem(ETL_FileSystem::CFileSystem* pFileSystem);

struct Notification {
    int id;
    int wParam;
    int lParam;
    std::string data;
};
// Everything sent with EtlMsgHandler_NotifyApp / NotifyAppEx since the last take, in order. For NotifyAppEx
// data holds the bytes sent, without a trailing zero.
std::vector<Notification> TakeNotifications();

// Formatted log lines since the last take, as the module wrote them (with their "\n"); the newest 100000.
std::vector<std::string> TakeLogLines();
// The lines of warning level (4) or more severe and the ETL_TraceHelper warnings since the last take of
// warnings, kept apart from the take above; the newest 100000.
std::vector<std::string> TakeWarningLines();
// Echo log lines to stderr as they are written.
void SetLogEcho(bool bEcho);

struct CallOutRecord {
    std::string strNumber;
    std::string strName;
    int nAccount;
};
std::vector<CallOutRecord> TakeCallOuts();
std::vector<CallLogUpdateData> TakeCallLogUpdates();
// While off, call-log updates and display-name lists are accepted but not recorded (the phone's call log
// is not the module's cost; benchmarks switch it off). On after Reset().
void SetCallLogRecording(bool bRecord);
// How many times the call log was told to drop every contact name.
int TakeCallLogResets();
std::vector<std::vector<SuperSearchItemData>> TakeCallLogDispNames();

struct MenuTitleRecord {
    std::string strClickAction;
    std::string strTitle;
};
std::vector<MenuTitleRecord> TakeMenuTitles();
// Status items removed with CommonUnits_RemoveStatus since the last take.
std::vector<int> TakeRemovedStatuses();
// Network file actions passed to CBaseHelper::ProcessCallback since the last take.
int TakeProcessedCallbacks();

}  // namespace HostControl
