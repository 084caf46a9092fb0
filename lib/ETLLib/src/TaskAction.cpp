#include "TaskAction.h"

#include <mutex>
#include <unordered_map>

#include "HostState.h"

namespace {

// Receivers still alive, by serial; a callback owed to a serial missing here is dropped.
struct AliveReceivers {
    std::mutex mutex;
    std::unordered_map<std::uint64_t, NS_TA::CTaskActionCallbackBase*> receivers;
    std::uint64_t nNextSerial = 1;
};

AliveReceivers& Alive() {
    static AliveReceivers* pAlive = new AliveReceivers;
    return *pAlive;
}

std::uint64_t RegisterReceiver(NS_TA::CTaskActionCallbackBase* pReceiver) {
    AliveReceivers& alive = Alive();
    std::lock_guard<std::mutex> lock(alive.mutex);
    const std::uint64_t nSerial = alive.nNextSerial++;
    try {
        alive.receivers.emplace(nSerial, pReceiver);
    } catch (const std::exception&) {
        // Unregistered receivers simply get no callbacks.
    }
    return nSerial;
}

}  // namespace

namespace hostcore {

bool IsReceiverAlive(NS_TA::CTaskActionCallbackBase* pReceiver, std::uint64_t nSerial) {
    AliveReceivers& alive = Alive();
    std::lock_guard<std::mutex> lock(alive.mutex);
    const auto found = alive.receivers.find(nSerial);
    return found != alive.receivers.end() && found->second == pReceiver;
}

}  // namespace hostcore

namespace NS_TA {

void chObject::AddRef() { ++m_nRefCount; }

void chObject::Release() {
    if (--m_nRefCount <= 0) {
        delete this;
    }
}

void CTaskAction::SetCallback(CTaskActionCallbackBase* pCallback) {
    m_pCallback = pCallback;
    m_nCallbackSerial = pCallback != nullptr ? pCallback->GetCallbackSerial() : 0;
}

CTaskActionCallbackBase::CTaskActionCallbackBase() : m_nSerial(RegisterReceiver(this)) {}

CTaskActionCallbackBase::~CTaskActionCallbackBase() {
    AliveReceivers& alive = Alive();
    std::lock_guard<std::mutex> lock(alive.mutex);
    alive.receivers.erase(m_nSerial);
}

}  // namespace NS_TA

bool TaskAction_IsReceiverAlive(const NS_TA::CTaskActionCallbackBase* pReceiver, std::uint64_t nSerial) {
    return pReceiver != nullptr &&
           hostcore::IsReceiverAlive(const_cast<NS_TA::CTaskActionCallbackBase*>(pReceiver), nSerial);
}

bool CBaseHelper::ProcessCallback(NS_TA::CTaskAction* pAction) {
    if (pAction == nullptr) {
        return false;
    }
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    ++records.nProcessedCallbacks;
    return true;
}
