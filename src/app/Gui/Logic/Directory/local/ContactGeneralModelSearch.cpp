// Type-ahead search: synchronous on the GUI thread, or in the background through the one search action,
// which searches a snapshot of the store and whose answers pass through here on their way to the receiver.

#include <new>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "ContactGeneralSearchHelper.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"

namespace NS_DIRECTORY {

bool CContactGeneralModel::Search(ContactGeneralSearchItemListData* pData, const std::string& strAction,
                                  const std::string& strKey) {
    return MySearchIn(pData, strAction, strKey, false);
}

bool CContactGeneralModel::SearchWithMutlNumber(ContactGeneralSearchItemListData* pData,
                                                const std::string& strAction, const std::string& strKey) {
    return MySearchIn(pData, strAction, strKey, true);
}

bool CContactGeneralModel::MySearchIn(ContactGeneralSearchItemListData* pData, const std::string& strAction,
                                      const std::string& strKey, bool bShowMutlNumber) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const int nGroupId = CommonAPI_ParseIdByClickAction(strAction, kLocalClickActionPattern);
    if (nGroupId < 0 || m_pSearchHelper == nullptr) {
        return false;
    }
    return m_pSearchHelper->Search(pData, nGroupId, strKey, bShowMutlNumber);
}

bool CContactGeneralModel::SearchAsync(const std::string& strAction, const std::string& strKey,
                                       int nBeginIndex, int nCount,
                                       NS_TA::CTaskActionCallbackBase* pReceiver) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const int nGroupId = CommonAPI_ParseIdByClickAction(strAction, kLocalClickActionPattern);
    if (nGroupId < 0 || m_pSearchAction == nullptr) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "Local contact: search group id %d\n", nGroupId);
    return MyNoThrow(false, [&]() -> bool {
        SearchRequest request;
        request.strKey = strKey;
        request.nGroupId = nGroupId;
        request.nBeginIndex = nBeginIndex;
        request.nCount = nCount;
        request.bShowMutlNumber = false;
        request.pReceiver = pReceiver;
        return MyRequestSearch(request);
    });
}

bool CContactGeneralModel::SearchWithMutlNumberAsync(ContactGeneralSearchItemListData* pData,
                                                     const std::string& strGroupName,
                                                     const std::string& strKey,
                                                     NS_TA::CTaskActionCallbackBase* pReceiver) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const int nGroupId = MyGName2Id(strGroupName);
    if (nGroupId < 0 || m_pSearchAction == nullptr || pData == nullptr) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "Local contact: search group id %d\n", nGroupId);
    return MyNoThrow(false, [&]() -> bool {
        SearchRequest request;
        request.strKey = strKey;
        request.nGroupId = nGroupId;
        request.nBeginIndex = pData->m_nIndexFrom;
        request.nCount = pData->m_nCountToGet;
        request.bShowMutlNumber = true;
        request.pReceiver = pReceiver;
        return MyRequestSearch(request);
    });
}

// The receiver is alive now (its caller hands it in), so its serial can be read; it is checked again
// before the answer is passed on.
bool CContactGeneralModel::MyRequestSearch(const SearchRequest& request) {
    SearchRequest stamped = request;
    stamped.nReceiverSerial = request.pReceiver != nullptr ? request.pReceiver->GetCallbackSerial() : 0;
    if (m_bSearchRunning) {
        m_pWaitingSearch = std::make_unique<SearchRequest>(std::move(stamped));
        return true;
    }
    return MyStartSearch(stamped);
}

bool CContactGeneralModel::MyStartSearch(const SearchRequest& request) {
    std::shared_ptr<const CContactSearchSnapshot> pSnapshot = MyGetSearchSnapshot();
    m_pSearchAction->SetSync(false);
    m_pSearchAction->SetRead(true);
    m_pSearchAction->SetCallback(this);
    m_pSearchAction->SetSearchString(request.strKey);
    m_pSearchAction->SetShowMutlNumber(request.bShowMutlNumber);
    m_pSearchAction->SetSearchGroupId(request.nGroupId);
    m_pSearchAction->SetSearchBeginIndex(request.nBeginIndex);
    m_pSearchAction->SetSearchCount(request.nCount);
    m_pSearchAction->SetSearchSource(std::move(pSnapshot));
    if (!TaskAction_ExecAction(m_pSearchAction)) {
        return false;
    }
    m_runningSearch = request;
    m_bSearchRunning = true;
    return true;
}

std::shared_ptr<const CContactSearchSnapshot> CContactGeneralModel::MyGetSearchSnapshot() {
    if (m_pSearchSnapshot) {
        return m_pSearchSnapshot;
    }
    std::vector<ItemData> listItem;
    listItem.reserve(m_listItem.size());
    for (const auto& pItem : m_listItem) {
        listItem.push_back(*pItem);
    }
    std::vector<std::pair<int, std::string>> listGroupNames;
    listGroupNames.reserve(m_listGroup.size());
    for (const auto& pGroup : m_listGroup) {
        listGroupNames.emplace_back(pGroup->m_nId, pGroup->m_strDisplayName);
    }
    m_pSearchSnapshot =
        std::make_shared<const CContactSearchSnapshot>(std::move(listItem), std::move(listGroupNames));
    return m_pSearchSnapshot;
}

// An answer overtaken by a newer request is dropped and the newer one runs instead. While the receiver reads
// the answer the action counts as running, so a request made from inside the receiver waits for it.
void CContactGeneralModel::MyTakeSearchAnswer(NS_TA::CTaskAction* pAction) {
    m_bSearchRunning = false;
    if (m_pWaitingSearch) {
        const std::unique_ptr<SearchRequest> pNext = std::move(m_pWaitingSearch);
        if (MyNoThrow(false, [&]() -> bool { return MyStartSearch(*pNext); })) {
            return;
        }
    }
    const SearchRequest answered = m_runningSearch;
    if (TaskAction_IsReceiverAlive(answered.pReceiver, answered.nReceiverSerial)) {
        m_bSearchRunning = true;
        answered.pReceiver->OnTaskActionCallback(pAction);
        m_bSearchRunning = false;
    }
    if (m_pWaitingSearch && m_pSearchAction != nullptr) {
        const std::unique_ptr<SearchRequest> pNext = std::move(m_pWaitingSearch);
        MyNoThrow(false, [&]() -> bool { return MyStartSearch(*pNext); });
    }
}

}  // namespace NS_DIRECTORY
