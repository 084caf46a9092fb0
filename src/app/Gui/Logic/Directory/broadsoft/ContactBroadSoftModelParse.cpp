// Directory pages and the custom-directory list: adding read pages to the lists, asking for the next pages,
// the parsers of the six page kinds by URL and the custom-directory list.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BroadSoftPage.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

constexpr std::size_t kWantedCustomLimit = 5;

// The decimal value of a text, clamped to the int range; 0 for anything else.
int TextToInt(const char* pText) {
    errno = 0;
    const long nValue = std::strtol(pText, nullptr, 10);
    if (errno == ERANGE || nValue > INT_MAX) {
        return nValue < 0 ? INT_MIN : INT_MAX;
    }
    return nValue < INT_MIN ? INT_MIN : static_cast<int>(nValue);
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

bool CContactBroadSoftModel::MyCanTakePage(const std::string& strUrl) {
    if (strUrl == BSFT_ALL_CONTACT) {
        return false;
    }
    Lock lock(m_csLock);
    return MyFindItemData(strUrl) != nullptr;
}

bool CContactBroadSoftModel::MyLoadDataFromFile(const std::string& strUrl, const std::string& strPath,
                                                int nRequestedStart) {
    if (strPath.empty() || !MyCanTakePage(strUrl) || !ETL_MiscHelper::pathFileExist(strPath)) {
        return false;
    }
    BroadSoftPage page;
    ReadBroadSoftPage(strPath, page);
    LogBroadSoftRefusal(strPath, page.strRefusal);
    return MyAddPage(strUrl, page, nRequestedStart);
}

bool CContactBroadSoftModel::MyLoadDataFromBody(const std::string& strUrl, const std::string& strBody,
                                                const std::string& strName, int nRequestedStart) {
    if (!MyCanTakePage(strUrl)) {
        return false;
    }
    BroadSoftPage page;
    ReadBroadSoftPageBody(strBody, page);
    LogBroadSoftRefusal(strName, page.strRefusal);
    return MyAddPage(strUrl, page, nRequestedStart);
}

bool CContactBroadSoftModel::MyAddPage(const std::string& strUrl, BroadSoftPage& page, int nRequestedStart) {
    if (!page.bRead || strUrl == BSFT_ALL_CONTACT) {
        return false;
    }
    const int nEntries = static_cast<int>(page.vecRecords.size());
    bool bMorePages = false;
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr) {
            return false;
        }
        if (nRequestedStart > 1 && !page.strStart.empty() &&
            TextToInt(page.strStart.c_str()) != nRequestedStart) {
            app_log(6, APP_LOG_WARNING, "BroadSoft page of %s answered start %s for %d; paging ends\n",
                    strUrl.c_str(), page.strStart.c_str(), nRequestedStart);
            MyEndPaging(pData);
            return true;
        }
        if (!page.strTotal.empty()) {
            pData->m_nTotal = TextToInt(page.strTotal.c_str());
        }
        if (!page.strCount.empty()) {
            pData->m_nPageSize = TextToInt(page.strCount.c_str());
        }
        const std::size_t nKept = nRequestedStart <= 1 ? 0 : pData->m_listItem.size();
        const std::size_t nAfter = nKept + static_cast<std::size_t>(nEntries);
        bMorePages = nEntries > 0 && !page.strTotal.empty() && !page.strCount.empty() &&
                     page.strTotal != page.strCount &&
                     nAfter < static_cast<std::size_t>(std::max(pData->m_nTotal, 0));
        if (bMorePages) {
            pData->m_nNextStart = static_cast<int>(nAfter) + 1;
            pData->m_nRequestStart = std::max(pData->m_nRequestStart, pData->m_nNextStart);
        } else {
            MyEndPaging(pData);
        }
    }
    // The next pages are on their way while this one is added.
    if (bMorePages) {
        MyRequestPages(strUrl);
    }
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strUrl);
    if (pData == nullptr) {
        return false;
    }
    if (strUrl.empty()) {
        MyListsChanged();
        return false;
    }
    if (nRequestedStart <= 1) {
        MyDeleteRecords(pData);
    }
    MyAppendRecords(pData, page.vecRecords);
    return true;
}

void CContactBroadSoftModel::MyAppendRecords(ListItemData* pData, BroadSoftRecords& vecRecords) {
    BroadSoftItemList& listItem = pData->m_listItem;
    // Room for the page first, so no record is lost half-way; the list still grows geometrically.
    const std::size_t nNeeded = listItem.size() + vecRecords.size();
    if (nNeeded > listItem.capacity()) {
        listItem.reserve(std::max(nNeeded, 2 * listItem.capacity()));
    }
    for (std::unique_ptr<ContactBroadSoftItemBase>& pRecord : vecRecords) {
        listItem.push_back(pRecord.release());
    }
    vecRecords.clear();
    MyListsChanged();
}

bool CContactBroadSoftModel::MyAppendPageRecords(const std::string& strUrl, BroadSoftRecords& vecRecords) {
    if (strUrl.empty() || strUrl == BSFT_ALL_CONTACT) {
        return false;
    }
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strUrl);
    if (pData != nullptr) {
        MyAppendRecords(pData, vecRecords);
    }
    return true;
}

bool CContactBroadSoftModel::MyLoadGroupXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    BroadSoftRecords vecRecords;
    ReadBroadSoftGroupEntries(*pRoot, vecRecords);
    return MyAppendPageRecords(strUrl, vecRecords);
}

bool CContactBroadSoftModel::MyLoadEnterpriseXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    BroadSoftRecords vecRecords;
    ReadBroadSoftEnterpriseEntries(*pRoot, vecRecords);
    return MyAppendPageRecords(strUrl, vecRecords);
}

bool CContactBroadSoftModel::MyLoadCommonXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    BroadSoftRecords vecRecords;
    ReadBroadSoftCommonEntries(*pRoot, vecRecords);
    return MyAppendPageRecords(strUrl, vecRecords);
}

bool CContactBroadSoftModel::MyLoadPersonalXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr || !*pRoot) {
        return false;
    }
    BroadSoftRecords vecRecords;
    ReadBroadSoftPersonalEntries(*pRoot, vecRecords);
    return MyAppendPageRecords(strUrl, vecRecords);
}

bool CContactBroadSoftModel::MyLoadCustomXml(const std::string& strUrl, const pugi::xml_node* pRoot) {
    if (strUrl.empty() || pRoot == nullptr) {
        return false;
    }
    BroadSoftRecords vecRecords;
    return ReadBroadSoftCustomEntries(*pRoot, vecRecords) && MyAppendPageRecords(strUrl, vecRecords);
}

bool CContactBroadSoftModel::MyLoadCustomListFromFile(std::string& strWanted, const std::string& strPath) {
    if (strPath.empty() || !ETL_MiscHelper::pathFileExist(strPath)) {
        return false;
    }
    pugi::xml_document doc;
    std::string strRefusal;
    if (!LoadBroadSoftDocument(doc, strPath, strRefusal)) {
        LogBroadSoftRefusal(strPath, strRefusal);
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
