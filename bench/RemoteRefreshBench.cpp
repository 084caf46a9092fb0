// A full refresh of a remote phonebook of 5000 entries over 50 documents in three levels, served on loopback,
// against the bare work it cannot avoid: fetching the same 50 URLs through the same executor (same worker
// count) and parsing each with pugixml.

#include <benchmark/benchmark.h>

#include <atomic>
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

std::atomic<int> g_nParsedNodes{0};

// A plain download followed by a bare parse of the file, on the worker.
class FetchAndParseAction : public NS_TA::CNetworkFileAction {
public:
    using NS_TA::CNetworkFileAction::CNetworkFileAction;
    bool Exec() override {
        if (!NS_TA::CNetworkFileAction::Exec()) {
            return false;
        }
        pugi::xml_document doc;
        const bool bParsed = doc.load_file(ETL_MiscHelper::pathMapToRoot(GetFilePath()).c_str());
        g_nParsedNodes += static_cast<int>(std::distance(doc.first_child().begin(), doc.first_child().end()));
        return bParsed;
    }
};

class DropResults : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction*) override {}
};

void BM_FetchAndParseBaseline(benchmark::State& state) {
    Site& site = TheSite();
    DropResults receiver;
    for (auto _ : state) {
        g_nParsedNodes = 0;
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
    state.counters["documents"] = static_cast<double>(site.phonebook.vecDocumentUrls.size());
    state.counters["parsed_nodes"] = g_nParsedNodes.load();
}

void BM_FullRefresh(benchmark::State& state) {
    Site& site = TheSite();
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    HostControl::RunUntilIdle(60000);
    for (auto _ : state) {
        pModel->ReDownload(NS_DIRECTORY::REMOTE_ROOT_KEY);
        HostControl::RunUntilIdle(60000);
    }
    std::list<std::string> listFailed;
    pModel->GetFailedMissonList(&listFailed);
    state.counters["failed_documents"] = static_cast<double>(listFailed.size());
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    HostControl::RunUntilIdle(60000);
    (void)site;
}

}  // namespace

// Interleaved repetitions so that both measure the same machine state.
BENCHMARK(BM_FetchAndParseBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchAndParseBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
