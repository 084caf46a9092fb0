// Local search and caller lookup of the network directory, on a combined list of 10,000 entries over five
// directories of 2,000 each, downloaded from a mock Xsi server on loopback:
// - a key stroke that narrows the last result (a text key and a digit key), against a fresh search of the
//   same key (ratio: narrowing / fresh);
// - a caller lookup while nothing changed, against the same lookup when the combined list has to be merged
//   again first, as it had to be on every lookup before the list was kept (ratio: unchanged / rebuilt), and
//   against a bare walk over a plain vector of the same records comparing the same numbers.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "HostControl.h"
#include "MockXsiServer.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::BSFT_ALL_CONTACT;
using testsupport::XsiDirectory;

constexpr const char* kUser = "bench@example.test";
constexpr const char* kPassword = "bench-pw";
constexpr int kEntriesPerDirectory = 2000;
constexpr int kPageSize = 10;

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string Serial(int i) {
    return CommonAPI_FormatString("%05d", i);
}

// Five directories of 2,000 entries: Enterprise members, two common directories, Personal and a custom one.
struct SearchSite {
    testsupport::TempRoot root;
    testsupport::MockXsiServer server{kUser, kPassword};
    NS_DIRECTORY::CContactBroadSoftModel* pModel = nullptr;
    std::vector<NS_DIRECTORY::ContactBroadSoftItemData> vecPlain;

    SearchSite() {
        HostControl::SetManualClock(true);
        std::vector<testsupport::XsiEntry> vecMembers, vecLobby, vecDesk, vecFriends, vecTeam;
        for (int i = 0; i < kEntriesPerDirectory; ++i) {
            vecMembers.push_back(testsupport::XsiMember("Ent" + Serial(i), "Member", "+4930" + Serial(i),
                                                        Serial(i), "+49170" + Serial(i)));
            vecLobby.push_back(testsupport::XsiNamedEntry("Lobby" + Serial(i), "+4940" + Serial(i)));
            vecDesk.push_back(testsupport::XsiNamedEntry("Desk" + Serial(i), "+4941" + Serial(i)));
            vecFriends.push_back(testsupport::XsiNamedEntry("Friend" + Serial(i), "+4942" + Serial(i)));
            vecTeam.push_back(testsupport::XsiCustomContact("Mate" + Serial(i), "Team", "+4950" + Serial(i)));
        }
        server.SetEntries(XsiDirectory::Enterprise, vecMembers);
        server.SetEntries(XsiDirectory::GroupCommon, vecLobby);
        server.SetEntries(XsiDirectory::EnterpriseCommon, vecDesk);
        server.SetEntries(XsiDirectory::Personal, vecFriends);
        server.SetCustomDirectory("Team", vecTeam);
        configParser_SetConfigInt("BSFTActive", 1);
        configParser_SetConfigString("AccountBroadsoftXSIHostAddr", server.Host());
        configParser_SetConfigString("AccountBroadsoftXSIUserID", kUser);
        configParser_SetConfigString("AccountBroadsoftXSIPassword", kPassword);
        configParser_SetConfigString("AccountBroadsoftXSIPort", server.Port());
        configParser_SetConfigString("AccountBroadsoftXSIServerType", server.ServerType());
        for (const char* pKey :
             {"BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal", "BsftCustom"}) {
            configParser_SetConfigInt(pKey, 1);
        }
        configParser_SetConfigString("BsftCustomListUse", "Team");
        configParser_SetConfigString("BsftCustomListAll", "Team");
        pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
        HostControl::RunUntilIdle(600000);
        NS_DIRECTORY::ContactBroadSoftListData all;
        NS_DIRECTORY::ContactBroadSoftItemData criteria;
        pModel->GetContactListByClickAction(&all, "broadsoft_phonebook_x0", criteria, false, false);
        vecPlain.assign(all.m_listData.begin(), all.m_listData.end());
    }

    int Search(const std::string& strKey) {
        NS_DIRECTORY::ContactBroadSoftListData page;
        page.m_nCountToGet = kPageSize;
        pModel->Search(&page, BSFT_ALL_CONTACT, strKey);
        benchmark::DoNotOptimize(page.m_listData.size());
        return page.m_nTotalCount;
    }
};

SearchSite& TheSite() {
    static SearchSite* pSite = new SearchSite();
    return *pSite;
}

// Iteration time: the narrowing key stroke (shorter key typed first, untimed). Counters: both costs, the
// ratio, the combined size and both result sizes.
void BM_KeyStrokeNarrowsAgainstFreshSearch(benchmark::State& state, const std::string& strFirst,
                                           const std::string& strSecond) {
    SearchSite& site = TheSite();
    double fNarrowMs = 0;
    double fFreshMs = 0;
    int nFirstTotal = 0;
    int nSecondTotal = 0;
    for (auto _ : state) {
        site.Search("");
        fFreshMs += MillisecondsOf([&] { nSecondTotal = site.Search(strSecond); });
        site.Search("");
        nFirstTotal = site.Search(strFirst);
        const double fThisMs = MillisecondsOf([&] { site.Search(strSecond); });
        fNarrowMs += fThisMs;
        state.SetIterationTime(fThisMs / 1000.0);
    }
    const double fIterations = static_cast<double>(state.iterations());
    state.counters["entries"] = static_cast<double>(site.vecPlain.size());
    state.counters["first_matches"] = nFirstTotal;
    state.counters["matches"] = nSecondTotal;
    state.counters["fresh_ms"] = fFreshMs / fIterations;
    state.counters["narrow_ms"] = fNarrowMs / fIterations;
    state.counters["ratio"] = fNarrowMs / fFreshMs;
}

// A number nobody has: the lookup walks the whole combined list. Iteration time: the lookup with nothing
// changed. Counters: that, the lookup that merges the combined list again first, and a bare walk.
void BM_CallerLookupAgainstRebuild(benchmark::State& state) {
    SearchSite& site = TheSite();
    const std::string strNumber = "+4999999999";
    std::list<std::string> listUrls;
    site.pModel->GetConfigureUrlList(&listUrls);
    const std::list<std::string> listOther(listUrls.rbegin(), listUrls.rend());
    double fUnchangedMs = 0;
    double fRebuiltMs = 0;
    double fWalkMs = 0;
    for (auto _ : state) {
        site.pModel->GetContactNameByNumber(strNumber);
        const double fThisMs = MillisecondsOf([&] { site.pModel->GetContactNameByNumber(strNumber); });
        fUnchangedMs += fThisMs;
        state.SetIterationTime(fThisMs / 1000.0);
        // Another combined list in between: the next lookup has to merge the table's again.
        site.pModel->ReCreatAllContactList(listOther);
        fRebuiltMs += MillisecondsOf([&] { site.pModel->GetContactNameByNumber(strNumber); });
        fWalkMs += MillisecondsOf([&] {
            const NS_DIRECTORY::ContactBroadSoftItemData* pFound = nullptr;
            for (const NS_DIRECTORY::ContactBroadSoftItemData& item : site.vecPlain) {
                if (item.m_strNumber == strNumber || item.m_strExtension == strNumber ||
                    item.m_strMobile == strNumber) {
                    pFound = &item;
                }
            }
            benchmark::DoNotOptimize(pFound);
        });
    }
    const double fIterations = static_cast<double>(state.iterations());
    state.counters["entries"] = static_cast<double>(site.vecPlain.size());
    state.counters["unchanged_ms"] = fUnchangedMs / fIterations;
    state.counters["rebuilt_ms"] = fRebuiltMs / fIterations;
    state.counters["plain_walk_ms"] = fWalkMs / fIterations;
    state.counters["ratio"] = fUnchangedMs / fRebuiltMs;
    state.counters["ratio_to_walk"] = fUnchangedMs / fWalkMs;
}

}  // namespace

BENCHMARK_CAPTURE(BM_KeyStrokeNarrowsAgainstFreshSearch, text_e_en, std::string("e"), std::string("en"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_KeyStrokeNarrowsAgainstFreshSearch, text_ma_mat, std::string("ma"), std::string("mat"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_KeyStrokeNarrowsAgainstFreshSearch, digits_4_49, std::string("4"), std::string("49"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_KeyStrokeNarrowsAgainstFreshSearch, digits_49_494, std::string("49"), std::string("494"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_CallerLookupAgainstRebuild)->Unit(benchmark::kMicrosecond)->UseManualTime();

// The phone keeps "/tmp" in memory; unless TMPDIR says otherwise the root goes to memory too.
int main(int argc, char** argv) {
    if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm")) {
        setenv("TMPDIR", "/dev/shm", 0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
