#pragma once
// Logging. Every line is kept for HostControl::TakeLogLines and, when enabled, echoed to stderr.

#include <string>

enum { APP_LOG_WARNING = 4, APP_LOG_INFO = 6 };

void app_log(int nModule, int nLevel, const char* pFormat, ...) __attribute__((format(printf, 3, 4)));

namespace ETL_TraceHelper {
// A warning trace naming its source file; logged as "[<source>] <text>" at level 4.
void etlWarningMessage(const char* pSourceFile, const char* pFormat, ...) __attribute__((format(printf, 2, 3)));
}  // namespace ETL_TraceHelper
