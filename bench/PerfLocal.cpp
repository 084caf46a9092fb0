// The local phone book at one size, beside SQLite holding the same contacts and bare pugixml reading and
// writing the same files: caller lookup, search key strokes and their narrowing, loading both files, an
// edit's save with and without the flush to disk, imports of 1000 contacts, and the memory the store holds.
// The phone's call log is not the module's cost: the host does not record what the module tells it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "CommonUnits.h"
#include "ContactGeneralModel.h"
#include "ContactGeneralSearchHelper.h"
#include "FileSystem.h"
#include "HostControl.h"
#include "PerfData.h"
#include "PerfSections.h"
#include "TempRoot.h"
#include "XPortFactory.h"

namespace perf {

namespace {

using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::CContactGeneralSearchHelper;
using NS_DIRECTORY::ContactGeneralSearchItemListData;

constexpr const char* kGroupFile = "/config/data/contact_group_list.xml";
constexpr const char* kContactFile = "/config/data/contact_list.xml";
constexpr const char* kImportFile = "/config/data/perf_import.xml";
constexpr int kLookups = 64;
constexpr int kPage = 20;

// ---- the file system under the model: counts whole-file writes and, when asked, leaves out every flush

class NoSyncFile : public ETL_FileSystem::CWritableFile {
public:
    explicit NoSyncFile(std::unique_ptr<ETL_FileSystem::CWritableFile> pFile) : m_pFile(std::move(pFile)) {}
    bool Append(const char* pData, std::size_t nSize) override { return m_pFile->Append(pData, nSize); }
    bool Sync() override { return true; }
    bool Close() override { return m_pFile->Close(); }

private:
    std::unique_ptr<ETL_FileSystem::CWritableFile> m_pFile;
};

class BenchFileSystem : public ETL_FileSystem::CFileSystemWrapper {
public:
    BenchFileSystem() : CFileSystemWrapper(ETL_FileSystem::Default()) { HostControl::SetFileSystem(this); }
    ~BenchFileSystem() override { HostControl::SetFileSystem(nullptr); }

    void SetFlush(bool bFlush) { m_bFlush = bFlush; }
    // Whole-file writes by file name since the last take.
    std::map<std::string, int> TakeWrites() { return std::move(m_mapWrites); }

    std::unique_ptr<ETL_FileSystem::CWritableFile> NewWritableFile(const std::string& strPath,
                                                                   int nMode) override {
        std::unique_ptr<ETL_FileSystem::CWritableFile> pFile = Target()->NewWritableFile(strPath, nMode);
        if (pFile && !m_bFlush) {
            return std::make_unique<NoSyncFile>(std::move(pFile));
        }
        return pFile;
    }
    bool SyncFolder(const std::string& strFolder) override {
        return !m_bFlush || Target()->SyncFolder(strFolder);
    }
    bool WriteFileAtomicPieces(const std::string& strPath,
                               const std::function<bool(const Append&)>& produce) override {
        ++m_mapWrites[std::filesystem::path(strPath).filename().string()];
        return CFileSystem::WriteFileAtomicPieces(strPath, produce);
    }

private:
    bool m_bFlush = true;
    std::map<std::string, int> m_mapWrites;
};

// ---- bare pugixml on the same files

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

size_t ParseAndWalk(const std::string& strPath) {
    pugi::xml_document doc;
    doc.load_file(strPath.c_str());
    return WalkDocument(doc);
}

struct BareContact {
    std::string strName, strOffice, strMobile, strOther, strRing, strPhoto, strKey;
    int nLine, nGroup, nPhoto;
    bool bFavorite;
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

// The contact file built from plain records and saved, as pugixml does it with nothing around it.
bool BuildAndSave(const std::vector<BareContact>& listContacts, const std::string& strPath) {
    pugi::xml_document doc;
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
        node.append_attribute("is_favorate").set_value(contact.bFavorite ? "1" : "0");
        node.append_attribute("name_index").set_value(contact.strKey.c_str());
    }
    return doc.save_file(strPath.c_str(), "\t", pugi::format_indent, pugi::encoding_auto);
}

// The contacts of an import file, read as the peer's import reads them before inserting.
std::vector<PerfContact> ParseImportFile(const std::string& strPath) {
    pugi::xml_document doc;
    doc.load_file(strPath.c_str());
    std::vector<PerfContact> listContacts;
    for (pugi::xml_node node : doc.child("vp_contact").child("root_contact").children("contact")) {
        PerfContact contact;
        contact.strName = node.attribute("display_name").value();
        contact.strOffice = node.attribute("office_number").value();
        contact.strMobile = node.attribute("mobile_number").value();
        contact.strOther = node.attribute("other_number").value();
        contact.strRing = node.attribute("ring").value();
        contact.strPhoto = node.attribute("default_photo").value();
        contact.nGroup = 2;
        listContacts.push_back(std::move(contact));
    }
    return listContacts;
}

// ---- the book

// Writes a file below a root folder, whichever root the host is on.
void WriteBelow(const std::string& strRoot, const char* pPhonePath, const std::string& strContent) {
    const std::filesystem::path path = strRoot + pPhonePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << strContent;
}

// The book lives on a root in memory, where a save costs what the module and pugixml do and nothing of the
// disk's; the durable rows move it to a root on the disk (beside SQLite's database) and back.
class LocalBook {
public:
    explicit LocalBook(int nContacts)
        : m_nContacts(nContacts),
          m_pMemoryRoot(MakeMemoryRoot()),
          m_listContacts(MakeContacts(nContacts)),
          m_memory(":memory:", false) {
        HostControl::SetCallLogRecording(false);
        m_pMemoryRoot->WriteFile(kGroupFile, GroupFileXml());
        m_pMemoryRoot->WriteFile(kContactFile, ContactFileXml(m_listContacts));
        Open();
        // The files as the model writes them, in its order and with the digit-key names.
        Model().MySetGroupDirty(true);
        Model().MySetContactDirty(true);
        m_strGroupXml = m_pMemoryRoot->ReadFile(kGroupFile);
        m_strContactXml = m_pMemoryRoot->ReadFile(kContactFile);
        m_memory.Insert(m_listContacts);
        m_pDurable = std::make_unique<SqliteBook>(m_diskRoot.Dir() + "/contacts.db", true);
        m_pDurable->Insert(m_listContacts);
        const std::string strImport = ImportFileXml(MakeContacts(kImportContacts, 0, 2, "Import "));
        for (const std::string& strRoot : {m_diskRoot.Dir(), m_pMemoryRoot->Dir()}) {
            WriteBelow(strRoot, kImportFile, strImport);
        }
        HostControl::TakeNotifications();
    }
    ~LocalBook() { CContactGeneralModel::ReleaseInstance(); }

    CContactGeneralModel& Model() { return *CContactGeneralModel::GetInstance(); }
    int Total() const { return m_nContacts + kBlacklisted; }
    const std::vector<PerfContact>& Contacts() const { return m_listContacts; }
    // The real path of a phone path below the root in use.
    std::string Path(const char* pPhonePath) const { return HostControl::MapPath(pPhonePath); }
    SqliteBook& Memory() { return m_memory; }
    SqliteBook& Durable() { return *m_pDurable; }
    BenchFileSystem& Files() { return m_files; }
    long long FileBytes() const {
        return static_cast<long long>(m_strGroupXml.size() + m_strContactXml.size());
    }

    // Moves the model's files to the disk or back to memory; the model keeps its store.
    void UseDisk(bool bDisk) {
        const std::string strGroups = m_diskRoot.ReadFile(kGroupFile);  // reads below the root in use
        const std::string strContacts = m_diskRoot.ReadFile(kContactFile);
        const std::string& strTo = bDisk ? m_diskRoot.Dir() : m_pMemoryRoot->Dir();
        WriteBelow(strTo, kGroupFile, strGroups);
        WriteBelow(strTo, kContactFile, strContacts);
        HostControl::SetRootDir(strTo);
    }

    // A model created afresh from the files, its limits raised to hold them all.
    void Open() {
        CContactGeneralModel::ReleaseInstance();
        CContactGeneralModel& model = *CContactGeneralModel::GetInstance();
        if (model.GetCurrentContactCount() + model.GetCurrentBlackCount() < Total()) {
            RaiseLimits(m_nContacts);
            model.ReloadContactXml();
        }
        HostControl::TakeNotifications();
    }
    void RaiseLimits(int nContacts) {
        Model().SetMaxContactCount(std::max(1000, nContacts));
        Model().SetMaxBlackCount(kBlacklisted);
    }
    // The files and the store back as they were before an import.
    void Restore() {
        WriteBelow(HostControl::GetRootDir(), kGroupFile, m_strGroupXml);
        WriteBelow(HostControl::GetRootDir(), kContactFile, m_strContactXml);
        RaiseLimits(m_nContacts);
        Model().ReloadGroupXml();
        Model().ReloadContactXml();
        HostControl::TakeNotifications();
        m_files.TakeWrites();
    }

private:
    const int m_nContacts;
    testsupport::TempRoot m_diskRoot;
    std::unique_ptr<testsupport::TempRoot> m_pMemoryRoot;  // made last: the host starts on it
    BenchFileSystem m_files;
    std::vector<PerfContact> m_listContacts;
    SqliteBook m_memory;
    std::unique_ptr<SqliteBook> m_pDurable;
    std::string m_strGroupXml;
    std::string m_strContactXml;
};

std::string Id(int nSize, const char* pName) {
    return "local/" + std::to_string(nSize) + "/" + pName;
}

// Numbers spread over the whole book (every field), the number of the contact that sorts last among them.
std::vector<std::string> HitNumbers(LocalBook& book) {
    std::vector<std::string> listNumbers;
    const auto& listItems = book.Model().MyGetItemList();
    for (int nIndex = 0; nIndex < kLookups; ++nIndex) {
        const auto& item =
            *listItems[listItems.size() - 1 - static_cast<size_t>(nIndex) * listItems.size() / kLookups];
        listNumbers.push_back(nIndex % 3 == 0   ? item.m_strMobileNumber
                              : nIndex % 3 == 1 ? item.m_strOfficeNumber
                                                : item.m_strOtherNumber);
    }
    return listNumbers;
}

std::vector<std::string> MissNumbers() {
    std::vector<std::string> listNumbers;
    for (int nIndex = 0; nIndex < kLookups; ++nIndex) {
        listNumbers.push_back("+4930" + std::to_string(5550000 + nIndex * 37));
    }
    return listNumbers;
}

void LookupRows(Suite& suite, LocalBook& book) {
    const int nSize = book.Total();
    for (bool bHit : {true, false}) {
        const RowInfo info{Id(book.Total(), bHit ? "lookup-hit" : "lookup-miss"),
                           bHit ? "caller lookup, hit" : "caller lookup, miss",
                           nSize,
                           "SQLite in memory, indexed OR over the three numbers, ORDER BY name",
                           0.1,
                           true};
        if (!suite.WantsRow(info.strId)) {
            continue;
        }
        const std::vector<std::string> listNumbers = bHit ? HitNumbers(book) : MissNumbers();
        CContactGeneralModel& model = book.Model();
        Side ours = RunSide(
            [&] {
                for (const std::string& strNumber : listNumbers) {
                    benchmark::DoNotOptimize(model.GetContactNameByPhoneNumber(strNumber.c_str()));
                }
            },
            kLookups);
        Side peer = RunSide(
            [&] {
                for (const std::string& strNumber : listNumbers) {
                    benchmark::DoNotOptimize(book.Memory().NameByNumber(strNumber));
                }
            },
            kLookups);
        suite.Timed(info, ours, peer, [&]() -> std::string {
            for (const std::string& strNumber : listNumbers) {
                if (model.GetContactNameByPhoneNumber(strNumber.c_str()) !=
                    book.Memory().NameByNumber(strNumber)) {
                    return "answers differ for " + strNumber;
                }
            }
            return "";
        });
    }
}

int SearchOnce(CContactGeneralSearchHelper& helper, const NS_DIRECTORY::CContactSearchSource& source,
               const std::string& strKey) {
    ContactGeneralSearchItemListData data;
    data.m_nCountToGet = kPage;
    helper.Search(source, &data, 0, strKey, false);
    return data.m_nTotalCount + static_cast<int>(data.m_listData.size());
}

std::shared_ptr<NS_DIRECTORY::CContactSearchSnapshot> Snapshot(CContactGeneralModel& model) {
    std::vector<CContactGeneralModel::ItemData> listItem;
    for (const auto& pItem : model.MyGetItemList()) {
        listItem.push_back(*pItem);
    }
    std::vector<std::pair<int, std::string>> listGroups;
    for (int nIndex = 0; nIndex < model.GetCurrentGroupCount(); ++nIndex) {
        listGroups.emplace_back(model.MyFindGDataByIndex(nIndex)->m_nId, model.GetGroupNameByIndex(nIndex));
    }
    return std::make_shared<NS_DIRECTORY::CContactSearchSnapshot>(std::move(listItem), std::move(listGroups));
}

void SearchRows(Suite& suite, LocalBook& book) {
    const auto listWords = KeyStrokesOf(TypedWords());
    const int nKeys = KeyCount(listWords);
    const RowInfo keyInfo{Id(book.Total(), "keystroke"),
                          "search key stroke (page of 20, total)",
                          book.Total(),
                          "SQLite in memory, LIKE page of 20 and COUNT",
                          0.2,
                          true};
    if (suite.WantsRow(keyInfo.strId)) {
        CContactGeneralModel& model = book.Model();
        Side ours = RunSide(
            [&] {
                for (const auto& listKeys : listWords) {
                    for (const std::string& strKey : listKeys) {
                        ContactGeneralSearchItemListData data;
                        data.m_nCountToGet = kPage;
                        model.Search(&data, "local_contact_x0", strKey);
                        benchmark::DoNotOptimize(data.m_nTotalCount);
                    }
                }
            },
            nKeys);
        Side peer = RunSide(
            [&] {
                for (const auto& listKeys : listWords) {
                    for (const std::string& strKey : listKeys) {
                        benchmark::DoNotOptimize(book.Memory().SearchPage(strKey));
                    }
                }
            },
            nKeys);
        suite.Timed(keyInfo, ours, peer);
    }
    const RowInfo narrowInfo{Id(book.Total(), "narrowing"),
                             "narrowing key strokes (local engine)",
                             book.Total(),
                             "the same keys scanned afresh",
                             0.35,
                             false};
    if (suite.WantsRow(narrowInfo.strId)) {
        std::shared_ptr<NS_DIRECTORY::CContactSearchSnapshot> pSource = Snapshot(book.Model());
        const int nLater = nKeys - static_cast<int>(listWords.size());
        const auto laterKeys = [&, pSource](bool bNarrow) {
            double dUs = 0;
            for (const auto& listKeys : listWords) {
                CContactGeneralSearchHelper helper;
                SearchOnce(helper, *pSource, listKeys.front());
                for (size_t nKey = 1; nKey < listKeys.size(); ++nKey) {
                    CContactGeneralSearchHelper fresh;
                    CContactGeneralSearchHelper& used = bNarrow ? helper : fresh;
                    const double dStart = NowUs();
                    benchmark::DoNotOptimize(SearchOnce(used, *pSource, listKeys[nKey]));
                    dUs += NowUs() - dStart;
                }
            }
            return dUs;
        };
        suite.Timed(narrowInfo, MeasuredSide([=] { return laterKeys(true); }, nLater),
                    MeasuredSide([=] { return laterKeys(false); }, nLater));
    }
}

void PageRow(Suite& suite, LocalBook& book) {
    const RowInfo info{Id(book.Total(), "page"), "contact list page (10 from the middle)", book.Total(),
                       "SQLite in memory, ORDER BY name LIMIT 10 OFFSET, and COUNT", 0};
    if (!suite.WantsRow(info.strId)) {
        return;
    }
    CContactGeneralModel& model = book.Model();
    const int nFrom = book.Total() / 2;
    suite.Timed(info, RunSide([&] {
                    NS_DIRECTORY::ContactGeneralItemListData page;
                    page.m_nIndexFrom = nFrom;
                    page.m_nCountToGet = 10;
                    benchmark::DoNotOptimize(model.GetContactListById(&page, 0));
                }),
                RunSide([&] { benchmark::DoNotOptimize(book.Memory().ListPage(nFrom)); }));
}

// The whole word typed again (the next page asked for): answered from the search's memory, against a fresh
// search of the same key.
void RepeatedKeyRow(Suite& suite, LocalBook& book) {
    const RowInfo info{Id(book.Total(), "repeated-key"), "repeated key (next page from memory)", book.Total(),
                       "the same key scanned afresh", 0};
    if (!suite.WantsRow(info.strId)) {
        return;
    }
    const auto listWords = KeyStrokesOf(TypedWords());
    std::shared_ptr<NS_DIRECTORY::CContactSearchSnapshot> pSource = Snapshot(book.Model());
    const auto repeated = [=](bool bRemembered) {
        double dUs = 0;
        for (const auto& listKeys : listWords) {
            CContactGeneralSearchHelper helper;
            SearchOnce(helper, *pSource, listKeys.back());
            CContactGeneralSearchHelper fresh;
            const double dStart = NowUs();
            benchmark::DoNotOptimize(SearchOnce(bRemembered ? helper : fresh, *pSource, listKeys.back()));
            dUs += NowUs() - dStart;
        }
        return dUs;
    };
    const int nWords = static_cast<int>(listWords.size());
    suite.Timed(info, MeasuredSide([=] { return repeated(true); }, nWords),
                MeasuredSide([=] { return repeated(false); }, nWords));
}

// Each name in its own script and in ASCII letters, as many letters each.
struct TwinName {
    const char* pScript;
    const char* pAscii;
};
const TwinName kTwinFirst[] = {
    {"Иван", "Ivan"},     {"Анна", "Anna"},   {"Борис", "Boris"}, {"Пётр", "Petr"},
    {"Ирина", "Irina"},   {"Νίκος", "Nikos"}, {"Ελένη", "Eleni"}, {"Σοφία", "Sofia"},
    {"Łukasz", "Lukasz"}, {"José", "Jose"},   {"Zoë", "Zoe"},     {"Jürgen", "Jurgen"},
    {"Greta", "Greta"},   {"Hugo", "Hugo"},   {"Clara", "Clara"}, {"Felix", "Felix"},
};
const TwinName kTwinLast[] = {
    {"Соколов", "Sokolov"}, {"Попов", "Popov"},         {"Смирнов", "Smirnov"}, {"Волков", "Volkov"},
    {"Лебедев", "Lebedev"}, {"Παππάς", "Pappas"},       {"Γιώργου", "Giorgou"}, {"Δήμου", "Dimou"},
    {"Müller", "Muller"},   {"Nowakówna", "Nowakowna"}, {"Šimek", "Simek"},     {"Weber", "Weber"},
    {"Koch", "Koch"},       {"Fischer", "Fischer"},
};
const TwinName kTwinTyped[] = {
    {"иван", "ivan"},   {"соколов", "sokolov"}, {"σοφια", "sofia"},   {"müller", "muller"},
    {"лебед", "lebed"}, {"νικος π", "nikos p"}, {"łukasz", "lukasz"}, {"анна в", "anna v"},
    {"greta", "greta"}, {"попов", "popov"},     {"δημου", "dimou"},   {"jürg", "jurg"},
    {"koch", "koch"},   {"ирина", "irina"},
};

// The book of the given size in names of several scripts, or the same names in ASCII letters.
NS_DIRECTORY::CContactSearchSnapshot TwinBook(int nContacts, bool bAscii) {
    std::vector<PerfContact> listContacts = MakeContacts(nContacts);
    std::vector<CContactGeneralModel::ItemData> listItem;
    for (size_t nIndex = 0; nIndex < listContacts.size(); ++nIndex) {
        const TwinName& first = kTwinFirst[nIndex * 7 % std::size(kTwinFirst)];
        const TwinName& last = kTwinLast[nIndex * 11 % std::size(kTwinLast)];
        CContactGeneralModel::ItemData item;
        item.m_strDisplayName = std::string(bAscii ? first.pAscii : first.pScript) + " " +
                                (bAscii ? last.pAscii : last.pScript) + " " + std::to_string(nIndex);
        item.m_strOfficeNumber = listContacts[nIndex].strOffice;
        item.m_strMobileNumber = listContacts[nIndex].strMobile;
        item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
        item.m_nGroupId = listContacts[nIndex].nGroup == 1 ? 1 : 2;
        listItem.push_back(item);
    }
    std::stable_sort(listItem.begin(), listItem.end(), CContactGeneralModel::CompareItem);
    return NS_DIRECTORY::CContactSearchSnapshot(std::move(listItem),
                                                {{0, "All Contacts"}, {1, "Blacklist"}, {2, "Two"}});
}

std::vector<std::vector<std::string>> TwinKeyStrokes(bool bAscii) {
    std::vector<std::string> listTyped;
    for (const TwinName& word : kTwinTyped) {
        const std::string strWord = bAscii ? word.pAscii : word.pScript;
        listTyped.push_back(strWord);
        listTyped.push_back(CommonUnits_ToKeyString(strWord));
    }
    for (const char* pNumber : {"0301", "017612", "0305"}) {
        listTyped.push_back(pNumber);
    }
    return KeyStrokesOf(listTyped);
}

void ScriptsRow(Suite& suite, int nSize) {
    const RowInfo info{Id(nSize, "scripts"), "search key strokes, names in several scripts", nSize,
                       "the same book and keys in ASCII letters", 1.5};
    if (!suite.WantsRow(info.strId)) {
        return;
    }
    const auto pScript =
        std::make_shared<NS_DIRECTORY::CContactSearchSnapshot>(TwinBook(nSize - kBlacklisted, false));
    const auto pAscii =
        std::make_shared<NS_DIRECTORY::CContactSearchSnapshot>(TwinBook(nSize - kBlacklisted, true));
    const auto listScriptKeys = TwinKeyStrokes(false);
    const auto listAsciiKeys = TwinKeyStrokes(true);
    const auto type = [](const NS_DIRECTORY::CContactSearchSource& source,
                         const std::vector<std::vector<std::string>>& listWords) {
        CContactGeneralSearchHelper helper;
        for (const auto& listKeys : listWords) {
            for (const std::string& strKey : listKeys) {
                benchmark::DoNotOptimize(SearchOnce(helper, source, strKey));
            }
        }
    };
    suite.Timed(info, RunSide([=] { type(*pScript, listScriptKeys); }, KeyCount(listScriptKeys)),
                RunSide([=] { type(*pAscii, listAsciiKeys); }, KeyCount(listAsciiKeys)));
}

void LoadRow(Suite& suite, LocalBook& book) {
    const RowInfo info{Id(book.Total(), "load"),
                       "load both local files",
                       book.Total(),
                       "bare pugixml parse and walk of both files",
                       1.6,
                       true};
    if (!suite.WantsRow(info.strId)) {
        return;
    }
    CContactGeneralModel& model = book.Model();
    const std::string strGroups = book.Path(kGroupFile);
    const std::string strContacts = book.Path(kContactFile);
    Side ours = RunSide(
        [&] {
            model.MyLoadGroupFromXmlFile("contact_group_list.xml");
            model.MyLoadContactFromXmlFile("contact_list.xml");
        },
        [&] {
            model.MyClearContactList();
            model.MyClearGroupList();
        });
    Side peer =
        RunSide([&] { benchmark::DoNotOptimize(ParseAndWalk(strGroups) + ParseAndWalk(strContacts)); });
    suite.Timed(info, ours, peer, [&]() -> std::string {
        const int nLoaded = model.GetCurrentContactCount() + model.GetCurrentBlackCount();
        return nLoaded == book.Total() ? "" : "loaded " + std::to_string(nLoaded) + " contacts";
    });
}

void EditRows(Suite& suite, LocalBook& book) {
    CContactGeneralModel& model = book.Model();
    std::list<std::string> listNames = {
        model.MyGetItemList()[model.MyGetItemList().size() / 2]->m_strDisplayName};
    bool bMark = true;
    const auto edit = [&] {
        benchmark::DoNotOptimize(bMark ? model.ToFavorateList(listNames)
                                       : model.RemoveFavorateList(listNames));
        bMark = !bMark;
    };
    const auto saved = [&]() -> std::string {
        HostControl::TakeNotifications();
        return model.MyGetContactDirty() ? "the edit was not saved" : "";
    };
    const RowInfo fastInfo{Id(book.Total(), "edit-save"),
                           "edit saved, without the flush to disk",
                           book.Total(),
                           "bare pugixml build and save_file of the contact file",
                           1.2,
                           true};
    if (suite.WantsRow(fastInfo.strId)) {
        const std::vector<BareContact> listBare = ReadBareContacts(book.Path(kContactFile));
        const std::string strBarePath = book.Path("/config/data/bare_contact_list.xml");
        book.Files().SetFlush(false);
        suite.Timed(fastInfo, RunSide(edit),
                    RunSide([&] { benchmark::DoNotOptimize(BuildAndSave(listBare, strBarePath)); }), saved);
        book.Files().SetFlush(true);
    }
    const RowInfo durableInfo{Id(book.Total(), "edit-durable"),
                              "edit saved durably",
                              book.Total(),
                              "SQLite on the same disk, one-row UPDATE, synchronous=FULL",
                              1.5,
                              false};
    if (suite.WantsRow(durableInfo.strId)) {
        book.UseDisk(true);
        bool bPeerMark = true;
        const std::string strName = listNames.front();
        suite.Timed(durableInfo, RunSide(edit), RunSide([&] {
                        book.Durable().SetFavorite(strName, bPeerMark);
                        bPeerMark = !bPeerMark;
                    }),
                    saved);
        book.UseDisk(false);
    }
}

void ImportRows(Suite& suite, LocalBook& book) {
    if (!suite.WantsPrefix(Id(book.Total(), "import"))) {
        return;
    }
    book.UseDisk(true);
    CContactGeneralModel& model = book.Model();
    const std::string strImport = book.Path(kImportFile);
    for (bool bReplace : {true, false}) {
        const RowInfo info{
            Id(book.Total(), bReplace ? "import-replace" : "import-append"),
            bReplace ? "import of 1000 contacts, replacing" : "import of 1000 contacts, adding",
            book.Total(),
            "bare parse of the file + SQLite on the same disk, one transaction, synchronous=FULL",
            2.0,
            bReplace};
        if (!suite.WantsRow(info.strId)) {
            continue;
        }
        int nResult = 0;
        std::map<std::string, int> mapWrites;
        Side ours = RunSide(
            [&] {
                nResult = NS_DIRECTORY::XPortFactory::ImportByPath(kImportFile, !bReplace, !bReplace, false);
                mapWrites = book.Files().TakeWrites();
            },
            [&] {
                book.Restore();
                book.RaiseLimits(book.Total() + kImportContacts);
            });
        Side peer = RunSide([&] { book.Durable().Insert(ParseImportFile(strImport), bReplace); },
                            [&] {
                                if (bReplace) {
                                    book.Durable().Insert(book.Contacts(), true);
                                } else {
                                    book.Durable().Truncate(book.Total());
                                }
                            });
        suite.Timed(info, ours, peer, [&]() -> std::string {
            const int nExpected = (bReplace ? 0 : book.Total()) + kImportContacts;
            const int nHeld = model.GetCurrentContactCount() + model.GetCurrentBlackCount();
            std::string strWrong;
            if (nResult != 0 || nHeld != nExpected) {
                strWrong = "import answered " + std::to_string(nResult) + " holding " + std::to_string(nHeld);
            }
            if (mapWrites["contact_list.xml"] != 1 || mapWrites["contact_group_list.xml"] != 1) {
                strWrong += (strWrong.empty() ? "" : "; ") + std::string("files written ") +
                            std::to_string(mapWrites["contact_list.xml"]) + " and " +
                            std::to_string(mapWrites["contact_group_list.xml"]) + " times";
            }
            return strWrong;
        });
        book.Restore();
    }
}

// What the store holds once loaded (model, records, indexes), and the most it held on the way, from a model
// created afresh; against the size of its two files.
void MemoryRows(Suite& suite, LocalBook& book) {
    const RowInfo heldInfo{Id(book.Total(), "memory-held"),
                           "memory held by the loaded store",
                           book.Total(),
                           "size of its two XML files",
                           1.4,
                           false,
                           true};
    const RowInfo peakInfo{Id(book.Total(), "memory-peak"),
                           "memory at the peak of loading",
                           book.Total(),
                           "size of its two XML files",
                           3.0,
                           false,
                           true};
    if (!suite.WantsRow(heldInfo.strId) && !suite.WantsRow(peakInfo.strId)) {
        return;
    }
    CContactGeneralModel::ReleaseInstance();
    StartCounting();
    book.Open();
    const long long nHeld = LiveBytes();
    const long long nPeak = PeakBytes();
    std::list<std::string> listNames = {book.Model().MyGetItemList().front()->m_strDisplayName};
    book.Model().ToFavorateList(listNames);
    const long long nAfterEdit = LiveBytes();
    StopCounting();
    book.Model().RemoveFavorateList(listNames);
    const double dFiles = static_cast<double>(book.FileBytes());
    char szNote[96];
    std::snprintf(szNote, sizeof(szNote), "after an edit %.0f KiB (%.2f)",
                  static_cast<double>(nAfterEdit) / 1024, static_cast<double>(nAfterEdit) / dFiles);
    // What bare pugixml holds at its own peak, parsing the same two files.
    StartCounting();
    benchmark::DoNotOptimize(ParseAndWalk(book.Path(kGroupFile)) + ParseAndWalk(book.Path(kContactFile)));
    const long long nBarePeak = PeakBytes();
    StopCounting();
    char szPeakNote[96];
    std::snprintf(szPeakNote, sizeof(szPeakNote), "bare pugixml parse alone peaks at %.0f KiB (%.2f)",
                  static_cast<double>(nBarePeak) / 1024, static_cast<double>(nBarePeak) / dFiles);
    suite.Measured(heldInfo, static_cast<double>(nHeld), dFiles, szNote);
    suite.Measured(peakInfo, static_cast<double>(nPeak), dFiles, szPeakNote);
}

}  // namespace

void LocalSection(Suite& suite, int nContacts) {
    if (!suite.Wants("local", nContacts + kBlacklisted)) {
        return;
    }
    std::fprintf(stderr, "local phone book, %d contacts:\n", nContacts + kBlacklisted);
    LocalBook book(nContacts);
    if (nContacts >= 1000) {
        MemoryRows(suite, book);
    }
    LookupRows(suite, book);
    PageRow(suite, book);
    SearchRows(suite, book);
    RepeatedKeyRow(suite, book);
    if (nContacts == 1000) {
        ScriptsRow(suite, book.Total());
    }
    LoadRow(suite, book);
    EditRows(suite, book);
    ImportRows(suite, book);
}

}  // namespace perf
