// Objects that tell which thread freed them, for tests of work handed to a worker.

#pragma once

#include <atomic>
#include <thread>

namespace testsupport {

// How many logged objects were freed, and how many of them on the thread that made the log.
struct FreeLog {
    std::atomic<int> nFreed{0};
    std::atomic<int> nFreedHere{0};
    std::thread::id caller = std::this_thread::get_id();
};

// A Base (with a virtual destructor) that counts itself in a log when freed.
template <typename Base>
class FreeLogged : public Base {
public:
    explicit FreeLogged(FreeLog* pLog) : m_pLog(pLog) {}
    ~FreeLogged() override {
        ++m_pLog->nFreed;
        if (std::this_thread::get_id() == m_pLog->caller) {
            ++m_pLog->nFreedHere;
        }
    }

private:
    FreeLog* m_pLog;
};

}  // namespace testsupport
