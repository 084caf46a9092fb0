// The remote model's browsing: lists of the node the user is in, entering and leaving nodes, soft keys,
// copying entries into the local phone book, and dialling.

#include <iterator>
#include <new>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "PhoneServices.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;
using TreeNode = CContactRemoteModel::RemoteTree::TinyNode;

const char* const kSlotPattern = "remote_phonebook_x";

enum EnterResult : int { ENTER_NONE = 0, ENTER_MENU = 1, ENTER_UNIT = 2, ENTER_HOTKEY = 3 };

void AppendMenu(ContactRemoteListData* pList, const ContactRemoteMenu* pMenu) {
    ContactRemoteItemData item;
    item.m_eType = REMOTE_ITEM_MENU;
    item.m_strDisplayName = pMenu->m_strName;
    pList->m_listData.push_back(std::move(item));
}

void FillUnit(ContactRemoteItemData* pData, const ContactRemoteUnit* pUnit) {
    pData->m_eType = REMOTE_ITEM_ENTRY;
    pData->m_strDisplayName = pUnit->m_strName;
    pData->m_listNumber.assign(pUnit->m_listNumber.begin(), pUnit->m_listNumber.end());
}

void AppendUnit(ContactRemoteListData* pList, const ContactRemoteUnit* pUnit) {
    ContactRemoteItemData item;
    FillUnit(&item, pUnit);
    pList->m_listData.push_back(std::move(item));
}

ContactGeneralItemData LocalRecordOf(const ContactRemoteUnit& unit) {
    ContactGeneralItemData data;
    data.m_strDisplayName = unit.m_strName;
    std::string* const pTargets[] = {&data.m_strMobileNumber, &data.m_strOfficeNumber,
                                     &data.m_strOtherNumber};
    auto number = unit.m_listNumber.begin();
    for (std::string* pTarget : pTargets) {
        if (number == unit.m_listNumber.end()) {
            break;
        }
        *pTarget = *number++;
    }
    return data;
}

// The body's answer, or the fallback when memory ran out on the way.
template <class Result, class Body>
Result NoThrow(Result fallback, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return fallback;
    }
}

bool StartsWithByte(const std::string& strName, int nKey) {
    return !strName.empty() && static_cast<unsigned char>(strName[0]) == nKey;
}

}  // namespace

int CContactRemoteModel::FileDownStatus2GetListStatus(FileDownloadStatus eStatus) {
    switch (eStatus) {
        case FILE_DOWNLOADED_OK:
            return REMOTE_LIST_OK;
        case FILE_DOWNLOADING:
            return REMOTE_LIST_DOWNLOADING;
        case FILE_DOWNLOAD_FAILED:
            return REMOTE_LIST_DOWNLOAD_FAILED;
        case FILE_DOWNLOAD_NO_URL:
            return REMOTE_LIST_NO_URL;
        case FILE_DOWNLOAD_CANCELED:
            return REMOTE_LIST_CANCELED;
        case FILE_DOWNLOAD_MAX_LEVEL:
            return REMOTE_LIST_TOO_DEEP;
        default:
            app_log(6, APP_LOG_INFO, "CContactRemoteModel::FileDownStatus2GetListStatus Other status[%d]\n",
                    eStatus);
            return REMOTE_LIST_BAD_REQUEST;
    }
}

const std::string& CContactRemoteModel::MyGetUrl(const std::string& strUrl) const {
    return strUrl.empty() ? m_strCurUrl : strUrl;
}

CContactRemoteModel::RemoteConfigItem* CContactRemoteModel::MyGetSlotByClickAction(
    const std::string& strClickAction) {
    return MyGetRemoteConfigDataByIndex(CommonAPI_ParseIdByClickAction(strClickAction, kSlotPattern));
}

int CContactRemoteModel::GetContactListByClickAction(ContactRemoteListData* pList,
                                                     const std::string& strClickAction,
                                                     const std::string& /*strUnused*/, bool /*bUnused*/) {
    if (pList == nullptr || strClickAction.empty()) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    std::string strUrl;
    try {
        Lock lock(m_csLock);
        const RemoteConfigItem* pSlot = MyGetSlotByClickAction(strClickAction);
        if (pSlot == nullptr) {
            return REMOTE_LIST_NO_SLOT;
        }
        if (pSlot->m_strUrl.empty()) {
            return REMOTE_LIST_NOTHING_THERE;
        }
        strUrl = pSlot->m_strUrl;
        m_strCurUrl = strUrl;
    } catch (const std::bad_alloc&) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    return GetContactList(pList, strUrl);
}

int CContactRemoteModel::GetContactList(ContactRemoteListData* pList, const std::string& strUrl) {
    if (pList == nullptr) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    if (MyGetUrl(strUrl).empty()) {
        return REMOTE_LIST_NOTHING_THERE;
    }
    return NoThrow(static_cast<int>(REMOTE_LIST_BAD_REQUEST), [&]() -> int {
        const std::string strKey = MyGetUrl(strUrl);
        app_log(6, APP_LOG_INFO, "GetContactList[%s]\n", RemoteUrlForLog(strKey).c_str());
        Lock lock(m_csLock);
        TreeNode* pNode = m_treeContact.Find(strKey);
        if (pNode == nullptr) {
            return REMOTE_LIST_BAD_REQUEST;
        }
        const FileDownloadStatus eStatus = pNode->GetData().m_eStatus;
        if (eStatus != FILE_DOWNLOADED_OK) {
            return FileDownStatus2GetListStatus(eStatus);
        }
        return MyCopyItemList(pList, pNode) ? REMOTE_LIST_OK : REMOTE_LIST_BAD_REQUEST;
    });
}

bool CContactRemoteModel::MyCopyItemList(ContactRemoteListData* pList, TreeNode* pNode) {
    Lock lock(m_csLock);
    int nFrom = 0;
    int nTo = 0;
    if (!CommonAPI_GetFromAndToIndex(&nFrom, &nTo, pList->m_nIndexFrom, pList->m_nCountToGet,
                                     pNode->GetChildCount())) {
        return false;
    }
    app_log(6, APP_LOG_INFO, "CopyListCount[%d]\n", pNode->GetChildCount());
    int nPosition = 0;
    try {
        for (TreeNode* pChild : pNode->GetChildren()) {
            const ContactRemoteItemBase* pItem = pChild->GetData().m_pItem;
            const ContactRemoteMenu* pMenu = Base2Menu(pItem);
            const ContactRemoteUnit* pUnit = Base2Unit(pItem);
            if (pMenu == nullptr && pUnit == nullptr) {
                continue;
            }
            if (nPosition >= nFrom && nPosition < nTo) {
                pMenu != nullptr ? AppendMenu(pList, pMenu) : AppendUnit(pList, pUnit);
            }
            ++nPosition;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    pList->m_nSelectedIndex = 0;
    pList->m_nTotalCount = nPosition;
    return true;
}

int CContactRemoteModel::GetContactListBySoftkey(ContactRemoteListData* pList, int nKey) {
    if (pList == nullptr || m_strCurUrl.empty()) {
        return REMOTE_LIST_NOTHING_THERE;
    }
    std::string strTarget;
    try {
        Lock lock(m_csLock);
        TreeNode* pNode = m_treeContact.Find(m_strCurUrl);
        if (pNode == nullptr) {
            return REMOTE_LIST_NOTHING_THERE;
        }
        for (TreeNode* pChild : pNode->GetChildren()) {
            const ContactRemoteHotKey* pHotKey = Base2HotKey(pChild->GetData().m_pItem);
            if (pHotKey != nullptr && StartsWithByte(pHotKey->m_strName, nKey)) {
                strTarget = pChild->GetKey();
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        return REMOTE_LIST_BAD_REQUEST;
    }
    if (strTarget.empty()) {
        return REMOTE_LIST_NOTHING_THERE;
    }
    m_strCurUrl = strTarget;
    return GetContactList(pList, strTarget);
}

int CContactRemoteModel::EnterContactByIndex(int nIndex, int* pStatus, const std::string& strUrl) {
    const std::string& strKey = MyGetUrl(strUrl);
    if (nIndex < 0 || strKey.empty()) {
        return ENTER_NONE;
    }
    return NoThrow(static_cast<int>(ENTER_NONE), [&]() -> int {
        app_log(6, APP_LOG_INFO, "EnterContactByIndex[%d],  Url[%s]\n", nIndex,
                RemoteUrlForLog(strKey).c_str());
        const int nResult = MyEnterChild(nIndex, pStatus, strKey);
        app_log(6, APP_LOG_INFO, "CurUrl IS %s\n", RemoteUrlForLog(m_strCurUrl).c_str());
        return nResult;
    });
}

int CContactRemoteModel::MyEnterChild(int nIndex, int* pStatus, const std::string& strKey) {
    int nResult = ENTER_NONE;
    {
        Lock lock(m_csLock);
        TreeNode* pNode = m_treeContact.Find(strKey);
        TreeNode* pChild = pNode == nullptr ? nullptr : pNode->GetChild(nIndex);
        if (pChild == nullptr) {
            return ENTER_UNIT;
        }
        app_log(6, APP_LOG_INFO, "..node found..\n");
        const ItemData& data = pChild->GetData();
        if (Base2Menu(data.m_pItem) != nullptr) {
            if (data.m_eStatus == FILE_DOWNLOADED_OK) {
                m_strCurUrl = pChild->GetKey();
                nResult = ENTER_MENU;
            } else if (pStatus != nullptr) {
                *pStatus = FileDownStatus2GetListStatus(data.m_eStatus);
            }
        } else if (Base2Unit(data.m_pItem) != nullptr) {
            nResult = ENTER_UNIT;
        } else if (Base2HotKey(data.m_pItem) != nullptr) {
            nResult = ENTER_HOTKEY;
        } else {
            app_log(6, APP_LOG_INFO, "EnterContactByIndex Invalid type\n");
        }
    }
    return nResult;
}

bool CContactRemoteModel::LeaveBack(int bToTop) {
    return NoThrow(false, [&]() {
        app_log(6, APP_LOG_INFO, "LeaveBack[%s]\n", RemoteUrlForLog(m_strCurUrl).c_str());
        if (bToTop != 0) {
            m_strCurUrl = REMOTE_ROOT_KEY;
            return true;
        }
        Lock lock(m_csLock);
        const TreeNode* pNode = m_strCurUrl.empty() ? nullptr : m_treeContact.Find(m_strCurUrl);
        const TreeNode* pParent = pNode == nullptr ? nullptr : pNode->GetParent();
        if (pParent == nullptr || pParent == m_treeContact.GetRoot()) {
            return false;
        }
        m_strCurUrl = pParent->GetKey();
        app_log(6, APP_LOG_INFO, "goto[%s]\n", RemoteUrlForLog(m_strCurUrl).c_str());
        return true;
    });
}

bool CContactRemoteModel::LeaveOut() {
    m_strCurUrl.clear();
    return true;
}

std::string CContactRemoteModel::GetTitle() {
    return NoThrow(std::string(), [&]() {
        Lock lock(m_csLock);
        TreeNode* pNode = m_strCurUrl.empty() ? nullptr : m_treeContact.Find(m_strCurUrl);
        return pNode == nullptr ? std::string() : pNode->GetData().m_strName;
    });
}

bool CContactRemoteModel::GetUnitContactByIndex(ContactRemoteUnit* pUnit, int nIndex,
                                                const std::string& strUrl) {
    if (pUnit == nullptr || nIndex < 0) {
        return false;
    }
    const std::string& strKey = MyGetUrl(strUrl);
    Lock lock(m_csLock);
    TreeNode* pNode = strKey.empty() ? nullptr : m_treeContact.Find(strKey);
    TreeNode* pChild = pNode == nullptr ? nullptr : pNode->GetChild(nIndex);
    const ContactRemoteUnit* pFound = pChild == nullptr ? nullptr : Base2Unit(pChild->GetData().m_pItem);
    if (pFound == nullptr) {
        return false;
    }
    try {
        *pUnit = *pFound;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CContactRemoteModel::GetUnitContactByIndex(ContactRemoteItemData* pData, int nIndex) {
    if (pData == nullptr) {
        return false;
    }
    ContactRemoteUnit unit;
    if (!GetUnitContactByIndex(&unit, nIndex, std::string())) {
        return false;
    }
    try {
        FillUnit(pData, &unit);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CContactRemoteModel::Remote2Local(int nIndex) {
    return MyCopyRemote2Local(nIndex, false);
}

int CContactRemoteModel::Remote2Black(int nIndex) {
    return MyCopyRemote2Local(nIndex, true);
}

int CContactRemoteModel::MyCopyRemote2Local(int nIndex, bool bBlack) {
    ContactRemoteUnit unit;
    if (!GetUnitContactByIndex(&unit, nIndex, std::string())) {
        return -1;
    }
    try {
        const ContactGeneralItemData data = LocalRecordOf(unit);
        CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
        if (pLocal == nullptr) {
            return -1;
        }
        return bBlack ? pLocal->AddBlackContact(data) : pLocal->AddContactById(0, data);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CContactRemoteModel::CallOut(const std::string& strNumber, const std::string& strName, int nAccount) {
    return talkLogic_CallOut(strNumber, strName, nAccount, nullptr) ? 1 : 0;
}

}  // namespace NS_DIRECTORY
