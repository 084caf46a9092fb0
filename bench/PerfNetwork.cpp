// The network directories beside libcurl's multi interface fetching the same URLs with as many transfers at
// once and pugixml parsing each body (the limit of any download), and beside SQLite for caller lookups:
// - a remote phonebook tree (a top menu, 7 menus, 42 directory documents) refreshed in full, searched key by
//   key and asked for callers;
// - an Xsi Enterprise directory downloaded in pages of 50.
// The phone keeps "/tmp" in memory, so the host's root (where downloads land) goes to /dev/shm when it
// exists.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchHelper.h"
#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "MockXsiServer.h"
#include "PerfCurl.h"
#include "PerfData.h"
#include "PerfSections.h"
#include "RemoteDocBuilder.h"
#include "TempRoot.h"
#include "UrlCodec.h"

namespace perf {

namespace {

constexpr int kMenus = 7;
constexpr int kDirectoriesPerMenu = 6;
// The executor's workers: as many downloads of a remote refresh run at once.
constexpr int kRemoteParallel = 4;
// Pages of one Xsi directory on their way at once.
constexpr int kXsiParallel = 3;
constexpr int kXsiPage = 50;
constexpr const char* kXsiUser = "bench@example.test";
constexpr const char* kXsiPassword = "bench-pw";
constexpr int kNetworkLookups = 64;

// ---- remote phonebook

struct RemoteSite {
    std::string strTopUrl;
    std::vector<PerfContact> listEntries;  // name, and two numbers as office and mobile
};

RemoteSite ServeSite(testsupport::LoopbackHttpServer& server, int nEntries) {
    RemoteSite site;
    site.listEntries = MakeContacts(nEntries, 0, 3);
    const int nDirectories = kMenus * kDirectoriesPerMenu;
    std::vector<testsupport::RemoteLink> listMenus;
    size_t nNext = 0;
    for (int nMenu = 0; nMenu < kMenus; ++nMenu) {
        const std::string strMenuPath = "/pb/menu" + std::to_string(nMenu) + ".xml";
        listMenus.push_back({"Department " + std::to_string(nMenu), server.Url(strMenuPath)});
        std::vector<testsupport::RemoteLink> listDirectories;
        for (int nDir = 0; nDir < kDirectoriesPerMenu; ++nDir) {
            const int nIndex = nMenu * kDirectoriesPerMenu + nDir;
            const std::string strDirPath = "/pb/dir" + std::to_string(nIndex) + ".xml";
            listDirectories.push_back({"Team " + std::to_string(nIndex), server.Url(strDirPath)});
            const size_t nEnd =
                static_cast<size_t>(nEntries) * static_cast<size_t>(nIndex + 1) / nDirectories;
            std::vector<testsupport::RemoteEntry> listEntries;
            for (; nNext < nEnd; ++nNext) {
                const PerfContact& entry = site.listEntries[nNext];
                listEntries.push_back({entry.strName, {entry.strOffice, entry.strMobile}});
            }
            server.Serve(strDirPath,
                         testsupport::BuildRemoteDirectory("Team " + std::to_string(nIndex), listEntries));
        }
        server.Serve(strMenuPath,
                     testsupport::BuildRemoteMenu("Department " + std::to_string(nMenu), listDirectories));
    }
    server.Serve("/pb/top.xml", testsupport::BuildRemoteMenu("Company", listMenus));
    site.strTopUrl = server.Url("/pb/top.xml");
    return site;
}

// The peer's crawl: every menu's links fetched as soon as the menu is in, every entry walked.
int CrawlRemote(const std::string& strTopUrl, int* pFailed) {
    CurlFetcher fetcher(kRemoteParallel);
    fetcher.Add(strTopUrl);
    int nEntries = 0;
    *pFailed = fetcher.Run([&](const std::string&, const std::string& strBody) {
        pugi::xml_document doc;
        doc.load_buffer(strBody.data(), strBody.size());
        if (pugi::xml_node menu = doc.child("AcmeIPPhoneMenu")) {
            for (pugi::xml_node item : menu.children("MenuItem")) {
                fetcher.Add(item.child_value("URL"));
            }
        }
        for (pugi::xml_node entry : doc.child("AcmeIPPhoneDirectory").children("DirectoryEntry")) {
            benchmark::DoNotOptimize(entry.child_value("Name"));
            for (pugi::xml_node number : entry.children("Telephone")) {
                benchmark::DoNotOptimize(number.child_value());
            }
            ++nEntries;
        }
    });
    return nEntries;
}

int RemoteEntryCount(NS_DIRECTORY::CContactRemoteModel& model) {
    NS_DIRECTORY::RemoteSearchListData data;
    data.m_nCountToGet = 1;
    model.SearchWithMultNumber(&data);
    return data.m_nTotalCount;
}

std::string RemoteId(int nSize, const char* pName) {
    return "remote/" + std::to_string(nSize) + "/" + pName;
}

void RemoteRefreshRow(Suite& suite, const RemoteSite& site, int nEntries) {
    const RowInfo info{RemoteId(nEntries, "refresh"),
                       "remote phonebook full refresh",
                       nEntries,
                       "libcurl multi, 4 at once, + bare pugixml parse of each document",
                       1.2,
                       false};
    if (!suite.WantsRow(info.strId)) {
        return;
    }
    NS_DIRECTORY::CContactRemoteModel& model = *NS_DIRECTORY::CContactRemoteModel::GetInstance();
    int nPeerEntries = 0;
    int nPeerFailed = 0;
    Side ours = RunSide([&] {
        model.ReDownload(NS_DIRECTORY::REMOTE_ROOT_KEY);
        HostControl::RunUntilIdle(120000);
    });
    Side peer = RunSide([&] { nPeerEntries = CrawlRemote(site.strTopUrl, &nPeerFailed); });
    suite.Timed(info, ours, peer, [&]() -> std::string {
        std::list<std::string> listFailed;
        model.GetFailedMissonList(&listFailed);
        const int nOurs = RemoteEntryCount(model);
        if (nOurs != nEntries || nPeerEntries != nEntries || !listFailed.empty() || nPeerFailed != 0) {
            return "entries " + std::to_string(nOurs) + " and " + std::to_string(nPeerEntries) + ", failed " +
                   std::to_string(listFailed.size()) + " and " + std::to_string(nPeerFailed);
        }
        return "";
    });
}

void RemoteSearchRows(Suite& suite, const RemoteSite& site, int nEntries) {
    NS_DIRECTORY::CContactRemoteModel* pModel = NS_DIRECTORY::CContactRemoteModel::GetInstance();
    const RowInfo narrowInfo{RemoteId(nEntries, "narrowing"),
                             "narrowing key strokes (remote engine)",
                             nEntries,
                             "the same keys searched afresh",
                             0.35,
                             false};
    if (suite.WantsRow(narrowInfo.strId)) {
        const auto listWords = KeyStrokesOf(TypedWords());
        const int nLater = KeyCount(listWords) - static_cast<int>(listWords.size());
        const auto search = [](NS_DIRECTORY::CContactRemoteSearchHelper& helper, const std::string& strKey) {
            NS_DIRECTORY::RemoteSearchListData data;
            data.m_strKey = strKey;
            data.m_nCountToGet = 20;
            helper.SearchLocal(&data, NS_DIRECTORY::REMOTE_ROOT_KEY);
            return data.m_nTotalCount;
        };
        const auto laterKeys = [=](bool bNarrow) {
            double dUs = 0;
            for (const auto& listKeys : listWords) {
                NS_DIRECTORY::CContactRemoteSearchHelper helper(pModel);
                search(helper, listKeys.front());
                for (size_t nKey = 1; nKey < listKeys.size(); ++nKey) {
                    NS_DIRECTORY::CContactRemoteSearchHelper fresh(pModel);
                    NS_DIRECTORY::CContactRemoteSearchHelper& used = bNarrow ? helper : fresh;
                    const double dStart = NowUs();
                    benchmark::DoNotOptimize(search(used, listKeys[nKey]));
                    dUs += NowUs() - dStart;
                }
            }
            return dUs;
        };
        suite.Timed(narrowInfo, MeasuredSide([=] { return laterKeys(true); }, nLater),
                    MeasuredSide([=] { return laterKeys(false); }, nLater));
    }
    for (bool bHit : {true, false}) {
        const RowInfo info{RemoteId(nEntries, bHit ? "lookup-hit" : "lookup-miss"),
                           bHit ? "remote caller lookup, hit" : "remote caller lookup, miss",
                           nEntries,
                           "SQLite in memory, indexed OR over the numbers",
                           0,
                           false};
        if (!suite.WantsRow(info.strId)) {
            continue;
        }
        SqliteBook sqlite(":memory:", false);
        sqlite.Insert(site.listEntries);
        std::vector<std::string> listNumbers;
        for (int nIndex = 0; nIndex < kNetworkLookups; ++nIndex) {
            const PerfContact& entry =
                site.listEntries[site.listEntries.size() - 1 -
                                 static_cast<size_t>(nIndex) * site.listEntries.size() / kNetworkLookups];
            listNumbers.push_back(!bHit             ? "+4930" + std::to_string(5550000 + nIndex)
                                  : nIndex % 2 == 0 ? entry.strOffice
                                                    : entry.strMobile);
        }
        Side ours = RunSide(
            [&] {
                for (const std::string& strNumber : listNumbers) {
                    benchmark::DoNotOptimize(pModel->GetContactNameByNumber(strNumber));
                }
            },
            kNetworkLookups);
        Side peer = RunSide(
            [&] {
                for (const std::string& strNumber : listNumbers) {
                    benchmark::DoNotOptimize(sqlite.NameByNumber(strNumber));
                }
            },
            kNetworkLookups);
        suite.Timed(info, ours, peer, [&]() -> std::string {
            for (const std::string& strNumber : listNumbers) {
                if (pModel->GetContactNameByNumber(strNumber) != sqlite.NameByNumber(strNumber)) {
                    return "answers differ for " + strNumber;
                }
            }
            return "";
        });
    }
}

// ---- Xsi directory

std::vector<testsupport::XsiEntry> XsiMembers(const std::vector<PerfContact>& listPeople) {
    std::vector<testsupport::XsiEntry> listEntries;
    for (size_t nIndex = 0; nIndex < listPeople.size(); ++nIndex) {
        const PerfContact& person = listPeople[nIndex];
        const size_t nSpace = person.strName.find(' ');
        listEntries.push_back(testsupport::XsiMember(
            person.strName.substr(0, nSpace), person.strName.substr(nSpace + 1), person.strOffice,
            std::to_string(10000 + nIndex), person.strMobile, "", nIndex % 2 == 0));
    }
    return listEntries;
}

void ConfigureXsi(const testsupport::MockXsiServer& server) {
    configParser_SetConfigInt("BSFTActive", 1);
    configParser_SetConfigString("AccountBroadsoftXSIHostAddr", server.Host());
    configParser_SetConfigString("AccountBroadsoftXSIUserID", kXsiUser);
    configParser_SetConfigString("AccountBroadsoftXSIPassword", kXsiPassword);
    configParser_SetConfigString("AccountBroadsoftXSIPort", server.Port());
    configParser_SetConfigString("AccountBroadsoftXSIServerType", server.ServerType());
    for (const char* pKey :
         {"BsftGroup", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal", "BsftCustom"}) {
        configParser_SetConfigInt(pKey, 0);
    }
    configParser_SetConfigInt("BsftEnterprise", 1);
}

// The peer's download: the first page, whose total names the remaining pages, which then go out
// kXsiParallel at a time; every entry of every page walked.
int FetchXsi(const std::string& strUrl, int* pFailed) {
    CurlFetcher fetcher(kXsiParallel, kXsiUser, kXsiPassword);
    fetcher.Add(strUrl);
    int nEntries = 0;
    *pFailed = fetcher.Run([&](const std::string& strFetched, const std::string& strBody) {
        pugi::xml_document doc;
        doc.load_buffer(strBody.data(), strBody.size());
        const pugi::xml_node root = doc.document_element();
        if (strFetched == strUrl) {
            const int nTotal = root.child("totalAvailableRecords").text().as_int();
            for (int nStart = kXsiPage + 1; nStart <= nTotal; nStart += kXsiPage) {
                fetcher.Add(strUrl + "?start=" + std::to_string(nStart) +
                            "&results=" + std::to_string(kXsiPage));
            }
        }
        for (pugi::xml_node entry : root.child("enterpriseDirectory").children()) {
            for (pugi::xml_node field : entry.children()) {
                benchmark::DoNotOptimize(field.child_value());
                for (pugi::xml_node detail : field.children()) {
                    benchmark::DoNotOptimize(detail.child_value());
                }
            }
            ++nEntries;
        }
    });
    return nEntries;
}

std::string XsiId(int nSize, const char* pName) {
    return "xsi/" + std::to_string(nSize) + "/" + pName;
}

int XsiEntryCount(NS_DIRECTORY::CContactBroadSoftModel& model) {
    NS_DIRECTORY::ContactBroadSoftListData page;
    NS_DIRECTORY::ContactBroadSoftItemData criteria;
    page.m_nCountToGet = 1;
    model.GetContactListByClickAction(&page, "broadsoft_phonebook_x1", criteria, false, false);
    return page.m_nTotalCount;
}

// The combined list of five directories of 2,000 entries each: a page of 50 copied out of it, against the
// same window copied out of a plain vector of the GUI's records, and its rebuild by merging the directories.
void XsiCombinedRows(Suite& suite, int nSize) {
    const RowInfo pageInfo{XsiId(nSize, "combined-page"), "Xsi combined list, page of 50", nSize,
                           "the same window copied from a plain vector", 0};
    const RowInfo rebuildInfo{XsiId(nSize, "combined-rebuild"), "Xsi combined list rebuilt (5 lists merged)",
                              nSize, "sorting the same records as one vector", 0};
    if (!suite.WantsRow(pageInfo.strId) && !suite.WantsRow(rebuildInfo.strId)) {
        return;
    }
    const int nEach = nSize / 5;
    const std::unique_ptr<testsupport::TempRoot> pRoot = MakeMemoryRoot();
    HostControl::SetCallLogRecording(false);
    HostControl::SetManualClock(true);
    testsupport::MockXsiServer server(kXsiUser, kXsiPassword);
    server.SetEntries(testsupport::XsiDirectory::Enterprise, XsiMembers(MakeContacts(nEach, 0, 5)));
    std::vector<testsupport::XsiEntry> listNamed[3];
    std::vector<testsupport::XsiEntry> listTeam;
    const std::vector<PerfContact> listPeople = MakeContacts(nEach, 0, 6);
    for (const PerfContact& person : listPeople) {
        for (int nList = 0; nList < 3; ++nList) {
            listNamed[nList].push_back(
                testsupport::XsiNamedEntry(person.strName + " " + std::to_string(nList), person.strOffice));
        }
        const size_t nSpace = person.strName.find(' ');
        listTeam.push_back(testsupport::XsiCustomContact(
            person.strName.substr(0, nSpace), person.strName.substr(nSpace + 1), person.strMobile));
    }
    server.SetEntries(testsupport::XsiDirectory::GroupCommon, listNamed[0]);
    server.SetEntries(testsupport::XsiDirectory::EnterpriseCommon, listNamed[1]);
    server.SetEntries(testsupport::XsiDirectory::Personal, listNamed[2]);
    server.SetCustomDirectory("Team", listTeam);
    ConfigureXsi(server);
    for (const char* pKey : {"BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal", "BsftCustom"}) {
        configParser_SetConfigInt(pKey, 1);
    }
    configParser_SetConfigString("BsftCustomListUse", "Team");
    configParser_SetConfigString("BsftCustomListAll", "Team");
    NS_DIRECTORY::CContactBroadSoftModel* pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
    HostControl::RunUntilIdle(600000);
    NS_DIRECTORY::ContactBroadSoftListData all;
    NS_DIRECTORY::ContactBroadSoftItemData criteria;
    all.m_nCountToGet = nSize * 2;
    pModel->GetContactListByClickAction(&all, "broadsoft_phonebook_x0", criteria, false, false);
    const std::vector<NS_DIRECTORY::ContactBroadSoftItemData> listPlain(all.m_listData.begin(),
                                                                        all.m_listData.end());
    const int nTotal = static_cast<int>(listPlain.size());
    if (suite.WantsRow(pageInfo.strId)) {
        int nOursFrom = 0;
        int nPeerFrom = 0;
        suite.Timed(pageInfo, RunSide([&] {
                        NS_DIRECTORY::ContactBroadSoftListData page;
                        page.m_nIndexFrom = nOursFrom;
                        page.m_nCountToGet = 50;
                        pModel->GetContactListByClickAction(&page, "broadsoft_phonebook_x0", criteria, false,
                                                            false);
                        benchmark::DoNotOptimize(page.m_listData.size());
                        nOursFrom = (nOursFrom + 997) % std::max(1, nTotal - 50);
                    }),
                    RunSide([&] {
                        NS_DIRECTORY::ContactBroadSoftListData page;
                        page.m_nIndexFrom = nPeerFrom;
                        page.m_nCountToGet = 50;
                        for (int i = nPeerFrom; i < std::min(nTotal, nPeerFrom + 50); ++i) {
                            page.m_listData.push_back(listPlain[static_cast<size_t>(i)]);
                        }
                        page.m_nTotalCount = nTotal;
                        benchmark::DoNotOptimize(page.m_listData.size());
                        nPeerFrom = (nPeerFrom + 997) % std::max(1, nTotal - 50);
                    }),
                    [&]() -> std::string {
                        return nTotal == nSize ? "" : "combined list holds " + std::to_string(nTotal);
                    });
    }
    if (suite.WantsRow(rebuildInfo.strId)) {
        std::list<std::string> listUrls;
        pModel->GetConfigureUrlList(&listUrls);
        const std::list<std::string> listOther(listUrls.rbegin(), listUrls.rend());
        bool bFlip = false;
        std::vector<std::string> listNames;
        for (const auto& record : listPlain) {
            listNames.push_back(record.m_strName);
        }
        suite.Timed(rebuildInfo,
                    RunSide([&] { pModel->ReCreatAllContactList((bFlip = !bFlip) ? listOther : listUrls); }),
                    RunSide([&] {
                        std::vector<std::string> listSorted = listNames;
                        std::stable_sort(listSorted.begin(), listSorted.end());
                        benchmark::DoNotOptimize(listSorted.data());
                    }));
    }
    delete pModel;
    HostControl::RunUntilIdle(60000);
}

// The engine's key strokes on the combined list, and caller lookups beside SQLite holding the same members
// (number, mobile and extension as its three numbers).
void XsiSearchRows(Suite& suite, NS_DIRECTORY::CContactBroadSoftModel& model,
                   const std::vector<PerfContact>& listPeople) {
    const int nEntries = static_cast<int>(listPeople.size());
    const auto search = [&model](const std::string& strKey) {
        NS_DIRECTORY::ContactBroadSoftListData page;
        page.m_nCountToGet = 20;
        model.Search(&page, NS_DIRECTORY::BSFT_ALL_CONTACT, strKey);
        return page.m_nTotalCount;
    };
    const RowInfo narrowInfo{XsiId(nEntries, "narrowing"), "narrowing key strokes (Xsi engine)", nEntries,
                             "the same keys searched afresh", 0.35};
    if (suite.WantsRow(narrowInfo.strId)) {
        const auto listWords = KeyStrokesOf(TypedWords());
        const int nLater = KeyCount(listWords) - static_cast<int>(listWords.size());
        const auto laterKeys = [=](bool bNarrow) {
            double dUs = 0;
            for (const auto& listKeys : listWords) {
                search("");
                search(listKeys.front());
                for (size_t nKey = 1; nKey < listKeys.size(); ++nKey) {
                    if (!bNarrow) {
                        search("");  // forgets the last result: the key is searched afresh
                    }
                    const double dStart = NowUs();
                    benchmark::DoNotOptimize(search(listKeys[nKey]));
                    dUs += NowUs() - dStart;
                }
            }
            return dUs;
        };
        suite.Timed(narrowInfo, MeasuredSide([=] { return laterKeys(true); }, nLater),
                    MeasuredSide([=] { return laterKeys(false); }, nLater));
    }
    for (bool bHit : {true, false}) {
        const RowInfo info{XsiId(nEntries, bHit ? "lookup-hit" : "lookup-miss"),
                           bHit ? "Xsi caller lookup, hit" : "Xsi caller lookup, miss", nEntries,
                           "SQLite in memory, indexed OR over the numbers", 0};
        if (!suite.WantsRow(info.strId)) {
            continue;
        }
        std::vector<PerfContact> listRows = listPeople;
        for (size_t nIndex = 0; nIndex < listRows.size(); ++nIndex) {
            const size_t nSpace = listRows[nIndex].strName.find(' ');
            // The name the directory shows: last name, then first name, nothing between them.
            listRows[nIndex].strName =
                listRows[nIndex].strName.substr(nSpace + 1) + listRows[nIndex].strName.substr(0, nSpace);
            listRows[nIndex].strOther = std::to_string(10000 + nIndex);
        }
        SqliteBook sqlite(":memory:", false);
        sqlite.Insert(listRows);
        std::vector<std::string> listNumbers;
        for (int nIndex = 0; nIndex < kNetworkLookups; ++nIndex) {
            const PerfContact& row =
                listRows[listRows.size() - 1 -
                         static_cast<size_t>(nIndex) * listRows.size() / kNetworkLookups];
            listNumbers.push_back(!bHit             ? "+4930" + std::to_string(5550000 + nIndex)
                                  : nIndex % 3 == 0 ? row.strOffice
                                  : nIndex % 3 == 1 ? row.strMobile
                                                    : row.strOther);
        }
        suite.Timed(info,
                    RunSide(
                        [&] {
                            for (const std::string& strNumber : listNumbers) {
                                benchmark::DoNotOptimize(model.GetContactNameByNumber(strNumber));
                            }
                        },
                        kNetworkLookups),
                    RunSide(
                        [&] {
                            for (const std::string& strNumber : listNumbers) {
                                benchmark::DoNotOptimize(sqlite.NameByNumber(strNumber));
                            }
                        },
                        kNetworkLookups),
                    [&]() -> std::string {
                        for (const std::string& strNumber : listNumbers) {
                            if (model.GetContactNameByNumber(strNumber).empty() ==
                                sqlite.NameByNumber(strNumber).empty()) {
                                continue;
                            }
                            return "answers differ for " + strNumber;
                        }
                        return "";
                    });
    }
}

}  // namespace

std::unique_ptr<testsupport::TempRoot> MakeMemoryRoot() {
    const char* pOld = std::getenv("TMPDIR");
    const std::string strOld = pOld == nullptr ? "" : pOld;
    if (std::filesystem::is_directory("/dev/shm")) {
        setenv("TMPDIR", "/dev/shm", 1);
    }
    auto pRoot = std::make_unique<testsupport::TempRoot>();
    if (pOld == nullptr) {
        unsetenv("TMPDIR");
    } else {
        setenv("TMPDIR", strOld.c_str(), 1);
    }
    return pRoot;
}

void RemoteSection(Suite& suite, int nEntries) {
    if (!suite.Wants("remote", nEntries)) {
        return;
    }
    std::fprintf(stderr, "remote phonebook, %d entries:\n", nEntries);
    const std::unique_ptr<testsupport::TempRoot> pRoot = MakeMemoryRoot();
    HostControl::SetCallLogRecording(false);
    testsupport::LoopbackHttpServer server;
    const RemoteSite site = ServeSite(server, nEntries);
    pRoot->WriteFile("/config/data/remote_phonebook_list.xml",
                     "<root_remote_phonebook display_name=\"\"><item name=\"Company\" url=\"" +
                         site.strTopUrl + "\"/></root_remote_phonebook>");
    configParser_SetConfigInt("SearchNameFromRemoteSwitch", 1);
    NS_DIRECTORY::CContactRemoteModel::GetInstance();
    HostControl::RunUntilIdle(120000);
    RemoteRefreshRow(suite, site, nEntries);
    RemoteSearchRows(suite, site, nEntries);
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    HostControl::RunUntilIdle(60000);
}

void XsiSection(Suite& suite, int nEntries) {
    if (!suite.Wants("xsi", nEntries)) {
        return;
    }
    std::fprintf(stderr, "Xsi directory, %d entries:\n", nEntries);
    const std::unique_ptr<testsupport::TempRoot> pRoot = MakeMemoryRoot();
    HostControl::SetCallLogRecording(false);
    HostControl::SetManualClock(true);
    testsupport::MockXsiServer server(kXsiUser, kXsiPassword);
    const std::vector<PerfContact> listPeople = MakeContacts(nEntries, 0, 4);
    server.SetEntries(testsupport::XsiDirectory::Enterprise, XsiMembers(listPeople));
    ConfigureXsi(server);
    NS_DIRECTORY::CContactBroadSoftModel* pModel = NS_DIRECTORY::CContactBroadSoftModel::GetInstance();
    HostControl::RunUntilIdle(600000);
    const std::string strUrl = server.Url(server.PathOf(testsupport::XsiDirectory::Enterprise));
    const RowInfo info{XsiId(nEntries, "download"),
                       "Xsi directory download, pages of 50",
                       nEntries,
                       "libcurl multi, 3 pages at once, + bare pugixml parse of each page",
                       1.2,
                       false};
    if (suite.WantsRow(info.strId)) {
        int nPeerEntries = 0;
        int nPeerFailed = 0;
        Side ours = RunSide([&] {
            pModel->Update();
            HostControl::RunUntilIdle(600000);
        });
        Side peer = RunSide([&] { nPeerEntries = FetchXsi(strUrl, &nPeerFailed); });
        suite.Timed(info, ours, peer, [&]() -> std::string {
            const int nOurs = XsiEntryCount(*pModel);
            if (nOurs != nEntries || nPeerEntries != nEntries || nPeerFailed != 0) {
                return "entries " + std::to_string(nOurs) + " and " + std::to_string(nPeerEntries) +
                       ", failed " + std::to_string(nPeerFailed);
            }
            return "";
        });
    }
    XsiSearchRows(suite, *pModel, listPeople);
    delete pModel;
    HostControl::RunUntilIdle(60000);
    if (nEntries >= 10000) {
        XsiCombinedRows(suite, nEntries);
    }
}

}  // namespace perf
