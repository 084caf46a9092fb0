#include "ContactRemoteSearchHelper.h"

#include <strings.h>

#include <new>

#include "AppLog.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactRemoteModel.h"
#include "SearchKeyGrowth.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;
using TreeNode = CContactRemoteModel::RemoteTree::TinyNode;

bool Matches(const std::string& strText, const std::string& strKey) {
    return CommonAPI_StringMatch(strText, strKey, false, STRING_MATCH_CONTAIN);
}

template <class Numbers>
bool AnyNumberMatches(const Numbers& numbers, const std::string& strKey) {
    for (const std::string& strNumber : numbers) {
        if (Matches(strNumber, strKey)) {
            return true;
        }
    }
    return false;
}

int SizeOf(const std::list<RemoteSearchItemData>& listItems) {
    return static_cast<int>(listItems.size());
}

}  // namespace

bool CRM2RSID(RemoteSearchItemData* pData, const ContactRemoteMenu* pMenu) {
    if (pData == nullptr || pMenu == nullptr) {
        return false;
    }
    pData->m_strName = pMenu->m_strName;
    pData->m_eType = REMOTE_ITEM_MENU;
    return true;
}

bool CRU2RSID(RemoteSearchItemData* pData, ContactRemoteUnit* pUnit) {
    if (pData == nullptr || pUnit == nullptr) {
        return false;
    }
    pData->m_strName = pUnit->m_strName;
    pData->m_eType = REMOTE_ITEM_ENTRY;
    pData->m_vecNumber.assign(pUnit->m_listNumber.begin(), pUnit->m_listNumber.end());
    return true;
}

CContactRemoteSearchHelper::CContactRemoteSearchHelper(CContactRemoteModel* pOwner)
    : m_pOwner(pOwner), m_eSearchType(SEARCH_TYPE_NONE), m_nTreeRevision(0) {}

bool CContactRemoteSearchHelper::SearchLocal(RemoteSearchListData* pData, const std::string& strUrl) {
    if (pData == nullptr || strUrl.empty()) {
        return false;
    }
    Lock lock(m_csLock);
    try {
        if (MyIsFromLastSearch(pData->m_strKey, strUrl)) {
            return MyCopyResult(pData, strUrl);
        }
        m_eSearchType = CommonAPI_IsSearchByT9(pData->m_strKey) ? SEARCH_TYPE_T9 : SEARCH_TYPE_TEXT;
        if (MyIsNarrowing(pData->m_strKey, strUrl)) {
            return MySearchFromResult(pData, strUrl);
        }
        return MyReSearchLocal(pData, strUrl);
    } catch (const std::bad_alloc&) {
        ResetKey();
        return false;
    }
}

void CContactRemoteSearchHelper::ResetKey() {
    Lock lock(m_csLock);
    m_strLastKey.clear();
    m_strLastUrl.clear();
    m_listResult.clear();
    m_listNameDigits.clear();
    m_bNameDigits = false;
}

bool CContactRemoteSearchHelper::MyTreeUnchanged() const {
    return m_nTreeRevision == CContactRemoteModel::TreeRevision();
}

bool CContactRemoteSearchHelper::MyIsFromLastSearch(const std::string& strKey, const std::string& strUrl) {
    return !m_strLastKey.empty() && strcasecmp(m_strLastKey.c_str(), strKey.c_str()) == 0 &&
           strUrl == m_strLastUrl && MyTreeUnchanged();
}

bool CContactRemoteSearchHelper::MyIsNarrowing(const std::string& strKey, const std::string& strUrl) const {
    return !m_strLastKey.empty() && IsOneCharacterLonger(strKey, m_strLastKey) && strUrl == m_strLastUrl &&
           MyTreeUnchanged();
}

bool CContactRemoteSearchHelper::MyReSearchLocal(RemoteSearchListData* pData, const std::string& strUrl) {
    if (pData == nullptr || strUrl.empty()) {
        return false;
    }
    ResetKey();
    m_bNameDigits = m_eSearchType == SEARCH_TYPE_T9;
    bool bSearched = false;
    if (m_pOwner != nullptr) {
        bSearched = MySearchModel(m_pOwner, pData->m_strKey, strUrl);
    } else {
        CContactRemoteModel::CWorkerLease lease;
        bSearched = lease.Get() != nullptr && MySearchModel(lease.Get(), pData->m_strKey, strUrl);
    }
    if (!bSearched) {
        return false;
    }
    m_strLastKey = pData->m_strKey;
    m_strLastUrl = strUrl;
    app_log(6, APP_LOG_INFO, "CContactRemoteSearchHelper::MyReSearchLocal end\n");
    return MyCopyResult(pData, strUrl);
}

bool CContactRemoteSearchHelper::MySearchModel(CContactRemoteModel* pModel, const std::string& strKey,
                                               const std::string& strUrl) {
    Lock lock(pModel->m_csLock);
    app_log(6, APP_LOG_INFO, "CContactRemoteSearchHelper::MyReSearchLocal begin\n");
    if (strUrl == REMOTE_ROOT_KEY) {
        if (TreeNode* pRoot = pModel->m_treeContact.GetRoot()) {
            for (TreeNode* pTop : pRoot->GetChildren()) {
                SearchNode(strKey, pTop);
            }
        }
    } else {
        SearchNode(strKey, pModel->m_treeContact.Find(strUrl));
    }
    m_nTreeRevision = CContactRemoteModel::TreeRevision();
    return true;
}

void CContactRemoteSearchHelper::SearchNode(const std::string& strKey, void* pNode) {
    auto* pParent = static_cast<TreeNode*>(pNode);
    if (pParent == nullptr) {
        return;
    }
    for (TreeNode* pChild : pParent->GetChildren()) {
        ContactRemoteItemBase* pItem = pChild->GetData().m_pItem;
        if (ContactRemoteUnit* pUnit = Base2Unit(pItem)) {
            if (m_bNameDigits && m_eSearchType == SEARCH_TYPE_T9) {
                std::string strNameDigits = CommonUnits_ToKeyString(pUnit->m_strName);
                if (Matches(strNameDigits, strKey) || AnyNumberMatches(pUnit->m_listNumber, strKey)) {
                    RemoteSearchItemData item;
                    CRU2RSID(&item, pUnit);
                    m_listResult.push_back(std::move(item));
                    m_listNameDigits.push_back(std::move(strNameDigits));
                }
            } else if (MyIsMatched(pUnit, strKey, true)) {
                RemoteSearchItemData item;
                CRU2RSID(&item, pUnit);
                m_listResult.push_back(std::move(item));
            }
        } else if (Base2Menu(pItem) != nullptr) {
            SearchNode(strKey, pChild);
        }
    }
}

bool CContactRemoteSearchHelper::MyIsMatched(ContactRemoteUnit* pUnit, const std::string& strKey,
                                             bool bTryNumbers) {
    if (pUnit == nullptr) {
        return false;
    }
    switch (m_eSearchType) {
        case SEARCH_TYPE_TEXT:
            return Matches(pUnit->m_strName, strKey);
        case SEARCH_TYPE_T9:
            return Matches(CommonUnits_ToKeyString(pUnit->m_strName), strKey) ||
                   (bTryNumbers && AnyNumberMatches(pUnit->m_listNumber, strKey));
        default:
            return false;
    }
}

bool CContactRemoteSearchHelper::MyIsResultMatched(const RemoteSearchItemData& item,
                                                   const std::string& strKey) const {
    switch (m_eSearchType) {
        case SEARCH_TYPE_TEXT:
            return Matches(item.m_strName, strKey);
        case SEARCH_TYPE_T9:
            return Matches(CommonUnits_ToKeyString(item.m_strName), strKey) ||
                   AnyNumberMatches(item.m_vecNumber, strKey);
        default:
            return false;
    }
}

bool CContactRemoteSearchHelper::MyIsDigitsMatched(const std::string& strNameDigits,
                                                   const RemoteSearchItemData& item,
                                                   const std::string& strKey) const {
    return Matches(strNameDigits, strKey) || AnyNumberMatches(item.m_vecNumber, strKey);
}

void CContactRemoteSearchHelper::MyNarrowWithNameDigits(const std::string& strKey) {
    auto itDigits = m_listNameDigits.begin();
    for (auto it = m_listResult.begin(); it != m_listResult.end();) {
        if (!it->m_strName.empty() && !MyIsDigitsMatched(*itDigits, *it, strKey)) {
            it = m_listResult.erase(it);
            itDigits = m_listNameDigits.erase(itDigits);
        } else {
            ++it;
            ++itDigits;
        }
    }
}

// Narrows the remembered results to the new key (results without a name stay, unlisted), then copies the
// window. A refused window leaves the memory as it was.
bool CContactRemoteSearchHelper::MySearchFromResult(RemoteSearchListData* pData, const std::string& strUrl) {
    if (pData == nullptr || strUrl.empty() || pData->m_strKey.empty()) {
        return false;
    }
    int nFrom = 0;
    int nTo = 0;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pData->m_nIndexFrom, pData->m_nCountToGet,
                                     SizeOf(m_listResult))) {
        return false;
    }
    const std::string& strKey = pData->m_strKey;
    if (m_bNameDigits && m_eSearchType == SEARCH_TYPE_T9) {
        MyNarrowWithNameDigits(strKey);
    } else {
        m_listNameDigits.clear();
        m_bNameDigits = false;
        m_listResult.remove_if([&](const RemoteSearchItemData& item) {
            return !item.m_strName.empty() && !MyIsResultMatched(item, strKey);
        });
    }
    MyCopyResult(pData, strUrl);
    m_strLastKey = pData->m_strKey;
    return true;
}

bool CContactRemoteSearchHelper::MyCopyResult(RemoteSearchListData* pData, const std::string& strUrl) {
    if (pData == nullptr || strUrl.empty() || pData->m_strKey.empty()) {
        return false;
    }
    int nFrom = 0;
    int nTo = 0;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pData->m_nIndexFrom, pData->m_nCountToGet,
                                     SizeOf(m_listResult))) {
        return false;
    }
    int nPosition = 0;
    for (const RemoteSearchItemData& item : m_listResult) {
        if (item.m_strName.empty()) {
            continue;
        }
        if (nPosition >= nFrom && nPosition < nTo) {
            pData->m_listData.push_back(item);
        }
        ++nPosition;
    }
    pData->m_nTotalCount = nPosition;
    return true;
}

}  // namespace NS_DIRECTORY
