// Contact editing: add, update, remove, group and blacklist moves, favourites.

#include <strings.h>

#include <algorithm>
#include <unordered_set>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "ContactNumberIndex.h"
#include "PhoneServices.h"

namespace NS_DIRECTORY {

namespace {

// The names a list operation still has to find; each name is used up by the first contact it matches.
class NameBag {
public:
    explicit NameBag(const std::list<std::string>& listNames)
        : m_setNames(listNames.begin(), listNames.end()) {}

    bool Empty() const { return m_setNames.empty(); }
    bool Take(const std::string& strName) {
        const auto found = m_setNames.find(strName);
        if (found == m_setNames.end()) {
            return false;
        }
        m_setNames.erase(found);
        return true;
    }

private:
    std::unordered_multiset<std::string> m_setNames;
};

CallLogUpdateData CallLogRecord(const std::string& strNumber1, const std::string& strNumber2,
                                const std::string& strNumber3, const std::string& strName) {
    CallLogUpdateData data;
    data.m_strNumber1 = strNumber1;
    data.m_strNumber2 = strNumber2;
    data.m_strNumber3 = strNumber3;
    data.m_strDisplayName = strName;
    return data;
}

bool CrossesBlacklist(int nFromId, int nToId) {
    return (nFromId == kBlacklistGroupId) != (nToId == kBlacklistGroupId);
}

}  // namespace

int CContactGeneralModel::MyRefuseInt(int nCode) {
    CommonUnits_SetErrorId(nCode);
    return -1;
}

// ---- store internals

bool CContactGeneralModel::MyCheckRoomFor(int nGroupId) const {
    if (nGroupId != kBlacklistGroupId && GetCurrentContactCount() >= m_nMaxContactCount) {
        return MyRefuse(CONTACT_RESULT_CONTACTS_FULL);
    }
    if (nGroupId == kBlacklistGroupId && m_nCurrentBlackCount >= m_nMaxBlackCount) {
        return MyRefuse(CONTACT_RESULT_BLACKLIST_FULL);
    }
    return true;
}

bool CContactGeneralModel::MyCheckCrossing(int nFromId, int nToId) const {
    return !CrossesBlacklist(nFromId, nToId) || MyCheckRoomFor(nToId);
}

bool CContactGeneralModel::MyFindContactSlot(const std::string& strName, size_t* pSlot) const {
    // Loaders meet names in order, so the end is tried before a binary search.
    if (m_listItem.empty() || strcasecmp(m_listItem.back()->m_strDisplayName.c_str(), strName.c_str()) < 0) {
        *pSlot = m_listItem.size();
        return true;
    }
    const auto found =
        std::lower_bound(m_listItem.begin(), m_listItem.end(), strName,
                         [](const std::unique_ptr<ItemData>& pItem, const std::string& strKey) {
                             return strcasecmp(pItem->m_strDisplayName.c_str(), strKey.c_str()) < 0;
                         });
    if (strcasecmp((*found)->m_strDisplayName.c_str(), strName.c_str()) == 0) {
        return MyRefuse(CONTACT_RESULT_NAME_EXISTS);
    }
    *pSlot = static_cast<size_t>(found - m_listItem.begin());
    return true;
}

int CContactGeneralModel::MyPositionCount(size_t nSlot, int nGroupId) const {
    const size_t nEnd = std::min(nSlot + 1, m_listItem.size());
    int nCount = 0;
    for (size_t nIndex = 0; nIndex < nEnd; ++nIndex) {
        if (nGroupId == kAllContactsGroupId || m_listItem[nIndex]->m_nGroupId == nGroupId) {
            ++nCount;
        }
    }
    return nCount;
}

// The call-log record is kept between insertions so that its strings keep their room; it is made only while
// the call log takes it.
void CContactGeneralModel::MyAdmitContact(size_t nSlot, std::unique_ptr<ItemData> pItem) {
    CallLogUpdateData& names = m_callLogNames;
    const bool bTellCallLog = CallLog_MayTakeUpdates();
    if (bTellCallLog) {
        names.m_strNumber1 = pItem->m_strOfficeNumber;
        names.m_strNumber2 = pItem->m_strMobileNumber;
        names.m_strNumber3 = pItem->m_strOtherNumber;
        names.m_strDisplayName = pItem->m_strDisplayName;
    }
    ItemData& admitted = *pItem;
    // Counted once it is in: an insertion that runs out of memory leaves list and counters as they were.
    m_listItem.insert(m_listItem.begin() + static_cast<std::ptrdiff_t>(nSlot), std::move(pItem));
    m_nCurrentFavorateCount += admitted.m_bFavorate ? 1 : 0;
    m_nCurrentBlackCount += admitted.m_nGroupId == kBlacklistGroupId ? 1 : 0;
    MyIndexNumbers(admitted);
    if (bTellCallLog) {
        CallLog_UpdateLog(names);
    }
}

void CContactGeneralModel::MyIndexNumbers(ItemData& item) {
    if (m_pNumberIndex && !m_bIndexDeferred) {
        m_pNumberIndex->Add(item);
    }
}

void CContactGeneralModel::MyRebuildNumberIndex() {
    m_bIndexDeferred = false;
    if (m_pNumberIndex) {
        m_pNumberIndex->Rebuild(m_listItem);
    }
}

void CContactGeneralModel::MyUnindexNumbers(const ItemData& item) {
    if (m_pNumberIndex && !m_bIndexDeferred) {
        m_pNumberIndex->Remove(item);
    }
}

std::vector<int> CContactGeneralModel::MySortedGroupIds() const {
    std::vector<int> listIds;
    listIds.reserve(m_listGroup.size());
    for (const auto& pGroup : m_listGroup) {
        listIds.push_back(pGroup->m_nId);
    }
    std::sort(listIds.begin(), listIds.end());
    return listIds;
}

bool CContactGeneralModel::MyTakeLoadedContact(std::unique_ptr<ItemData> pItem,
                                               const std::vector<int>& listGroupIds) {
    if (!MyHoldsGroupId(listGroupIds, pItem->m_nGroupId)) {
        pItem->m_nGroupId = kAllContactsGroupId;
    }
    size_t nSlot = 0;
    if (!MyCheckRoomFor(pItem->m_nGroupId) || !MyFindContactSlot(pItem->m_strDisplayName, &nSlot)) {
        return false;
    }
    MyAdmitContact(nSlot, std::move(pItem));
    return true;
}

size_t CContactGeneralModel::MyContactIndex(const ItemData* pItem) const {
    const auto found =
        std::find_if(m_listItem.begin(), m_listItem.end(),
                     [pItem](const std::unique_ptr<ItemData>& pStored) { return pStored.get() == pItem; });
    return static_cast<size_t>(found - m_listItem.begin());
}

size_t CContactGeneralModel::MyFindContactExact(const std::string& strName) const {
    const ItemData* pFirstEqual = MyFindContact(strName);
    if (pFirstEqual == nullptr) {
        return m_listItem.size();
    }
    for (size_t nIndex = MyContactIndex(pFirstEqual); nIndex < m_listItem.size(); ++nIndex) {
        const std::string& strStored = m_listItem[nIndex]->m_strDisplayName;
        if (strStored == strName) {
            return nIndex;
        }
        if (strcasecmp(strStored.c_str(), strName.c_str()) != 0) {
            break;
        }
    }
    return m_listItem.size();
}

// Removes the contacts at the ascending indexes; the call log drops their names.
void CContactGeneralModel::MyRemoveContactsAt(const std::vector<size_t>& listIndexes, bool bMobileFirst) {
    std::vector<CallLogUpdateData> listDrops;
    listDrops.reserve(listIndexes.size());
    for (size_t nIndex : listIndexes) {
        const ItemData& item = *m_listItem[nIndex];
        listDrops.push_back(bMobileFirst ? CallLogRecord(item.m_strMobileNumber, item.m_strOfficeNumber,
                                                         item.m_strOtherNumber, std::string())
                                         : CallLogRecord(item.m_strOfficeNumber, item.m_strMobileNumber,
                                                         item.m_strOtherNumber, std::string()));
    }
    size_t nNext = 0;
    size_t nWrite = 0;
    for (size_t nRead = 0; nRead < m_listItem.size(); ++nRead) {
        if (nNext < listIndexes.size() && listIndexes[nNext] == nRead) {
            m_nCurrentBlackCount -= m_listItem[nRead]->m_nGroupId == kBlacklistGroupId ? 1 : 0;
            m_nCurrentFavorateCount -= m_listItem[nRead]->m_bFavorate ? 1 : 0;
            MyUnindexNumbers(*m_listItem[nRead]);
            m_listItem[nRead].reset();
            ++nNext;
            continue;
        }
        if (nWrite != nRead) {
            m_listItem[nWrite] = std::move(m_listItem[nRead]);
        }
        ++nWrite;
    }
    m_listItem.erase(m_listItem.begin() + static_cast<std::ptrdiff_t>(nWrite), m_listItem.end());
    for (const CallLogUpdateData& drop : listDrops) {
        CallLog_UpdateLog(drop);
    }
}

void CContactGeneralModel::MyChangeContactGroup(ItemData& item, int nGroupId) {
    if (item.m_nGroupId == kBlacklistGroupId && nGroupId != kBlacklistGroupId) {
        --m_nCurrentBlackCount;
    } else if (item.m_nGroupId != kBlacklistGroupId && nGroupId == kBlacklistGroupId) {
        ++m_nCurrentBlackCount;
    }
    item.m_nGroupId = nGroupId;
}

bool CContactGeneralModel::MyMoveGroupContacts(const std::vector<int>& listFromIds, int nToId) {
    bool bMoved = false;
    for (const auto& pItem : m_listItem) {
        const bool bFromGroup =
            std::find(listFromIds.begin(), listFromIds.end(), pItem->m_nGroupId) != listFromIds.end();
        if (bFromGroup && pItem->m_nGroupId != nToId) {
            MyChangeContactGroup(*pItem, nToId);
            bMoved = true;
        }
    }
    return bMoved;
}

// ---- insertion

int CContactGeneralModel::MyInsertContactNoCheckGroup(const ItemData& item, bool bSave) {
    return MyNoThrow(-1, [&]() -> int {
        size_t nSlot = 0;
        if (!MyCheckRoomFor(item.m_nGroupId) || !MyFindContactSlot(item.m_strDisplayName, &nSlot)) {
            return -1;
        }
        const int nCount = MyPositionCount(nSlot, item.m_nGroupId);
        MyAdmitContact(nSlot, std::make_unique<ItemData>(item));
        if (bSave) {
            MySetContactDirty(true);
        }
        return nCount;
    });
}

int CContactGeneralModel::MyInsertContact(const ItemData& item, bool bSave) {
    if (MyFindGroupById(item.m_nGroupId) != nullptr) {
        return MyInsertContactNoCheckGroup(item, bSave);
    }
    return MyNoThrow(-1, [&]() -> int {
        ItemData inGroup0 = item;
        inGroup0.m_nGroupId = kAllContactsGroupId;
        return MyInsertContactNoCheckGroup(inGroup0, bSave);
    });
}

int CContactGeneralModel::AddContactById(int nGroupId, const ContactGeneralItemData& rawData) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    return MyNoThrow(-1, [&]() -> int {
        ContactGeneralItemData clean;
        const ContactGeneralItemData& data = MyXmlSafeRecord(rawData, &clean);
        if (data.m_strDisplayName.empty()) {
            return MyRefuseInt(CONTACT_RESULT_MISSING_ARGUMENT);
        }
        if (MyFindGroupById(nGroupId) == nullptr) {
            return MyRefuseInt(CONTACT_RESULT_BAD_GROUP_ID);
        }
        if (nGroupId != kBlacklistGroupId) {
            app_log(6, APP_LOG_INFO, "Local contact: current contact count: %d\n", GetCurrentContactCount());
        }
        ItemData item;
        if (!MyCheckRoomFor(nGroupId) || !MyCGID2ID(&item, nGroupId, data, false)) {
            return -1;
        }
        item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
        return MyInsertContactNoCheckGroup(item, true);
    });
}

int CContactGeneralModel::AddContact(const ContactGeneralItemData& rawData) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    return MyNoThrow(-1, [&]() -> int {
        ContactGeneralItemData clean;
        const ContactGeneralItemData& data = MyXmlSafeRecord(rawData, &clean);
        const int nGroupId = MyGName2Id(data.m_strGroupName);
        if (nGroupId == -1) {
            return MyRefuseInt(CONTACT_RESULT_NO_SUCH_GROUP);
        }
        return AddContactById(nGroupId, data);
    });
}

int CContactGeneralModel::AddBlackContact(const ContactGeneralItemData& data) {
    return AddContactById(kBlacklistGroupId, data);
}

// ---- update

int CContactGeneralModel::UpdateContactData(const std::string& strOldName,
                                            const ContactGeneralItemData& rawData) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    return MyNoThrow(-1, [&]() -> int {
        ContactGeneralItemData clean;
        const ContactGeneralItemData& data = MyXmlSafeRecord(rawData, &clean);
        if (strOldName.empty() || data.m_strDisplayName.empty()) {
            return MyRefuseInt(CONTACT_RESULT_MISSING_ARGUMENT);
        }
        ItemData* pItem = MyFindContact(strOldName);
        if (pItem == nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NO_SUCH_CONTACT);
        }
        const GroupData* pTarget = MyFindGroupByDisplayName(data.m_strGroupName);
        if (pTarget == nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NO_SUCH_GROUP);
        }
        const int nTargetId = pTarget->m_nId;
        const bool bRenamed = strcasecmp(strOldName.c_str(), data.m_strDisplayName.c_str()) != 0;
        if (bRenamed && MyFindContact(data.m_strDisplayName) != nullptr) {
            return MyRefuseInt(CONTACT_RESULT_NAME_EXISTS);
        }
        const size_t nIndex = MyContactIndex(pItem);
        const int nCount = MyPositionCount(nIndex, nTargetId);
        if (!MyCheckCrossing(pItem->m_nGroupId, nTargetId)) {
            return -1;
        }
        if (bRenamed) {
            return MyRenameContact(nIndex, nTargetId, data);
        }
        MyUpdateContactInPlace(*pItem, nTargetId, data);
        return nCount;
    });
}

void CContactGeneralModel::MyUpdateContactInPlace(ItemData& item, int nTargetId,
                                                  const ContactGeneralItemData& data) {
    ItemData updated = item;
    std::vector<CallLogUpdateData> listNameMoves;
    const auto updateNumber = [&](std::string& strStored, const std::string& strNew) {
        if (strStored == strNew) {
            return;
        }
        // An empty number names no call, so it is never sent.
        if (!strStored.empty()) {
            listNameMoves.push_back(CallLogRecord(strStored, std::string(), std::string(), std::string()));
        }
        if (!strNew.empty()) {
            listNameMoves.push_back(
                CallLogRecord(strNew, std::string(), std::string(), item.m_strDisplayName));
        }
        strStored = strNew;
    };
    updateNumber(updated.m_strOfficeNumber, data.m_strOfficeNumber);
    updateNumber(updated.m_strMobileNumber, data.m_strMobileNumber);
    updateNumber(updated.m_strOtherNumber, data.m_strOtherNumber);
    updated.m_strRing = data.m_strRing;
    updated.m_strDefaultPhoto = data.m_strDefaultPhoto;
    updated.m_nSelectedPhoto = data.m_nSelectedPhoto;
    updated.m_nLine = data.m_nLine;
    const bool bChanged = !listNameMoves.empty() || updated.m_strRing != item.m_strRing ||
                          updated.m_strDefaultPhoto != item.m_strDefaultPhoto ||
                          updated.m_nSelectedPhoto != item.m_nSelectedPhoto ||
                          updated.m_nLine != item.m_nLine || nTargetId != item.m_nGroupId;
    MyUnindexNumbers(item);
    item = std::move(updated);
    MyIndexNumbers(item);
    MyChangeContactGroup(item, nTargetId);
    for (const CallLogUpdateData& move : listNameMoves) {
        CallLog_UpdateLog(move);
    }
    if (bChanged) {
        MySetContactDirty(true);
    }
}

// A new name files the contact anew; its old numbers lose the old name first.
int CContactGeneralModel::MyRenameContact(size_t nIndex, int nTargetId, const ContactGeneralItemData& data) {
    auto pRenamed = std::make_unique<ItemData>();
    MyCGID2ID(pRenamed.get(), nTargetId, data, m_listItem[nIndex]->m_bFavorate);
    pRenamed->m_strNameIndex = CommonUnits_ToKeyString(pRenamed->m_strDisplayName);
    MyRemoveContactsAt({nIndex}, true);
    size_t nSlot = 0;
    MyFindContactSlot(pRenamed->m_strDisplayName, &nSlot);
    const int nCount = MyPositionCount(nSlot, nTargetId);
    MyAdmitContact(nSlot, std::move(pRenamed));
    MySetContactDirty(true);
    return nCount;
}

// ---- removal

bool CContactGeneralModel::RemoveContact(const std::string& strName) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const size_t nIndex = MyFindContactExact(strName);
        if (nIndex == m_listItem.size()) {
            return MyRefuse(CONTACT_RESULT_NO_SUCH_CONTACT);
        }
        MyRemoveContactsAt({nIndex}, true);
        MySetContactDirty(true);
        return true;
    });
}

bool CContactGeneralModel::RemoveContactList(std::list<std::string>& listNames) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        app_log(6, APP_LOG_INFO, "Local contact: remove from memory!\n");
        NameBag names(listNames);
        std::vector<size_t> listIndexes;
        for (size_t nIndex = 0; nIndex < m_listItem.size() && !names.Empty(); ++nIndex) {
            if (names.Take(m_listItem[nIndex]->m_strDisplayName)) {
                listIndexes.push_back(nIndex);
            }
        }
        MyRemoveContactsAt(listIndexes, true);
        app_log(6, APP_LOG_INFO, "Local contact: save to XML begin!\n");
        if (!listIndexes.empty()) {
            MySetContactDirty(true);
        }
        app_log(6, APP_LOG_INFO, "Local contact: save to XML end!\n");
        return true;
    });
}

bool CContactGeneralModel::RemoveAllContactsByClickAction(const std::string& strAction) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const int nGroupId = CommonAPI_ParseIdByClickAction(strAction, kLocalClickActionPattern);
        std::vector<size_t> listIndexes;
        for (size_t nIndex = 0; nIndex < m_listItem.size(); ++nIndex) {
            if (nGroupId == kAllContactsGroupId || m_listItem[nIndex]->m_nGroupId == nGroupId) {
                listIndexes.push_back(nIndex);
            }
        }
        MyRemoveContactsAt(listIndexes, false);
        if (!listIndexes.empty()) {
            MySetContactDirty(true);
        }
        return true;
    });
}

// ---- groups and the blacklist

bool CContactGeneralModel::SetContactGroupId(const std::string& strName, int nGroupId) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    ItemData* pItem = MyFindContact(strName);
    if (pItem == nullptr) {
        return MyRefuse(CONTACT_RESULT_NO_SUCH_CONTACT);
    }
    if (MyFindGroupById(nGroupId) == nullptr) {
        return MyRefuse(CONTACT_RESULT_NO_SUCH_GROUP);
    }
    if (pItem->m_nGroupId == nGroupId || !MyCheckCrossing(pItem->m_nGroupId, nGroupId)) {
        return false;
    }
    MyChangeContactGroup(*pItem, nGroupId);
    MySetContactDirty(true);
    return true;
}

bool CContactGeneralModel::Local2Black(const std::string& strName) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const ItemData* pItem = MyFindContact(strName);
    if (pItem != nullptr && pItem->m_nGroupId == kBlacklistGroupId) {
        return MyRefuse(CONTACT_RESULT_ALREADY_BLACK);
    }
    return SetContactGroupId(strName, kBlacklistGroupId);
}

bool CContactGeneralModel::Black2Local(const std::string& strName) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    const ItemData* pItem = MyFindContact(strName);
    if (pItem == nullptr || pItem->m_nGroupId != kBlacklistGroupId) {
        return MyRefuse(CONTACT_RESULT_NOT_BLACK);
    }
    return SetContactGroupId(strName, kAllContactsGroupId);
}

int CContactGeneralModel::IsListCanMove(std::list<std::string>& listNames, const std::string& strGroupName) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    const int nTargetId = MyGName2Id(strGroupName);
    if (nTargetId == -1) {
        return CONTACT_RESULT_NO_SUCH_GROUP;
    }
    return MyNoThrow(static_cast<int>(CONTACT_RESULT_NO_MEMORY), [&]() -> int {
        const bool bToBlacklist = nTargetId == kBlacklistGroupId;
        const int nRoom = bToBlacklist ? m_nMaxBlackCount - m_nCurrentBlackCount
                                       : m_nMaxContactCount - GetCurrentContactCount();
        NameBag names(listNames);
        int nCrossing = 0;
        for (auto it = m_listItem.begin(); it != m_listItem.end() && !names.Empty(); ++it) {
            if (names.Take((*it)->m_strDisplayName) && CrossesBlacklist((*it)->m_nGroupId, nTargetId)) {
                ++nCrossing;
            }
        }
        if (nCrossing > nRoom) {
            return bToBlacklist ? CONTACT_RESULT_BLACKLIST_FULL : CONTACT_RESULT_CONTACTS_FULL;
        }
        return 0;
    });
}

int CContactGeneralModel::MoveListToGroup(std::list<std::string>& listNames,
                                          const std::string& strGroupName) {
    if (MyRefuseWhenBusy()) {
        return -1;
    }
    const int nCheck = IsListCanMove(listNames, strGroupName);
    if (nCheck != 0) {
        CommonUnits_SetErrorId(nCheck);
        return nCheck;
    }
    return MyNoThrow(-1, [&]() -> int {
        app_log(6, APP_LOG_INFO, "Local contact: change contact group from memory!\n");
        const int nTargetId = MyGName2Id(strGroupName);
        NameBag names(listNames);
        bool bChanged = false;
        for (auto it = m_listItem.begin(); it != m_listItem.end() && !names.Empty(); ++it) {
            if (names.Take((*it)->m_strDisplayName) && (*it)->m_nGroupId != nTargetId) {
                MyChangeContactGroup(**it, nTargetId);
                bChanged = true;
            }
        }
        app_log(6, APP_LOG_INFO, "Local contact: save XML begin!\n");
        if (bChanged) {
            MySetContactDirty(true);
        }
        app_log(6, APP_LOG_INFO, "Local contact: save XML end!\n");
        return 0;
    });
}

bool CContactGeneralModel::MyUpdateAllContactGroupId(int nFromId, int nToId) {
    return MyNoThrow(false, [&]() -> bool {
        if (nFromId != nToId && MyMoveGroupContacts({nFromId}, nToId)) {
            MySetContactDirty(true);
        }
        return true;
    });
}

// ---- favourites

bool CContactGeneralModel::MyMarkFavorates(std::list<std::string>& listNames, bool bFavorate) {
    NameBag names(listNames);
    bool bChanged = false;
    for (auto it = m_listItem.begin(); it != m_listItem.end() && !names.Empty(); ++it) {
        if (names.Take((*it)->m_strDisplayName) && (*it)->m_bFavorate != bFavorate) {
            (*it)->m_bFavorate = bFavorate;
            m_nCurrentFavorateCount += bFavorate ? 1 : -1;
            bChanged = true;
        }
    }
    app_log(6, APP_LOG_INFO, "Local contact: save XML begin!\n");
    if (bChanged) {
        MySetContactDirty(true);
    }
    app_log(6, APP_LOG_INFO, "Local contact: save XML end!\n");
    return true;
}

bool CContactGeneralModel::ToFavorateList(std::list<std::string>& listNames) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        app_log(6, APP_LOG_INFO, "Local contact: change contact favorate from memory!\n");
        return MyMarkFavorates(listNames, true);
    });
}

bool CContactGeneralModel::RemoveFavorateList(std::list<std::string>& listNames) {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        app_log(6, APP_LOG_INFO, "Local contact: remove favorate list from memory!\n");
        return MyMarkFavorates(listNames, false);
    });
}

bool CContactGeneralModel::RemoveAllFavorates() {
    if (MyRefuseWhenBusy()) {
        return false;
    }
    bool bChanged = false;
    for (const auto& pItem : m_listItem) {
        bChanged = bChanged || pItem->m_bFavorate;
        pItem->m_bFavorate = false;
    }
    m_nCurrentFavorateCount = 0;
    if (bChanged) {
        MySetContactDirty(true);
    }
    return true;
}

bool CContactGeneralModel::CallOut(const std::string& strNumber, const std::string& strName, int nLine) {
    return talkLogic_CallOut(strNumber, strName, nLine, nullptr);
}

}  // namespace NS_DIRECTORY
