// Message routing: id ranges, registration order and changes during dispatch, replies, posted messages
// and the notifications recorded for the GUI.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "HostControl.h"
#include "MsgQueue.h"
#include "TempRoot.h"

namespace {

using ETL_MsgQueueHelper::msgObject;

std::vector<std::string> g_calls;

int HandlerA(msgObject& msg) {
    g_calls.push_back("A" + std::to_string(msg.message));
    return 11;
}

int HandlerB(msgObject& msg) {
    g_calls.push_back("B" + std::to_string(msg.message));
    msg.ReplyMessage(22);
    return 12;
}

int HandlerC(msgObject& msg) {
    g_calls.push_back("C" + std::to_string(msg.message));
    msg.ReplyMessage(33);
    return 13;
}

int UnregistersB(msgObject& msg) {
    g_calls.push_back("U" + std::to_string(msg.message));
    EtlMsgHandler_UnregisterMsgHandle(100, 100, HandlerB);
    EtlMsgHandler_RegisterMsgHandle(100, 100, HandlerC);
    return 0;
}

class MessageBusTest : public testsupport::HostFixture {
protected:
    MessageBusTest() { g_calls.clear(); }
};

// SendMessage answers with the first reply, else the first handler's return value.
TEST_F(MessageBusTest, HandlersRunForTheirRangeInRegistrationOrder) {
    ASSERT_TRUE(EtlMsgHandler_RegisterMsgHandle(100, 200, HandlerB));
    ASSERT_TRUE(EtlMsgHandler_RegisterMsgHandle(150, 150, HandlerA));
    ASSERT_TRUE(EtlMsgHandler_RegisterMsgHandle(1, 1, HandlerA));
    EXPECT_EQ(HostControl::SendMessage(150, 0, 0), 22);
    EXPECT_EQ(HostControl::SendMessage(201, 0, 0), 0);
    HostControl::SendMessage(100, 0, 0);
    EXPECT_EQ(HostControl::SendMessage(1, 0, 0), 11);
    EtlMsgHandler_RegisterMsgHandle(1, 1, HandlerB);
    EtlMsgHandler_RegisterMsgHandle(1, 1, HandlerC);
    EXPECT_EQ(HostControl::SendMessage(1, 0, 0), 22);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"B150", "A150", "B100", "A1", "A1", "B1", "C1"}));
}

TEST_F(MessageBusTest, PairRegisteredTwiceRunsOnceAndUnregistersOnce) {
    EXPECT_TRUE(EtlMsgHandler_RegisterMsgHandle(65543, 65543, HandlerA));
    EXPECT_TRUE(EtlMsgHandler_RegisterMsgHandle(65543, 65543, HandlerA));
    HostControl::SendMessage(65543, 0, 0);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_TRUE(EtlMsgHandler_UnregisterMsgHandle(65543, 65543, HandlerA));
    EXPECT_FALSE(EtlMsgHandler_UnregisterMsgHandle(65543, 65543, HandlerA));
    HostControl::SendMessage(65543, 0, 0);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_FALSE(EtlMsgHandler_RegisterMsgHandle(5, 4, HandlerA));
    EXPECT_FALSE(EtlMsgHandler_RegisterMsgHandle(5, 5, nullptr));
}

TEST_F(MessageBusTest, HandlerMayChangeRegistrationsDuringDispatch) {
    EtlMsgHandler_RegisterMsgHandle(100, 100, UnregistersB);
    EtlMsgHandler_RegisterMsgHandle(100, 100, HandlerB);
    HostControl::SendMessage(100, 0, 0);
    EXPECT_EQ(g_calls, std::vector<std::string>{"U100"});
    HostControl::SendMessage(100, 0, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"U100", "U100", "C100"}));
}

TEST_F(MessageBusTest, PostedMessagesArriveThroughTheLoopFromAnyThreadUntilReset) {
    EtlMsgHandler_RegisterMsgHandle(300, 399, HandlerA);
    HostControl::PostMessage(300, 1, 2);
    std::thread poster([] { HostControl::PostMessage(301, 0, 0); });
    poster.join();
    EXPECT_TRUE(g_calls.empty());
    ASSERT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"A300", "A301"}));

    HostControl::PostMessage(302, 0, 0);
    HostControl::Reset();
    EtlMsgHandler_RegisterMsgHandle(303, 303, HandlerB);
    HostControl::PostMessage(303, 0, 0);
    HostControl::SendMessage(304, 0, 0);
    ASSERT_TRUE(HostControl::RunUntilIdle(1000));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"A300", "A301", "B303"}));
}

TEST_F(MessageBusTest, RunForReturnsOnQuit) {
    EtlMsgHandler_RegisterMsgHandle(400, 400, [](msgObject&) {
        HostControl::Quit();
        return 0;
    });
    HostControl::PostMessage(400, 0, 0);
    const long long nStart = HostControl::NowMs();
    HostControl::RunFor(60000);
    EXPECT_LT(HostControl::NowMs() - nStart, 30000);

    HostControl::Quit();
    HostControl::RunFor(60000);
    EXPECT_LT(HostControl::NowMs() - nStart, 30000);
}

TEST_F(MessageBusTest, NotificationsAreRecordedInOrderWithTheirData) {
    EXPECT_TRUE(EtlMsgHandler_NotifyApp(false, 1720, 0, 0));
    const std::string strUrl = "http://127.0.0.1/auth";
    EXPECT_TRUE(
        EtlMsgHandler_NotifyAppEx(false, 1920, 2, 401, static_cast<int>(strUrl.size() + 1), strUrl.c_str()));
    EXPECT_FALSE(EtlMsgHandler_NotifyAppEx(false, 1920, 0, 0, 4, nullptr));

    const auto notes = HostControl::TakeNotifications();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].id, 1720);
    EXPECT_EQ(notes[0].data, "");
    EXPECT_EQ(notes[1].id, 1920);
    EXPECT_EQ(notes[1].wParam, 2);
    EXPECT_EQ(notes[1].lParam, 401);
    EXPECT_EQ(notes[1].data, strUrl);
    EXPECT_TRUE(HostControl::TakeNotifications().empty());
}

// The longest loop turn covers a slow handler of a posted message and of a timer that AdvanceClock fires;
// taking it starts the measure afresh.
TEST_F(MessageBusTest, TheLongestLoopTurnIsMeasuredAndTakenAfresh) {
    const auto slow = [](msgObject&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return 0;
    };
    ASSERT_TRUE(EtlMsgHandler_RegisterMsgHandle(300, 300, slow));
    HostControl::TakeLongestLoopTurnUs();
    HostControl::PostMessage(300, 0, 0);
    ASSERT_TRUE(HostControl::RunUntilIdle(5000));
    EXPECT_GE(HostControl::TakeLongestLoopTurnUs(), 30000);
    EXPECT_LT(HostControl::TakeLongestLoopTurnUs(), 30000);

    HostControl::SetManualClock(true);
    ETL_MsgQueueHelper::chThreadTimer timer;
    ASSERT_TRUE(timer.SetTimer(10, slow));
    HostControl::AdvanceClock(10);
    EXPECT_GE(HostControl::TakeLongestLoopTurnUs(), 30000);
}

}  // namespace
