// A full refresh of a remote phonebook of 5000 entries over 50 documents in three levels, served on loopback,
// against the bare work it cannot avoid: fetching the same 50 URLs through the same executor (same worker
// count) and parsing each with pugixml.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "ContactRemoteModel.h"
#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "RemoteDocBuilder.h"
#include "TaskAction.h"
#include "TempRoot.h"

namespace {

constexpr int kMenus = 7;
constexpr int kDirectoriesPerMenu = 6;  // 1 top + 7 menus + 42 directories = 50 documents
constexpr int kEntries = 5000;

struct Site {
    testsupport::TempRoot root;
    testsupport::LoopbackHttpServer server;
    testsupport::RemotePhonebookSite phonebook;

    Site() {
        HostControl::SetManualClock(true);
        phonebook = testsupport::ServeRemotePhonebook(server, "/pb", kMenus, kDirectoriesPerMenu, kEntries);
        root.WriteFile("/config/data/remote_phonebook_list.xml",
                       "<root_remote_phonebook display_name=\"\"><item name=\"Company\" url=\"" +
                           phonebook.strTopUrl + "\"/></root_remote_phonebook>");
    }
};

Site& TheSite() {
    static Site* pSite = new Site();
    return *pSite;
}

// A plain download followed by a bare parse of the file, on the worker.
class FetchAndParseAction : public NS_TA::CNetworkFileAction {
public:
    using NS_TA::CNetworkFileAction::CNetworkFileAction;
    bool Exec() override {
        if (!NS_TA::CNetworkFileAction::Exec()) {
            return false;
        }
        pugi::xml_document doc;
        return doc.load_file(ETL_MiscHelper::pathMapToRoot(GetFilePath()).c_str());
    }
};

class DropResults : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction*) override {}
};

void RunBaselineOnce(const Site& site, DropResults& receiver) {
    int nIndex = 0;
    for (const std::string& strUrl : site.phonebook.vecDocumentUrls) {
        auto* pAction = new FetchAndParseAction("/tmp/bench." + std::to_string(nIndex++) + ".xml", strUrl);
        pAction->AddRef();
        pAction->SetCallback(&receiver);
        TaskAction_ExecAction(pAction);
        pAction->Release();
    }
    HostControl::RunUntilIdle(60000);
}

double MillisecondsOf(const std::function<void()>& work);

// Returns how long the refresh call itself held the GUI thread.
double RunRefreshOnce(NS_DIRECTORY::CContactRemoteModel* pModel) {
    const double fCallMs = MillisecondsOf([pModel] { pModel->ReDownload(NS_DIRECTORY::REMOTE_ROOT_KEY); });
    HostControl::RunUntilIdle(60000);
    return fCallMs;
}

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration runs the baseline and the refresh back to back, so both see the same machine load. The
// iteration time is the refresh's; the counters give both means and their ratio.
void BM_RefreshAgainstFetchAndParse(benchmark::State& state) {
    Site& site = TheSite();
    DropResults receiver;
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    HostControl::RunUntilIdle(60000);
    double fBaselineMs = 0;
    double fRefreshMs = 0;
    double fCallMs = 0;
    std::size_t nRequests = 0;
    for (auto _ : state) {
        fBaselineMs += MillisecondsOf([&] { RunBaselineOnce(site, receiver); });
        site.server.ClearRequests();
        const double fThisRefreshMs = MillisecondsOf([&] { fCallMs += RunRefreshOnce(pModel); });
        nRequests += site.server.RequestCount();
        fRefreshMs += fThisRefreshMs;
        state.SetIterationTime(fThisRefreshMs / 1000.0);
    }
    std::list<std::string> listFailed;
    pModel->GetFailedMissonList(&listFailed);
    const double fIterations = static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = fBaselineMs / fIterations;
    state.counters["refresh_ms"] = fRefreshMs / fIterations;
    state.counters["redownload_call_ms"] = fCallMs / fIterations;
    state.counters["ratio"] = fRefreshMs / fBaselineMs;
    state.counters["requests_per_refresh"] = static_cast<double>(nRequests) / fIterations;
    state.counters["documents"] = static_cast<double>(site.phonebook.vecDocumentUrls.size());
    state.counters["failed_documents"] = static_cast<double>(listFailed.size());
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    HostControl::RunUntilIdle(60000);
}

}  // namespace

BENCHMARK(BM_RefreshAgainstFetchAndParse)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5.0);

BENCHMARK_MAIN();
