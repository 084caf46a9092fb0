// Server-side search: search criteria become Xsi query parameters of a directory URL.

#include "CommonAPI.h"
#include "ContactBroadSoftModel.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

bool AllEmpty(std::initializer_list<const std::string*> fields) {
    for (const std::string* pField : fields) {
        if (!pField->empty()) {
            return false;
        }
    }
    return true;
}

void AddIfSet(std::string& strUrl, const char* pKey, const std::string& strValue, bool bWildcard,
              bool bExact) {
    if (!strValue.empty()) {
        CContactBroadSoftModel::AddUrlParameter(strUrl, pKey, strValue, bWildcard, bExact);
    }
}

}  // namespace

bool CContactBroadSoftModel::PreSearchProcess(std::string& strUrl, ContactBroadSoftItemData& itemData) {
    {
        Lock lock(m_csLock);
        const ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr || pData->m_eStatus == LIST_FAILED) {
            return false;
        }
    }
    if (itemData.m_strName == ",") {
        itemData.m_strName.clear();
    }
    const ContactBroadSoftItemData& criteria = itemData;
    if (AllEmpty({&criteria.m_strName, &criteria.m_strEmailAddress, &criteria.m_strExtension,
                  &criteria.m_strNumber, &criteria.m_strMobile, &criteria.m_strDepartment})) {
        return false;
    }
    if ((IsPersonal(strUrl) || IsCommonDir(strUrl)) &&
        AllEmpty({&criteria.m_strName, &criteria.m_strNumber})) {
        return false;
    }
    if (strUrl.find("CustomContact") != std::string::npos &&
        AllEmpty(
            {&criteria.m_strName, &criteria.m_strExtension, &criteria.m_strNumber, &criteria.m_strMobile})) {
        return false;
    }
    AddParameters(strUrl, criteria);
    return true;
}

// A name "first,last" searches each part in its own field. A name without a comma is one word the user
// typed: alone it is looked for in the first or the last name; beside other criteria, which Xsi cannot
// combine with an either-or, in the first name.
void CContactBroadSoftModel::AddParameters(std::string& strUrl, const ContactBroadSoftItemData& itemData) {
    const std::string& strName = itemData.m_strName;
    bool bEitherName = false;
    if (IsPersonal(strUrl) || IsCommonDir(strUrl)) {
        AddIfSet(strUrl, "name", CommonAPI_TrimString(strName, ",", TRIM_BOTH), true, false);
    } else {
        const std::size_t nComma = strName.find(',');
        if (nComma != std::string::npos) {
            AddIfSet(strUrl, "firstName", strName.substr(0, nComma), true, false);
            AddIfSet(strUrl, "lastName", strName.substr(nComma + 1), true, false);
        } else if (!strName.empty()) {
            bEitherName = AllEmpty({&itemData.m_strNumber, &itemData.m_strMobile, &itemData.m_strExtension,
                                    &itemData.m_strDepartment, &itemData.m_strEmailAddress});
            AddIfSet(strUrl, "firstName", strName, true, false);
            if (bEitherName) {
                AddIfSet(strUrl, "lastName", strName, true, false);
            }
        }
    }
    AddIfSet(strUrl, "number", itemData.m_strNumber, true, false);
    AddIfSet(strUrl, "mobile", itemData.m_strMobile, false, false);
    AddIfSet(strUrl, "extension", itemData.m_strExtension, true, false);
    AddIfSet(strUrl, "department", itemData.m_strDepartment, false, true);
    AddIfSet(strUrl, "emailAddress", itemData.m_strEmailAddress, true, false);
    SetSearchCriteriaModeOr(strUrl, bEitherName);
}

void CContactBroadSoftModel::SetSearchCriteriaModeOr(std::string& strUrl, bool bOr) {
    if (bOr) {
        AddUrlParameter(strUrl, "searchCriteriaModeOr", "True", false, true);
    }
}

bool CContactBroadSoftModel::IsOnlySearchEnterprise(const std::string& strUrl) {
    if (strUrl.find("/directories/Group") == std::string::npos ||
        strUrl.find("/directories/GroupCommon") != std::string::npos) {
        return false;
    }
    Lock lock(m_csLock);
    if (!m_bEnterpriseConfigured) {
        return false;
    }
    const ListItemData* pData = MyFindItemData(m_strBaseUrl + "Enterprise");
    return pData != nullptr && pData->m_eStatus == LIST_LOADED;
}

}  // namespace NS_DIRECTORY
