// The network directory against the bare work it cannot avoid, on a mock Xsi server on loopback:
// - a 10,000-entry Enterprise directory downloaded 50 entries per page (200 pages), against libcurl fetching
//   the same 200 URLs one after another and pugixml parsing each from memory; the time per page of the first
//   and the last tenth of the pages shows whether it stays flat as the list grows;
// - a page of the combined list over five directories of 2,000 entries each, against copying the same window
//   out of a plain std::vector of the GUI's records.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "HostControl.h"
#include "MockXsiServer.h"
#include "TempRoot.h"
#include "UrlCodec.h"

namespace {

using testsupport::XsiDirectory;

constexpr const char* kUser = "bench@example.test";
constexpr const char* kPassword = "bench-pw";
constexpr int kEnterpriseEntries = 10000;
constexpr int kEntriesPerDirectory = 2000;

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::vector<testsupport::XsiEntry> Members(const std::string& strPrefix, int nCount) {
    std::vector<testsupport::XsiEntry> vecEntries;
    for (int i = 0; i < nCount; ++i) {
        const std::string strNumber = CommonAPI_FormatString("%05d", i);
        vecEntries.push_back(testsupport::XsiMember(strPrefix + strNumber, "Member", "+4930" + strNumber,
                                                    strNumber, "+49170" + strNumber,
                                                    "m" + strNumber + "@example.test", i % 2 == 0));
    }
    return vecEntries;
}

std::vector<testsupport::XsiEntry> Named(const std::string& strPrefix, int nCount) {
    std::vector<testsupport::XsiEntry> vecEntries;
    for (int i = 0; i < nCount; ++i) {
        const std::string strNumber = CommonAPI_FormatString("%05d", i);
        vecEntries.push_back(testsupport::XsiNamedEntry(strPrefix + strNumber, "+4940" + strNumber));
    }
    return vecEntries;
}

void ConfigureAccount(const testsupport::MockXsiServer& server, const std::vector<const char*>& vecEnabled) {
    configParser_SetConfigInt("BSFTActive", 1);
    configParser_SetConfigString("AccountBroadsoftXSIHostAddr", server.Host());
    configParser_SetConfigString("AccountBroadsoftXSIUserID", kUser);
    configParser_SetConfigString("AccountBroadsoftXSIPassword", kPassword);
    configParser_SetConfigString("AccountBroadsoftXSIPort", server.Port());
    configParser_SetConfigString("AccountBroadsoftXSIServerType", server.ServerType());
    for (const char* pKey : {"BsftGroup", "BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon",
                             "BsftPersonal", "BsftCustom"}) {
        configParser_SetConfigInt(pKey, 0);
    }
    for (const char* pKey : vecEnabled) {
        configParser_SetConfigInt(pKey, 1);
    }
}

std::string EnterpriseUrl(const testsupport::MockXsiServer& server) {
    return server.Url("/com.broadsoft.xsi-actions/v2.0/user/" + CommonAPI_UrlEncode(kUser) +
                      "/directories/Enterprise");
}

std::size_t CollectBody(char* pData, std::size_t nSize, std::size_t nCount, void* pContext) {
    static_cast<std::string*>(pContext)->append(pData, nSize * nCount);
    return nSize * nCount;
}

// One fresh easy handle per URL, as the host uses; the body goes to memory and is parsed from there.
bool FetchAndParse(const std::string& strUrl) {
    CURL* pCurl = curl_easy_init();
    std::string strBody;
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str());
    curl_easy_setopt(pCurl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(pCurl, CURLOPT_USERNAME, kUser);
    curl_easy_setopt(pCurl, CURLOPT_PASSWORD, kPassword);
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &CollectBody);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &strBody);
    const bool bFetched = curl_easy_perform(pCurl) == CURLE_OK;
    curl_easy_cleanup(pCurl);
    pugi::xml_document doc;
    return bFetched && doc.load_buffer(strBody.data(), strBody.size());
}

double Mean(const std::vector<double>& vecValues, std::size_t nFrom, std::size_t nTo) {
    double fSum = 0;
    for (std::size_t i = nFrom; i < nTo; ++i) {
        fSum += vecValues[i];
    }
    return nTo > nFrom ? fSum / static_cast<double>(nTo - nFrom) : 0;
}

// The time from each page request to the next; the last page runs to the end of the download.
std::vector<double> PageTimesMs(const std::vector<testsupport::RecordedRequest>& vecRequests,
                                std::chrono::steady_clock::time_point end) {
    std::vector<double> vecTimes;
    for (std::size_t i = 0; i < vecRequests.size(); ++i) {
        const auto next = i + 1 < vecRequests.size() ? vecRequests[i + 1].arrival : end;
        vecTimes.push_back(std::chrono::duration<double, std::milli>(next - vecRequests[i].arrival).count());
    }
    return vecTimes;
}

void BM_EnterpriseDownloadAgainstFetchAndParse(benchmark::State& state) {
    testsupport::TempRoot root;
    HostControl::SetManualClock(true);
    testsupport::MockXsiServer server(kUser, kPassword);
    server.SetEntries(XsiDirectory::Enterprise, Members("Ent", kEnterpriseEntries));
    ConfigureAccount(server, {"BsftEnterprise"});
    NS_DIRECTORY::CContactBroadSoftModel* pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
    HostControl::RunUntilIdle(600000);

    std::vector<std::string> vecUrls{EnterpriseUrl(server)};
    for (int nStart = 51; nStart <= kEnterpriseEntries; nStart += 50) {
        vecUrls.push_back(EnterpriseUrl(server) + "?start=" + std::to_string(nStart) + "&results=50");
    }
    double fBaselineMs = 0;
    double fModelMs = 0;
    double fFirstTenthMs = 0;
    double fLastTenthMs = 0;
    double fPages = 0;
    for (auto _ : state) {
        fBaselineMs += MillisecondsOf([&] {
            for (const std::string& strUrl : vecUrls) {
                FetchAndParse(strUrl);
            }
        });
        server.ClearRequests();
        const double fThisMs = MillisecondsOf([&] {
            pModel->Update();
            HostControl::RunUntilIdle(600000);
        });
        const std::vector<double> vecTimes = PageTimesMs(
            server.RequestsTo(server.PathOf(XsiDirectory::Enterprise)), std::chrono::steady_clock::now());
        const std::size_t nTenth = vecTimes.size() / 10;
        fFirstTenthMs += Mean(vecTimes, 0, nTenth);
        fLastTenthMs += Mean(vecTimes, vecTimes.size() - nTenth, vecTimes.size());
        fPages += static_cast<double>(vecTimes.size());
        fModelMs += fThisMs;
        state.SetIterationTime(fThisMs / 1000.0);
    }
    NS_DIRECTORY::ContactBroadSoftListData page;
    NS_DIRECTORY::ContactBroadSoftItemData criteria;
    pModel->GetContactListByClickAction(&page, "broadsoft_phonebook_x1", criteria, false, false);
    const double fIterations = static_cast<double>(state.iterations());
    state.counters["entries"] = page.m_nTotalCount;
    state.counters["pages"] = fPages / fIterations;
    state.counters["baseline_ms"] = fBaselineMs / fIterations;
    state.counters["model_ms"] = fModelMs / fIterations;
    state.counters["ratio"] = fModelMs / fBaselineMs;
    state.counters["first_tenth_page_ms"] = fFirstTenthMs / fIterations;
    state.counters["last_tenth_page_ms"] = fLastTenthMs / fIterations;
    delete pModel;
    HostControl::RunUntilIdle(60000);
}

// A model with five loaded directories of 2,000 entries each, shared by the copy benchmarks.
struct CombinedSite {
    testsupport::TempRoot root;
    testsupport::MockXsiServer server{kUser, kPassword};
    NS_DIRECTORY::CContactBroadSoftModel* pModel = nullptr;
    std::vector<NS_DIRECTORY::ContactBroadSoftItemData> vecPlain;

    CombinedSite() {
        HostControl::SetManualClock(true);
        server.SetEntries(XsiDirectory::Enterprise, Members("Ent", kEntriesPerDirectory));
        server.SetEntries(XsiDirectory::GroupCommon, Named("Lobby", kEntriesPerDirectory));
        server.SetEntries(XsiDirectory::EnterpriseCommon, Named("Desk", kEntriesPerDirectory));
        server.SetEntries(XsiDirectory::Personal, Named("Friend", kEntriesPerDirectory));
        std::vector<testsupport::XsiEntry> vecTeam;
        for (int i = 0; i < kEntriesPerDirectory; ++i) {
            const std::string strNumber = CommonAPI_FormatString("%05d", i);
            vecTeam.push_back(testsupport::XsiCustomContact("Mate" + strNumber, "Team", "+4950" + strNumber));
        }
        server.SetCustomDirectory("Team", vecTeam);
        ConfigureAccount(server, {"BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal",
                                  "BsftCustom"});
        configParser_SetConfigString("BsftCustomListUse", "Team");
        configParser_SetConfigString("BsftCustomListAll", "Team");
        pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
        HostControl::RunUntilIdle(600000);
        NS_DIRECTORY::ContactBroadSoftListData all;
        NS_DIRECTORY::ContactBroadSoftItemData criteria;
        pModel->GetContactListByClickAction(&all, "broadsoft_phonebook_x0", criteria, false, false);
        vecPlain.assign(all.m_listData.begin(), all.m_listData.end());
    }
};

CombinedSite& TheCombinedSite() {
    static CombinedSite* pSite = new CombinedSite();
    return *pSite;
}

void BM_CombinedPageCopy(benchmark::State& state) {
    CombinedSite& site = TheCombinedSite();
    const int nWindow = static_cast<int>(state.range(0));
    NS_DIRECTORY::ContactBroadSoftItemData criteria;
    int nFrom = 0;
    int nTotal = 0;
    for (auto _ : state) {
        NS_DIRECTORY::ContactBroadSoftListData page;
        page.m_nIndexFrom = nFrom;
        page.m_nCountToGet = nWindow;
        site.pModel->GetContactListByClickAction(&page, "broadsoft_phonebook_x0", criteria, false, false);
        nTotal = page.m_nTotalCount;
        benchmark::DoNotOptimize(page.m_listData.size());
        nFrom = (nFrom + 997) % (nTotal - nWindow);
    }
    state.counters["entries"] = nTotal;
}

void BM_PlainVectorPageCopy(benchmark::State& state) {
    CombinedSite& site = TheCombinedSite();
    const int nWindow = static_cast<int>(state.range(0));
    const int nTotal = static_cast<int>(site.vecPlain.size());
    int nFrom = 0;
    for (auto _ : state) {
        NS_DIRECTORY::ContactBroadSoftListData page;
        page.m_nIndexFrom = nFrom;
        page.m_nCountToGet = nWindow;
        const int nTo = std::min(nTotal, nFrom + nWindow);
        for (int i = nFrom; i < nTo; ++i) {
            page.m_listData.push_back(site.vecPlain[static_cast<std::size_t>(i)]);
        }
        page.m_nTotalCount = nTotal;
        benchmark::DoNotOptimize(page.m_listData.size());
        nFrom = (nFrom + 997) % (nTotal - nWindow);
    }
    state.counters["entries"] = nTotal;
}

// The first copy after any list changed rebuilds the combined list by merging every directory.
void BM_CombinedRebuild(benchmark::State& state) {
    CombinedSite& site = TheCombinedSite();
    std::list<std::string> listUrls;
    site.pModel->GetConfigureUrlList(&listUrls);
    const std::list<std::string> listOther(listUrls.rbegin(), listUrls.rend());
    bool bFlip = false;
    for (auto _ : state) {
        site.pModel->ReCreatAllContactList((bFlip = !bFlip) ? listOther : listUrls);
    }
}

}  // namespace

BENCHMARK(BM_EnterpriseDownloadAgainstFetchAndParse)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);
BENCHMARK(BM_CombinedPageCopy)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainVectorPageCopy)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CombinedRebuild)->Unit(benchmark::kMillisecond);

// The phone keeps "/tmp" in memory; the host flushes every download to its disk, which on a disk-backed
// temporary folder costs more than the whole transfer. Unless TMPDIR says otherwise the root goes to memory.
int main(int argc, char** argv) {
    if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm")) {
        setenv("TMPDIR", "/dev/shm", 0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
