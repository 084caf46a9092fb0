// Directory pages and the custom-directory list: loading the downloaded documents, the parsers of the six
// page kinds, appending records to the lists and asking for the next page.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

constexpr std::size_t kWantedCustomLimit = 5;

using MemberField = std::string BroadSoftMemberFields::*;
struct NamedMemberField {
    const char* pName;
    MemberField pField;
};

// Elements of a Group or Enterprise entry, in the order they are compared.
const NamedMemberField kEntryFields[] = {
    {"lastName", &BroadSoftMemberFields::m_strLastName},
    {"firstName", &BroadSoftMemberFields::m_strFirstName},
    {"userId", &BroadSoftMemberFields::m_strUserId},
    {"groupId", &BroadSoftMemberFields::m_strGroupId},
    {"number", &BroadSoftMemberFields::m_strNumber},
    {"extension", &BroadSoftMemberFields::m_strExtension},
};
// Elements that may also come inside "additionalDetails".
const NamedMemberField kDetailFields[] = {
    {"mobile", &BroadSoftMemberFields::m_strMobile},
    {"yahooId", &BroadSoftMemberFields::m_strYahooId},
    // Xsi documents name the pager "pager"; "paper" is still read for servers that wrote it so.
    {"pager", &BroadSoftMemberFields::m_strPaper},
    {"paper", &BroadSoftMemberFields::m_strPaper},
    {"emailAddress", &BroadSoftMemberFields::m_strEmailAddress},
    {"title", &BroadSoftMemberFields::m_strTitle},
    {"location", &BroadSoftMemberFields::m_strLocation},
    {"addressLine1", &BroadSoftMemberFields::m_strAddressLine1},
    {"addressLine2", &BroadSoftMemberFields::m_strAddressLine2},
    {"city", &BroadSoftMemberFields::m_strCity},
    {"state", &BroadSoftMemberFields::m_strState},
    {"zip", &BroadSoftMemberFields::m_strZip},
    {"country", &BroadSoftMemberFields::m_strCountry},
    {"department", &BroadSoftMemberFields::m_strDepartment},
};

using CustomField = std::string ContactBroadSoftCustom::*;
const std::pair<const char*, CustomField> kCustomFields[] = {
    {"lastName", &ContactBroadSoftCustom::m_strLastName},
    {"firstName", &ContactBroadSoftCustom::m_strFirstName},
    {"userId", &ContactBroadSoftCustom::m_strUserId},
    {"number", &ContactBroadSoftCustom::m_strNumber},
    {"extension", &ContactBroadSoftCustom::m_strExtension},
    {"mobile", &ContactBroadSoftCustom::m_strMobile},
    {"emailAddress", &ContactBroadSoftCustom::m_strEmailAddress},
    {"name", &ContactBroadSoftCustom::m_strName},
    {"impId", &ContactBroadSoftCustom::m_strImpId},
};

enum class PageKind { None, Group, Personal, Enterprise, Common, Custom };

PageKind PageKindOf(const char* pName) {
    const std::pair<const char*, PageKind> kRoots[] = {
        {"Group", PageKind::Group},
        {"Personal", PageKind::Personal},
        {"Enterprise", PageKind::Enterprise},
        {"GroupCommon", PageKind::Common},
        {"EnterpriseCommon", PageKind::Common},
        {"Directory", PageKind::Custom},
    };
    for (const auto& root : kRoots) {
        if (std::strcmp(pName, root.first) == 0) {
            return root.second;
        }
    }
    return PageKind::None;
}

// The first top-level node that names a page kind.
pugi::xml_node FindPageRoot(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (PageKindOf(node.name()) != PageKind::None) {
            return node;
        }
    }
    return pugi::xml_node();
}

// Deletes the records at positions [nFrom, nTo) and takes them out of the list.
void DeleteRecords(BroadSoftItemList& listItem, std::size_t nFrom, std::size_t nTo) {
    if (nFrom >= nTo) {
        return;
    }
    const auto itFrom = listItem.begin() + static_cast<std::ptrdiff_t>(nFrom);
    const auto itTo = listItem.begin() + static_cast<std::ptrdiff_t>(nTo);
    for (auto it = itFrom; it != itTo; ++it) {
        delete *it;
    }
    listItem.erase(itFrom, itTo);
}

bool HasLatin1Declaration(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_declaration) {
            return std::strcmp(node.attribute("encoding").value(), "ISO-8859-1") == 0;
        }
    }
    return false;
}

// A downloaded document with its declaration, in the encoding it declares. False for a missing file and
// for anything that is not well-formed XML: a body cut short is refused whole, never read in part.
bool LoadXsiDocument(pugi::xml_document& doc, const std::string& strPath) {
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strReal, ec)) {
        return false;
    }
    const unsigned kOptions = pugi::parse_default | pugi::parse_declaration;
    pugi::xml_parse_result result = doc.load_file(strReal.c_str(), kOptions, pugi::encoding_auto);
    if (result && HasLatin1Declaration(doc) && result.encoding != pugi::encoding_latin1) {
        result = doc.load_file(strReal.c_str(), kOptions, pugi::encoding_latin1);
    }
    if (!result) {
        app_log(6, APP_LOG_WARNING, "BroadSoft document %s refused: %s\n", strPath.c_str(),
                result.description());
        return false;
    }
    return true;
}

// The decimal value of a text, clamped to the int range; 0 for anything else.
int TextToInt(const char* pText) {
    errno = 0;
    const long nValue = std::strtol(pText, nullptr, 10);
    if (errno == ERANGE || nValue > INT_MAX) {
        return nValue < 0 ? INT_MIN : INT_MAX;
    }
    return nValue < INT_MIN ? INT_MIN : static_cast<int>(nValue);
}

template <std::size_t N>
bool StoreMemberField(BroadSoftMemberFields& member, const pugi::xml_node& node,
                      const NamedMemberField (&fields)[N]) {
    for (const NamedMemberField& field : fields) {
        if (std::strcmp(node.name(), field.pName) == 0) {
            member.*field.pField = node.text().get();
            return true;
        }
    }
    return false;
}

void ReadMemberEntry(BroadSoftMemberFields& member, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element || StoreMemberField(member, node, kEntryFields)) {
            continue;
        }
        if (std::strcmp(node.name(), "additionalDetails") == 0) {
            for (pugi::xml_node detail = node.first_child(); detail; detail = detail.next_sibling()) {
                if (detail.type() == pugi::node_element) {
                    StoreMemberField(member, detail, kDetailFields);
                }
            }
            continue;
        }
        StoreMemberField(member, node, kDetailFields);
    }
}

// The entries of a Group or Enterprise page: its "entry" children, else the details in its container.
std::vector<pugi::xml_node> MemberEntries(const pugi::xml_node& root, const char* pContainer) {
    std::vector<pugi::xml_node> vecEntries;
    for (pugi::xml_node entry = root.child("entry"); entry; entry = entry.next_sibling("entry")) {
        vecEntries.push_back(entry);
    }
    if (vecEntries.empty()) {
        const pugi::xml_node container = root.child(pContainer);
        for (pugi::xml_node entry = container.child("directoryDetails"); entry;
             entry = entry.next_sibling("directoryDetails")) {
            vecEntries.push_back(entry);
        }
    }
    return vecEntries;
}

template <class TRecord>
void ReadNameAndNumber(TRecord& record, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        const char* pText = node.text().get();
        if (node.type() != pugi::node_element || *pText == '\0') {
            continue;
        }
        if (std::strcmp(node.name(), "name") == 0) {
            record.m_strName = pText;
        } else if (std::strcmp(node.name(), "number") == 0) {
            record.m_strNumber = pText;
        }
    }
}

void ReadCustomEntry(ContactBroadSoftCustom& record, const pugi::xml_node& entry) {
    for (pugi::xml_node node = entry.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        for (const auto& field : kCustomFields) {
            if (std::strcmp(node.name(), field.first) == 0) {
                record.*field.second = node.text().get();
                break;
            }
        }
    }
    record.m_strMobile = CommonAPI_TrimWhitespaceFromString(record.m_strMobile, TRIM_BOTH);
}

struct PageCounts {
    std::string strStart;
    std::string strTotal;
    std::string strCount;
};

// How many entries the page's parser will read; -1 for a custom page without contacts, which it refuses.
int PageEntryCount(const pugi::xml_node& root) {
    const char* pName = root.name();
    if (std::strcmp(pName, "Group") == 0 || std::strcmp(pName, "Enterprise") == 0) {
        return static_cast<int>(
            MemberEntries(root, *pName == 'G' ? "groupDirectory" : "enterpriseDirectory").size());
    }
    const char* pEntryName = "entry";
    pugi::xml_node container = root;
    if (std::strcmp(pName, "Directory") == 0) {
        container = root.child("contacts");
        if (!container) {
            return -1;
        }
        pEntryName = "contact";
    } else if (std::strcmp(pName, "Personal") != 0) {
        pEntryName = "commonPhoneEntry";
    }
    int nCount = 0;
    for (pugi::xml_node entry = container.child(pEntryName); entry; entry = entry.next_sibling(pEntryName)) {
        ++nCount;
    }
    return nCount;
}

PageCounts ReadPageCounts(const pugi::xml_node& root) {
    PageCounts counts;
    counts.strStart = root.child("startIndex").text().get();
    counts.strTotal = root.child("totalAvailableRecords").text().get();
    counts.strCount = root.child("numberOfRecords").text().get();
    return counts;
}

std::vector<std::string> SplitNames(const std::string& strNames) {
    std::vector<std::string> vecNames;
    CommonAPI_ParseStringBySeparator(strNames, ',', vecNames);
    return vecNames;
}

bool IsOffered(const std::string& strName, const std::vector<std::string>& vecOffered) {
    for (const std::string& strOffered : vecOffered) {
        if (strOffered == strName) {
            return true;
        }
    }
    return false;
}

// The wanted names that the server offers, in the wanted order; the wanted text itself when all are.
std::string OfferedOfWanted(const std::string& strWanted, const std::vector<std::string>& vecOffered) {
    std::string strKept;
    bool bAllOffered = true;
    for (const std::string& strName : SplitNames(strWanted)) {
        if (strName.empty()) {
            continue;
        }
        if (!IsOffered(strName, vecOffered)) {
            bAllOffered = false;
            continue;
        }
        strKept += (strKept.empty() ? "" : ",") + strName;
    }
    return bAllOffered ? strWanted : strKept;
}

}  // namespace

template <class TRecord>
int CContactBroadSoftModel::MyAddItem(const std::string& strUrl, TRecord item) {
    if (strUrl.empty() || strUrl == BSFT_ALL_CONTACT) {
        return -1;
    }
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strUrl);
    if (pData == nullptr) {
        return -1;
    }
    auto pCopy = std::make_unique<TRecord>(std::move(item));
    pData->m_listItem.push_back(pCopy.get());
    pCopy.release();
    MyListsChanged();
    return static_cast<int>(pData->m_listItem.size()) - 1;
}

int CContactBroadSoftModel::MyAddGroupItem(const std::string& strUrl, const ContactBroadSoftGroup& item) {
    return MyAddItem(strUrl, item);
}

int CContactBroadSoftModel::MyAddEnterpriseItem(const std::string& strUrl,
                                                const ContactBroadSoftEnterprise& item) {
    return MyAddItem(strUrl, item);
}

int CContactBroadSoftModel::MyAddCommonItem(const std::string& strUrl, const ContactBroadSoftCommon& item) {
    return MyAddItem(strUrl, item);
}

int CContactBroadSoftModel::MyAddPersonalItem(const std::string& strUrl,
                                              const ContactBroadSoftPersonal& item) {
    return MyAddItem(strUrl, item);
}

int CContactBroadSoftModel::MyAddCustomItem(const std::string& strUrl, const ContactBroadSoftCustom& item) {
    return MyAddItem(strUrl, item);
}

bool CContactBroadSoftModel::MyLoadDataFromFile(const std::string& strUrl, const std::string& strPath,
                                                int nRequestedStart) {
    if (strPath.empty() || strUrl == BSFT_ALL_CONTACT || !ETL_MiscHelper::pathFileExist(strPath)) {
        return false;
    }
    {
        Lock lock(m_csLock);
        if (MyFindItemData(strUrl) == nullptr) {
            return false;
        }
    }
    pugi::xml_document doc;
    if (!LoadXsiDocument(doc, strPath)) {
        return false;
    }
    const pugi::xml_node root = FindPageRoot(doc);
    if (!root) {
        return false;
    }
    const PageCounts counts = ReadPageCounts(root);
    const int nEntries = PageEntryCount(root);
    if (nEntries < 0) {
        return false;
    }
    bool bMorePages = false;
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr) {
            return false;
        }
        if (nRequestedStart > 1 && !counts.strStart.empty() &&
            TextToInt(counts.strStart.c_str()) != nRequestedStart) {
            app_log(6, APP_LOG_WARNING, "BroadSoft page of %s answered start %s for %d; paging ends\n",
                    strUrl.c_str(), counts.strStart.c_str(), nRequestedStart);
            MyEndPaging(pData);
            return true;
        }
        if (!counts.strTotal.empty()) {
            pData->m_nTotal = TextToInt(counts.strTotal.c_str());
        }
        if (!counts.strCount.empty()) {
            pData->m_nPageSize = TextToInt(counts.strCount.c_str());
        }
        const std::size_t nKept = nRequestedStart <= 1 ? 0 : pData->m_listItem.size();
        const std::size_t nAfter = nKept + static_cast<std::size_t>(nEntries);
        bMorePages = nEntries > 0 && !counts.strTotal.empty() && !counts.strCount.empty() &&
                     counts.strTotal != counts.strCount &&
                     nAfter < static_cast<std::size_t>(std::max(pData->m_nTotal, 0));
        if (bMorePages) {
            pData->m_nNextStart = static_cast<int>(nAfter) + 1;
            pData->m_nRequestStart = std::max(pData->m_nRequestStart, pData->m_nNextStart);
        } else {
            MyEndPaging(pData);
        }
    }
    // The next pages are on their way while this one is read.
    if (bMorePages) {
        MyRequestPages(strUrl);
    }
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strUrl);
    if (pData == nullptr) {
        return false;
    }
    BroadSoftItemList& listItem = pData->m_listItem;
    const std::size_t nBefore = listItem.size();
    const bool bParsed = MyParsePageRoot(strUrl, root);
    if (!bParsed) {
        DeleteRecords(listItem, nBefore, listItem.size());
    } else if (nRequestedStart <= 1) {
        DeleteRecords(listItem, 0, nBefore);
    }
    MyListsChanged();
    return bParsed;
}

bool CContactBroadSoftModel::MyParsePageRoot(const std::string& strUrl, const pugi::xml_node& root) {
    switch (PageKindOf(root.name())) {
        case PageKind::Group:
            return MyLoadGroupXml(strUrl, &root);
        case PageKind::Personal:
            return MyLoadPersonalXml(strUrl, &root);
        case PageKind::Enterprise:
            return MyLoadEnterpriseXml(strUrl, &root);
        case PageKind::Common:
            return MyLoadCommonXml(strUrl, &root);
        case PageKind::Custom:
            return MyLoadCustomXml(strUrl, &root);
        case PageKind::None:
            break;
    }
    return false;
}

bool CContactBroadSoftModel::MyLoadGroupXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    for (const pugi::xml_node& entry : MemberEntries(*pRoot, "groupDirectory")) {
        ContactBroadSoftGroup record;
        ReadMemberEntry(record, entry);
        MyAddItem(strUrl, std::move(record));
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadEnterpriseXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    for (const pugi::xml_node& entry : MemberEntries(*pRoot, "enterpriseDirectory")) {
        ContactBroadSoftEnterprise record;
        ReadMemberEntry(record, entry);
        MyAddItem(strUrl, std::move(record));
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadCommonXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    for (pugi::xml_node entry = pRoot->child("commonPhoneEntry"); entry;
         entry = entry.next_sibling("commonPhoneEntry")) {
        ContactBroadSoftCommon record;
        ReadNameAndNumber(record, entry);
        MyAddItem(strUrl, std::move(record));
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadPersonalXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    for (pugi::xml_node entry = pRoot->child("entry"); entry; entry = entry.next_sibling("entry")) {
        ContactBroadSoftPersonal record;
        ReadNameAndNumber(record, entry);
        MyAddItem(strUrl, std::move(record));
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadCustomXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !pRoot->child("contacts")) {
        return false;
    }
    const pugi::xml_node contacts = pRoot->child("contacts");
    for (pugi::xml_node entry = contacts.child("contact"); entry; entry = entry.next_sibling("contact")) {
        ContactBroadSoftCustom record;
        ReadCustomEntry(record, entry);
        MyAddItem(strUrl, std::move(record));
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadCustomListFromFile(std::string& strWanted, const std::string& strPath) {
    if (strPath.empty() || !ETL_MiscHelper::pathFileExist(strPath)) {
        return false;
    }
    pugi::xml_document doc;
    if (!LoadXsiDocument(doc, strPath)) {
        return false;
    }
    const pugi::xml_node list = doc.child("CustomContact");
    if (!list) {
        return false;
    }
    std::string strWantedNames = configParser_GetConfigString("BsftCustomListUse");
    std::string strOffered;
    std::vector<std::string> vecOffered;
    for (pugi::xml_node directory = list.child("directory"); directory;
         directory = directory.next_sibling("directory")) {
        const std::string strName = directory.child("name").text().get();
        if (strName.empty()) {
            continue;
        }
        strOffered += (strOffered.empty() ? "" : ",") + strName;
        vecOffered.push_back(strName);
        if (vecOffered.size() == kWantedCustomLimit && strWantedNames.empty()) {
            strWantedNames = strOffered;
        }
    }
    if (strWantedNames.empty()) {
        strWantedNames = strOffered;
    }
    strWantedNames = OfferedOfWanted(strWantedNames, vecOffered);
    configParser_SetConfigString("BsftCustomListAll", strOffered);
    configParser_SetConfigString("BsftCustomListUse", strWantedNames);
    strWanted = strWantedNames;
    return true;
}

}  // namespace NS_DIRECTORY
