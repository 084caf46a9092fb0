#include "RecentFileChecks.h"

#include <chrono>
#include <utility>

#include "CommonUnits.h"

namespace NS_DIRECTORY {

namespace {

constexpr long long kSharedKeepMs = 1000;
constexpr size_t kSharedMaxPaths = 512;

bool HostFileExists(CRecentFileChecks::FileKind eKind, const std::string& strPath) {
    return eKind == CRecentFileChecks::FILE_KIND_RING ? CommonUnits_IsRingExist(strPath)
                                                      : CommonUnits_IsContactImageExist(strPath);
}

long long MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CRecentFileChecks::CRecentFileChecks(Check check, Clock clock, long long nKeepMs, size_t nMaxPaths)
    : m_check(std::move(check)), m_clock(std::move(clock)), m_nKeepMs(nKeepMs), m_nMaxPaths(nMaxPaths) {}

bool CRecentFileChecks::Exists(FileKind eKind, const std::string& strPath) {
    if (strPath.empty()) {
        return m_check(eKind, strPath);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Answers& answers = MyAnswersOf(eKind);
        const auto found = answers.find(strPath);
        if (found != answers.end() && m_clock() - found->second.nCheckedMs < m_nKeepMs) {
            return found->second.bExists;
        }
    }
    // The file system is asked without the lock, so a slow check never holds up another thread's page.
    const long long nCheckedMs = m_clock();
    const bool bExists = m_check(eKind, strPath);
    std::lock_guard<std::mutex> lock(m_mutex);
    Answers& answers = MyAnswersOf(eKind);
    if (answers.size() >= m_nMaxPaths && answers.find(strPath) == answers.end()) {
        answers.clear();
    }
    answers[strPath] = Answer{bExists, nCheckedMs};
    return bExists;
}

void CRecentFileChecks::Forget() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapRing.clear();
    m_mapPhoto.clear();
}

CRecentFileChecks& CRecentFileChecks::Shared() {
    static CRecentFileChecks s_checks(HostFileExists, MonotonicMs, kSharedKeepMs, kSharedMaxPaths);
    return s_checks;
}

}  // namespace NS_DIRECTORY
