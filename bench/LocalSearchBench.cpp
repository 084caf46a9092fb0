// Type-ahead search over a full phone book (1000 contacts, 30 blacklisted): names and numbers typed one key
// at a time, each key answered with a page of 20 and the total. Beside it SQLite answers the same page and
// count from an in-memory table of the same contacts with prepared statements. Also: the later keys of a
// word (which narrow the previous matches) against a fresh scan of the same keys, and a repeated key.
// Then a book of names in several scripts (accented Latin, Cyrillic, Greek) against its twin with the
// same names in plain ASCII letters, typed the same way. After the run the ratios are measured side by
// side and printed.

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ContactGeneralModel.h"
#include "ContactGeneralSearchHelper.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::CContactGeneralSearchHelper;
using NS_DIRECTORY::ContactGeneralSearchItemListData;
using Clock = std::chrono::steady_clock;

constexpr int kContacts = 1000;
constexpr int kBlacklisted = 30;
constexpr int kPage = 20;
const char* const kAllContacts = "local_contact_x0";

// What people type into the search box: name parts, whole names, numbers and digit-key spellings.
const char* const kTypedWords[] = {"anna",  "müller", "schmidt", "beck", "greta w", "hugo",  "felix f",
                                   "eva",   "0301",   "017612",  "7264", "2625",    "weber", "koch m",
                                   "clara", "0176",   "david",   "4846", "fisch",   "ben s"};

struct Contact {
    std::string strName;
    std::string strOffice;
    std::string strMobile;
    std::string strNameIndex;
    int nGroup;
};

std::vector<Contact> MakeContacts() {
    static const char* const kFirst[] = {"Anna", "Ben", "Clara", "David", "Eva",   "Felix", "Greta", "Hugo",
                                         "Ida",  "Jan", "Karl",  "Lena",  "Marie", "Nils",  "Olga",  "Paul"};
    static const char* const kLast[] = {"Schmidt", "Meyer",   "Wagner", "Becker", "Fischer",
                                        "Weber",   "Koch",    "Müller", "Braun",  "Wolf",
                                        "Klein",   "Richter", "Schulz", "Krüger"};
    std::mt19937 random(1000);
    std::vector<Contact> listContacts;
    for (int nIndex = 0; nIndex < kContacts + kBlacklisted; ++nIndex) {
        Contact contact;
        contact.strName =
            std::string(kFirst[random() % 16]) + " " + kLast[random() % 14] + " " + std::to_string(nIndex);
        char szNumber[32];
        std::snprintf(szNumber, sizeof(szNumber), "030%07u", static_cast<unsigned>(random() % 10000000));
        contact.strOffice = szNumber;
        std::snprintf(szNumber, sizeof(szNumber), "0176%07u", static_cast<unsigned>(random() % 10000000));
        contact.strMobile = szNumber;
        contact.strNameIndex = CommonUnits_ToKeyString(contact.strName);
        contact.nGroup = nIndex < kBlacklisted ? 1 : 2 + nIndex % 3;
        listContacts.push_back(contact);
    }
    return listContacts;
}

using WordKeys = std::vector<std::vector<std::string>>;

// The keys of every word, one more character each time (a character may take several bytes).
WordKeys KeyStrokesOf(const std::vector<std::string>& listTyped) {
    WordKeys listWords;
    for (const std::string& strWord : listTyped) {
        std::vector<std::string> listKeys;
        for (size_t nEnd = 1; nEnd <= strWord.size(); ++nEnd) {
            if (nEnd < strWord.size() && (static_cast<unsigned char>(strWord[nEnd]) & 0xC0) == 0x80) {
                continue;
            }
            listKeys.push_back(strWord.substr(0, nEnd));
        }
        listWords.push_back(listKeys);
    }
    return listWords;
}

WordKeys KeyStrokes() {
    return KeyStrokesOf(std::vector<std::string>(std::begin(kTypedWords), std::end(kTypedWords)));
}

class LocalBook {
public:
    explicit LocalBook(const std::vector<Contact>& listContacts = MakeContacts()) {
        std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n";
        for (const Contact& contact : listContacts) {
            strXml += "<contact display_name=\"" + contact.strName + "\" office_number=\"" +
                      contact.strOffice + "\" mobile_number=\"" + contact.strMobile + "\" group_id_name=\"" +
                      std::to_string(contact.nGroup) + "\"/>\n";
        }
        m_root.WriteFile("/config/data/contact_list.xml", strXml + "</root_contact>\n");
        HostControl::TakeCallLogUpdates();
    }
    ~LocalBook() { CContactGeneralModel::ReleaseInstance(); }

    int Answer(const std::string& strKey) {
        ContactGeneralSearchItemListData data;
        data.m_nCountToGet = kPage;
        CContactGeneralModel::GetInstance()->Search(&data, kAllContacts, strKey);
        return data.m_nTotalCount + static_cast<int>(data.m_listData.size());
    }

private:
    testsupport::TempRoot m_root;
};

class SqliteBook {
public:
    SqliteBook() {
        sqlite3_open(":memory:", &m_pDb);
        sqlite3_exec(m_pDb,
                     "CREATE TABLE contacts(name TEXT, office TEXT, mobile TEXT, other TEXT, nameindex TEXT, "
                     "grp INTEGER)",
                     nullptr, nullptr, nullptr);
        std::vector<Contact> listContacts = MakeContacts();
        std::sort(listContacts.begin(), listContacts.end(), [](const Contact& a, const Contact& b) {
            return strcasecmp(a.strName.c_str(), b.strName.c_str()) < 0;
        });
        sqlite3_stmt* pInsert = nullptr;
        sqlite3_prepare_v2(m_pDb, "INSERT INTO contacts VALUES(?1, ?2, ?3, '', ?4, ?5)", -1, &pInsert,
                           nullptr);
        for (const Contact& contact : listContacts) {
            sqlite3_bind_text(pInsert, 1, contact.strName.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(pInsert, 2, contact.strOffice.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(pInsert, 3, contact.strMobile.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(pInsert, 4, contact.strNameIndex.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(pInsert, 5, contact.nGroup);
            sqlite3_step(pInsert);
            sqlite3_reset(pInsert);
        }
        sqlite3_finalize(pInsert);
        const char* const kNameWhere = " FROM contacts WHERE grp <> 1 AND name LIKE ?1";
        const char* const kDigitWhere =
            " FROM contacts WHERE grp <> 1 AND (office LIKE ?1 OR mobile LIKE ?1 OR other LIKE ?1 OR "
            "nameindex LIKE ?1)";
        const std::string strColumns = "SELECT name, office, mobile, other, grp";
        Prepare(&m_pNamePage, strColumns + kNameWhere + " ORDER BY rowid LIMIT ?2 OFFSET ?3");
        Prepare(&m_pNameCount, std::string("SELECT COUNT(*)") + kNameWhere);
        Prepare(&m_pDigitPage, strColumns + kDigitWhere + " ORDER BY rowid LIMIT ?2 OFFSET ?3");
        Prepare(&m_pDigitCount, std::string("SELECT COUNT(*)") + kDigitWhere);
    }
    ~SqliteBook() {
        for (sqlite3_stmt* pStatement : {m_pNamePage, m_pNameCount, m_pDigitPage, m_pDigitCount}) {
            sqlite3_finalize(pStatement);
        }
        sqlite3_close(m_pDb);
    }

    int Answer(const std::string& strKey) {
        const bool bDigits = strKey.find_first_not_of("0123456789*#+") == std::string::npos;
        const std::string strPattern = "%" + strKey + "%";
        sqlite3_stmt* pPage = bDigits ? m_pDigitPage : m_pNamePage;
        sqlite3_stmt* pCount = bDigits ? m_pDigitCount : m_pNameCount;
        sqlite3_bind_text(pPage, 1, strPattern.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(pPage, 2, kPage);
        sqlite3_bind_int(pPage, 3, 0);
        int nRows = 0;
        std::vector<std::string> listNames;
        while (sqlite3_step(pPage) == SQLITE_ROW) {
            listNames.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(pPage, 0)));
            ++nRows;
        }
        sqlite3_reset(pPage);
        sqlite3_bind_text(pCount, 1, strPattern.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(pCount);
        const int nTotal = sqlite3_column_int(pCount, 0);
        sqlite3_reset(pCount);
        return nTotal + nRows;
    }

private:
    void Prepare(sqlite3_stmt** ppStatement, const std::string& strSql) {
        sqlite3_prepare_v2(m_pDb, strSql.c_str(), -1, ppStatement, nullptr);
    }

    sqlite3* m_pDb = nullptr;
    sqlite3_stmt* m_pNamePage = nullptr;
    sqlite3_stmt* m_pNameCount = nullptr;
    sqlite3_stmt* m_pDigitPage = nullptr;
    sqlite3_stmt* m_pDigitCount = nullptr;
};

int KeyCount() {
    int nKeys = 0;
    for (const auto& listKeys : KeyStrokes()) {
        nKeys += static_cast<int>(listKeys.size());
    }
    return nKeys;
}

// ---- every key stroke of every word

template <class TBook>
void TypeEveryWord(benchmark::State& state) {
    TBook book;
    const auto listWords = KeyStrokes();
    for (auto _ : state) {
        for (const auto& listKeys : listWords) {
            for (const std::string& strKey : listKeys) {
                benchmark::DoNotOptimize(book.Answer(strKey));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * KeyCount());
}

void BM_KeyStrokes_Local(benchmark::State& state) {
    TypeEveryWord<LocalBook>(state);
}
BENCHMARK(BM_KeyStrokes_Local)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_KeyStrokes_Sqlite(benchmark::State& state) {
    TypeEveryWord<SqliteBook>(state);
}
BENCHMARK(BM_KeyStrokes_Sqlite)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

// ---- the later key strokes of each word: narrowed by one helper, or scanned afresh each time

struct SearchBook {
    LocalBook book;
    std::shared_ptr<NS_DIRECTORY::CContactSearchSnapshot> pSource = MakeSnapshot();

    static std::shared_ptr<NS_DIRECTORY::CContactSearchSnapshot> MakeSnapshot() {
        CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
        std::vector<CContactGeneralModel::ItemData> listItem;
        for (const auto& pItem : pModel->MyGetItemList()) {
            listItem.push_back(*pItem);
        }
        std::vector<std::pair<int, std::string>> listGroups;
        for (int nIndex = 0; nIndex < pModel->GetCurrentGroupCount(); ++nIndex) {
            listGroups.emplace_back(pModel->MyFindGDataByIndex(nIndex)->m_nId,
                                    pModel->GetGroupNameByIndex(nIndex));
        }
        return std::make_shared<NS_DIRECTORY::CContactSearchSnapshot>(std::move(listItem),
                                                                      std::move(listGroups));
    }
};

int SearchOnce(CContactGeneralSearchHelper& helper, const NS_DIRECTORY::CContactSearchSource& source,
               const std::string& strKey) {
    ContactGeneralSearchItemListData data;
    data.m_nCountToGet = kPage;
    helper.Search(source, &data, 0, strKey, false);
    return data.m_nTotalCount;
}

// Seconds spent on the keys after the first of each word.
double LaterKeysSeconds(SearchBook& book, bool bNarrow) {
    double dSeconds = 0;
    for (const auto& listKeys : KeyStrokes()) {
        CContactGeneralSearchHelper helper;
        SearchOnce(helper, *book.pSource, listKeys.front());
        for (size_t nKey = 1; nKey < listKeys.size(); ++nKey) {
            CContactGeneralSearchHelper fresh;
            CContactGeneralSearchHelper& used = bNarrow ? helper : fresh;
            const auto start = Clock::now();
            benchmark::DoNotOptimize(SearchOnce(used, *book.pSource, listKeys[nKey]));
            dSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    return dSeconds;
}

void LaterKeys(benchmark::State& state, bool bNarrow) {
    SearchBook book;
    for (auto _ : state) {
        state.SetIterationTime(LaterKeysSeconds(book, bNarrow));
    }
}

void BM_LaterKeys_Narrowed(benchmark::State& state) {
    LaterKeys(state, true);
}
BENCHMARK(BM_LaterKeys_Narrowed)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_LaterKeys_FreshScan(benchmark::State& state) {
    LaterKeys(state, false);
}
BENCHMARK(BM_LaterKeys_FreshScan)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// ---- the same key again (for instance the next page was asked for): only pages

double RepeatedKeySeconds(SearchBook& book, bool bRepeat) {
    double dSeconds = 0;
    for (const auto& listKeys : KeyStrokes()) {
        CContactGeneralSearchHelper helper;
        SearchOnce(helper, *book.pSource, listKeys.back());
        CContactGeneralSearchHelper fresh;
        CContactGeneralSearchHelper& used = bRepeat ? helper : fresh;
        const auto start = Clock::now();
        benchmark::DoNotOptimize(SearchOnce(used, *book.pSource, listKeys.back()));
        dSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    return dSeconds;
}

void BM_RepeatedKey_FromMemory(benchmark::State& state) {
    SearchBook book;
    for (auto _ : state) {
        state.SetIterationTime(RepeatedKeySeconds(book, true));
    }
}
BENCHMARK(BM_RepeatedKey_FromMemory)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_RepeatedKey_FreshScan(benchmark::State& state) {
    SearchBook book;
    for (auto _ : state) {
        state.SetIterationTime(RepeatedKeySeconds(book, false));
    }
}
BENCHMARK(BM_RepeatedKey_FreshScan)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// ---- a book in several scripts against the same book in ASCII letters

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
// Typed in both books: name parts as letters and as keypad digits, and numbers.
const TwinName kTwinTyped[] = {
    {"иван", "ivan"},   {"соколов", "sokolov"}, {"σοφια", "sofia"},   {"müller", "muller"},
    {"лебед", "lebed"}, {"νικος π", "nikos p"}, {"łukasz", "lukasz"}, {"анна в", "anna v"},
    {"greta", "greta"}, {"попов", "popov"},     {"δημου", "dimou"},   {"jürg", "jurg"},
    {"koch", "koch"},   {"ирина", "irina"},
};

std::vector<Contact> MakeTwinContacts(bool bAscii) {
    std::mt19937 random(1000);
    std::vector<Contact> listContacts;
    for (int nIndex = 0; nIndex < kContacts + kBlacklisted; ++nIndex) {
        const TwinName& first = kTwinFirst[random() % std::size(kTwinFirst)];
        const TwinName& last = kTwinLast[random() % std::size(kTwinLast)];
        Contact contact;
        contact.strName = std::string(bAscii ? first.pAscii : first.pScript) + " " +
                          (bAscii ? last.pAscii : last.pScript) + " " + std::to_string(nIndex);
        char szNumber[32];
        std::snprintf(szNumber, sizeof(szNumber), "030%07u", static_cast<unsigned>(random() % 10000000));
        contact.strOffice = szNumber;
        std::snprintf(szNumber, sizeof(szNumber), "0176%07u", static_cast<unsigned>(random() % 10000000));
        contact.strMobile = szNumber;
        contact.strNameIndex = CommonUnits_ToKeyString(contact.strName);
        contact.nGroup = nIndex < kBlacklisted ? 1 : 2 + nIndex % 3;
        listContacts.push_back(contact);
    }
    return listContacts;
}

WordKeys TwinKeyStrokes(bool bAscii) {
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

int KeyCountOf(const WordKeys& listWords) {
    int nKeys = 0;
    for (const auto& listKeys : listWords) {
        nKeys += static_cast<int>(listKeys.size());
    }
    return nKeys;
}

void TypeTwinBook(benchmark::State& state, bool bAscii) {
    LocalBook book(MakeTwinContacts(bAscii));
    const WordKeys listWords = TwinKeyStrokes(bAscii);
    for (auto _ : state) {
        for (const auto& listKeys : listWords) {
            for (const std::string& strKey : listKeys) {
                benchmark::DoNotOptimize(book.Answer(strKey));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * KeyCountOf(listWords));
}

void BM_KeyStrokes_MixedScripts(benchmark::State& state) {
    TypeTwinBook(state, false);
}
BENCHMARK(BM_KeyStrokes_MixedScripts)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_KeyStrokes_AsciiTwin(benchmark::State& state) {
    TypeTwinBook(state, true);
}
BENCHMARK(BM_KeyStrokes_AsciiTwin)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

// ---- paired ratios, measured in alternation so that both sides see the same machine load

template <class TFirst, class TSecond>
double PairedRatio(int nRounds, TFirst first, TSecond second) {
    double dFirst = 0;
    double dSecond = 0;
    for (int nRound = 0; nRound < nRounds; ++nRound) {
        dFirst += first();
        dSecond += second();
    }
    return dFirst / dSecond;
}

template <class TBook>
double TypingSeconds(TBook& book, const WordKeys& listWords = KeyStrokes()) {
    const auto start = Clock::now();
    for (const auto& listKeys : listWords) {
        for (const std::string& strKey : listKeys) {
            benchmark::DoNotOptimize(book.Answer(strKey));
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintRatios() {
    SearchBook book;
    SqliteBook sqlite;
    const double dTyping = PairedRatio(
        50, [&] { return TypingSeconds(book.book); }, [&] { return TypingSeconds(sqlite); });
    const double dNarrow = PairedRatio(
        50, [&] { return LaterKeysSeconds(book, true); }, [&] { return LaterKeysSeconds(book, false); });
    const double dRepeat = PairedRatio(
        50, [&] { return RepeatedKeySeconds(book, true); }, [&] { return RepeatedKeySeconds(book, false); });
    std::printf("\n%d key strokes per round, %d contacts, pages of %d\n", KeyCount(),
                kContacts + kBlacklisted, kPage);
    std::printf("key strokes, local / SQLite:          %.3f (must be below 1)\n", dTyping);
    std::printf("later key strokes, narrowed / fresh:  %.3f (must be at most 0.5)\n", dNarrow);
    std::printf("repeated key, from memory / fresh:    %.3f\n", dRepeat);
}

// A twin book as the search sees it on a worker: a snapshot of its contacts.
NS_DIRECTORY::CContactSearchSnapshot TwinSnapshot(bool bAscii) {
    std::vector<CContactGeneralModel::ItemData> listItem;
    for (const Contact& contact : MakeTwinContacts(bAscii)) {
        CContactGeneralModel::ItemData item;
        item.m_strDisplayName = contact.strName;
        item.m_strOfficeNumber = contact.strOffice;
        item.m_strMobileNumber = contact.strMobile;
        item.m_strNameIndex = contact.strNameIndex;
        item.m_nGroupId = contact.nGroup;
        listItem.push_back(item);
    }
    return NS_DIRECTORY::CContactSearchSnapshot(
        std::move(listItem), {{0, "All Contacts"}, {1, "Blacklist"}, {2, "Two"}, {3, "Three"}, {4, "Four"}});
}

// Seconds to type every twin word into one search, one key stroke after the other.
double TwinTypingSeconds(const NS_DIRECTORY::CContactSearchSource& book, const WordKeys& listWords) {
    CContactGeneralSearchHelper helper;
    const auto start = Clock::now();
    for (const auto& listKeys : listWords) {
        for (const std::string& strKey : listKeys) {
            benchmark::DoNotOptimize(SearchOnce(helper, book, strKey));
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintTwinRatio() {
    const NS_DIRECTORY::CContactSearchSnapshot script = TwinSnapshot(false);
    const NS_DIRECTORY::CContactSearchSnapshot ascii = TwinSnapshot(true);
    const WordKeys listScriptKeys = TwinKeyStrokes(false);
    const WordKeys listAsciiKeys = TwinKeyStrokes(true);
    constexpr int kRounds = 100;
    double dScript = 0;
    double dAscii = 0;
    const double dRatio = PairedRatio(
        kRounds,
        [&] {
            const double dSeconds = TwinTypingSeconds(script, listScriptKeys);
            dScript += dSeconds;
            return dSeconds;
        },
        [&] {
            const double dSeconds = TwinTypingSeconds(ascii, listAsciiKeys);
            dAscii += dSeconds;
            return dSeconds;
        });
    const double dKeys = static_cast<double>(kRounds) * KeyCountOf(listScriptKeys);
    std::printf("\n%d key strokes per round into each of two books of %d contacts\n",
                KeyCountOf(listScriptKeys), kContacts + kBlacklisted);
    std::printf("per key stroke, mixed scripts:        %.2f us\n", dScript / dKeys * 1e6);
    std::printf("per key stroke, the same in ASCII:    %.2f us\n", dAscii / dKeys * 1e6);
    std::printf("mixed scripts / ASCII:                %.3f (must be at most 1.5)\n", dRatio);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    PrintTwinRatio();
    return 0;
}
