#pragma once
// Internal state of the reference host, shared between its source files. Not part of the host interface.
//
// Every piece of state lives in a heap object that is never destroyed, so nothing depends on the order of
// static destruction at process exit. The loop, the executor and the timers share one mutex (LoopState).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FileSystem.h"
#include "HostControl.h"
#include "MsgQueue.h"
#include "PhoneServices.h"
#include "TaskAction.h"

namespace hostcore {

using ETL_MsgQueueHelper::msgObject;
using TimerHandler = std::function<int(msgObject&)>;

enum TimerKind : int { TIMER_KIND_BUS = 0, TIMER_KIND_OBJECT = 1 };
using TimerKey = std::pair<int, int>;  // kind, id

struct Timer {
    long long nDueMs = 0;
    int nPeriodMs = 0;
    std::uint64_t nSeq = 0;  // arming order; breaks ties between timers due at the same time
    TimerHandler handler;    // empty for bus timers, which are dispatched as message 33043
};

struct LoopState {
    std::mutex mutex;
    std::condition_variable loopCv;  // the GUI loop waits here for posted messages and finished actions
    std::condition_variable workCv;  // idle workers wait here
    std::uint64_t nEvents = 0;       // bumped whenever something arrives for the GUI loop

    std::thread::id guiThread;
    bool bGuiThreadSet = false;
    bool bQuit = false;
    std::deque<msgObject> posted;

    std::deque<NS_TA::CTaskAction*> waiting;
    std::deque<NS_TA::CTaskAction*> finished;
    int nRunning = 0;
    std::vector<std::thread> workers;
    std::map<NS_TA::CTaskAction*, NS_TA::CTaskAction*> followUps;  // waiting or running action -> next one
    std::vector<NS_TA::CTaskAction*> executing;  // the action each worker runs, by worker; null when idle
    bool bStopping = false;
    bool bRefuse = false;
    std::uint64_t nGeneration = 0;  // bumped by Reset; sync actions of an older generation are just released

    std::map<TimerKey, Timer> timers;
    std::uint64_t nTimerSeq = 0;
    bool bManualClock = false;
    long long nManualNowMs = 0;
};
LoopState& Loop();

// Clock (Timers.cpp). The Locked variants expect Loop().mutex to be held.
long long RealNowMs();
long long NowMsLocked(const LoopState& state);
bool FireDueTimers();
// The next due time of any timer on the host clock, or -1 without timers.
long long NextTimerDueMsLocked(const LoopState& state);
void ClearTimersLocked(LoopState& state);

// Loop (HostLoop.cpp).
bool IsGuiThreadLocked(const LoopState& state);
void ClaimGuiThreadIfUnset();
// Clears messages, timers and the clock after StopExecutor; the calling thread becomes the GUI thread.
void ResetLoopState();
// Measures one turn of GUI-thread work, from construction to destruction, for TakeLongestLoopTurnUs.
class LoopTurnTimer {
public:
    LoopTurnTimer() : m_start(std::chrono::steady_clock::now()) {}
    ~LoopTurnTimer();
    LoopTurnTimer(const LoopTurnTimer&) = delete;
    LoopTurnTimer& operator=(const LoopTurnTimer&) = delete;

private:
    const std::chrono::steady_clock::time_point m_start;
};

// Executor (Executor.cpp, TaskAction.cpp).
bool IsReceiverAlive(NS_TA::CTaskActionCallbackBase* pReceiver, std::uint64_t nSerial);
bool DeliverFinishedActions();
// Delivers the oldest finished action; false when none waited or its receiver postponed it.
bool DeliverOldestFinishedAction();
// Stops and joins the workers; returns every action that still held an executor reference.
std::vector<NS_TA::CTaskAction*> StopExecutor();

// Message bus (MsgBus.cpp). Returns the first reply, else the first handler's return value.
int DispatchToHandlers(msgObject& msg);
void ClearHandlers();

// Everything the module sent to the phone, and the phone's own state.
struct Records {
    std::mutex mutex;
    std::vector<HostControl::Notification> notifications;
    std::deque<std::string> logLines;
    std::deque<std::string> warningLines;  // also in logLines
    std::vector<HostControl::CallOutRecord> callOuts;
    std::vector<CallLogUpdateData> callLogUpdates;
    int nCallLogResets = 0;
    std::vector<std::vector<SuperSearchItemData>> dispNames;
    std::vector<HostControl::MenuTitleRecord> menuTitles;
    std::vector<int> removedStatuses;
    int nProcessedCallbacks = 0;

    bool bNetworkReady = true;
    std::string strWanIp;
    std::string strMac;
    bool bCallSession = false;
    bool bLdapOn = false;
    bool bLogEcho = false;
    std::atomic<bool> bRecordCallLog{true};  // also read without the lock: the updates skip it when off
};
Records& Recs();
void ResetRecords();

// Configuration (ConfigParser.cpp).
void ClearConfig();
// Whole-text decimal int with optional sign and surrounding blanks; false for anything else or out of range.
bool ParseIntStrict(const std::string& strText, int* pValue);

// Files (FileHelper.cpp, FileSystem.cpp).
void SetRoot(const std::string& strDir);
std::string GetRoot();
// The temporary file an atomic write of strTarget uses: ".<name>.<pid>.<n>.tmp" in the same folder.
constexpr const char* kAtomicWriteTempSuffix = ".tmp";
std::string AtomicWriteTempName(const std::string& strTarget);
// Null puts the real file system back.
void InstallFileSystem(ETL_FileSystem::CFileSystem* pFileSystem);

// Registry (Registry.cpp).
void ClearRegistry();

// Transfer limits (HostControl.cpp).
void ResetTransferLimits();

}  // namespace hostcore

namespace etl_host {
// Called by CommonUnits_RemoveStatus so HostControl::TakeRemovedStatuses can report it.
void RecordRemovedStatus(int nStatusId);
// Clears the status items and the last error id (CommonUnits.cpp).
void ResetCommonUnits();
}  // namespace etl_host
