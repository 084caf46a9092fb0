#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace dirsim {

namespace {

constexpr std::chrono::milliseconds kRedrawPeriod{100};
constexpr std::chrono::seconds kPlainPeriod{1};

}  // namespace

CProgress::CProgress(const std::string& strLabel, bool bEnabled)
    : m_strLabel(strLabel),
      m_bEnabled(bEnabled),
      m_bTerminal(bEnabled && isatty(STDERR_FILENO) == 1),
      m_start(std::chrono::steady_clock::now()),
      m_lastPrint(m_start) {
    if (!m_bEnabled) {
        return;
    }
    if (m_bTerminal) {
        m_ticker = std::thread([this] { Tick(); });
    } else {
        std::fprintf(stderr, "%s ...\n", m_strLabel.c_str());
    }
}

CProgress::~CProgress() {
    if (!m_bEnabled) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_ticker.joinable()) {
        m_ticker.join();
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
}

void CProgress::Update(const std::string& strState) {
    if (!m_bEnabled) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strState = strState;
    const auto now = std::chrono::steady_clock::now();
    if (!m_bTerminal && strState != m_strPrinted && now - m_lastPrint >= kPlainPeriod) {
        std::fprintf(stderr, "%s: %s\n", m_strLabel.c_str(), strState.c_str());
        m_strPrinted = strState;
        m_lastPrint = now;
    }
}

double CProgress::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void CProgress::Tick() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStop) {
        Draw();
        m_wake.wait_for(lock, kRedrawPeriod);
    }
}

void CProgress::Draw() {
    std::fprintf(stderr, "\r\033[K%s%s%s  %.1f s", m_strLabel.c_str(), m_strState.empty() ? "" : ": ",
                 m_strState.c_str(), Seconds());
    std::fflush(stderr);
}

}  // namespace dirsim
