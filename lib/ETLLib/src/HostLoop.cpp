// The GUI loop: posted messages, finished task actions and expired timers, run on the GUI thread.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>

#include "HostControl.h"
#include "HostState.h"

namespace {

using hostcore::LoopState;
using SteadyClock = std::chrono::steady_clock;

// How long the loop waits before asking a receiver again that postponed its callback.
constexpr std::chrono::milliseconds kPostponedRetry{1};

bool DispatchPostedMessages() {
    LoopState& state = hostcore::Loop();
    std::deque<hostcore::msgObject> batch;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        batch.swap(state.posted);
    }
    for (hostcore::msgObject& msg : batch) {
        hostcore::DispatchToHandlers(msg);
    }
    return !batch.empty();
}

std::atomic<long long> s_nLongestTurnUs{0};

bool RunOneTurn() {
    const hostcore::LoopTurnTimer turn;
    bool bProgress = DispatchPostedMessages();
    bProgress = hostcore::DeliverFinishedActions() || bProgress;
    bProgress = hostcore::FireDueTimers() || bProgress;
    return bProgress;
}

bool IsIdleLocked(const LoopState& state) {
    return state.waiting.empty() && state.nRunning == 0 && state.posted.empty() && state.finished.empty();
}

SteadyClock::time_point FromHostMs(long long nMs) {
    return SteadyClock::time_point(std::chrono::milliseconds(nMs));
}

// When the loop has to look again although nothing may wake it: a postponed callback, a real-clock timer.
SteadyClock::time_point WakeTimeLocked(const LoopState& state, SteadyClock::time_point deadline) {
    SteadyClock::time_point wake = deadline;
    if (!state.finished.empty()) {
        wake = std::min(wake, SteadyClock::now() + kPostponedRetry);
    }
    const long long nNextDueMs = hostcore::NextTimerDueMsLocked(state);
    if (!state.bManualClock && nNextDueMs >= 0) {
        wake = std::min(wake, FromHostMs(nNextDueMs));
    }
    return wake;
}

SteadyClock::time_point DeadlineAfter(int nMs) {
    return SteadyClock::now() + std::chrono::milliseconds(std::max(0, nMs));
}

}  // namespace

namespace hostcore {

LoopTurnTimer::~LoopTurnTimer() {
    const long long nUs =
        std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - m_start).count();
    long long nLongest = s_nLongestTurnUs.load();
    while (nUs > nLongest && !s_nLongestTurnUs.compare_exchange_weak(nLongest, nUs)) {
    }
}

LoopState& Loop() {
    static LoopState* pState = new LoopState;
    return *pState;
}

bool IsGuiThreadLocked(const LoopState& state) {
    return state.bGuiThreadSet && state.guiThread == std::this_thread::get_id();
}

void ClaimGuiThreadIfUnset() {
    LoopState& state = Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.bGuiThreadSet) {
        state.guiThread = std::this_thread::get_id();
        state.bGuiThreadSet = true;
    }
}

// Clears the loop after StopExecutor; the calling thread becomes the GUI thread.
void ResetLoopState() {
    LoopState& state = Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.posted.clear();
    state.bQuit = false;
    state.bRefuse = false;
    ClearTimersLocked(state);
    state.guiThread = std::this_thread::get_id();
    state.bGuiThreadSet = true;
    ++state.nEvents;
    s_nLongestTurnUs = 0;
}

}  // namespace hostcore

namespace HostControl {

bool RunUntilIdle(int nTimeoutMs) {
    hostcore::ClaimGuiThreadIfUnset();
    LoopState& state = hostcore::Loop();
    const SteadyClock::time_point deadline = DeadlineAfter(nTimeoutMs);
    for (;;) {
        std::uint64_t nEventsBefore = 0;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            nEventsBefore = state.nEvents;
        }
        const bool bProgress = RunOneTurn();
        std::unique_lock<std::mutex> lock(state.mutex);
        if (IsIdleLocked(state)) {
            return true;
        }
        if (bProgress || state.nEvents != nEventsBefore || !state.posted.empty()) {
            continue;
        }
        if (SteadyClock::now() >= deadline) {
            return false;
        }
        state.loopCv.wait_until(lock, WakeTimeLocked(state, deadline));
    }
}

void RunFor(int nMs) {
    hostcore::ClaimGuiThreadIfUnset();
    LoopState& state = hostcore::Loop();
    const SteadyClock::time_point deadline = DeadlineAfter(nMs);
    for (;;) {
        std::uint64_t nEventsBefore = 0;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            nEventsBefore = state.nEvents;
        }
        RunOneTurn();
        std::unique_lock<std::mutex> lock(state.mutex);
        if (state.bQuit) {
            state.bQuit = false;
            return;
        }
        if (SteadyClock::now() >= deadline) {
            return;
        }
        if (state.nEvents != nEventsBefore || !state.posted.empty()) {
            continue;
        }
        state.loopCv.wait_until(lock, WakeTimeLocked(state, deadline));
    }
}

void Quit() {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bQuit = true;
    ++state.nEvents;
    state.loopCv.notify_all();
}

void PostMessage(int nMsg, int wParam, int lParam) {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    try {
        state.posted.emplace_back(nMsg, wParam, lParam);
    } catch (const std::exception&) {
        return;
    }
    ++state.nEvents;
    state.loopCv.notify_all();
}

int SendMessage(int nMsg, int wParam, int lParam) {
    hostcore::msgObject msg(nMsg, wParam, lParam);
    return hostcore::DispatchToHandlers(msg);
}

void SetRefuseTaskActions(bool bRefuse) {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bRefuse = bRefuse;
}

long long TakeLongestLoopTurnUs() {
    return s_nLongestTurnUs.exchange(0);
}

int PendingActionCount() {
    LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    return static_cast<int>(state.waiting.size() + state.followUps.size()) + state.nRunning;
}

bool WaitForActions(int nTimeoutMs) {
    LoopState& state = hostcore::Loop();
    std::unique_lock<std::mutex> lock(state.mutex);
    return state.loopCv.wait_until(lock, DeadlineAfter(nTimeoutMs),
                                   [&state] { return state.waiting.empty() && state.nRunning == 0; });
}

bool DeliverOneCallback() {
    hostcore::ClaimGuiThreadIfUnset();
    return hostcore::DeliverOldestFinishedAction();
}

}  // namespace HostControl
