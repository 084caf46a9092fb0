// The executor: a small pool of worker threads that run task actions, and the delivery of finished actions
// to their receivers on the GUI thread. The executor holds one reference on every action from
// TaskAction_ExecAction until its callback was delivered or dropped.

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

// Expects the loop mutex held; on failure the executor's reference is dropped.
bool PushFinishedLocked(hostcore::LoopState& state, CTaskAction* pAction) {
    try {
        state.finished.push_back(pAction);
    } catch (const std::exception&) {
        return false;
    }
    ++state.nEvents;
    state.loopCv.notify_all();
    return true;
}

void WorkerMain() {
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
        lock.unlock();
        RunExec(pAction);
        lock.lock();
        --state.nRunning;
        if (!PushFinishedLocked(state, pAction)) {
            lock.unlock();
            pAction->Release();
            lock.lock();
        }
    }
}

// Starts another worker while every existing one is busy, up to the pool size.
bool EnsureWorkerLocked(hostcore::LoopState& state) {
    const std::size_t nBusy = static_cast<std::size_t>(state.nRunning) + state.waiting.size();
    if (state.workers.size() >= kMaxWorkers || state.workers.size() > nBusy) {
        return true;
    }
    try {
        state.workers.emplace_back(WorkerMain);
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
    if (!PushFinishedLocked(state, pAction)) {
        lock.unlock();
        pAction->Release();
    }
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
    state.workCv.notify_one();
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
    return QueueLocked(state, pAction);
}
