// The remote model's searches: background and synchronous searches through the engines, the whole-tree
// searches by name or number, caller-name lookup and the server-side search of search slots.

#include <cassert>
#include <cctype>
#include <new>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ConfigParser.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteSearchAction.h"
#include "ContactRemoteSearchHelper.h"
#include "RemoteNumberIndex.h"
#include "DirectoryEntry.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

constexpr int kUnknownTotal = 16777215;

bool Matches(const std::string& strText, const std::string& strKey) {
    return CommonAPI_StringMatch(strText, strKey, false, STRING_MATCH_CONTAIN);
}

bool IsNumberKey(const std::string& strKey) {
    return !strKey.empty() &&
           (std::isdigit(static_cast<unsigned char>(strKey[0])) != 0 || strKey[0] == '*' || strKey[0] == '#');
}

// Whether the entry matches the key of a whole-tree search; *pNumber gets the number that matched.
bool MatchesWholeTreeKey(const ContactRemoteUnit& unit, const std::string& strKey, std::string* pNumber) {
    if (strKey.empty()) {
        return true;
    }
    if (!IsNumberKey(strKey)) {
        return Matches(unit.m_strName, strKey);
    }
    for (const std::string& strNumber : unit.m_listNumber) {
        if (Matches(strNumber, strKey)) {
            *pNumber = strNumber;
            return true;
        }
    }
    return false;
}

}  // namespace

bool CContactRemoteModel::IsSearchOn() {
    return configParser_GetConfigInt("SearchNameFromRemoteSwitch") == 1;
}

bool CContactRemoteModel::IsSearchType(const std::string& strClickAction) {
    Lock lock(m_csLock);
    const RemoteConfigItem* pSlot = MyGetSlotByClickAction(strClickAction);
    return pSlot != nullptr && pSlot->m_bSearch;
}

bool CContactRemoteModel::SearchAsync(const std::string& strKey, int nFrom, int nCount,
                                      NS_TA::CTaskActionCallbackBase* pCallback, std::string& strClickAction,
                                      bool bAll) {
    try {
        std::string strScope;
        if (bAll) {
            strScope = REMOTE_ROOT_KEY;
        } else {
            Lock lock(m_csLock);
            const RemoteConfigItem* pSlot =
                strClickAction.empty() ? nullptr : MyGetSlotByClickAction(strClickAction);
            strScope = pSlot != nullptr ? pSlot->m_strUrl : m_strCurUrl;
        }
        return MySearchLocal(strKey, nFrom, nCount, pCallback, strScope);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CContactRemoteModel::MySearchLocal(const std::string& strKey, int nFrom, int nCount,
                                        NS_TA::CTaskActionCallbackBase* pCallback,
                                        const std::string& strScope) {
    CContactRemoteSearchAction* pAction = TaskAction_CreateRemoteContactSearchAction();
    if (pAction == nullptr) {
        app_log(6, APP_LOG_INFO, "CContactRemoteModel::MySearchLocal pTaskAction == NULL\n");
        return false;
    }
    const auto iter = m_mapCallBack.find(pAction);
    assert(iter == m_mapCallBack.end());
    (void)iter;
    try {
        m_mapCallBack[pAction] = pCallback;
        pAction->SetKey(strKey);
        pAction->SetUrl(strScope);
    } catch (const std::bad_alloc&) {
        m_mapCallBack.erase(pAction);
        TaskAction_DestroyRemoteContactSearchAction(pAction);
        return false;
    }
    pAction->SetFromIndex(nFrom);
    pAction->SetCountToGet(nCount);
    pAction->SetCallback(this);
    pAction->SetSearchLocal(true);
    pAction->SetRead(true);
    pAction->SetSync(false);
    if (!TaskAction_ExecAction(pAction)) {
        m_mapCallBack.erase(pAction);
        TaskAction_DestroyRemoteContactSearchAction(pAction);
        return false;
    }
    return true;
}

void CContactRemoteModel::MySearchCallBack(CContactRemoteSearchAction* pAction) {
    const auto found = m_mapCallBack.find(pAction);
    if (found == m_mapCallBack.end()) {
        return;
    }
    NS_TA::CTaskActionCallbackBase* pReceiver = found->second;
    m_mapCallBack.erase(found);
    CContactRemoteSearchAction* pCopy =
        pReceiver == nullptr ? nullptr : TaskAction_CreateRemoteContactSearchAction();
    if (pCopy != nullptr) {
        try {
            pCopy->SetKey(pAction->GetKey());
            pCopy->SetFromIndex(pAction->GetFromIndex());
            pCopy->SetCountToGet(pAction->GetCountToGet());
            pCopy->SetTotalCount(pAction->GetTotalCount());
            pCopy->SetResultList(pAction->GetResultList());
            pCopy->SetSync(false);
            app_log(6, APP_LOG_INFO, "CContactRemoteModel::MySearchCallBack begin to callback UI\n");
            pReceiver->OnTaskActionCallback(pCopy);
        } catch (const std::bad_alloc&) {
            app_log(6, APP_LOG_WARNING, "CContactRemoteModel::MySearchCallBack out of memory\n");
        }
        TaskAction_DestroyRemoteContactSearchAction(pCopy);
    }
    TaskAction_DestroyRemoteContactSearchAction(pAction);
}

void CContactRemoteModel::CancelSearchCallBack(NS_TA::CTaskActionCallbackBase* pCallback) {
    for (auto& entry : m_mapCallBack) {
        if (entry.second == pCallback) {
            entry.second = nullptr;
        }
    }
}

void CContactRemoteModel::MyReleaseWaitingSearches() {
    for (const auto& entry : m_mapCallBack) {
        TaskAction_DestroyRemoteContactSearchAction(static_cast<CContactRemoteSearchAction*>(entry.first));
    }
    m_mapCallBack.clear();
}

bool CContactRemoteModel::Search(RemoteSearchListData* pData, int nSlot, bool bAll) {
    if (m_pSearchHelper == nullptr) {
        return false;
    }
    try {
        std::string strScope;
        if (bAll) {
            strScope = REMOTE_ROOT_KEY;
        } else {
            Lock lock(m_csLock);
            const RemoteConfigItem* pSlot = nSlot >= 0 ? MyGetRemoteConfigDataByIndex(nSlot) : nullptr;
            strScope = pSlot != nullptr ? pSlot->m_strUrl : m_strCurUrl;
        }
        return m_pSearchHelper->SearchLocal(pData, strScope);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CContactRemoteModel::SearchWithOneNumber(RemoteSearchListData* pData) {
    return MySearchWholeTree(pData, false);
}

bool CContactRemoteModel::SearchWithMultNumber(RemoteSearchListData* pData) {
    return MySearchWholeTree(pData, true);
}

bool CContactRemoteModel::MySearchWholeTree(RemoteSearchListData* pData, bool bAllNumbers) {
    if (pData == nullptr) {
        return false;
    }
    int nFrom = 0;
    int nTo = 0;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pData->m_nIndexFrom, pData->m_nCountToGet,
                                     kUnknownTotal)) {
        return false;
    }
    const std::string& strKey = pData->m_strKey;
    if (bAllNumbers) {
        app_log(6, APP_LOG_INFO, "SearchWithMultNumber search [%s] begin\n", strKey.c_str());
    }
    Lock lock(m_csLock);
    int nMatches = 0;
    try {
        for (auto it = m_treeContact.begin(); it != m_treeContact.end(); ++it) {
            if (bAllNumbers && (nMatches - 1) % 100 == 0) {
                app_log(6, APP_LOG_INFO, "RCTree iterate nIndex[%d]\n", nMatches - 1);
            }
            const ContactRemoteUnit* pUnit = Base2Unit((*it).m_pItem);
            std::string strNumber;
            if ((*it).m_eStatus != FILE_DOWNLOADED_OK || pUnit == nullptr ||
                !MatchesWholeTreeKey(*pUnit, strKey, &strNumber)) {
                continue;
            }
            const bool bInWindow = nMatches >= nFrom && nMatches < nTo;
            ++nMatches;
            if (!bAllNumbers && !bInWindow) {
                continue;
            }
            RemoteSearchItemData item;
            item.m_strName = pUnit->m_strName;
            if (!bAllNumbers) {
                item.m_vecNumber.push_back(std::move(strNumber));
            } else if (bInWindow) {
                item.m_vecNumber.assign(pUnit->m_listNumber.begin(), pUnit->m_listNumber.end());
            }
            pData->m_listData.push_back(std::move(item));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    pData->m_nTotalCount = nMatches;
    return true;
}

std::string CContactRemoteModel::GetContactNameByNumber(const std::string& strNumber) {
    if (strNumber.empty() || !IsSearchOn()) {
        return std::string();
    }
    try {
        Lock lock(m_csLock);
        std::string strName = MyTreeNameByNumber(strNumber);
        return strName.empty() ? MyLastGoodNameByNumber(strNumber) : strName;
    } catch (const std::bad_alloc&) {
        return std::string();
    }
}

namespace {

// The entry's name when it is a loaded directory entry carrying the number, else "".
const std::string* CallerName(CContactRemoteModel::ItemData& data, const std::string& strNumber) {
    const ContactRemoteUnit* pUnit = Base2Unit(data.m_pItem);
    if (data.m_eStatus != CContactRemoteModel::FILE_DOWNLOADED_OK || pUnit == nullptr ||
        pUnit->m_strName.empty()) {
        return nullptr;
    }
    for (const std::string& strEntryNumber : pUnit->m_listNumber) {
        if (strEntryNumber == strNumber) {
            return &pUnit->m_strName;
        }
    }
    return nullptr;
}

}  // namespace

// The first entry in the tree's index order that carries the number, found through the number index
// (taken again when the tree changed since); walks the tree when the index cannot be had.
std::string CContactRemoteModel::MyTreeNameByNumber(const std::string& strNumber) {
    if (!m_pNumberIndex) {
        return MyWalkedNameByNumber(strNumber);
    }
    if (!m_pNumberIndex->IsCurrent(m_treeContact)) {
        try {
            m_pNumberIndex->Build(m_treeContact);
        } catch (const std::bad_alloc&) {
            m_pNumberIndex->Clear();
            return MyWalkedNameByNumber(strNumber);
        }
    }
    for (RemoteTree::TinyNode* pNode : m_pNumberIndex->Candidates(strNumber)) {
        if (const std::string* pName = CallerName(pNode->GetData(), strNumber)) {
            return *pName;
        }
    }
    return std::string();
}

std::string CContactRemoteModel::MyWalkedNameByNumber(const std::string& strNumber) {
    for (auto it = m_treeContact.begin(); it != m_treeContact.end(); ++it) {
        if (const std::string* pName = CallerName(*it, strNumber)) {
            return *pName;
        }
    }
    return std::string();
}

namespace {

// The name of the first entry in the subtree that carries the number, "" when none does.
std::string NameInSubtree(CContactRemoteModel::RemoteTree::TinyNode* pNode, const std::string& strNumber) {
    const ContactRemoteUnit* pUnit = Base2Unit(pNode->GetData().m_pItem);
    if (pUnit != nullptr && !pUnit->m_strName.empty()) {
        for (const std::string& strEntryNumber : pUnit->m_listNumber) {
            if (strEntryNumber == strNumber) {
                return pUnit->m_strName;
            }
        }
    }
    for (CContactRemoteModel::RemoteTree::TinyNode* pChild : pNode->GetChildren()) {
        std::string strName = NameInSubtree(pChild, strNumber);
        if (!strName.empty()) {
            return strName;
        }
    }
    return std::string();
}

}  // namespace

std::string CContactRemoteModel::MyLastGoodNameByNumber(const std::string& strNumber) const {
    for (const auto& entry : m_mapLastGood) {
        for (RemoteTree::TinyNode* pNode : entry.second) {
            std::string strName = NameInSubtree(pNode, strNumber);
            if (!strName.empty()) {
                return strName;
            }
        }
    }
    return std::string();
}

int CContactRemoteModel::GetSearchListByClickAction(ContactRemoteListData* pList,
                                                    const std::string& strClickAction,
                                                    const std::string& strKey, bool bDownload) {
    app_log(6, APP_LOG_INFO, "GetSearchList[%s]-Key[%s]-Download[%d]\n", strClickAction.c_str(),
            strKey.c_str(), bDownload ? 1 : 0);
    if (pList == nullptr || strClickAction.empty()) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    int nResult = REMOTE_LIST_BAD_REQUEST;
    try {
        std::string strUrl;
        {
            Lock lock(m_csLock);
            const RemoteConfigItem* pSlot = MyGetSlotByClickAction(strClickAction);
            if (pSlot == nullptr) {
                return REMOTE_LIST_NO_SLOT;
            }
            if (pSlot->m_strUrl.empty()) {
                return REMOTE_LIST_NOTHING_THERE;
            }
            if (!pSlot->m_bSearch) {
                return REMOTE_LIST_BAD_REQUEST;
            }
            strUrl = pSlot->m_strUrl;
        }
        m_strCurUrl = strUrl;
        nResult = MySearchOnServer(pList, strUrl, strKey, bDownload);
    } catch (const std::bad_alloc&) {
        nResult = REMOTE_LIST_BAD_REQUEST;
    }
    MyFreeReleasedNodes();
    app_log(6, APP_LOG_INFO, "--Remote model: GetContactList end\n");
    return nResult;
}

int CContactRemoteModel::MySearchOnServer(ContactRemoteListData* pList, const std::string& strUrl,
                                          const std::string& strKey, bool bDownload) {
    Lock lock(m_csLock);
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::GetContactList find node[%s] begin\n",
            RemoteUrlForLog(strUrl).c_str());
    RemoteTree::TinyNode* pNode = m_treeContact.Find(strUrl);
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::GetContactList find end\n");
    if (pNode == nullptr) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    if (bDownload) {
        MyReleaseTree(strUrl);
        pNode->GetData().m_eStatus = FILE_DOWNLOAD_READY;
    }
    const FileDownloadStatus eStatus = pNode->GetData().m_eStatus;
    if (eStatus == FILE_DOWNLOAD_READY) {
        m_strSearchKey = strKey;
        return MyExecDownload(strUrl, false, true) == FILE_DOWNLOADING ? REMOTE_LIST_DOWNLOADING
                                                                       : REMOTE_LIST_BAD_REQUEST;
    }
    if (eStatus == FILE_DOWNLOADED_OK) {
        return MyCopyItemList(pList, pNode) ? REMOTE_LIST_OK : REMOTE_LIST_BAD_REQUEST;
    }
    return FileDownStatus2GetListStatus(eStatus);
}

}  // namespace NS_DIRECTORY
