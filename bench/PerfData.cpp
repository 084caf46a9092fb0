#include "PerfData.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "CommonUnits.h"

namespace perf {

namespace {

const char* const kFirstNames[] = {"Anna", "Ben",  "Clara", "David", "Eva",    "Felix", "Greta",
                                   "Hugo", "Ida",  "Jan",   "Karl",  "Lena",   "Marie", "Nils",
                                   "Olga", "Paul", "José",  "Zoë",   "Jürgen", "Ingrid"};
const char* const kLastNames[] = {"Schmidt", "Meyer",  "Wagner",   "Becker", "Fischer", "Weber",
                                  "Koch",    "Müller", "Braun",    "Wolf",   "Klein",   "Richter",
                                  "Schulz",  "Krüger", "Hoffmann", "Lange",  "Novák",   "Peters"};

std::string Digits(unsigned long long nValue, int nWidth) {
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%0*llu", nWidth, nValue);
    return szText;
}

std::string XmlEscaped(const std::string& strText) {
    std::string strOut;
    for (char c : strText) {
        switch (c) {
            case '&':
                strOut += "&amp;";
                break;
            case '<':
                strOut += "&lt;";
                break;
            case '"':
                strOut += "&quot;";
                break;
            default:
                strOut += c;
        }
    }
    return strOut;
}

void Check(int nCode, sqlite3* pDb, const char* pWhat) {
    if (nCode != SQLITE_OK && nCode != SQLITE_DONE && nCode != SQLITE_ROW) {
        throw std::runtime_error(std::string(pWhat) + ": " + sqlite3_errmsg(pDb));
    }
}

}  // namespace

std::vector<PerfContact> MakeContacts(int nContacts, int nBlacklisted, unsigned nSeed,
                                      const std::string& strNamePrefix) {
    std::mt19937 random(nSeed);
    const int nTotal = nContacts + nBlacklisted;
    const std::vector<std::pair<int, std::string>> listGroups = MakeGroups();
    std::vector<PerfContact> listContacts;
    listContacts.reserve(static_cast<size_t>(nTotal));
    for (int nIndex = 0; nIndex < nTotal; ++nIndex) {
        PerfContact contact;
        contact.strName = strNamePrefix + kFirstNames[random() % std::size(kFirstNames)] + " " +
                          kLastNames[random() % std::size(kLastNames)] + " " + std::to_string(nIndex);
        // Multipliers prime to ten keep every number distinct; the seed moves the whole set.
        const unsigned long long nBase = static_cast<unsigned long long>(nIndex) + nSeed * 1000003ULL;
        contact.strOffice = "030" + Digits(nBase * 7919 % 10000000, 7);
        contact.strMobile = "0176" + Digits(nBase * 104729 % 10000000, 7);
        contact.strOther = "040" + Digits(nBase * 1299709 % 10000000, 7);
        contact.strRing = nIndex % 10 == 0 ? "Config:ring" + std::to_string(nIndex % 3) + ".wav" : "";
        contact.strPhoto = nIndex % 4 == 0 ? "Resource:contact_0" + std::to_string(nIndex % 5) + ".png" : "";
        contact.nGroup =
            nIndex < nBlacklisted ? 1 : listGroups[static_cast<size_t>(nIndex) % listGroups.size()].first;
        contact.bFavorite = nIndex % 10 == 3;
        listContacts.push_back(std::move(contact));
    }
    // Names in no particular order, as a user enters them.
    std::shuffle(listContacts.begin(), listContacts.end(), random);
    return listContacts;
}

std::vector<std::pair<int, std::string>> MakeGroups() {
    std::vector<std::pair<int, std::string>> listGroups;
    for (int nId = 2; nId < kGroups; ++nId) {
        listGroups.emplace_back(nId, "Group " + std::to_string(nId * 37 % 101));
    }
    return listGroups;
}

std::string GroupFileXml() {
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_group>\n";
    strXml += "<group id_name=\"0\" display_name=\"All Contacts\" ring=\"\" read_only=\"1\"/>\n";
    for (const auto& group : MakeGroups()) {
        strXml += "<group id_name=\"" + std::to_string(group.first) + "\" display_name=\"" + group.second +
                  "\" ring=\"\" read_only=\"0\"/>\n";
    }
    return strXml +
           "<group id_name=\"1\" display_name=\"Blacklist\" ring=\"\" read_only=\"1\"/>\n</root_group>\n";
}

std::string ContactFileXml(const std::vector<PerfContact>& listContacts) {
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n";
    for (const PerfContact& contact : listContacts) {
        strXml += "<contact display_name=\"" + XmlEscaped(contact.strName) + "\" office_number=\"" +
                  contact.strOffice + "\" mobile_number=\"" + contact.strMobile + "\" other_number=\"" +
                  contact.strOther + "\" line=\"0\" ring=\"" + contact.strRing + "\" group_id_name=\"" +
                  std::to_string(contact.nGroup) + "\" default_photo=\"" + contact.strPhoto +
                  "\" selected_photo=\"1\" is_favorate=\"" + (contact.bFavorite ? "1" : "0") +
                  "\" name_index=\"\"/>\n";
    }
    return strXml + "</root_contact>\n";
}

std::string ImportFileXml(const std::vector<PerfContact>& listContacts) {
    const std::vector<std::pair<int, std::string>> listGroups = MakeGroups();
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<vp_contact>\n<root_group>\n";
    for (const auto& group : listGroups) {
        strXml += "<group display_name=\"" + group.second + "\" ring=\"\"/>\n";
    }
    strXml += "</root_group>\n<root_contact>\n";
    for (const PerfContact& contact : listContacts) {
        const std::string strGroup =
            contact.nGroup == 1 ? "Blacklist"
                                : std::find_if(listGroups.begin(), listGroups.end(), [&](const auto& group) {
                                      return group.first == contact.nGroup;
                                  })->second;
        strXml += "<contact display_name=\"" + XmlEscaped(contact.strName) + "\" office_number=\"" +
                  contact.strOffice + "\" mobile_number=\"" + contact.strMobile + "\" other_number=\"" +
                  contact.strOther + "\" line=\"0\" ring=\"" + contact.strRing + "\" group_id_name=\"" +
                  strGroup + "\" default_photo=\"" + contact.strPhoto + "\" is_favorate=\"0\"/>\n";
    }
    return strXml + "</root_contact>\n</vp_contact>\n";
}

std::vector<std::string> TypedWords() {
    return {"anna", "müller", "schmidt", "beck",   "greta w", "hugo", "felix f", "eva",  "0301",  "017612",
            "7264", "2625",   "weber",   "koch m", "clara",   "0176", "david",   "4846", "fisch", "ben s"};
}

std::vector<std::vector<std::string>> KeyStrokesOf(const std::vector<std::string>& listWords) {
    std::vector<std::vector<std::string>> listKeys;
    for (const std::string& strWord : listWords) {
        std::vector<std::string> listWordKeys;
        for (size_t nEnd = 1; nEnd <= strWord.size(); ++nEnd) {
            if (nEnd < strWord.size() && (static_cast<unsigned char>(strWord[nEnd]) & 0xC0) == 0x80) {
                continue;
            }
            listWordKeys.push_back(strWord.substr(0, nEnd));
        }
        listKeys.push_back(listWordKeys);
    }
    return listKeys;
}

int KeyCount(const std::vector<std::vector<std::string>>& listWords) {
    int nKeys = 0;
    for (const auto& listKeys : listWords) {
        nKeys += static_cast<int>(listKeys.size());
    }
    return nKeys;
}

// ---- SQLite

SqliteBook::SqliteBook(const std::string& strPath, bool bDurable) {
    Check(sqlite3_open(strPath.c_str(), &m_pDb), m_pDb, "open");
    MyExec(bDurable ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=OFF");
    MyExec(
        "CREATE TABLE IF NOT EXISTS contacts(name TEXT, office TEXT, mobile TEXT, other TEXT, nameindex "
        "TEXT, "
        "grp INTEGER, favorite INTEGER, ring TEXT, photo TEXT, line INTEGER, selphoto INTEGER)");
    MyExec("CREATE INDEX IF NOT EXISTS by_name ON contacts(name COLLATE NOCASE)");
    MyExec("CREATE INDEX IF NOT EXISTS by_office ON contacts(office)");
    MyExec("CREATE INDEX IF NOT EXISTS by_mobile ON contacts(mobile)");
    MyExec("CREATE INDEX IF NOT EXISTS by_other ON contacts(other)");
    m_pInsert = MyPrepare("INSERT INTO contacts VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 0, 1)");
    // The planner answers the three equalities from the three number indexes (a multi-index OR).
    m_pByNumber = MyPrepare(
        "SELECT name FROM contacts WHERE office = ?1 OR mobile = ?1 OR other = ?1 ORDER BY name COLLATE "
        "NOCASE "
        "LIMIT 1");
    const std::string strColumns = "SELECT name, office, mobile, other, grp, ring, photo";
    const std::string strNameWhere = " FROM contacts WHERE grp <> 1 AND name LIKE ?1";
    const std::string strDigitWhere =
        " FROM contacts WHERE grp <> 1 AND (office LIKE ?1 OR mobile LIKE ?1 OR other LIKE ?1 OR nameindex "
        "LIKE ?1)";
    m_pNamePage = MyPrepare(strColumns + strNameWhere + " ORDER BY name COLLATE NOCASE LIMIT 20");
    m_pNameCount = MyPrepare("SELECT COUNT(*)" + strNameWhere);
    m_pDigitPage = MyPrepare(strColumns + strDigitWhere + " ORDER BY name COLLATE NOCASE LIMIT 20");
    m_pDigitCount = MyPrepare("SELECT COUNT(*)" + strDigitWhere);
    m_pFavorite = MyPrepare("UPDATE contacts SET favorite = ?1 WHERE name = ?2 COLLATE NOCASE");
    m_pListPage = MyPrepare(strColumns +
                            " FROM contacts WHERE grp <> 1 ORDER BY name COLLATE NOCASE LIMIT 10 OFFSET ?1");
    m_pListCount = MyPrepare("SELECT COUNT(*) FROM contacts WHERE grp <> 1");
}

SqliteBook::~SqliteBook() {
    for (sqlite3_stmt* pStatement : {m_pInsert, m_pByNumber, m_pNamePage, m_pNameCount, m_pDigitPage,
                                     m_pDigitCount, m_pFavorite, m_pListPage, m_pListCount}) {
        sqlite3_finalize(pStatement);
    }
    sqlite3_close(m_pDb);
}

sqlite3_stmt* SqliteBook::MyPrepare(const std::string& strSql) {
    sqlite3_stmt* pStatement = nullptr;
    Check(sqlite3_prepare_v2(m_pDb, strSql.c_str(), -1, &pStatement, nullptr), m_pDb, strSql.c_str());
    return pStatement;
}

void SqliteBook::MyExec(const char* pSql) {
    Check(sqlite3_exec(m_pDb, pSql, nullptr, nullptr, nullptr), m_pDb, pSql);
}

void SqliteBook::Insert(const std::vector<PerfContact>& listContacts, bool bReplace) {
    MyExec("BEGIN");
    if (bReplace) {
        MyExec("DELETE FROM contacts");
    }
    for (const PerfContact& contact : listContacts) {
        const std::string strNameIndex = CommonUnits_ToKeyString(contact.strName);
        sqlite3_bind_text(m_pInsert, 1, contact.strName.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_pInsert, 2, contact.strOffice.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_pInsert, 3, contact.strMobile.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_pInsert, 4, contact.strOther.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_pInsert, 5, strNameIndex.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(m_pInsert, 6, contact.nGroup);
        sqlite3_bind_int(m_pInsert, 7, contact.bFavorite ? 1 : 0);
        sqlite3_bind_text(m_pInsert, 8, contact.strRing.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_pInsert, 9, contact.strPhoto.c_str(), -1, SQLITE_STATIC);
        Check(sqlite3_step(m_pInsert), m_pDb, "insert");
        sqlite3_reset(m_pInsert);
    }
    MyExec("COMMIT");
}

void SqliteBook::Truncate(int nKeep) {
    const std::string strSql =
        "DELETE FROM contacts WHERE rowid > (SELECT rowid FROM contacts ORDER BY rowid "
        "LIMIT 1 OFFSET " +
        std::to_string(nKeep - 1) + ")";
    MyExec(strSql.c_str());
}

std::string SqliteBook::NameByNumber(const std::string& strNumber) {
    sqlite3_bind_text(m_pByNumber, 1, strNumber.c_str(), static_cast<int>(strNumber.size()), SQLITE_STATIC);
    std::string strName;
    if (sqlite3_step(m_pByNumber) == SQLITE_ROW) {
        strName = reinterpret_cast<const char*>(sqlite3_column_text(m_pByNumber, 0));
    }
    sqlite3_reset(m_pByNumber);
    return strName;
}

int SqliteBook::SearchPage(const std::string& strKey) {
    const bool bDigits = strKey.find_first_not_of("0123456789*#") == std::string::npos;
    const std::string strPattern = "%" + strKey + "%";
    sqlite3_stmt* pPage = bDigits ? m_pDigitPage : m_pNamePage;
    sqlite3_stmt* pCount = bDigits ? m_pDigitCount : m_pNameCount;
    sqlite3_bind_text(pPage, 1, strPattern.c_str(), -1, SQLITE_STATIC);
    m_listPage.clear();
    while (sqlite3_step(pPage) == SQLITE_ROW) {
        m_listPage.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(pPage, 0)));
    }
    sqlite3_reset(pPage);
    sqlite3_bind_text(pCount, 1, strPattern.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(pCount);
    const int nTotal = sqlite3_column_int(pCount, 0);
    sqlite3_reset(pCount);
    return nTotal + static_cast<int>(m_listPage.size());
}

int SqliteBook::ListPage(int nFrom) {
    sqlite3_bind_int(m_pListPage, 1, nFrom);
    m_listPage.clear();
    while (sqlite3_step(m_pListPage) == SQLITE_ROW) {
        m_listPage.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(m_pListPage, 0)));
    }
    sqlite3_reset(m_pListPage);
    sqlite3_step(m_pListCount);
    const int nTotal = sqlite3_column_int(m_pListCount, 0);
    sqlite3_reset(m_pListCount);
    return nTotal + static_cast<int>(m_listPage.size());
}

void SqliteBook::SetFavorite(const std::string& strName, bool bFavorite) {
    sqlite3_bind_int(m_pFavorite, 1, bFavorite ? 1 : 0);
    sqlite3_bind_text(m_pFavorite, 2, strName.c_str(), -1, SQLITE_STATIC);
    Check(sqlite3_step(m_pFavorite), m_pDb, "update");
    sqlite3_reset(m_pFavorite);
}

int SqliteBook::Count() {
    sqlite3_stmt* pCount = MyPrepare("SELECT COUNT(*) FROM contacts");
    sqlite3_step(pCount);
    const int nCount = sqlite3_column_int(pCount, 0);
    sqlite3_finalize(pCount);
    return nCount;
}

}  // namespace perf
