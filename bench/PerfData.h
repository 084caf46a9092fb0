#pragma once
// The data every side of the suite works on: a phone book of any size as a user would have it (names in no
// particular order, a ring on one contact in ten, a photo on one in four, three numbers each, 30 blacklisted,
// 50 groups), an import file, the words people type into the search box, and the SQLite peer holding the
// same contacts.

#include <sqlite3.h>

#include <string>
#include <vector>

namespace perf {

constexpr int kGroups = 50;
constexpr int kBlacklisted = 30;
constexpr int kImportContacts = 1000;

struct PerfContact {
    std::string strName;
    std::string strOffice;
    std::string strMobile;
    std::string strOther;
    std::string strRing;   // stored form
    std::string strPhoto;  // stored form
    int nGroup = 0;
    bool bFavorite = false;
};

// nContacts outside the blacklist and nBlacklisted in it, in file (not name) order. Names and numbers are
// unique; seed picks another set of names (for an import into the same book).
std::vector<PerfContact> MakeContacts(int nContacts, int nBlacklisted = kBlacklisted, unsigned nSeed = 1,
                                      const std::string& strNamePrefix = "");
// Group ids 2 and up with their names (the built-in groups not included).
std::vector<std::pair<int, std::string>> MakeGroups();

// The two local files as a user's phone book would have them (the model rewrites them in its own order).
std::string GroupFileXml();
std::string ContactFileXml(const std::vector<PerfContact>& listContacts);
// An import file in the export format, naming groups by name.
std::string ImportFileXml(const std::vector<PerfContact>& listContacts);

// What people type into the search box: name parts, whole names, numbers and digit-key spellings.
std::vector<std::string> TypedWords();
// The keys of every word, one more character each time (a character may take several bytes).
std::vector<std::vector<std::string>> KeyStrokesOf(const std::vector<std::string>& listWords);
int KeyCount(const std::vector<std::vector<std::string>>& listWords);

// The SQLite peer: the same contacts in one table with an index on the name (NOCASE) and on each number,
// every query prepared once.
class SqliteBook {
public:
    // ":memory:" or a file; bDurable: default journal with synchronous=FULL.
    SqliteBook(const std::string& strPath, bool bDurable);
    ~SqliteBook();
    SqliteBook(const SqliteBook&) = delete;
    SqliteBook& operator=(const SqliteBook&) = delete;

    // Inserts the contacts in one transaction, which with bReplace first deletes every row.
    void Insert(const std::vector<PerfContact>& listContacts, bool bReplace = false);
    // Removes rows after the first nKeep (in insertion order).
    void Truncate(int nKeep);
    // The name of the first contact in name order with this number in any of its three fields; "" for none.
    std::string NameByNumber(const std::string& strNumber);
    // One key stroke of a search: a page of 20 and the total, outside the blacklist; returns both summed.
    int SearchPage(const std::string& strKey);
    // A page of 10 contacts outside the blacklist in name order from nFrom, and their total; returns both
    // summed.
    int ListPage(int nFrom);
    // One durable single-row update: the favourite mark of one contact.
    void SetFavorite(const std::string& strName, bool bFavorite);
    int Count();
    sqlite3* Db() const { return m_pDb; }

private:
    sqlite3_stmt* MyPrepare(const std::string& strSql);
    void MyExec(const char* pSql);

    sqlite3* m_pDb = nullptr;
    sqlite3_stmt* m_pInsert = nullptr;
    sqlite3_stmt* m_pByNumber = nullptr;
    sqlite3_stmt* m_pNamePage = nullptr;
    sqlite3_stmt* m_pNameCount = nullptr;
    sqlite3_stmt* m_pDigitPage = nullptr;
    sqlite3_stmt* m_pDigitCount = nullptr;
    sqlite3_stmt* m_pFavorite = nullptr;
    sqlite3_stmt* m_pListPage = nullptr;
    sqlite3_stmt* m_pListCount = nullptr;
    std::vector<std::string> m_listPage;  // the page's names, as a caller would keep them
};

}  // namespace perf
