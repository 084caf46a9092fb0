// The local phone book at its limits (1000 contacts, 30 blacklisted, 50 groups): loading both files, a page,
// caller lookups and one edit's write-through, each beside a bare pugixml baseline on the same files.
// After the run the ratios load/parse and save/build-and-save are measured side by side and printed.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "ContactGeneralModel.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::CContactGeneralModel;

constexpr int kGroups = 50;
constexpr int kContacts = 1000;
constexpr int kBlacklisted = 30;
const char* const kGroupFile = "/config/data/contact_group_list.xml";
const char* const kContactFile = "/config/data/contact_list.xml";

std::string Number(int nIndex, int nKind) {
    char szNumber[32];
    std::snprintf(szNumber, sizeof(szNumber), "0%d%07d", nKind + 3, nIndex);
    return szNumber;
}

// Distinct names, one in eight written with letters beyond ASCII.
std::string Name(int nIndex) {
    static const char* const kFirst[] = {"Anna", "Ben", "Clara", "David", "Eva", "Felix", "Greta", "Hugo"};
    static const char* const kLast[] = {"Schmidt", "Meyer", "Wagner", "Becker",
                                        "Fischer", "Weber", "Koch",   "Müller"};
    return std::string(kFirst[nIndex % 8]) + " " + kLast[(nIndex / 8) % 8] + " " + std::to_string(nIndex);
}

// Group and contact files as a user would have them: names in no particular order, a ring on one contact in
// ten, a photo on one in four.
void WriteFullStoreFiles(const testsupport::TempRoot& root) {
    std::string strGroups = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_group>\n";
    strGroups += "<group id_name=\"0\" display_name=\"All Contacts\" ring=\"\" read_only=\"1\"/>\n";
    for (int nId = 2; nId < kGroups; ++nId) {
        strGroups += "<group id_name=\"" + std::to_string(nId) + "\" display_name=\"Group " +
                     std::to_string(nId * 37 % 101) + "\" ring=\"\" read_only=\"0\"/>\n";
    }
    strGroups +=
        "<group id_name=\"1\" display_name=\"Blacklist\" ring=\"\" read_only=\"1\"/>\n</root_group>\n";
    root.WriteFile(kGroupFile, strGroups);

    std::string strContacts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n";
    for (int nIndex = 0; nIndex < kContacts + kBlacklisted; ++nIndex) {
        const int nScrambled = (nIndex * 7919) % (kContacts + kBlacklisted);
        const int nGroup = nIndex < kBlacklisted ? 1 : 2 + nIndex % (kGroups - 2);
        strContacts += "<contact display_name=\"" + Name(nScrambled) + "\" office_number=\"" +
                       Number(nIndex, 0) + "\" mobile_number=\"" + Number(nIndex, 1) + "\" other_number=\"" +
                       Number(nIndex, 2) + "\" line=\"0\" ring=\"" +
                       (nIndex % 10 == 0 ? "Config:ring.wav" : "") + "\" group_id_name=\"" +
                       std::to_string(nGroup) + "\" default_photo=\"" +
                       (nIndex % 4 == 0 ? "Resource:contact_01.png" : "") + "\" selected_photo=\"1\"" +
                       " is_favorate=\"" + (nIndex % 10 == 0 ? "1" : "0") + "\" name_index=\"\"/>\n";
    }
    root.WriteFile(kContactFile, strContacts + "</root_contact>\n");
}

// One fresh root with a full store; the model writes its files back in its own (name) order.
class FullStore {
public:
    FullStore() {
        WriteFullStoreFiles(m_root);
        CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        pModel->MySetGroupDirty(true);
        pModel->MySetContactDirty(true);
        DrainHostRecords();
    }
    ~FullStore() { CContactGeneralModel::ReleaseInstance(); }

    CContactGeneralModel& Model() { return *CContactGeneralModel::GetInstance(); }
    std::string Path(const char* pPhonePath) const { return m_root.Path(pPhonePath); }

    static void DrainHostRecords() {
        HostControl::TakeCallLogUpdates();
        HostControl::TakeNotifications();
        HostControl::TakeLogLines();
    }

private:
    testsupport::TempRoot m_root;
};

size_t WalkDocument(const pugi::xml_document& doc) {
    size_t nBytes = 0;
    for (pugi::xml_node root : doc.children()) {
        for (pugi::xml_node node : root.children()) {
            for (pugi::xml_attribute attr : node.attributes()) {
                nBytes += std::char_traits<char>::length(attr.value());
            }
        }
    }
    return nBytes;
}

void BM_BareParseAndWalk(benchmark::State& state) {
    FullStore store;
    const std::string strGroups = store.Path(kGroupFile);
    const std::string strContacts = store.Path(kContactFile);
    for (auto _ : state) {
        pugi::xml_document groups;
        pugi::xml_document contacts;
        groups.load_file(strGroups.c_str());
        contacts.load_file(strContacts.c_str());
        benchmark::DoNotOptimize(WalkDocument(groups) + WalkDocument(contacts));
    }
}
BENCHMARK(BM_BareParseAndWalk)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The start-up load: a new model reads both files (the old one is torn down outside the timing).
void BM_LoadBothFiles(benchmark::State& state) {
    FullStore store;
    for (auto _ : state) {
        state.PauseTiming();
        CContactGeneralModel::ReleaseInstance();
        FullStore::DrainHostRecords();
        state.ResumeTiming();
        CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        benchmark::DoNotOptimize(pModel);
        if (pModel->GetCurrentContactCount() != kContacts || pModel->GetCurrentBlackCount() != kBlacklisted) {
            state.SkipWithError("the store did not load whole");
        }
    }
}
BENCHMARK(BM_LoadBothFiles)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PageQuery(benchmark::State& state) {
    FullStore store;
    for (auto _ : state) {
        NS_DIRECTORY::ContactGeneralItemListData page;
        page.m_nIndexFrom = 500;
        page.m_nCountToGet = 10;
        benchmark::DoNotOptimize(store.Model().GetContactListById(&page, 0));
    }
}
BENCHMARK(BM_PageQuery)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CallerLookupHit(benchmark::State& state) {
    FullStore store;
    // The other number of the contact that sorts last: the whole list is walked before it matches.
    const std::string strNumber = Number(kContacts + kBlacklisted - 1, 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.Model().GetContactNameByPhoneNumber(strNumber.c_str()));
    }
}
BENCHMARK(BM_CallerLookupHit)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CallerLookupMiss(benchmark::State& state) {
    FullStore store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.Model().GetContactNameByPhoneNumber("+49301234567"));
    }
}
BENCHMARK(BM_CallerLookupMiss)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One edit and everything it sets off: the contact file rewritten, the mark file, the notification.
void BM_EditWriteThrough(benchmark::State& state) {
    FullStore store;
    std::list<std::string> listNames = {Name(500)};
    bool bMark = true;
    for (auto _ : state) {
        const bool bDone =
            bMark ? store.Model().ToFavorateList(listNames) : store.Model().RemoveFavorateList(listNames);
        bMark = !bMark;
        state.PauseTiming();
        if (!bDone || store.Model().MyGetContactDirty()) {
            state.SkipWithError("the edit was not saved");
        }
        FullStore::DrainHostRecords();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditWriteThrough)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

struct BareContact {
    std::string strName, strOffice, strMobile, strOther, strRing, strPhoto, strKey;
    int nLine, nGroup, nPhoto;
    bool bFavorate;
};

std::vector<BareContact> ReadBareContacts(const std::string& strPath) {
    pugi::xml_document doc;
    doc.load_file(strPath.c_str());
    std::vector<BareContact> listContacts;
    for (pugi::xml_node node : doc.child("root_contact").children("contact")) {
        listContacts.push_back(
            {node.attribute("display_name").value(), node.attribute("office_number").value(),
             node.attribute("mobile_number").value(), node.attribute("other_number").value(),
             node.attribute("ring").value(), node.attribute("default_photo").value(),
             node.attribute("name_index").value(), node.attribute("line").as_int(),
             node.attribute("group_id_name").as_int(), node.attribute("selected_photo").as_int(),
             node.attribute("is_favorate").as_int() == 1});
    }
    return listContacts;
}

void BuildBareDocument(pugi::xml_document& doc, const std::vector<BareContact>& listContacts) {
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("utf-8");
    pugi::xml_node root = doc.append_child("root_contact");
    for (const BareContact& contact : listContacts) {
        pugi::xml_node node = root.append_child("contact");
        node.append_attribute("display_name").set_value(contact.strName.c_str());
        node.append_attribute("office_number").set_value(contact.strOffice.c_str());
        node.append_attribute("mobile_number").set_value(contact.strMobile.c_str());
        node.append_attribute("other_number").set_value(contact.strOther.c_str());
        node.append_attribute("line").set_value(contact.nLine);
        node.append_attribute("ring").set_value(contact.strRing.c_str());
        node.append_attribute("group_id_name").set_value(contact.nGroup);
        node.append_attribute("default_photo").set_value(contact.strPhoto.c_str());
        node.append_attribute("selected_photo").set_value(contact.nPhoto);
        node.append_attribute("is_favorate").set_value(contact.bFavorate ? "1" : "0");
        node.append_attribute("name_index").set_value(contact.strKey.c_str());
    }
}

void BM_BareBuildAndSave(benchmark::State& state) {
    FullStore store;
    const std::vector<BareContact> listContacts = ReadBareContacts(store.Path(kContactFile));
    const std::string strPath = store.Path("/config/data/bare_contact_list.xml");
    for (auto _ : state) {
        pugi::xml_document doc;
        BuildBareDocument(doc, listContacts);
        benchmark::DoNotOptimize(
            doc.save_file(strPath.c_str(), "\t", pugi::format_indent, pugi::encoding_auto));
    }
}
BENCHMARK(BM_BareBuildAndSave)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same build, serialised to memory and written crash-safe (temporary file, flush, rename, flush).
void BM_BareBuildAndAtomicSave(benchmark::State& state) {
    FullStore store;
    const std::vector<BareContact> listContacts = ReadBareContacts(store.Path(kContactFile));
    const std::string strPath = store.Path("/config/data/bare_contact_list.xml");
    for (auto _ : state) {
        pugi::xml_document doc;
        BuildBareDocument(doc, listContacts);
        std::ostringstream out;
        doc.save(out, "\t", pugi::format_indent, pugi::encoding_auto);
        benchmark::DoNotOptimize(ETL_MiscHelper::fileWriteAtomic(strPath, out.str()));
    }
}
BENCHMARK(BM_BareBuildAndAtomicSave)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// ---- paired ratios: the operation and its baseline alternate round by round, so load from other work on the
// machine falls on both alike; the ratio is taken of the two medians.

struct Sample {
    double dWallUs;
    double dCpuUs;
};

double NowUs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

template <class TBody>
Sample Measure(TBody&& body) {
    const double dWall = NowUs(CLOCK_MONOTONIC);
    const double dCpu = NowUs(CLOCK_THREAD_CPUTIME_ID);
    body();
    return {NowUs(CLOCK_MONOTONIC) - dWall, NowUs(CLOCK_THREAD_CPUTIME_ID) - dCpu};
}

double Median(std::vector<double> listValues) {
    std::sort(listValues.begin(), listValues.end());
    return listValues[listValues.size() / 2];
}

template <class TOp, class TBase>
void PrintPairedRatio(const char* pWhat, double dLimit, int nRounds, TOp&& op, TBase&& base) {
    std::vector<double> opWall, opCpu, baseWall, baseCpu;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        const Sample baseSample = base();
        const Sample opSample = op();
        baseWall.push_back(baseSample.dWallUs);
        baseCpu.push_back(baseSample.dCpuUs);
        opWall.push_back(opSample.dWallUs);
        opCpu.push_back(opSample.dCpuUs);
    }
    std::printf("%-44s %8.0f us / %8.0f us  wall %5.2f  cpu %5.2f  (limit %.1f)\n", pWhat, Median(opWall),
                Median(baseWall), Median(opWall) / Median(baseWall), Median(opCpu) / Median(baseCpu), dLimit);
}

void PrintPairedRatios() {
    FullStore store;
    const std::string strGroups = store.Path(kGroupFile);
    const std::string strContacts = store.Path(kContactFile);
    const std::vector<BareContact> listContacts = ReadBareContacts(strContacts);
    const std::string strBarePath = store.Path("/config/data/bare_contact_list.xml");
    std::list<std::string> listNames = {Name(500)};
    bool bMark = true;
    std::printf("\npaired medians                               operation / baseline\n");
    PrintPairedRatio(
        "load both files / bare parse and walk", 2.0, 300,
        [&] {
            CContactGeneralModel::ReleaseInstance();
            FullStore::DrainHostRecords();
            return Measure([] { benchmark::DoNotOptimize(CContactGeneralModel::GetInstance()); });
        },
        [&] {
            return Measure([&] {
                pugi::xml_document groups;
                pugi::xml_document contacts;
                groups.load_file(strGroups.c_str());
                contacts.load_file(strContacts.c_str());
                benchmark::DoNotOptimize(WalkDocument(groups) + WalkDocument(contacts));
            });
        });
    const auto edit = [&] {
        FullStore::DrainHostRecords();
        const Sample sample = Measure([&] {
            benchmark::DoNotOptimize(bMark ? store.Model().ToFavorateList(listNames)
                                           : store.Model().RemoveFavorateList(listNames));
        });
        bMark = !bMark;
        return sample;
    };
    PrintPairedRatio("edit write-through / bare build and save", 1.3, 300, edit, [&] {
        return Measure([&] {
            pugi::xml_document doc;
            BuildBareDocument(doc, listContacts);
            benchmark::DoNotOptimize(
                doc.save_file(strBarePath.c_str(), "\t", pugi::format_indent, pugi::encoding_auto));
        });
    });
    PrintPairedRatio("edit write-through / bare build, atomic save", 1.3, 300, edit, [&] {
        return Measure([&] {
            pugi::xml_document doc;
            BuildBareDocument(doc, listContacts);
            std::ostringstream out;
            doc.save(out, "\t", pugi::format_indent, pugi::encoding_auto);
            benchmark::DoNotOptimize(ETL_MiscHelper::fileWriteAtomic(strBarePath, out.str()));
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintPairedRatios();
    benchmark::Shutdown();
    return 0;
}
