#pragma once
// The GUI thread's message bus and thread timers. Handlers and timer callbacks always run on the GUI
// thread (the thread that runs the host loop).

#include <cstdint>
#include <functional>
#include <string>

namespace ETL_MsgQueueHelper {

// One message delivered to a handler; the sender reads lResult after the handler replied.
struct msgObject {
    int message = 0;
    int wParam = 0;
    int lParam = 0;
    int lResult = 0;
    bool bReplied = false;
    std::string strExtraData;  // bytes that came with the message, if any

    msgObject() = default;
    msgObject(int nMsg, int nWParam, int nLParam) : message(nMsg), wParam(nWParam), lParam(nLParam) {}
    void ReplyMessage(int nResult) {
        lResult = nResult;
        bReplied = true;
    }
};

using MsgHandler = int (*)(msgObject& msg);

// A timer object that calls its handler on the GUI thread every period until killed. Its handler gets a
// message 33043 whose wParam is the timer's own id. Setting an armed timer restarts it with the new period.
class chThreadTimer {
public:
    chThreadTimer();
    ~chThreadTimer();
    chThreadTimer(const chThreadTimer&) = delete;
    chThreadTimer& operator=(const chThreadTimer&) = delete;

    bool SetTimer(int nMilliseconds, std::function<int(msgObject&)> handler);
    template <class T>
    bool SetTimer(int nMilliseconds, T* pObject, int (T::*pHandler)(msgObject&)) {
        return SetTimer(nMilliseconds, [pObject, pHandler](msgObject& msg) { return (pObject->*pHandler)(msg); });
    }
    void KillTimer();
    bool IsTimerRuning() const;
    int GetTimerId() const { return m_nTimerId; }

private:
    const int m_nTimerId;
};

}  // namespace ETL_MsgQueueHelper

// The timer-expiry message; wParam carries the timer id.
constexpr int TM_TIMER = 33043;

// Registers handler for every message id in [nFirstMsg, nLastMsg]. A pair registered twice runs once.
// A handler unregistered while a message is dispatched is not called for it any more; one registered
// meanwhile gets the next message. False for a null handler or nFirstMsg > nLastMsg.
bool EtlMsgHandler_RegisterMsgHandle(int nFirstMsg, int nLastMsg, ETL_MsgQueueHelper::MsgHandler handler);
bool EtlMsgHandler_UnregisterMsgHandle(int nFirstMsg, int nLastMsg, ETL_MsgQueueHelper::MsgHandler handler);
// Notifies the GUI. The host records every notification (HostControl::TakeNotifications).
bool EtlMsgHandler_NotifyApp(bool bSync, int nMsg, int wParam, int lParam);
// As NotifyApp, with nBytes of data (for a string: its length plus the terminating zero).
bool EtlMsgHandler_NotifyAppEx(bool bSync, int nMsg, int wParam, int lParam, int nBytes, const void* pData);

// Starts or restarts the periodic thread timer nTimerId; each expiry arrives as message 33043 with
// wParam = nTimerId. False for a period below 1 ms.
bool timerSetThreadTimer(int nTimerId, int nMilliseconds);
// Stops the timer; an unknown id is ignored.
bool timerKillThreadTimer(int nTimerId);
