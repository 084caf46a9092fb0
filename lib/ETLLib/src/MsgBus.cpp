// The message bus: handlers registered by id range, called in registration order on the GUI thread, and
// the notifications the module sends to the GUI.

#include <algorithm>
#include <exception>

#include "AppLog.h"
#include "HostState.h"
#include "MsgQueue.h"

using ETL_MsgQueueHelper::MsgHandler;
using ETL_MsgQueueHelper::msgObject;

namespace {

struct Registration {
    int nFirst;
    int nLast;
    MsgHandler handler;
    std::uint64_t nSerial;

    bool Covers(int nMsg) const { return nFirst <= nMsg && nMsg <= nLast; }
    bool Same(int nOtherFirst, int nOtherLast, MsgHandler other) const {
        return nFirst == nOtherFirst && nLast == nOtherLast && handler == other;
    }
};

struct Bus {
    std::mutex mutex;
    std::vector<Registration> registrations;
    std::uint64_t nNextSerial = 1;
};

Bus& TheBus() {
    static Bus* pBus = new Bus;
    return *pBus;
}

std::vector<Registration> HandlersFor(int nMsg) {
    Bus& bus = TheBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    std::vector<Registration> matching;
    for (const Registration& registration : bus.registrations) {
        if (registration.Covers(nMsg)) {
            matching.push_back(registration);
        }
    }
    return matching;
}

// A handler unregistered by an earlier handler of the same message is skipped.
bool StillRegistered(std::uint64_t nSerial) {
    Bus& bus = TheBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    return std::any_of(bus.registrations.begin(), bus.registrations.end(),
                       [nSerial](const Registration& r) { return r.nSerial == nSerial; });
}

bool RecordNotification(int nMsg, int wParam, int lParam, std::string strData) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    try {
        records.notifications.push_back(HostControl::Notification{nMsg, wParam, lParam, std::move(strData)});
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace

namespace hostcore {

int DispatchToHandlers(msgObject& msg) {
    std::vector<Registration> handlers;
    try {
        handlers = HandlersFor(msg.message);
    } catch (const std::exception&) {
        return 0;
    }
    bool bFirst = true;
    int nFirstResult = 0;
    bool bReplied = false;
    int nReply = 0;
    for (const Registration& registration : handlers) {
        if (!StillRegistered(registration.nSerial)) {
            continue;
        }
        const int nResult = registration.handler(msg);
        if (bFirst) {
            nFirstResult = nResult;
            bFirst = false;
        }
        if (msg.bReplied && !bReplied) {
            bReplied = true;
            nReply = msg.lResult;
        }
    }
    return bReplied ? nReply : nFirstResult;
}

void ClearHandlers() {
    Bus& bus = TheBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    bus.registrations.clear();
}

}  // namespace hostcore

bool EtlMsgHandler_RegisterMsgHandle(int nFirstMsg, int nLastMsg, MsgHandler handler) {
    if (handler == nullptr || nFirstMsg > nLastMsg) {
        return false;
    }
    Bus& bus = TheBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    const bool bKnown = std::any_of(bus.registrations.begin(), bus.registrations.end(),
                                    [&](const Registration& r) { return r.Same(nFirstMsg, nLastMsg, handler); });
    if (bKnown) {
        return true;
    }
    try {
        bus.registrations.push_back(Registration{nFirstMsg, nLastMsg, handler, bus.nNextSerial++});
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool EtlMsgHandler_UnregisterMsgHandle(int nFirstMsg, int nLastMsg, MsgHandler handler) {
    Bus& bus = TheBus();
    std::lock_guard<std::mutex> lock(bus.mutex);
    const auto removed = std::remove_if(bus.registrations.begin(), bus.registrations.end(),
                                        [&](const Registration& r) { return r.Same(nFirstMsg, nLastMsg, handler); });
    const bool bFound = removed != bus.registrations.end();
    bus.registrations.erase(removed, bus.registrations.end());
    return bFound;
}

bool EtlMsgHandler_NotifyApp(bool /*bSync*/, int nMsg, int wParam, int lParam) {
    return RecordNotification(nMsg, wParam, lParam, std::string());
}

bool EtlMsgHandler_NotifyAppEx(bool /*bSync*/, int nMsg, int wParam, int lParam, int nBytes, const void* pData) {
    if (nBytes < 0 || (nBytes > 0 && pData == nullptr)) {
        return false;
    }
    try {
        std::string strData;
        if (nBytes > 0) {
            strData.assign(static_cast<const char*>(pData), static_cast<std::size_t>(nBytes));
        }
        if (!strData.empty() && strData.back() == '\0') {
            strData.pop_back();
        }
        return RecordNotification(nMsg, wParam, lParam, std::move(strData));
    } catch (const std::exception&) {
        return false;
    }
}
