// Background reload of both local files after they were replaced from outside, and the hand-over of
// finished background work.

#include <algorithm>
#include <new>

#include "AppLog.h"
#include "ContactGeneralModel.h"
#include "ContactLocalSaveAction.h"
#include "DirectoryEntry.h"
#include "LocalContactSearchAction.h"
#include "MsgQueue.h"
#include "PhoneServices.h"

namespace NS_DIRECTORY {

namespace {

void AddDispName(std::vector<SuperSearchItemData>& listNames, const std::string& strName,
                 const std::string& strNumber) {
    if (strNumber.empty()) {
        return;
    }
    SuperSearchItemData data;
    data.m_strDisplayName = strName;
    data.m_strNumber = strNumber;
    listNames.push_back(std::move(data));
}

}  // namespace

bool CContactGeneralModel::ReloadGroupAndItemByHttp() {
    CContactLocalSaveAction* pAction = Directory_CreateLocalSaveAction();
    if (pAction == nullptr) {
        return false;
    }
    const bool bAccepted = MyNoThrow(false, [&]() -> bool {
        m_listReloads.reserve(m_listReloads.size() + 1);
        pAction->SetSync(false);
        pAction->SetRead(true);
        pAction->SetCallback(this);
        pAction->SetGroupDirty(true);
        pAction->SetGroupFilePath(std::string(kLocalDataFolder) + kLocalGroupFileName);
        pAction->SetItemDirty(true);
        pAction->SetItemFilePath(std::string(kLocalDataFolder) + kLocalContactFileName);
        return TaskAction_ExecAction(pAction);
    });
    if (!bAccepted) {
        Directory_DestroyLocalSaveAction(pAction);
        return false;
    }
    m_listReloads.push_back({pAction, ++m_nLastReloadSerial});
    if (!m_bReloadByHttp) {
        m_bReloadByHttp = true;
        EtlMsgHandler_NotifyApp(false, kLocalReloadMsg, 0, 1);
    }
    return true;
}

void CContactGeneralModel::OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) {
    app_log(6, APP_LOG_INFO, "CContactGeneralModel::OnTaskActionCallback begin\n");
    if (pTaskAction == nullptr) {
        return;
    }
    if (pTaskAction->GetRequestType() == NS_TA::TA_REQUEST_LOCAL_CONTACT_SAVE) {
        MyTakeReloadAnswer(static_cast<CContactLocalSaveAction*>(pTaskAction));
    } else if (pTaskAction->GetRequestType() == NS_TA::TA_REQUEST_LOCAL_CONTACT_SEARCH &&
               pTaskAction == m_pSearchAction) {
        MyTakeSearchAnswer(pTaskAction);
    }
}

void CContactGeneralModel::MyTakeReloadAnswer(CContactLocalSaveAction* pAction) {
    const auto ticket =
        std::find_if(m_listReloads.begin(), m_listReloads.end(),
                     [pAction](const ReloadTicket& reload) { return reload.pAction == pAction; });
    const std::uint64_t nSerial = ticket != m_listReloads.end() ? ticket->nSerial : 0;
    if (ticket != m_listReloads.end()) {
        m_listReloads.erase(ticket);
    }
    if (nSerial > m_nTakenReloadSerial && pAction->IsOperationSucceed() && pAction->IsRead()) {
        m_nTakenReloadSerial = nSerial;
        MyNoThrow(false, [&]() -> bool {
            if (pAction->IsGroupDirty()) {
                MyClearGroupList();
                MyLoadGroupFromTaskAction(pAction);
            }
            if (pAction->IsItemDirty()) {
                MyClearContactList();
                MyLoadContactFromTaskAction(pAction);
            }
            return true;
        });
        EtlMsgHandler_NotifyApp(false, kLocalContactChangedMsg, 0, 0);
    }
    Directory_DestroyLocalSaveAction(pAction);
    if (m_bReloadByHttp && m_listReloads.empty()) {
        m_bReloadByHttp = false;
        EtlMsgHandler_NotifyApp(false, kLocalReloadMsg, 0, 2);
    }
}

void CContactGeneralModel::MyLoadGroupFromTaskAction(CContactLocalSaveAction* pAction) {
    if (pAction == nullptr) {
        return;
    }
    int nHighestId = 1;
    for (const GroupData& loaded : pAction->GetGroupList()) {
        auto pGroup = std::make_unique<GroupData>(loaded);
        nHighestId = std::max(nHighestId, pGroup->m_nId);
        if (pGroup->m_nId == kAllContactsGroupId || pGroup->m_nId == kBlacklistGroupId) {
            pGroup->m_strDisplayName = MyBuiltInGroup(pGroup->m_nId).m_strDisplayName;
        }
        m_listGroup.push_back(std::move(pGroup));
    }
    if (MyFindGroupById(kAllContactsGroupId) == nullptr) {
        m_listGroup.insert(m_listGroup.begin(),
                           std::make_unique<GroupData>(MyBuiltInGroup(kAllContactsGroupId)));
    }
    if (MyFindGroupById(kBlacklistGroupId) == nullptr) {
        m_listGroup.push_back(std::make_unique<GroupData>(MyBuiltInGroup(kBlacklistGroupId)));
    }
    if (m_pIdGenerator) {
        m_pIdGenerator->SetBegin(nHighestId);
    }
}

void CContactGeneralModel::MyLoadContactFromTaskAction(CContactLocalSaveAction* pAction) {
    if (pAction == nullptr) {
        return;
    }
    std::vector<SuperSearchItemData> listNames;
    const bool bTellCallLog = CallLog_MayTakeUpdates();
    const std::vector<int> listGroupIds = MySortedGroupIds();
    m_listItem.reserve(pAction->GetItemList().size());
    for (const ItemData& loaded : pAction->GetItemList()) {
        m_listItem.push_back(std::make_unique<ItemData>(loaded));
        if (!MyHoldsGroupId(listGroupIds, loaded.m_nGroupId)) {
            m_listItem.back()->m_nGroupId = kAllContactsGroupId;
        }
        m_nCurrentFavorateCount += loaded.m_bFavorate ? 1 : 0;
        m_nCurrentBlackCount += m_listItem.back()->m_nGroupId == kBlacklistGroupId ? 1 : 0;
        if (bTellCallLog) {
            AddDispName(listNames, loaded.m_strDisplayName, loaded.m_strMobileNumber);
            AddDispName(listNames, loaded.m_strDisplayName, loaded.m_strOfficeNumber);
            AddDispName(listNames, loaded.m_strDisplayName, loaded.m_strOtherNumber);
        }
    }
    MyRebuildNumberIndex();
    MyResetSearchKeys();
    if (!bTellCallLog) {
        return;  // the call log would drop the names
    }
    if (NS_CALLLOG::CCallLogModel* pCallLog = NS_CALLLOG::CCallLogModel::GetInstance()) {
        pCallLog->UpdateDispName(listNames);
    }
}

}  // namespace NS_DIRECTORY
