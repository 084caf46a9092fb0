// The downloaded lists: the map by URL, page copies for the GUI, clearing, and the combined list merged in
// sort order from the lists of every directory.

#include <algorithm>
#include <cctype>

#include "CommonAPI.h"
#include "ContactBroadSoftModel.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

const std::string kNoText;

// A record's sort key as up to two consecutive texts, read lower-cased without copying them.
class SortKeyReader {
public:
    explicit SortKeyReader(const ContactBroadSoftItemBase* pItem) : m_pFirst(&kNoText), m_pSecond(&kNoText) {
        if (const ContactBroadSoftPersonal* pPersonal = Base2Personal(pItem)) {
            m_pFirst = &pPersonal->m_strName;
        } else if (const ContactBroadSoftCommon* pCommon = Base2Common(pItem)) {
            m_pFirst = &pCommon->m_strName;
        } else if (const ContactBroadSoftGroup* pGroup = Base2Group(pItem)) {
            SetParts(pGroup->m_strLastName, pGroup->m_strFirstName);
        } else if (const ContactBroadSoftEnterprise* pEnterprise = Base2Enterprise(pItem)) {
            SetParts(pEnterprise->m_strLastName, pEnterprise->m_strFirstName);
        } else if (const ContactBroadSoftCustom* pCustom = Base2Custom(pItem)) {
            SetParts(pCustom->m_strLastName, pCustom->m_strFirstName);
        }
    }

    bool AtEnd() const { return m_nPos >= m_pFirst->size() + m_pSecond->size(); }
    unsigned char Next() {
        const std::size_t nFirst = m_pFirst->size();
        const char c = m_nPos < nFirst ? (*m_pFirst)[m_nPos] : (*m_pSecond)[m_nPos - nFirst];
        ++m_nPos;
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }

private:
    void SetParts(const std::string& strFirst, const std::string& strSecond) {
        m_pFirst = &strFirst;
        m_pSecond = &strSecond;
    }

    const std::string* m_pFirst;
    const std::string* m_pSecond;
    std::size_t m_nPos = 0;
};

// Appends the GUI's record of an entry to the page; nothing for a null entry.
void AppendItemData(ContactBroadSoftListData& page, const ContactBroadSoftItemBase* pItem) {
    if (pItem == nullptr) {
        return;
    }
    page.m_listData.emplace_back();
    if (!BroadSoftItem2NewData(pItem, page.m_listData.back())) {
        page.m_listData.pop_back();
    }
}

}  // namespace

bool Comp(const ContactBroadSoftItemBase* pFirst, const ContactBroadSoftItemBase* pSecond) {
    SortKeyReader first(pFirst);
    SortKeyReader second(pSecond);
    while (!first.AtEnd() && !second.AtEnd()) {
        const unsigned char a = first.Next();
        const unsigned char b = second.Next();
        if (a != b) {
            return a < b;
        }
    }
    return first.AtEnd() && !second.AtEnd();
}

void mergeList(const BroadSoftItemList& listFirst, const BroadSoftItemList& listSecond,
               BroadSoftItemList& listOut) {
    listOut.clear();
    listOut.reserve(listFirst.size() + listSecond.size());
    auto itFirst = listFirst.begin();
    auto itSecond = listSecond.begin();
    while (itFirst != listFirst.end() && itSecond != listSecond.end()) {
        if (Comp(*itFirst, *itSecond)) {
            listOut.push_back(*itFirst++);
        } else {
            listOut.push_back(*itSecond++);
        }
    }
    listOut.insert(listOut.end(), itFirst, listFirst.end());
    listOut.insert(listOut.end(), itSecond, listSecond.end());
}

CContactBroadSoftModel::ListItemData* CContactBroadSoftModel::MyFindItemData(const std::string& strUrl) {
    Lock lock(m_csLock);
    const auto found = m_mapListData.find(strUrl);
    return found == m_mapListData.end() ? nullptr : found->second;
}

bool CContactBroadSoftModel::MyCopyList(ContactBroadSoftListData* pList, ListItemData* pData) {
    if (pList == nullptr || pData == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    if (pData->m_eStatus != LIST_LOADED) {
        return false;
    }
    const BroadSoftItemList& listItem = pData->m_listItem;
    int nFrom = 0;
    int nTo = 0;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pList->m_nIndexFrom, pList->m_nCountToGet,
                                     static_cast<int>(listItem.size()))) {
        return false;
    }
    for (int i = nFrom; i < nTo; ++i) {
        AppendItemData(*pList, listItem[static_cast<std::size_t>(i)]);
    }
    pList->m_nTotalCount = static_cast<int>(listItem.size());
    return true;
}

bool CContactBroadSoftModel::MyCopyList(ContactBroadSoftListData* pList,
                                        const std::list<std::string>& listUrls) {
    if (pList == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    ReCreatAllContactList(listUrls);
    MyCopyCombinedWindow(*pList);
    return true;
}

bool CContactBroadSoftModel::MyCopyCombinedOfTable(ContactBroadSoftListData* pList) {
    if (pList == nullptr) {
        return false;
    }
    Lock lock(m_csLock);
    MyCombinedOfTable();
    MyCopyCombinedWindow(*pList);
    return true;
}

const BroadSoftItemList& CContactBroadSoftModel::MyCombinedOfTable() {
    // Every change of the table or of a list moves the revision on, so an unchanged revision means the
    // combined list still holds what the table's directories hold.
    if (!m_bAllListOfTable || m_nAllListRevision != m_nListRevision) {
        std::list<std::string> listUrls;
        GetConfigureUrlList(&listUrls);
        ReCreatAllContactList(listUrls);
        m_bAllListOfTable = true;
    }
    return m_pAllList->m_listItem;
}

const BroadSoftItemList& CContactBroadSoftModel::MyCurrentCombined() {
    if (m_bAllListOfTable || m_nAllListRevision == 0) {
        return MyCombinedOfTable();
    }
    const std::list<std::string> listUrls = m_listAllUrls;
    ReCreatAllContactList(listUrls);
    return m_pAllList->m_listItem;
}

void CContactBroadSoftModel::MyCopyCombinedWindow(ContactBroadSoftListData& page) {
    const BroadSoftItemList& listAll = m_pAllList->m_listItem;
    const std::size_t nSize = listAll.size();
    const std::size_t nFrom = std::min(nSize, static_cast<std::size_t>(std::max(page.m_nIndexFrom, 0)));
    const std::size_t nRest = nSize - nFrom;
    const std::size_t nCount =
        page.m_nCountToGet <= 0 ? nRest : std::min(nRest, static_cast<std::size_t>(page.m_nCountToGet));
    for (std::size_t i = nFrom; i < nFrom + nCount; ++i) {
        AppendItemData(page, listAll[i]);
    }
    page.m_nTotalCount = static_cast<int>(nSize);
}

void CContactBroadSoftModel::ReCreatAllContactList(const std::list<std::string>& listUrls) {
    Lock lock(m_csLock);
    if (m_nAllListRevision == m_nListRevision && m_listAllUrls == listUrls) {
        return;
    }
    BroadSoftItemList listMerged;
    BroadSoftItemList listNext;
    for (const std::string& strUrl : listUrls) {
        if (IsOnlySearchEnterprise(strUrl)) {
            continue;
        }
        const ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr || pData == m_pAllList) {
            continue;
        }
        mergeList(pData->m_listItem, listMerged, listNext);
        listMerged.swap(listNext);
    }
    m_pAllList->m_listItem.swap(listMerged);
    ++m_nAllListBuilds;
    m_listAllUrls = listUrls;
    m_nAllListRevision = m_nListRevision;
    m_bAllListOfTable = false;
}

void CContactBroadSoftModel::MyClearMap(bool bKeepConfigured) {
    Lock lock(m_csLock);
    for (auto it = m_mapListData.begin(); it != m_mapListData.end();) {
        if (it->second == m_pAllList) {
            m_pAllList->m_listItem.clear();
            ++m_nAllListBuilds;
            ++it;
            continue;
        }
        if (bKeepConfigured && IsItemConfigured(it->first)) {
            ++it;
            continue;
        }
        MyDeleteList(it->second);
        it = m_mapListData.erase(it);
    }
    MyListsChanged();
}

bool CContactBroadSoftModel::MyRemoveListByUrl(const std::string& strUrl) {
    Lock lock(m_csLock);
    const auto found = m_mapListData.find(strUrl);
    if (found == m_mapListData.end() || found->second == nullptr || found->second == m_pAllList) {
        return false;
    }
    MyDeleteList(found->second);
    found->second = nullptr;
    MyListsChanged();
    return true;
}

void CContactBroadSoftModel::MyListsChanged() {
    ++m_nListRevision;
    if (m_pAllList != nullptr) {
        m_pAllList->m_listItem.clear();
        ++m_nAllListBuilds;
    }
}

void CContactBroadSoftModel::MySetStatus(ListItemData* pData, int eStatus) {
    if (pData != nullptr && pData->m_eStatus != eStatus) {
        pData->m_eStatus = eStatus;
        MyListsChanged();
    }
}

void CContactBroadSoftModel::MyDeleteRecords(ListItemData* pData) {
    if (pData == nullptr) {
        return;
    }
    for (ContactBroadSoftItemBase* pItem : pData->m_listItem) {
        delete pItem;
    }
    pData->m_listItem.clear();
}

void CContactBroadSoftModel::MyDeleteList(ListItemData* pData) {
    if (pData == nullptr) {
        return;
    }
    MyDeleteRecords(pData);
    MyEndPaging(pData);
    delete pData;
}

void CContactBroadSoftModel::MyEndPaging(ListItemData* pData) {
    pData->m_nNextStart = 0;
    // A page still waiting behind another never goes out; one already running is dropped when it answers.
    std::map<int, int> mapBehind;
    mapBehind.swap(pData->m_mapBehind);
    const auto downloadAt = [pData](int nStart) -> NS_TA::CNetworkFileAction* {
        const auto found = pData->m_mapPageDownloads.find(nStart);
        return found != pData->m_mapPageDownloads.end() ? found->second : nullptr;
    };
    for (const auto& behind : mapBehind) {
        NS_TA::CNetworkFileAction* pEarlier = downloadAt(behind.first);
        NS_TA::CNetworkFileAction* pWaiting = downloadAt(behind.second);
        if (pEarlier != nullptr && pWaiting != nullptr && NS_TA::TryCancelFollowUp(pEarlier)) {
            MyFinishAction(pWaiting);
        }
    }
    pData->m_mapPageDownloads.clear();
    std::map<int, NS_TA::CNetworkFileAction*> mapEarly;
    mapEarly.swap(pData->m_mapEarlyAnswers);
    for (const auto& early : mapEarly) {
        MyFinishAction(early.second);
    }
}

void CContactBroadSoftModel::MyKeepLastGoodLists() {
    for (auto it = m_mapListData.begin(); it != m_mapListData.end();) {
        ListItemData* pData = it->second;
        const bool bComplete = pData != nullptr && pData != m_pAllList && pData->m_eStatus == LIST_LOADED &&
                               pData->m_nNextStart == 0 && pData->m_mapPageDownloads.empty() &&
                               pData->m_mapEarlyAnswers.empty();
        if (!bComplete || it->first.find('?') != std::string::npos) {
            ++it;
            continue;
        }
        MyDropLastGood(it->first);
        m_mapLastGood[it->first] = pData;
        it = m_mapListData.erase(it);
    }
    MyListsChanged();
}

void CContactBroadSoftModel::MyDropLastGood(const std::string& strUrl) {
    const auto found = m_mapLastGood.find(strUrl);
    if (found != m_mapLastGood.end()) {
        MyDeleteList(found->second);
        m_mapLastGood.erase(found);
    }
}

BroadSoftItemList CContactBroadSoftModel::MyTakeLastGood(const std::string& strUrl) {
    BroadSoftItemList listRecords;
    const auto found = m_mapLastGood.find(strUrl);
    if (found != m_mapLastGood.end()) {
        if (found->second != nullptr) {
            listRecords.swap(found->second->m_listItem);
        }
        MyDeleteList(found->second);
        m_mapLastGood.erase(found);
    }
    return listRecords;
}

void CContactBroadSoftModel::MyDropAllLastGood() {
    for (const auto& kept : m_mapLastGood) {
        MyDeleteList(kept.second);
    }
    m_mapLastGood.clear();
}

void CContactBroadSoftModel::MyDropLastGoodOutsideTable() {
    for (auto it = m_mapLastGood.begin(); it != m_mapLastGood.end();) {
        if (IsItemConfigured(it->first)) {
            ++it;
            continue;
        }
        MyDeleteList(it->second);
        it = m_mapLastGood.erase(it);
    }
}

BroadSoftItemList CContactBroadSoftModel::MyLookupCombined() {
    std::list<std::string> listUrls;
    GetConfigureUrlList(&listUrls);
    BroadSoftItemList listMerged;
    BroadSoftItemList listNext;
    for (const std::string& strUrl : listUrls) {
        const ListItemData* pData = MyFindItemData(strUrl);
        const bool bComplete =
            pData != nullptr && pData->m_eStatus == LIST_LOADED && pData->m_nNextStart == 0;
        const auto kept = m_mapLastGood.find(strUrl);
        if (!bComplete && kept != m_mapLastGood.end()) {
            pData = kept->second;
        } else if (pData == nullptr || IsOnlySearchEnterprise(strUrl)) {
            continue;
        }
        mergeList(pData->m_listItem, listMerged, listNext);
        listMerged.swap(listNext);
    }
    return listMerged;
}

}  // namespace NS_DIRECTORY
