// The performance suite: the module side by side with what users would pick instead, at several sizes.
// Usage: directory_perf [--quick] [--no-callgrind] [--filter=TEXT] [--out=DIR]
//   --quick         the smallest size of each area, short rounds, no instruction counts (a smoke run)
//   --no-callgrind  no instruction counts
//   --filter=TEXT   only rows whose id ("local/1030/lookup-hit") contains TEXT, or starts with it when it
//   holds a
//                   "/" ("local/1030/", "xsi/")
//   --out=DIR       also write DIR/perf.md and DIR/perf.json (and the callgrind files below DIR)
// Exits with 1 when a row missed its goal (or could not be measured), 2 on a bad argument.

#include <cstdio>
#include <cstring>
#include <string>

#include <curl/curl.h>

#include "PerfSections.h"

namespace {

bool TakeValue(const char* pArg, const char* pName, std::string* pValue) {
    const size_t nLength = std::strlen(pName);
    if (std::strncmp(pArg, pName, nLength) != 0 || pArg[nLength] != '=') {
        return false;
    }
    *pValue = pArg + nLength + 1;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    perf::Options options;
    options.strSelf = argv[0];
    for (int nArg = 1; nArg < argc; ++nArg) {
        const char* pArg = argv[nArg];
        if (std::strcmp(pArg, "--quick") == 0) {
            options.bQuick = true;
            options.bCallgrind = false;
        } else if (std::strcmp(pArg, "--no-callgrind") == 0) {
            options.bCallgrind = false;
        } else if (!TakeValue(pArg, "--filter", &options.strFilter) &&
                   !TakeValue(pArg, "--out", &options.strOutDir) &&
                   !TakeValue(pArg, "--callgrind-row", &options.strCallgrindRow)) {
            std::fprintf(stderr, "directory_perf: unknown argument %s\n", pArg);
            return 2;
        }
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    perf::Suite suite(options);
    for (int nContacts : suite.Sizes({100, 1000, 10000})) {
        perf::LocalSection(suite, nContacts);
    }
    for (int nEntries : suite.Sizes({500, 5000})) {
        perf::RemoteSection(suite, nEntries);
    }
    for (int nEntries : suite.Sizes({1000, 10000})) {
        perf::XsiSection(suite, nEntries);
    }
    const int nMissed = suite.Finish();
    if (options.strCallgrindRow.empty()) {
        std::printf("%d row(s) missed their goal\n", nMissed);
    }
    curl_global_cleanup();
    return nMissed == 0 ? 0 : 1;
}
