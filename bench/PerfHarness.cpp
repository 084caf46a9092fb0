#include "PerfHarness.h"

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <valgrind/callgrind.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace perf {

namespace {

constexpr double kSampleUs = 2000;      // a sample runs the operation about this long
constexpr double kRowBudgetUs = 1.5e6;  // rounds of one row, both sides together
constexpr double kQuickRowBudgetUs = 0.15e6;
constexpr int kMinRounds = 7;
constexpr int kQuickMinRounds = 3;
constexpr int kMaxRounds = 151;
// Cost may grow with the size up to this much faster than the size itself before a row counts as growing
// faster than linearly (room for caches that a larger store no longer fits).
constexpr double kGrowthSlack = 1.5;
constexpr double kCallgrindSampleUs = 20000;

double Percentile(std::vector<double> listValues, double dShare) {
    if (listValues.empty()) {
        return 0;
    }
    std::sort(listValues.begin(), listValues.end());
    return listValues[static_cast<size_t>(dShare * static_cast<double>(listValues.size() - 1) + 0.5)];
}

// Microseconds per operation of one sample of k runs.
double Sample(Side& side, int nRuns) {
    if (side.prepare) {
        side.prepare();
    }
    if (side.measure) {
        double dTimed = 0;
        for (int nRun = 0; nRun < nRuns; ++nRun) {
            dTimed += side.measure();
        }
        return dTimed / nRuns / side.nOps;
    }
    const double dStart = NowUs();
    for (int nRun = 0; nRun < nRuns; ++nRun) {
        side.run();
    }
    return (NowUs() - dStart) / nRuns / side.nOps;
}

int RunsPerSample(Side& side, double dTargetUs) {
    if (side.prepare) {
        return 1;
    }
    const double dOnce = Sample(side, 1) * side.nOps;
    return std::max(1, std::min(1000000, static_cast<int>(dTargetUs / std::max(dOnce, 0.01))));
}

std::string FormatFigure(double dValue, bool bBytes) {
    char szText[64];
    if (bBytes) {
        std::snprintf(szText, sizeof(szText), "%.0f KiB", dValue / 1024);
    } else if (dValue < 1) {
        std::snprintf(szText, sizeof(szText), "%.3f us", dValue);
    } else if (dValue < 100) {
        std::snprintf(szText, sizeof(szText), "%.2f us", dValue);
    } else {
        std::snprintf(szText, sizeof(szText), "%.0f us", dValue);
    }
    return szText;
}

std::string FormatInstr(long long nInstr) {
    if (nInstr < 0) {
        return "";
    }
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%lld", nInstr);
    return szText;
}

std::string FormatRatio(double dRatio) {
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%.3f", dRatio);
    return szText;
}

std::string FormatGoal(double dGoal) {
    if (dGoal <= 0) {
        return "-";
    }
    char szText[32];
    std::snprintf(szText, sizeof(szText), "<= %g", dGoal);
    return szText;
}

std::string Verdict(const Row& row) {
    if (row.info.dGoal <= 0 && row.bPass) {
        return "shown";
    }
    return row.bPass ? "pass" : "MISS";
}

std::string JsonText(const std::string& strText) {
    std::string strOut = "\"";
    for (char c : strText) {
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            strOut += ' ';
        } else {
            strOut += c;
        }
    }
    return strOut + "\"";
}

// The instruction total of a callgrind dump file and the text after "Client Request: " in its trigger.
bool ReadDump(const std::string& strPath, std::string* pTrigger, long long* pTotal) {
    std::ifstream in(strPath);
    std::string strLine;
    bool bTotal = false;
    while (std::getline(in, strLine)) {
        const std::string kTrigger = "desc: Trigger: Client Request: ";
        if (strLine.rfind(kTrigger, 0) == 0) {
            *pTrigger = strLine.substr(kTrigger.size());
        } else if (strLine.rfind("summary: ", 0) == 0 || strLine.rfind("totals: ", 0) == 0) {
            *pTotal = std::atoll(strLine.substr(strLine.find(' ') + 1).c_str());
            bTotal = true;
        }
    }
    return bTotal && !pTrigger->empty();
}

}  // namespace

double NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double Median(std::vector<double> listValues) {
    return Percentile(std::move(listValues), 0.5);
}

Suite::Suite(Options options) : m_options(std::move(options)) {}

std::vector<int> Suite::Sizes(std::vector<int> listFull) const {
    if (m_options.bQuick && !listFull.empty()) {
        listFull.resize(1);
    }
    return listFull;
}

bool Suite::Wants(const std::string& strArea, int nSize) const {
    return WantsPrefix(strArea + "/" + std::to_string(nSize) + "/");
}

bool Suite::WantsPrefix(const std::string& strPrefix) const {
    if (!m_options.strCallgrindRow.empty()) {
        return m_options.strCallgrindRow.rfind(strPrefix, 0) == 0;
    }
    // A filter with a "/" names the start of ids; one without may match anywhere in them.
    const std::string& strFilter = m_options.strFilter;
    if (strFilter.find('/') == std::string::npos) {
        return true;
    }
    return strFilter.rfind(strPrefix, 0) == 0 || strPrefix.rfind(strFilter, 0) == 0;
}

bool Suite::WantsRow(const std::string& strId) const {
    if (!m_options.strCallgrindRow.empty()) {
        return strId == m_options.strCallgrindRow;
    }
    const std::string& strFilter = m_options.strFilter;
    if (strFilter.find('/') != std::string::npos) {
        return strId.rfind(strFilter, 0) == 0;
    }
    return strId.find(strFilter) != std::string::npos;
}

void Suite::Timed(const RowInfo& info, Side ours, Side peer, const std::function<std::string()>& check) {
    if (!WantsRow(info.strId)) {
        return;
    }
    if (!m_options.strCallgrindRow.empty()) {
        MyCount(info, ours, peer);
        return;
    }
    std::fprintf(stderr, "  %-34s %6d ...", info.strOperation.c_str(), info.nSize);
    std::fflush(stderr);
    // Warm both sides, then size their samples.
    Sample(ours, 1);
    Sample(peer, 1);
    const int nOursRuns = RunsPerSample(ours, kSampleUs);
    const int nPeerRuns = RunsPerSample(peer, kSampleUs);
    const double dBudget = m_options.bQuick ? kQuickRowBudgetUs : kRowBudgetUs;
    const int nMinRounds = m_options.bQuick ? kQuickMinRounds : kMinRounds;
    std::vector<double> listOurs, listPeer, listRatios;
    const double dStart = NowUs();
    while (static_cast<int>(listOurs.size()) < kMaxRounds &&
           (static_cast<int>(listOurs.size()) < nMinRounds || NowUs() - dStart < dBudget)) {
        // Who goes first alternates too, so neither always runs on a cache the other warmed.
        const bool bOursFirst = listOurs.size() % 2 == 0;
        double dOurs = 0;
        double dPeer = 0;
        if (bOursFirst) {
            dOurs = Sample(ours, nOursRuns);
            dPeer = Sample(peer, nPeerRuns);
        } else {
            dPeer = Sample(peer, nPeerRuns);
            dOurs = Sample(ours, nOursRuns);
        }
        listOurs.push_back(dOurs);
        listPeer.push_back(dPeer);
        listRatios.push_back(dOurs / std::max(dPeer, 1e-9));
    }
    Row row;
    row.info = info;
    row.dOurs = Median(listOurs);
    row.dPeer = Median(listPeer);
    row.dRatio = Median(listRatios);
    row.nRounds = static_cast<int>(listOurs.size());
    row.bPass = info.dGoal <= 0 || row.dRatio <= info.dGoal;
    if (check) {
        const std::string strWrong = check();
        if (!strWrong.empty()) {
            row.bPass = false;
            row.strNote = strWrong;
        }
    }
    std::fprintf(stderr, " %s / %s = %.3f\n", FormatFigure(row.dOurs, false).c_str(),
                 FormatFigure(row.dPeer, false).c_str(), row.dRatio);
    m_listRows.push_back(std::move(row));
}

void Suite::Measured(const RowInfo& info, double dOurs, double dPeer, const std::string& strNote) {
    if (!WantsRow(info.strId) || !m_options.strCallgrindRow.empty()) {
        return;
    }
    Row row;
    row.info = info;
    row.dOurs = dOurs;
    row.dPeer = dPeer;
    row.dRatio = dOurs / std::max(dPeer, 1e-9);
    row.nRounds = 1;
    row.bPass = info.dGoal <= 0 || row.dRatio <= info.dGoal;
    row.strNote = strNote;
    std::fprintf(stderr, "  %-34s %6d ... %s / %s = %.3f\n", info.strOperation.c_str(), info.nSize,
                 FormatFigure(dOurs, info.bBytes).c_str(), FormatFigure(dPeer, info.bBytes).c_str(),
                 row.dRatio);
    m_listRows.push_back(std::move(row));
}

void Suite::Failed(const RowInfo& info, const std::string& strWhy) {
    if (!WantsRow(info.strId) || !m_options.strCallgrindRow.empty()) {
        return;
    }
    Row row;
    row.info = info;
    row.bPass = false;
    row.strNote = strWhy;
    std::fprintf(stderr, "  %-34s %6d ... failed: %s\n", info.strOperation.c_str(), info.nSize,
                 strWhy.c_str());
    m_listRows.push_back(std::move(row));
}

// In the callgrind child: both sides warmed uninstrumented, then counted over about 20 ms of runs each,
// only while they run (prepare() and the loop around stay outside the count).
void Suite::MyCount(const RowInfo& info, Side& ours, Side& peer) {
    for (Side* pSide : {&ours, &peer}) {
        Sample(*pSide, 1);
        const int nRuns = RunsPerSample(*pSide, kCallgrindSampleUs);
        CALLGRIND_START_INSTRUMENTATION;
        for (int nRun = 0; nRun < nRuns; ++nRun) {
            if (pSide->prepare) {
                pSide->prepare();
            }
            CALLGRIND_TOGGLE_COLLECT;
            if (pSide->measure) {
                pSide->measure();
            } else {
                pSide->run();
            }
            CALLGRIND_TOGGLE_COLLECT;
        }
        const std::string strTrigger = std::string(pSide == &ours ? "ours " : "peer ") +
                                       std::to_string(static_cast<long long>(nRuns) * pSide->nOps);
        CALLGRIND_DUMP_STATS_AT(strTrigger.c_str());
    }
    std::printf("counted %s\n", info.strId.c_str());
}

void Suite::MyCheckGrowth() {
    std::map<std::string, std::vector<Row*>> mapByOperation;
    for (Row& row : m_listRows) {
        if (row.nRounds > 0 && !row.info.bBytes) {
            mapByOperation[row.info.strOperation].push_back(&row);
        }
    }
    for (auto& entry : mapByOperation) {
        std::vector<Row*>& listRows = entry.second;
        std::sort(listRows.begin(), listRows.end(),
                  [](const Row* a, const Row* b) { return a->info.nSize < b->info.nSize; });
        for (size_t nIndex = 1; nIndex < listRows.size(); ++nIndex) {
            const Row& smaller = *listRows[nIndex - 1];
            Row& larger = *listRows[nIndex];
            const double dSizeGrowth = static_cast<double>(larger.info.nSize) / smaller.info.nSize;
            const double dCostGrowth = larger.dOurs / std::max(smaller.dOurs, 1e-9);
            if (dCostGrowth > kGrowthSlack * dSizeGrowth) {
                larger.bPass = false;
                char szNote[160];
                std::snprintf(szNote, sizeof(szNote), "cost grew %.1fx for %.0fx the size", dCostGrowth,
                              dSizeGrowth);
                larger.strNote += (larger.strNote.empty() ? "" : "; ") + std::string(szNote);
            }
        }
    }
}

void Suite::MyRunCallgrind() {
    if (!m_options.bCallgrind || m_options.strSelf.empty()) {
        return;
    }
    const std::string strDir = (m_options.strOutDir.empty() ? std::filesystem::temp_directory_path().string()
                                                            : m_options.strOutDir) +
                               "/callgrind";
    std::error_code ec;
    std::filesystem::remove_all(strDir, ec);
    std::filesystem::create_directories(strDir, ec);
    for (Row& row : m_listRows) {
        if (!row.info.bMain || row.nRounds == 0) {
            continue;
        }
        std::string strName = row.info.strId;
        std::replace(strName.begin(), strName.end(), '/', '_');
        const std::string strOut = strDir + "/" + strName + ".out";
        std::fprintf(stderr, "  callgrind %-40s ...", row.info.strId.c_str());
        std::fflush(stderr);
        const std::string strCommand =
            "valgrind --tool=callgrind --instr-atstart=no --collect-atstart=no "
            "--callgrind-out-file=" +
            strOut + " '" + m_options.strSelf + "' --callgrind-row='" + row.info.strId + "' > '" + strDir +
            "/" + strName + ".log' 2>&1";
        const int nStatus = std::system(strCommand.c_str());
        if (nStatus != 0) {
            std::fprintf(stderr, " failed (%d), see %s.log\n", nStatus, strName.c_str());
            continue;
        }
        for (const auto& file : std::filesystem::directory_iterator(strDir, ec)) {
            const std::string strPath = file.path().string();
            if (strPath.rfind(strOut, 0) != 0) {
                continue;
            }
            std::string strTrigger;
            long long nTotal = 0;
            if (!ReadDump(strPath, &strTrigger, &nTotal)) {
                continue;
            }
            const long long nOps = std::max(1LL, std::atoll(strTrigger.substr(5).c_str()));
            (strTrigger.rfind("ours", 0) == 0 ? row.nOursInstr : row.nPeerInstr) = nTotal / nOps;
        }
        std::fprintf(stderr, " %lld / %lld\n", row.nOursInstr, row.nPeerInstr);
    }
}

void Suite::MyPrint() const {
    std::printf("\n%-36s %6s %11s %11s %7s %7s %6s %12s %12s  %s\n", "operation", "size", "ours", "peer",
                "ratio", "goal", "", "ours Ir/op", "peer Ir/op", "peer, note");
    for (const Row& row : m_listRows) {
        std::printf("%-36s %6d %11s %11s %7s %7s %6s %12s %12s  %s%s%s\n", row.info.strOperation.c_str(),
                    row.info.nSize, FormatFigure(row.dOurs, row.info.bBytes).c_str(),
                    FormatFigure(row.dPeer, row.info.bBytes).c_str(), FormatRatio(row.dRatio).c_str(),
                    FormatGoal(row.info.dGoal).c_str(), Verdict(row).c_str(),
                    FormatInstr(row.nOursInstr).c_str(), FormatInstr(row.nPeerInstr).c_str(),
                    row.info.strPeer.c_str(), row.strNote.empty() ? "" : "; ", row.strNote.c_str());
    }
}

void Suite::MyWrite() const {
    if (m_options.strOutDir.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(m_options.strOutDir, ec);
    std::ofstream markdown(m_options.strOutDir + "/perf.md");
    markdown << "| Operation | Size | Ours | Peer | Ratio | Goal | Result | Ours Ir/op | Peer Ir/op | Peer | "
                "Note |\n"
             << "|---|---:|---:|---:|---:|---:|---|---:|---:|---|---|\n";
    std::ofstream json(m_options.strOutDir + "/perf.json");
    json << "[\n";
    for (size_t nIndex = 0; nIndex < m_listRows.size(); ++nIndex) {
        const Row& row = m_listRows[nIndex];
        markdown << "| " << row.info.strOperation << " | " << row.info.nSize << " | "
                 << FormatFigure(row.dOurs, row.info.bBytes) << " | "
                 << FormatFigure(row.dPeer, row.info.bBytes) << " | " << FormatRatio(row.dRatio) << " | "
                 << FormatGoal(row.info.dGoal) << " | " << Verdict(row) << " | "
                 << FormatInstr(row.nOursInstr) << " | " << FormatInstr(row.nPeerInstr) << " | "
                 << row.info.strPeer << " | " << row.strNote << " |\n";
        json << "  {\"id\": " << JsonText(row.info.strId)
             << ", \"operation\": " << JsonText(row.info.strOperation) << ", \"size\": " << row.info.nSize
             << ", \"unit\": \"" << (row.info.bBytes ? "bytes" : "us_per_op") << "\", \"ours\": " << row.dOurs
             << ", \"peer\": " << row.dPeer << ", \"ratio\": " << row.dRatio
             << ", \"goal\": " << row.info.dGoal << ", \"pass\": " << (row.bPass ? "true" : "false")
             << ", \"rounds\": " << row.nRounds << ", \"ours_instructions\": " << row.nOursInstr
             << ", \"peer_instructions\": " << row.nPeerInstr
             << ", \"peer_name\": " << JsonText(row.info.strPeer) << ", \"note\": " << JsonText(row.strNote)
             << "}" << (nIndex + 1 < m_listRows.size() ? "," : "") << "\n";
    }
    json << "]\n";
    std::printf("\ntables: %s/perf.md, %s/perf.json\n", m_options.strOutDir.c_str(),
                m_options.strOutDir.c_str());
}

int Suite::Finish() {
    if (!m_options.strCallgrindRow.empty()) {
        return 0;
    }
    MyCheckGrowth();
    MyRunCallgrind();
    MyPrint();
    MyWrite();
    return static_cast<int>(
        std::count_if(m_listRows.begin(), m_listRows.end(), [](const Row& row) { return !row.bPass; }));
}

}  // namespace perf
