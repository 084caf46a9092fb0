// Logging: every formatted line is kept for HostControl::TakeLogLines and optionally echoed to stderr.

#include "AppLog.h"

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <exception>
#include <vector>

#include "HostState.h"

namespace {

// Lines nobody takes are dropped, oldest first, past this many.
constexpr std::size_t kMaxKeptLines = 100000;

std::string FormatV(const char* pFormat, va_list args) {
    va_list probe;
    va_copy(probe, args);
    char small[512];
    const int nLength = std::vsnprintf(small, sizeof small, pFormat, probe);
    va_end(probe);
    if (nLength < 0) {
        return std::string();
    }
    if (static_cast<std::size_t>(nLength) < sizeof small) {
        return std::string(small, static_cast<std::size_t>(nLength));
    }
    std::vector<char> large(static_cast<std::size_t>(nLength) + 1);
    std::vsnprintf(large.data(), large.size(), pFormat, args);
    return std::string(large.data(), static_cast<std::size_t>(nLength));
}

void Echo(const std::string& strLine) {
    std::fputs(strLine.c_str(), stderr);
    if (strLine.empty() || strLine.back() != '\n') {
        std::fputc('\n', stderr);
    }
}

void KeepIn(std::deque<std::string>& lines, std::string strLine) {
    if (lines.size() >= kMaxKeptLines) {
        lines.pop_front();
    }
    lines.push_back(std::move(strLine));
}

void KeepLine(std::string strLine, bool bWarning) {
    hostcore::Records& records = hostcore::Recs();
    std::lock_guard<std::mutex> lock(records.mutex);
    if (records.bLogEcho) {
        Echo(strLine);
    }
    if (bWarning) {
        KeepIn(records.warningLines, strLine);
    }
    KeepIn(records.logLines, std::move(strLine));
}

// Formats and keeps one line; a line that cannot be kept is lost, logging never fails its caller.
void LogV(const char* pPrefix, bool bWarning, const char* pFormat, va_list args) {
    try {
        std::string strLine = pPrefix;
        strLine += FormatV(pFormat, args);
        KeepLine(std::move(strLine), bWarning);
    } catch (const std::exception&) {
    }
}

}  // namespace

void app_log(int /*nModule*/, int nLevel, const char* pFormat, ...) {
    if (pFormat == nullptr) {
        return;
    }
    va_list args;
    va_start(args, pFormat);
    LogV("", nLevel <= APP_LOG_WARNING, pFormat, args);
    va_end(args);
}

namespace ETL_TraceHelper {

void etlWarningMessage(const char* pSourceFile, const char* pFormat, ...) {
    if (pFormat == nullptr) {
        return;
    }
    std::string strPrefix;
    try {
        strPrefix = std::string("[") + (pSourceFile != nullptr ? pSourceFile : "") + "] ";
    } catch (const std::exception&) {
        return;
    }
    va_list args;
    va_start(args, pFormat);
    LogV(strPrefix.c_str(), true, pFormat, args);
    va_end(args);
}

}  // namespace ETL_TraceHelper
