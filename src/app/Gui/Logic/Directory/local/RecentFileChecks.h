#pragma once
// Remembers for a short while whether a ring or photo file exists, so that the pages of contacts built on
// every key stroke do not ask the file system again for each record shown. An answer is reused for at most
// the keep time given (a second for the shared instance): a file added or removed shows in pages within
// that time. Caller ring lookups do not use it and always ask the file system. Safe from any thread (the
// search worker builds pages too).

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace NS_DIRECTORY {

class CRecentFileChecks {
public:
    enum FileKind : int { FILE_KIND_RING = 0, FILE_KIND_PHOTO = 1 };
    using Check = std::function<bool(FileKind, const std::string&)>;
    using Clock = std::function<long long()>;  // milliseconds, never going back

    // Past nMaxPaths remembered paths of one kind, that kind's answers are all forgotten at once.
    CRecentFileChecks(Check check, Clock clock, long long nKeepMs, size_t nMaxPaths);

    // An empty path is handed to the check every time, since it names no file to remember.
    bool Exists(FileKind eKind, const std::string& strPath);
    void Forget();

    // The instance contact pages use: the host's ring and photo checks on the monotonic clock.
    static CRecentFileChecks& Shared();

private:
    struct Answer {
        bool bExists = false;
        long long nCheckedMs = 0;
    };
    using Answers = std::unordered_map<std::string, Answer>;

    Answers& MyAnswersOf(FileKind eKind) { return eKind == FILE_KIND_RING ? m_mapRing : m_mapPhoto; }

    const Check m_check;
    const Clock m_clock;
    const long long m_nKeepMs;
    const size_t m_nMaxPaths;
    std::mutex m_mutex;
    Answers m_mapRing;
    Answers m_mapPhoto;
};

}  // namespace NS_DIRECTORY
