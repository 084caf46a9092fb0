// Local search as the user types, the caller's name by number, entries by shown name, copies into the local
// phone book and dialling.

#include <new>

#include "AppLog.h"
#include "ContactBSTSearchHelper.h"
#include "BroadSoftNumberIndex.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "PhoneServices.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

constexpr int kNotCopied = -1;

// Whether a member of the Group or Enterprise directory has the number as extension, number or mobile.
bool MemberHasNumber(const BroadSoftMemberFields& member, const std::string& strNumber) {
    return member.m_strExtension == strNumber || member.m_strNumber == strNumber ||
           member.m_strMobile == strNumber;
}

bool HasNumber(const ContactBroadSoftItemBase* pItem, const std::string& strNumber) {
    if (const ContactBroadSoftGroup* pGroup = Base2Group(pItem)) {
        return MemberHasNumber(*pGroup, strNumber);
    }
    if (const ContactBroadSoftEnterprise* pEnterprise = Base2Enterprise(pItem)) {
        return MemberHasNumber(*pEnterprise, strNumber);
    }
    if (const ContactBroadSoftCommon* pCommon = Base2Common(pItem)) {
        return pCommon->m_strNumber == strNumber;
    }
    if (const ContactBroadSoftCustom* pCustom = Base2Custom(pItem)) {
        return pCustom->m_strNumber == strNumber;
    }
    return false;
}

// The caller's name among the entries, in combined order: the first Personal entry with the number, else
// the last other entry that has it; "" when none does.
template <class Items>
std::string CallerNameIn(const Items& items, const std::string& strNumber) {
    const ContactBroadSoftItemBase* pLastMatch = nullptr;
    for (const ContactBroadSoftItemBase* pItem : items) {
        if (const ContactBroadSoftPersonal* pPersonal = Base2Personal(pItem)) {
            if (pPersonal->m_strNumber == strNumber) {
                return pPersonal->m_strName;
            }
        } else if (HasNumber(pItem, strNumber)) {
            pLastMatch = pItem;
        }
    }
    return pLastMatch == nullptr ? std::string() : pLastMatch->GetDisplayName();
}

// The local record of a member: "lastName,firstName", the mobile as office number and the number as mobile.
void MemberToLocal(const BroadSoftMemberFields& member, ContactGeneralItemData& data) {
    data.m_strDisplayName = member.m_strLastName + "," + member.m_strFirstName;
    data.m_strOfficeNumber = member.m_strMobile;
    data.m_strMobileNumber = member.m_strNumber;
}

// The local record of an entry; false for the kinds that are not copied there.
bool LocalRecordOf(const ContactBroadSoftItemBase* pItem, bool bBlack, ContactGeneralItemData& data) {
    if (const ContactBroadSoftGroup* pGroup = Base2Group(pItem)) {
        MemberToLocal(*pGroup, data);
        return true;
    }
    if (const ContactBroadSoftEnterprise* pEnterprise = Base2Enterprise(pItem)) {
        MemberToLocal(*pEnterprise, data);
        return !bBlack;
    }
    if (const ContactBroadSoftPersonal* pPersonal = Base2Personal(pItem)) {
        data.m_strDisplayName = pPersonal->m_strName;
        (bBlack ? data.m_strOfficeNumber : data.m_strMobileNumber) = pPersonal->m_strNumber;
        return true;
    }
    if (const ContactBroadSoftCommon* pCommon = Base2Common(pItem)) {
        data.m_strDisplayName = pCommon->m_strName;
        data.m_strMobileNumber = pCommon->m_strNumber;
        return !bBlack;
    }
    return false;
}

}  // namespace

bool CContactBroadSoftModel::Search(ContactBroadSoftListData* pList, const std::string& strUrl,
                                    const std::string& strKey) {
    if (strUrl.empty()) {
        return false;
    }
    Lock lock(m_csSearch);
    if (!m_pSearchHelper) {
        return false;
    }
    try {
        return m_pSearchHelper->Search(pList, strUrl, strKey, false);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::Search out of memory\n");
        m_pSearchHelper->ResetKey();
        return false;
    }
}

bool CContactBroadSoftModel::SearchLocal(ContactBroadSoftListData* pList, const std::string& strClickAction,
                                         const std::string& strKey) {
    app_log(6, APP_LOG_INFO, "strClickAction = %s\n", strClickAction.c_str());
    std::string strUrl;
    try {
        Lock lock(m_csLock);
        const BroadSoftConfigItem* pItem = MyConfigByClickAction(strClickAction);
        if (pItem == nullptr) {
            return false;
        }
        strUrl = pItem->m_strUrl;
        m_strCurUrl = strUrl;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Search(pList, strUrl, strKey);
}

std::string CContactBroadSoftModel::GetContactNameByNumber(const std::string& strNumber) {
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::GetContactNameByNumber\n");
    if (strNumber.empty()) {
        return std::string();
    }
    try {
        Lock lock(m_csLock);
        if (!m_mapLastGood.empty()) {
            // While a refresh replaces lists, the lists it replaces still answer: their merge is read whole.
            return CallerNameIn(MyLookupCombined(), strNumber);
        }
        const BroadSoftItemList& listAll = MyCombinedOfTable();
        if (MyIndexCombined(listAll)) {
            return CallerNameIn(m_pNumberIndex->Candidates(strNumber, listAll), strNumber);
        }
        return CallerNameIn(listAll, strNumber);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::GetContactNameByNumber out of memory\n");
        return std::string();
    }
}

// Whether the number index shows the combined list, built again when the list changed since; false when it
// cannot be had (the list is read whole then).
bool CContactBroadSoftModel::MyIndexCombined(const BroadSoftItemList& listAll) {
    if (!m_pNumberIndex) {
        return false;
    }
    CBroadSoftNumberIndex::Stamp stamp;
    stamp.nRevision = m_nListRevision;
    stamp.nBuilds = m_nAllListBuilds;
    if (m_pNumberIndex->IsCurrent(stamp, listAll)) {
        return true;
    }
    try {
        m_pNumberIndex->Build(stamp, listAll);
        return true;
    } catch (const std::bad_alloc&) {
        m_pNumberIndex->Clear();
        return false;
    }
}

ContactBroadSoftItemBase* CContactBroadSoftModel::GetBroadSoftContactByName(const std::string& strName) {
    if (strName.empty()) {
        return nullptr;
    }
    try {
        Lock lock(m_csLock);
        const BroadSoftItemList* pSource = nullptr;
        if (m_strCurUrl == BSFT_ALL_CONTACT) {
            pSource = &MyCurrentCombined();
        } else if (const ListItemData* pData = MyFindItemData(m_strCurUrl)) {
            pSource = &pData->m_listItem;
        }
        if (pSource == nullptr) {
            return nullptr;
        }
        for (ContactBroadSoftItemBase* pItem : *pSource) {
            if (pItem != nullptr && pItem->GetDisplayName() == strName) {
                return pItem;
            }
        }
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::GetBroadSoftContactByName out of memory\n");
    }
    return nullptr;
}

int CContactBroadSoftModel::BroadSoft2Local(const std::string& strName) {
    return MyCopyToLocal(strName, false);
}

int CContactBroadSoftModel::BroadSoft2Black(const std::string& strName) {
    return MyCopyToLocal(strName, true);
}

int CContactBroadSoftModel::MyCopyToLocal(const std::string& strName, bool bBlack) {
    try {
        ContactGeneralItemData data;
        {
            Lock lock(m_csLock);
            if (!LocalRecordOf(GetBroadSoftContactByName(strName), bBlack, data)) {
                return kNotCopied;
            }
        }
        CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
        if (pLocal == nullptr) {
            return kNotCopied;
        }
        return bBlack ? pLocal->AddBlackContact(data) : pLocal->AddContactById(0, data);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::BroadSoft2Local out of memory\n");
        return kNotCopied;
    }
}

bool CContactBroadSoftModel::CallOut(const std::string& strNumber, const std::string& strName) {
    return talkLogic_CallOut(strNumber, strName, -1, nullptr);
}

}  // namespace NS_DIRECTORY
