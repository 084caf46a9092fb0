#pragma once
// Progress of a long operation on stderr while it runs: on a terminal one line redrawn ten times a second
// (label, what is happening, seconds so far), elsewhere a line when it starts and whenever the state text
// changes, at most once a second. The summary is the command's result, printed by the caller.
// Update may be called from any thread; the line is cleared when the object goes.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace dirsim {

class CProgress {
public:
    CProgress(const std::string& strLabel, bool bEnabled);
    ~CProgress();
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    void Update(const std::string& strState);
    double Seconds() const;

private:
    void Tick();
    void Draw();

    const std::string m_strLabel;
    const bool m_bEnabled;
    const bool m_bTerminal;
    const std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_strState;
    std::string m_strPrinted;
    std::chrono::steady_clock::time_point m_lastPrint;
    bool m_bStop = false;
    std::thread m_ticker;
};

}  // namespace dirsim
