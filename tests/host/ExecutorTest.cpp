// The task-action executor: threads, reference counts, refusal, postponed and dropped callbacks.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "HostControl.h"
#include "TaskAction.h"
#include "TempRoot.h"

namespace {

// Holds every action that waits on it until opened; lets a test keep workers busy without sleeping.
class Gate {
public:
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_nWaiting;
        m_cv.notify_all();
        m_cv.wait(lock, [this] { return m_bOpen; });
    }
    void WaitForWaiters(int nCount) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait(lock, [&] { return m_nWaiting >= nCount; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = true;
        m_cv.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_nWaiting = 0;
    bool m_bOpen = false;
};

std::atomic<int> g_nDestroyed{0};
constexpr int kThrows = -99;

class CProbeAction : public NS_TA::CTaskAction {
public:
    explicit CProbeAction(int nTag, Gate* pGate = nullptr)
        : CTaskAction(NS_TA::TA_REQUEST_NONE), m_nTag(nTag), m_pGate(pGate) {}
    bool Exec() override {
        if (m_pGate != nullptr) {
            m_pGate->Wait();
        }
        m_execThread = std::this_thread::get_id();
        if (m_nTag == kThrows) {
            throw std::runtime_error("parser gave up");
        }
        SetTaskActionErrorType(m_nTag < 0 ? NS_TA::TA_SEARCH_FAILED : NS_TA::TA_NO_ERROR);
        return true;
    }
    int Tag() const { return m_nTag; }
    std::thread::id ExecThread() const { return m_execThread; }

protected:
    ~CProbeAction() override { ++g_nDestroyed; }

private:
    const int m_nTag;
    Gate* m_pGate;
    std::thread::id m_execThread;
};

// Each link queues the next one from its worker; the loop must not call the chain idle in between.
class CChainAction : public CProbeAction {
public:
    using CProbeAction::CProbeAction;
    bool Exec() override {
        if (Tag() > 0) {
            auto* pNext = new CChainAction(Tag() - 1);
            pNext->SetCallback(GetCallback());
            TaskAction_ExecAction(pNext);
        }
        HostControl::PostMessage(600, Tag(), 0);
        return CProbeAction::Exec();
    }
};

class CProbeReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    bool TryThreadMessage() override { return m_bAccept; }
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        m_tags.push_back(static_cast<CProbeAction*>(pAction)->Tag());
        m_callbackThread = std::this_thread::get_id();
        m_errors.push_back(pAction->GetTaskActionErrorType());
        m_nRefsInCallback = pAction->GetRefCount();
    }

    bool m_bAccept = true;
    std::vector<int> m_tags;
    std::thread::id m_callbackThread;
    std::vector<NS_TA::TaskActionErrorType> m_errors;
    int m_nRefsInCallback = 0;
};

class ExecutorTest : public testsupport::HostFixture {
protected:
    ExecutorTest() { g_nDestroyed = 0; }

    // bOwned: the test keeps one reference, the way module factories hand actions out.
    CProbeAction* NewAction(int nTag, Gate* pGate = nullptr, bool bOwned = true) {
        auto* pAction = new CProbeAction(nTag, pGate);
        if (bOwned) {
            pAction->AddRef();
        }
        pAction->SetCallback(&m_receiver);
        return pAction;
    }

    CProbeReceiver m_receiver;
};

// A throwing Exec must end with a host error instead of killing the worker.
TEST_F(ExecutorTest, ExecRunsOnWorkerCallbackOnGuiThreadAndLastReleaseDeletes) {
    for (int nTag : {1, -1, kThrows}) {
        CProbeAction* pAction = NewAction(nTag);
        ASSERT_TRUE(TaskAction_ExecAction(pAction));
        ASSERT_TRUE(HostControl::RunUntilIdle(5000));
        EXPECT_NE(pAction->ExecThread(), std::this_thread::get_id());
        EXPECT_EQ(m_receiver.m_callbackThread, std::this_thread::get_id());
        EXPECT_EQ(m_receiver.m_nRefsInCallback, 2);
        EXPECT_EQ(pAction->GetRefCount(), 1);
        EXPECT_EQ(pAction->IsOperationSucceed(), nTag == 1);
        EXPECT_EQ(g_nDestroyed, 0);
        pAction->Release();
        EXPECT_EQ(g_nDestroyed, 1);
        g_nDestroyed = 0;
    }
    EXPECT_EQ(m_receiver.m_tags, (std::vector<int>{1, -1, kThrows}));
    using NS_TA::TaskActionErrorType;
    EXPECT_EQ(m_receiver.m_errors,
              (std::vector<TaskActionErrorType>{NS_TA::TA_NO_ERROR, NS_TA::TA_SEARCH_FAILED,
                                                NS_TA::TA_NETWORK_OTHER_ERROR}));
}

TEST_F(ExecutorTest, SyncActionRunsInsideExecButCallsBackFromTheLoopAndProcessCallbackCounts) {
    CProbeAction* pAction = NewAction(7);
    pAction->SetSync(true);
    ASSERT_TRUE(TaskAction_ExecAction(pAction));
    EXPECT_EQ(pAction->ExecThread(), std::this_thread::get_id());
    EXPECT_TRUE(m_receiver.m_tags.empty());
    ASSERT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_EQ(m_receiver.m_tags, std::vector<int>{7});

    EXPECT_FALSE(CBaseHelper::ProcessCallback(nullptr));
    EXPECT_TRUE(CBaseHelper::ProcessCallback(pAction));
    EXPECT_TRUE(CBaseHelper::ProcessCallback(pAction));
    EXPECT_EQ(HostControl::TakeProcessedCallbacks(), 2);
    EXPECT_EQ(HostControl::TakeProcessedCallbacks(), 0);
    pAction->Release();
}

TEST_F(ExecutorTest, ReceiverMayReleaseTheOwnerReferenceOrBeDestroyedBeforeTheCallback) {
    class CReleasingReceiver : public NS_TA::CTaskActionCallbackBase {
        void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override { pAction->Release(); }
    } releasing;
    auto* pReleased = NewAction(1);
    pReleased->SetCallback(&releasing);
    ASSERT_TRUE(TaskAction_ExecAction(pReleased));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(g_nDestroyed, 1);

    Gate gate;
    auto pReceiver = std::make_unique<CProbeReceiver>();
    auto* pAction = NewAction(3, &gate, false);
    pAction->SetCallback(pReceiver.get());
    ASSERT_TRUE(TaskAction_ExecAction(pAction));
    gate.WaitForWaiters(1);
    pReceiver.reset();
    CProbeReceiver successor;  // may reuse the old address; must not get the old callback
    gate.Open();
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_TRUE(successor.m_tags.empty());
    EXPECT_EQ(g_nDestroyed, 2);
}

TEST_F(ExecutorTest, RefusedActionsNeverRunAndAFullQueueRefuses) {
    EXPECT_FALSE(TaskAction_ExecAction(nullptr));
    HostControl::SetRefuseTaskActions(true);
    CProbeAction* pAction = NewAction(1);
    EXPECT_FALSE(TaskAction_ExecAction(pAction));
    EXPECT_EQ(pAction->GetRefCount(), 1);
    HostControl::SetRefuseTaskActions(false);
    ASSERT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_TRUE(m_receiver.m_tags.empty());
    EXPECT_EQ(pAction->ExecThread(), std::thread::id());
    pAction->Release();
    EXPECT_EQ(g_nDestroyed, 1);
    g_nDestroyed = 0;

    Gate gate;
    int nAccepted = 0;
    for (int i = 0; i < 5000; ++i) {
        auto* pAction = NewAction(i, &gate, false);
        if (!TaskAction_ExecAction(pAction)) {
            pAction->Release();
            break;
        }
        ++nAccepted;
    }
    EXPECT_GE(nAccepted, 4096);
    EXPECT_LT(nAccepted, 5000);
    EXPECT_EQ(HostControl::PendingActionCount(), nAccepted);
    gate.Open();
    ASSERT_TRUE(HostControl::RunUntilIdle(30000));
    EXPECT_EQ(HostControl::PendingActionCount(), 0);
    EXPECT_EQ(g_nDestroyed, nAccepted + 1);
}

TEST_F(ExecutorTest, RunUntilIdleTimesOutWhileAnActionRunsOrItsCallbackIsPostponed) {
    Gate gate;
    CProbeAction* pRunning = NewAction(1, &gate);
    ASSERT_TRUE(TaskAction_ExecAction(pRunning));
    gate.WaitForWaiters(1);
    EXPECT_FALSE(HostControl::RunUntilIdle(30));
    EXPECT_EQ(HostControl::PendingActionCount(), 1);
    gate.Open();
    EXPECT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(m_receiver.m_tags, std::vector<int>{1});
    pRunning->Release();

    m_receiver.m_bAccept = false;
    CProbeAction* pPostponed = NewAction(5);
    ASSERT_TRUE(TaskAction_ExecAction(pPostponed));
    EXPECT_FALSE(HostControl::RunUntilIdle(20));
    EXPECT_EQ(m_receiver.m_tags, std::vector<int>{1});
    m_receiver.m_bAccept = true;
    ASSERT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_EQ(m_receiver.m_tags, (std::vector<int>{1, 5}));
    pPostponed->Release();
}

TEST_F(ExecutorTest, ResetLetsRunningActionsFinishDropsCallbacksAndReleasesActions) {
    Gate gate;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(TaskAction_ExecAction(NewAction(i, &gate, false)));
    }
    gate.WaitForWaiters(4);
    std::thread opener([&gate] { gate.Open(); });
    HostControl::Reset();
    opener.join();
    EXPECT_EQ(g_nDestroyed, 6);
    EXPECT_EQ(HostControl::PendingActionCount(), 0);
    EXPECT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_TRUE(m_receiver.m_tags.empty());

    CProbeAction* pAfter = NewAction(9);
    ASSERT_TRUE(TaskAction_ExecAction(pAfter));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(m_receiver.m_tags, std::vector<int>{9});
    pAfter->Release();
}

TEST_F(ExecutorTest, RunUntilIdleWaitsForActionsQueuedByWorkers) {
    auto* pFirst = new CChainAction(50);
    pFirst->SetCallback(&m_receiver);
    ASSERT_TRUE(TaskAction_ExecAction(pFirst));
    ASSERT_TRUE(HostControl::RunUntilIdle(10000));
    EXPECT_EQ(m_receiver.m_tags.size(), 51U);
    EXPECT_EQ(HostControl::PendingActionCount(), 0);
    EXPECT_EQ(g_nDestroyed, 51);
}

TEST_F(ExecutorTest, AFollowUpRunsRightAfterItsEarlierActionOnTheSameWorkerOrIsTakenBackUnrun) {
    Gate gate;
    CProbeAction* pEarlier = NewAction(1, &gate);
    CProbeAction* pFollowUp = NewAction(2);
    CProbeAction* pSecond = NewAction(3);
    CProbeAction* pTakenBack = NewAction(4);
    ASSERT_TRUE(TaskAction_ExecAction(pEarlier));
    gate.WaitForWaiters(1);
    ASSERT_TRUE(TaskAction_ExecAfter(pFollowUp, pEarlier));
    EXPECT_TRUE(TaskAction_IsPending(pFollowUp));
    EXPECT_EQ(HostControl::PendingActionCount(), 2);
    ASSERT_TRUE(TaskAction_ExecAfter(pSecond, pEarlier)) << "one follow-up each: the second is queued";
    gate.Open();
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(pFollowUp->ExecThread(), pEarlier->ExecThread());
    ASSERT_EQ(m_receiver.m_tags.size(), 3u);
    EXPECT_LT(std::find(m_receiver.m_tags.begin(), m_receiver.m_tags.end(), 1),
              std::find(m_receiver.m_tags.begin(), m_receiver.m_tags.end(), 2));
    EXPECT_FALSE(TaskAction_IsPending(pEarlier));

    // Behind an action that is done, the follow-up just runs.
    ASSERT_TRUE(TaskAction_ExecAfter(pTakenBack, pEarlier));
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(m_receiver.m_tags.size(), 4u);

    Gate second;
    CProbeAction* pHeld = NewAction(5, &second);
    CProbeAction* pCancelled = NewAction(6);
    ASSERT_TRUE(TaskAction_ExecAction(pHeld));
    second.WaitForWaiters(1);
    ASSERT_TRUE(TaskAction_ExecAfter(pCancelled, pHeld));
    EXPECT_TRUE(TaskAction_CancelFollowUp(pHeld));
    EXPECT_FALSE(TaskAction_CancelFollowUp(pHeld));
    EXPECT_EQ(pCancelled->GetRefCount(), 1) << "the executor let go of it";
    EXPECT_FALSE(TaskAction_IsPending(pCancelled));
    second.Open();
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_EQ(pCancelled->ExecThread(), std::thread::id());
    EXPECT_EQ(m_receiver.m_tags.size(), 5u);

    // A reset drops a follow-up that has not started.
    Gate third;
    CProbeAction* pRunning = NewAction(7, &third);
    CProbeAction* pDropped = NewAction(8);
    ASSERT_TRUE(TaskAction_ExecAction(pRunning));
    third.WaitForWaiters(1);
    ASSERT_TRUE(TaskAction_ExecAfter(pDropped, pRunning));
    std::thread opener([&third] { third.Open(); });
    HostControl::Reset();
    opener.join();
    EXPECT_EQ(pDropped->ExecThread(), std::thread::id());
    EXPECT_EQ(pDropped->GetRefCount(), 1);
    for (CProbeAction* pAction :
         {pEarlier, pFollowUp, pSecond, pTakenBack, pHeld, pCancelled, pRunning, pDropped}) {
        pAction->Release();
    }
    EXPECT_EQ(g_nDestroyed, 8);
}

// A test that must act between two callbacks needs them one at a time.
TEST_F(ExecutorTest, WaitForActionsDeliversNothingAndDeliverOneCallbackHandsOverOneAtATime) {
    Gate gate;
    ASSERT_TRUE(TaskAction_ExecAction(NewAction(1, &gate, false)));
    gate.WaitForWaiters(1);
    EXPECT_FALSE(HostControl::WaitForActions(20));
    gate.Open();
    ASSERT_TRUE(TaskAction_ExecAction(NewAction(2, nullptr, false)));
    ASSERT_TRUE(HostControl::WaitForActions(5000));
    EXPECT_TRUE(m_receiver.m_tags.empty());
    ASSERT_TRUE(HostControl::DeliverOneCallback());
    EXPECT_EQ(m_receiver.m_tags.size(), 1u);
    m_receiver.m_bAccept = false;
    EXPECT_FALSE(HostControl::DeliverOneCallback());
    m_receiver.m_bAccept = true;
    ASSERT_TRUE(HostControl::DeliverOneCallback());
    EXPECT_EQ(m_receiver.m_tags.size(), 2u);
    EXPECT_FALSE(HostControl::DeliverOneCallback());
    EXPECT_EQ(g_nDestroyed, 2);
}

}  // namespace
