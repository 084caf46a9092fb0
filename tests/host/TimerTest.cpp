// Thread timers and timer objects under the manual clock.

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "HostControl.h"
#include "MsgQueue.h"
#include "TempRoot.h"

namespace {

using ETL_MsgQueueHelper::chThreadTimer;
using ETL_MsgQueueHelper::msgObject;

// (timer id, host time) of every 33043 message the bus delivered.
std::vector<std::pair<int, long long>> g_expiries;

int RecordExpiry(msgObject& msg) {
    if (msg.message == TM_TIMER) {
        g_expiries.emplace_back(msg.wParam, HostControl::NowMs());
    }
    return 0;
}

int KillSelf(msgObject& msg) {
    timerKillThreadTimer(msg.wParam);
    return 0;
}

class TimerTest : public testsupport::HostFixture {
protected:
    TimerTest() {
        g_expiries.clear();
        HostControl::SetManualClock(true);
        EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, RecordExpiry);
        m_nStartMs = HostControl::NowMs();
    }
    long long Since(long long nMs) const { return nMs - m_nStartMs; }
    std::vector<long long> ExpiryTimesOf(int nTimerId) const {
        std::vector<long long> times;
        for (const auto& expiry : g_expiries) {
            if (expiry.first == nTimerId) {
                times.push_back(Since(expiry.second));
            }
        }
        return times;
    }

    long long m_nStartMs = 0;
};

TEST_F(TimerTest, PeriodicTimerFiresOncePerPeriodPassed) {
    ASSERT_TRUE(timerSetThreadTimer(91110, 120000));
    HostControl::AdvanceClock(360000);
    EXPECT_EQ(ExpiryTimesOf(91110), (std::vector<long long>{120000, 240000, 360000}));
    EXPECT_EQ(Since(HostControl::NowMs()), 360000);
}

TEST_F(TimerTest, ExpiriesOfSeveralTimersComeInTimeOrder) {
    timerSetThreadTimer(1, 300);
    timerSetThreadTimer(2, 200);
    HostControl::AdvanceClock(600);
    const std::vector<std::pair<int, long long>> expected = {{2, 200}, {1, 300}, {2, 400}, {1, 600}, {2, 600}};
    ASSERT_EQ(g_expiries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(g_expiries[i].first, expected[i].first) << i;
        EXPECT_EQ(Since(g_expiries[i].second), expected[i].second) << i;
    }
}

TEST_F(TimerTest, SettingAnArmedTimerRestartsItWithTheNewPeriod) {
    timerSetThreadTimer(5, 1000);
    HostControl::AdvanceClock(900);
    timerSetThreadTimer(5, 500);
    HostControl::AdvanceClock(1100);
    EXPECT_EQ(ExpiryTimesOf(5), (std::vector<long long>{1400, 1900}));
}

TEST_F(TimerTest, KilledTimerStopsAndUnknownIdIsIgnored) {
    timerSetThreadTimer(6, 100);
    HostControl::AdvanceClock(250);
    EXPECT_TRUE(timerKillThreadTimer(6));
    EXPECT_TRUE(timerKillThreadTimer(12345));
    HostControl::AdvanceClock(1000);
    EXPECT_EQ(ExpiryTimesOf(6).size(), 2u);
    EXPECT_FALSE(timerSetThreadTimer(7, 0));
}

TEST_F(TimerTest, HandlerMayKillItsOwnTimer) {
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, KillSelf);
    timerSetThreadTimer(8, 100);
    HostControl::AdvanceClock(1000);
    EXPECT_EQ(ExpiryTimesOf(8), std::vector<long long>{100});
}

TEST_F(TimerTest, TimersDoNotExpireWithoutAdvancingTheManualClock) {
    timerSetThreadTimer(9, 1);
    EXPECT_TRUE(HostControl::RunUntilIdle(20));
    EXPECT_TRUE(g_expiries.empty());
}

TEST_F(TimerTest, TimerObjectCallsItsOwnHandlerNotTheBus) {
    chThreadTimer timer;
    std::vector<msgObject> received;
    ASSERT_TRUE(timer.SetTimer(1000, [&received](msgObject& msg) {
        received.push_back(msg);
        return 0;
    }));
    EXPECT_TRUE(timer.IsTimerRuning());
    HostControl::AdvanceClock(2500);

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, TM_TIMER);
    EXPECT_EQ(received[0].wParam, timer.GetTimerId());
    EXPECT_GE(timer.GetTimerId(), 0x40000000);
    EXPECT_NE(chThreadTimer().GetTimerId(), timer.GetTimerId());
    EXPECT_TRUE(g_expiries.empty());
}

TEST_F(TimerTest, TimerObjectHandlerMayResetOrKillItself) {
    chThreadTimer timer;
    std::vector<long long> times;
    timer.SetTimer(100, [&](msgObject&) {
        times.push_back(Since(HostControl::NowMs()));
        if (times.size() == 1) {
            timer.SetTimer(300, [&](msgObject&) {
                times.push_back(Since(HostControl::NowMs()));
                timer.KillTimer();
                return 0;
            });
        }
        return 0;
    });
    HostControl::AdvanceClock(2000);
    EXPECT_EQ(times, (std::vector<long long>{100, 400}));
    EXPECT_FALSE(timer.IsTimerRuning());
}

TEST_F(TimerTest, DestroyedTimerObjectNeverFires) {
    int nCalls = 0;
    {
        chThreadTimer timer;
        timer.SetTimer(100, [&nCalls](msgObject&) { return ++nCalls; });
    }
    HostControl::AdvanceClock(1000);
    EXPECT_EQ(nCalls, 0);
}

}  // namespace
