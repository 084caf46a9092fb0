// Caller matching: who a number belongs to, its ring and photo, and whether it is blacklisted.

#include <strings.h>

#include "AppLog.h"
#include "BaseHelper.h"
#include "ContactGeneralModel.h"
#include "ContactNumberIndex.h"

namespace NS_DIRECTORY {

namespace {

bool HasNumber(const CContactGeneralModel::ItemData& item, const std::string& strNumber) {
    return item.m_strMobileNumber == strNumber || item.m_strOfficeNumber == strNumber ||
           item.m_strOtherNumber == strNumber;
}

}  // namespace

bool CContactGeneralModel::MyComesBefore(const ItemData& a, const ItemData& b) const {
    const int nOrder = strcasecmp(a.m_strDisplayName.c_str(), b.m_strDisplayName.c_str());
    // Names equal ignoring case only come from a background reload, which keeps the file's order.
    return nOrder < 0 || (nOrder == 0 && &a != &b && MyContactIndex(&a) < MyContactIndex(&b));
}

CContactGeneralModel::ItemData* CContactGeneralModel::MyFindContactByNumber(const std::string& strNumber,
                                                                            const std::string& /*strExtra*/) {
    if (strNumber.empty()) {
        return nullptr;
    }
    if (!m_pNumberIndex || !m_pNumberIndex->IsUsable()) {
        for (const auto& pItem : m_listItem) {
            if (HasNumber(*pItem, strNumber)) {
                return pItem.get();
            }
        }
        return nullptr;
    }
    ItemData* pFirst = nullptr;
    CContactNumberIndex::Matches matches = m_pNumberIndex->Find(strNumber);
    for (ItemData* pItem = nullptr; matches.Next(&pItem);) {
        if (pFirst == nullptr || MyComesBefore(*pItem, *pFirst)) {
            pFirst = pItem;
        }
    }
    return pFirst;
}

std::string CContactGeneralModel::GetContactNameByPhoneNumber(const char* pNumber) {
    if (pNumber == nullptr) {
        return std::string();
    }
    return MyNoThrow(std::string(), [&]() -> std::string {
        const ItemData* pItem = MyFindContactByNumber(pNumber, std::string());
        return pItem == nullptr ? std::string() : pItem->m_strDisplayName;
    });
}

bool CContactGeneralModel::GetContactDataByNumber(ContactGeneralItemData* pData, const char* pNumber) {
    if (pData == nullptr || pNumber == nullptr) {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const ItemData* pItem = MyFindContactByNumber(pNumber, std::string());
        return pItem != nullptr && MyID2CGID(pData, *pItem);
    });
}

bool CContactGeneralModel::IsBlackContactNumber(const char* pNumber) {
    if (pNumber == nullptr || *pNumber == '\0') {
        return false;
    }
    return MyNoThrow(false, [&]() -> bool {
        const std::string strNumber(pNumber);
        if (!m_pNumberIndex || !m_pNumberIndex->IsUsable()) {
            for (const auto& pItem : m_listItem) {
                if (pItem->m_nGroupId == kBlacklistGroupId && HasNumber(*pItem, strNumber)) {
                    return true;
                }
            }
            return false;
        }
        CContactNumberIndex::Matches matches = m_pNumberIndex->Find(strNumber);
        for (ItemData* pItem = nullptr; matches.Next(&pItem);) {
            if (pItem->m_nGroupId == kBlacklistGroupId) {
                return true;
            }
        }
        return false;
    });
}

std::string CContactGeneralModel::GetContactRingByNumber(const char* pNumber, const char* pExtra) {
    if (pNumber == nullptr) {
        return std::string();
    }
    return MyNoThrow(std::string(), [&]() -> std::string {
        std::string strRing;
        const ItemData* pItem = MyFindContactByNumber(pNumber, pExtra == nullptr ? "" : pExtra);
        if (pItem != nullptr) {
            app_log(6, APP_LOG_INFO, "pItemData->m_strRing = %s\n", pItem->m_strRing.c_str());
            const GroupData* pGroup = MyFindGroupById(pItem->m_nGroupId);
            if (!pItem->m_strRing.empty() && ETL_MiscHelper::pathFileExist(pItem->m_strRing)) {
                strRing = pItem->m_strRing;
                app_log(6, APP_LOG_INFO, "The ring path in contact is: %s\n", strRing.c_str());
            } else if (pGroup != nullptr) {
                strRing = pGroup->m_strRing;
                app_log(6, APP_LOG_INFO, "The ring path in group is: %s\n", strRing.c_str());
            }
        }
        app_log(6, APP_LOG_INFO, "After locate ring, the path is: %s\n", strRing.c_str());
        return strRing;
    });
}

std::string CContactGeneralModel::GetContactImageByNumber(const char* pNumber, const char* pExtra) {
    if (pNumber == nullptr) {
        return std::string();
    }
    return MyNoThrow(std::string(), [&]() -> std::string {
        const ItemData* pItem = MyFindContactByNumber(pNumber, pExtra == nullptr ? "" : pExtra);
        return pItem == nullptr ? std::string() : pItem->m_strDefaultPhoto;
    });
}

std::string CContactGeneralModel::GetGroupRingByContact(const std::string& strName) {
    const ItemData* pItem = MyFindContact(strName);
    const GroupData* pGroup = pItem == nullptr ? nullptr : MyFindGroupById(pItem->m_nGroupId);
    if (pGroup == nullptr) {
        return std::string();
    }
    return MyNoThrow(std::string(), [&]() -> std::string { return pGroup->m_strRing; });
}

}  // namespace NS_DIRECTORY
