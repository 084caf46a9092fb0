// The executor: a small pool of worker threads that run task actions, and the delivery of finished actions
// to their receivers on the GUI thread. The executor holds one reference on every action from
// TaskAction_ExecAction until its callback was delivered or dropped.

#include <algorithm>
#include <exception>

#include "AppLog.h"
#include "HostState.h"
#include "TaskAction.h"

using NS_TA::CTaskAction;
using NS_TA::CTaskActionCallbackBase;

namespace {

constexpr std::size_t kMaxWorkers = 4;
constexpr std::size_t kMaxWaitingActions = 4096;

void RunExec(CTaskAction* pAction) {
    try {
        pAction->Exec();
    } catch (const std::exception& e) {
        app_log(6, APP_LOG_WARNING, "task action of type %d threw: %s\n", pAction->GetRequestType(),
                e.what());
        pAction->SetTaskActionErrorType(NS_TA::TA_NETWORK_OTHER_ERROR);
    } catch (...) {
        app_log(6, APP_LOG_WARNING, "task action of type %d threw\n", pAction->GetRequestType());
        pAction->SetTaskActionErrorType(NS_TA::TA_NETWORK_OTHER_ERROR);
    }
}

// Expects the loop mutex held; false when there was no room, and the caller drops the executor's reference.
// The caller wakes the loop once it let go of the mutex, so the loop does not wake only to wait for it.
bool PushFinishedLocked(hostcore::LoopState& state, CTaskAction* pAction) {
    try {
        state.finished.push_back(pAction);
    } catch (const std::exception&) {
        return false;
    }
    ++state.nEvents;
    return true;
}

// Queues a finished action for its callback and wakes the loop after letting go of the mutex (held on
// entry, not on return); without room for it, the executor's reference is dropped.
void HandFinishedToLoop(hostcore::LoopState& state, std::unique_lock<std::mutex>& lock,
                        CTaskAction* pAction) {
    const bool bPushed = PushFinishedLocked(state, pAction);
    lock.unlock();
    state.loopCv.notify_all();
    if (!bPushed) {
        pAction->Release();
    }
}

// The follow-up waiting for pAction, taken out of the table; null when it has none.
CTaskAction* TakeFollowUpLocked(hostcore::LoopState& state, CTaskAction* pAction) {
    const auto found = state.followUps.find(pAction);
    if (found == state.followUps.end()) {
        return nullptr;
    }
    CTaskAction* pNext = found->second;
    state.followUps.erase(found);
    return pNext;
}

// Runs the action, then its follow-up, if any, and so on, on this worker; the loop mutex is held on entry
// and on return, and the whole chain counts as one running action.
void RunChainLocked(hostcore::LoopState& state, std::unique_lock<std::mutex>& lock, std::size_t nSlot,
                    CTaskAction* pAction) {
    state.executing[nSlot] = pAction;
    while (pAction != nullptr) {
        lock.unlock();
        RunExec(pAction);
        lock.lock();
        CTaskAction* pNext = TakeFollowUpLocked(state, pAction);
        state.executing[nSlot] = pNext;
        if (pNext == nullptr) {
            --state.nRunning;
        }
        HandFinishedToLoop(state, lock, pAction);
        lock.lock();
        pAction = pNext;
    }
}

void WorkerMain(std::size_t nSlot) {
    hostcore::LoopState& state = hostcore::Loop();
    std::unique_lock<std::mutex> lock(state.mutex);
    for (;;) {
        state.workCv.wait(lock, [&state] { return state.bStopping || !state.waiting.empty(); });
        if (state.bStopping) {
            return;
        }
        CTaskAction* pAction = state.waiting.front();
        state.waiting.pop_front();
        ++state.nRunning;
        RunChainLocked(state, lock, nSlot, pAction);
    }
}

// Starts another worker while every existing one is busy, up to the pool size. The caller wakes an idle
// worker for a queued action once it let go of the mutex.
bool EnsureWorkerLocked(hostcore::LoopState& state) {
    const std::size_t nBusy = static_cast<std::size_t>(state.nRunning) + state.waiting.size();
    if (state.workers.size() >= kMaxWorkers || state.workers.size() > nBusy) {
        return true;
    }
    try {
        const std::size_t nSlot = state.workers.size();
        if (state.executing.size() <= nSlot) {
            state.executing.resize(nSlot + 1, nullptr);
        }
        state.workers.emplace_back(WorkerMain, nSlot);
    } catch (const std::exception&) {
        return !state.workers.empty();
    }
    return true;
}

bool RunSyncLocked(hostcore::LoopState& state, std::unique_lock<std::mutex>& lock, CTaskAction* pAction) {
    pAction->AddRef();
    ++state.nRunning;
    const std::uint64_t nGeneration = state.nGeneration;
    lock.unlock();
    RunExec(pAction);
    lock.lock();
    if (nGeneration != state.nGeneration) {
        lock.unlock();
        pAction->Release();
        return true;
    }
    --state.nRunning;
    HandFinishedToLoop(state, lock, pAction);
    return true;
}

bool QueueLocked(hostcore::LoopState& state, CTaskAction* pAction) {
    if (!EnsureWorkerLocked(state)) {
        return false;
    }
    pAction->AddRef();
    try {
        state.waiting.push_back(pAction);
    } catch (const std::exception&) {
        pAction->Release();
        return false;
    }
    return true;
}

bool IsQueuedOrRunningLocked(const hostcore::LoopState& state, const CTaskAction* pAction) {
    const auto& running = state.executing;
    return std::find(running.begin(), running.end(), pAction) != running.end() ||
           std::find(state.waiting.begin(), state.waiting.end(), pAction) != state.waiting.end();
}

bool IsFollowUpLocked(const hostcore::LoopState& state, const CTaskAction* pAction) {
    for (const auto& followUp : state.followUps) {
        if (followUp.second == pAction) {
            return true;
        }
    }
    return false;
}

bool AttachLocked(hostcore::LoopState& state, CTaskAction* pAction, CTaskAction* pEarlier) {
    try {
        state.followUps.emplace(pEarlier, pAction);
    } catch (const std::exception&) {
        return false;
    }
    pAction->AddRef();
    return true;
}

enum class Delivery { Delivered, Dropped, Postponed };

Delivery DeliverOne(CTaskAction* pAction) {
    CTaskActionCallbackBase* pReceiver = pAction->GetCallback();
    if (pReceiver == nullptr || !hostcore::IsReceiverAlive(pReceiver, pAction->GetCallbackSerial())) {
        pAction->Release();
        return Delivery::Dropped;
    }
    try {
        if (!pReceiver->TryThreadMessage()) {
            return Delivery::Postponed;
        }
        pReceiver->OnTaskActionCallback(pAction);
    } catch (...) {
        app_log(6, APP_LOG_WARNING, "task action callback of type %d threw\n", pAction->GetRequestType());
    }
    pAction->Release();
    return Delivery::Delivered;
}

void RequeueFront(hostcore::LoopState& state, const std::deque<CTaskAction*>& postponed) {
    std::lock_guard<std::mutex> lock(state.mutex);
    try {
        state.finished.insert(state.finished.begin(), postponed.begin(), postponed.end());
    } catch (const std::exception&) {
        for (CTaskAction* pAction : postponed) {
            pAction->Release();
        }
    }
}

}  // namespace

namespace hostcore {

bool DeliverFinishedActions() {
    LoopState& state = Loop();
    std::deque<CTaskAction*> batch;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        batch.swap(state.finished);
    }
    bool bProgress = false;
    std::deque<CTaskAction*> postponed;
    for (CTaskAction* pAction : batch) {
        if (DeliverOne(pAction) == Delivery::Postponed) {
            postponed.push_back(pAction);
        } else {
            bProgress = true;
        }
    }
    if (!postponed.empty()) {
        RequeueFront(state, postponed);
    }
    return bProgress;
}

bool DeliverOldestFinishedAction() {
    LoopState& state = Loop();
    CTaskAction* pAction = nullptr;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.finished.empty()) {
            return false;
        }
        pAction = state.finished.front();
        state.finished.pop_front();
    }
    if (DeliverOne(pAction) != Delivery::Postponed) {
        return true;
    }
    RequeueFront(state, {pAction});
    return false;
}

std::vector<CTaskAction*> StopExecutor() {
    LoopState& state = Loop();
    std::vector<std::thread> workers;
    std::vector<CTaskAction*> dropped;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.bStopping = true;
        ++state.nGeneration;
        dropped.assign(state.waiting.begin(), state.waiting.end());
        state.waiting.clear();
        for (const auto& followUp : state.followUps) {
            dropped.push_back(followUp.second);
        }
        state.followUps.clear();
        workers.swap(state.workers);
        state.workCv.notify_all();
    }
    for (std::thread& worker : workers) {
        if (worker.get_id() == std::this_thread::get_id()) {
            worker.detach();
        } else {
            worker.join();
        }
    }
    std::lock_guard<std::mutex> lock(state.mutex);
    dropped.insert(dropped.end(), state.finished.begin(), state.finished.end());
    state.finished.clear();
    state.nRunning = 0;
    state.bStopping = false;
    return dropped;
}

}  // namespace hostcore

bool TaskAction_ExecAction(NS_TA::CTaskAction* pAction) {
    return TaskAction_ExecAfter(pAction, nullptr);
}

bool TaskAction_ExecAfter(NS_TA::CTaskAction* pAction, NS_TA::CTaskAction* pEarlier) {
    if (pAction == nullptr) {
        return false;
    }
    hostcore::LoopState& state = hostcore::Loop();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (state.bRefuse || state.bStopping || state.waiting.size() >= kMaxWaitingActions) {
        return false;
    }
    if (pAction->IsSync()) {
        return RunSyncLocked(state, lock, pAction);
    }
    // A follow-up that has not started takes none itself, so taking one back never strands another.
    if (pEarlier != nullptr && IsQueuedOrRunningLocked(state, pEarlier) &&
        state.followUps.count(pEarlier) == 0 && AttachLocked(state, pAction, pEarlier)) {
        return true;
    }
    if (!QueueLocked(state, pAction)) {
        return false;
    }
    lock.unlock();
    state.workCv.notify_one();
    return true;
}

bool TaskAction_IsPending(const NS_TA::CTaskAction* pAction) {
    hostcore::LoopState& state = hostcore::Loop();
    std::lock_guard<std::mutex> lock(state.mutex);
    return pAction != nullptr &&
           (IsQueuedOrRunningLocked(state, pAction) || IsFollowUpLocked(state, pAction));
}

bool TaskAction_CancelFollowUp(NS_TA::CTaskAction* pEarlier) {
    hostcore::LoopState& state = hostcore::Loop();
    CTaskAction* pNext = nullptr;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        pNext = TakeFollowUpLocked(state, pEarlier);
    }
    if (pNext == nullptr) {
        return false;
    }
    pNext->Release();
    return true;
}
