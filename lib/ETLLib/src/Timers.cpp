// The host clock and the periodic thread timers: bus timers (timerSetThreadTimer, dispatched as message
// 33043) and timer objects (chThreadTimer, calling their own handler). Expiries always run on the GUI thread.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>

#include "AppLog.h"
#include "HostState.h"
#include "MsgQueue.h"

namespace {

using hostcore::LoopState;
using hostcore::Timer;
using hostcore::TimerKey;

// Timer objects take their ids from a range the module's own timer ids stay far below.
std::atomic<int> g_nNextObjectTimerId{0x40000000};

bool ArmTimer(const TimerKey& key, int nMilliseconds, hostcore::TimerHandler handler) {
    if (nMilliseconds < 1) {
        return false;
    }
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    try {
        Timer& timer = state.timers[key];
        timer.nDueMs = hostcore::NowMsLocked(state) + nMilliseconds;
        timer.nPeriodMs = nMilliseconds;
        timer.nSeq = ++state.nTimerSeq;
        timer.handler = std::move(handler);
    } catch (const std::exception&) {
        state.timers.erase(key);
        return false;
    }
    state.loopCv.notify_all();
    return true;
}

bool DisarmTimer(const TimerKey& key) {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.timers.erase(key) > 0;
}

bool IsArmed(const TimerKey& key) {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.timers.count(key) > 0;
}

bool EarlierThan(const Timer& a, const Timer& b) {
    return a.nDueMs != b.nDueMs ? a.nDueMs < b.nDueMs : a.nSeq < b.nSeq;
}

// The timer that falls due first at or before nLimitMs, or timers.end().
std::map<TimerKey, Timer>::iterator EarliestDueLocked(LoopState& state, long long nLimitMs) {
    auto best = state.timers.end();
    for (auto it = state.timers.begin(); it != state.timers.end(); ++it) {
        if (it->second.nDueMs <= nLimitMs &&
            (best == state.timers.end() || EarlierThan(it->second, best->second))) {
            best = it;
        }
    }
    return best;
}

void Fire(const TimerKey& key, const hostcore::TimerHandler& handler) {
    ETL_MsgQueueHelper::msgObject msg(TM_TIMER, key.second, 0);
    try {
        if (handler) {
            handler(msg);
        } else {
            hostcore::DispatchToHandlers(msg);
        }
    } catch (...) {
        app_log(6, APP_LOG_WARNING, "timer %d handler threw\n", key.second);
    }
}

// Takes the expiry of the timer at it: moves its due time on by one period (skipping missed periods when
// bSkipMissed) and returns what to call.
std::pair<TimerKey, hostcore::TimerHandler> TakeExpiryLocked(std::map<TimerKey, Timer>::iterator it,
                                                             long long nNowMs, bool bSkipMissed) {
    Timer& timer = it->second;
    timer.nDueMs += timer.nPeriodMs;
    if (bSkipMissed && timer.nDueMs <= nNowMs) {
        timer.nDueMs = nNowMs + timer.nPeriodMs;
    }
    return {it->first, timer.handler};
}

std::vector<TimerKey> DueKeysInOrderLocked(LoopState& state, long long nNowMs) {
    std::vector<std::pair<Timer*, TimerKey>> due;
    for (auto& entry : state.timers) {
        if (entry.second.nDueMs <= nNowMs) {
            due.emplace_back(&entry.second, entry.first);
        }
    }
    std::sort(due.begin(), due.end(),
              [](const auto& a, const auto& b) { return EarlierThan(*a.first, *b.first); });
    std::vector<TimerKey> keys;
    for (const auto& entry : due) {
        keys.push_back(entry.second);
    }
    return keys;
}

}  // namespace

namespace hostcore {

long long RealNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

long long NowMsLocked(const LoopState& state) {
    return state.bManualClock ? state.nManualNowMs : RealNowMs();
}

long long NextTimerDueMsLocked(const LoopState& state) {
    long long nNext = -1;
    for (const auto& entry : state.timers) {
        if (nNext < 0 || entry.second.nDueMs < nNext) {
            nNext = entry.second.nDueMs;
        }
    }
    return nNext;
}

void ClearTimersLocked(LoopState& state) {
    state.timers.clear();
    state.bManualClock = false;
    state.nManualNowMs = 0;
}

// Fires each timer that is due now once, in due order. Handlers may kill or re-arm any timer.
bool FireDueTimers() {
    LoopState& state = Loop();
    std::vector<TimerKey> keys;
    long long nNowMs = 0;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        nNowMs = NowMsLocked(state);
        try {
            keys = DueKeysInOrderLocked(state, nNowMs);
        } catch (const std::exception&) {
            return false;
        }
    }
    for (const TimerKey& key : keys) {
        std::pair<TimerKey, TimerHandler> expiry;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            auto it = state.timers.find(key);
            if (it == state.timers.end() || it->second.nDueMs > nNowMs) {
                continue;
            }
            expiry = TakeExpiryLocked(it, nNowMs, true);
        }
        Fire(expiry.first, expiry.second);
    }
    return !keys.empty();
}

}  // namespace hostcore

namespace HostControl {

long long NowMs() {
    hostcore::LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    return hostcore::NowMsLocked(state);
}

// Switching keeps every armed timer's remaining time.
void SetManualClock(bool bManual) {
    hostcore::LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (bManual == state.bManualClock) {
        return;
    }
    const long long nRealMs = hostcore::RealNowMs();
    const long long nShiftMs = bManual ? 0 : nRealMs - state.nManualNowMs;
    for (auto& entry : state.timers) {
        entry.second.nDueMs += nShiftMs;
    }
    state.nManualNowMs = nRealMs;
    state.bManualClock = bManual;
    state.loopCv.notify_all();
}

void AdvanceClock(int nMs) {
    if (nMs <= 0) {
        return;
    }
    hostcore::ClaimGuiThreadIfUnset();
    hostcore::LoopState& state = hostcore::Loop();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (!state.bManualClock) {
        return;
    }
    const long long nTargetMs = state.nManualNowMs + nMs;
    const bool bDeliver = hostcore::IsGuiThreadLocked(state);
    while (bDeliver) {
        auto it = EarliestDueLocked(state, nTargetMs);
        if (it == state.timers.end()) {
            break;
        }
        state.nManualNowMs = std::max(state.nManualNowMs, it->second.nDueMs);
        auto expiry = TakeExpiryLocked(it, state.nManualNowMs, false);
        lock.unlock();
        {
            const hostcore::LoopTurnTimer turn;
            Fire(expiry.first, expiry.second);
        }
        lock.lock();
        if (!state.bManualClock) {
            return;
        }
    }
    state.nManualNowMs = std::max(state.nManualNowMs, nTargetMs);
    state.loopCv.notify_all();
}

}  // namespace HostControl

bool timerSetThreadTimer(int nTimerId, int nMilliseconds) {
    return ArmTimer({hostcore::TIMER_KIND_BUS, nTimerId}, nMilliseconds, hostcore::TimerHandler());
}

bool timerKillThreadTimer(int nTimerId) {
    DisarmTimer({hostcore::TIMER_KIND_BUS, nTimerId});
    return true;
}

namespace ETL_MsgQueueHelper {

chThreadTimer::chThreadTimer() : m_nTimerId(g_nNextObjectTimerId.fetch_add(1)) {}

chThreadTimer::~chThreadTimer() {
    KillTimer();
}

bool chThreadTimer::SetTimer(int nMilliseconds, std::function<int(msgObject&)> handler) {
    if (!handler) {
        return false;
    }
    return ArmTimer({hostcore::TIMER_KIND_OBJECT, m_nTimerId}, nMilliseconds, std::move(handler));
}

void chThreadTimer::KillTimer() {
    DisarmTimer({hostcore::TIMER_KIND_OBJECT, m_nTimerId});
}

bool chThreadTimer::IsTimerRuning() const {
    return IsArmed({hostcore::TIMER_KIND_OBJECT, m_nTimerId});
}

}  // namespace ETL_MsgQueueHelper
