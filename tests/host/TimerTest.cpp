// Thread timers and timer objects under the manual clock.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "HostControl.h"
#include "MsgQueue.h"
#include "TempRoot.h"

namespace {

using ETL_MsgQueueHelper::chThreadTimer;
using ETL_MsgQueueHelper::msgObject;

// (timer id, ms since the test began) of every timer message the bus delivered.
std::vector<std::pair<int, long long>> g_expiries;
long long g_nStartMs = 0;

long long Elapsed() {
    return HostControl::NowMs() - g_nStartMs;
}

int RecordExpiry(msgObject& msg) {
    if (msg.message == TM_TIMER) {
        g_expiries.emplace_back(msg.wParam, Elapsed());
    }
    return 0;
}

class TimerTest : public testsupport::HostFixture {
protected:
    TimerTest() {
        g_expiries.clear();
        HostControl::SetManualClock(true);
        EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, RecordExpiry);
        g_nStartMs = HostControl::NowMs();
    }
    std::vector<long long> ExpiryTimesOf(int nTimerId) const {
        std::vector<long long> times;
        for (const auto& expiry : g_expiries) {
            if (expiry.first == nTimerId) {
                times.push_back(expiry.second);
            }
        }
        return times;
    }
};

TEST_F(TimerTest, PeriodicTimerFiresOncePerPeriodPassedOnTheManualClockOnly) {
    ASSERT_TRUE(timerSetThreadTimer(91110, 120000));
    ASSERT_TRUE(timerSetThreadTimer(9, 1));
    EXPECT_TRUE(HostControl::RunUntilIdle(20));
    EXPECT_TRUE(g_expiries.empty());
    timerKillThreadTimer(9);
    HostControl::AdvanceClock(360000);
    EXPECT_EQ(ExpiryTimesOf(91110), (std::vector<long long>{120000, 240000, 360000}));
    EXPECT_EQ(Elapsed(), 360000);
}

TEST_F(TimerTest, ExpiriesComeInTimeOrderAndSettingAnArmedTimerRestartsIt) {
    timerSetThreadTimer(1, 300);
    timerSetThreadTimer(2, 200);
    HostControl::AdvanceClock(500);
    timerSetThreadTimer(1, 250);
    HostControl::AdvanceClock(300);
    EXPECT_EQ(g_expiries, (std::vector<std::pair<int, long long>>{
                              {2, 200}, {1, 300}, {2, 400}, {2, 600}, {1, 750}, {2, 800}}));
}

TEST_F(TimerTest, KilledTimerStopsEvenFromItsOwnHandlerAndUnknownIdIsIgnored) {
    timerSetThreadTimer(6, 100);
    HostControl::AdvanceClock(250);
    EXPECT_TRUE(timerKillThreadTimer(6));
    EXPECT_TRUE(timerKillThreadTimer(12345));
    EXPECT_FALSE(timerSetThreadTimer(7, 0));
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, [](msgObject& msg) {
        timerKillThreadTimer(msg.wParam);  // a handler may kill its own timer
        return 0;
    });
    timerSetThreadTimer(8, 100);
    HostControl::AdvanceClock(1000);
    EXPECT_EQ(ExpiryTimesOf(6), (std::vector<long long>{100, 200}));
    EXPECT_EQ(ExpiryTimesOf(8), std::vector<long long>{350});
}

TEST_F(TimerTest, TimerObjectCallsItsOwnHandlerNotTheBusUntilDestroyed) {
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

    int nCalls = 0;
    {
        chThreadTimer destroyed;
        destroyed.SetTimer(100, [&nCalls](msgObject&) { return ++nCalls; });
    }
    HostControl::AdvanceClock(1000);
    EXPECT_EQ(nCalls, 0) << "a destroyed timer object never fires";
}

TEST_F(TimerTest, TimerObjectHandlerMayResetOrKillItself) {
    chThreadTimer timer;
    std::vector<long long> times;
    timer.SetTimer(100, [&](msgObject&) {
        times.push_back(Elapsed());
        if (times.size() == 1) {
            timer.SetTimer(300, [&](msgObject&) {
                times.push_back(Elapsed());
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

}  // namespace
