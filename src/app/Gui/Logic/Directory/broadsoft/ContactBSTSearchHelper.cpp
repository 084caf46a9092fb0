#include "ContactBSTSearchHelper.h"

#include <algorithm>
#include <cctype>

#include "AppLog.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactBroadSoftModel.h"
#include "SearchKeyGrowth.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

bool Matches(const std::string& strField, const std::string& strKey) {
    return CommonAPI_StringMatch(strField, strKey, false, STRING_MATCH_CONTAIN);
}

std::string LowerBytes(std::string strKey) {
    std::transform(strKey.begin(), strKey.end(), strKey.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return strKey;
}

}  // namespace

CContactBSTSearchHelper::CContactBSTSearchHelper(CContactBroadSoftModel* pModel)
    : m_pModel(pModel), m_eSearchType(SEARCH_TYPE_NONE), m_nListRevision(0) {}

bool CContactBSTSearchHelper::Search(ContactBroadSoftListData* pList, const std::string& strUrl,
                                     const std::string& strKey, bool bTriple) {
    app_log(6, APP_LOG_INFO, "CContactBSTSearchHelper::Search strSearch[%s]\n", strKey.c_str());
    if (pList == nullptr || strUrl.empty()) {
        return false;
    }
    if (strKey.empty()) {
        ResetKey();
        m_strUrl.clear();
        return true;
    }
    m_strRawKey = strKey;
    const std::string strLowerKey = LowerBytes(strKey);
    const bool bCurrent = MyIsResultCurrent(strUrl);
    if (bCurrent && !m_strLastKey.empty() && m_strLastKey == strLowerKey) {
        return MyCopyResult(pList, strUrl, strLowerKey, bTriple);
    }
    const int eSearchType = CommonAPI_IsSearchByT9(strKey) ? SEARCH_TYPE_T9 : SEARCH_TYPE_TEXT;
    const bool bNarrow = bCurrent && eSearchType == m_eSearchType && MyIsFromLastSearch(strLowerKey, strUrl);
    m_eSearchType = eSearchType;
    return bNarrow ? MySearchFromResult(pList, strUrl, strLowerKey, bTriple)
                   : MyReSearch(pList, strUrl, strLowerKey, bTriple);
}

void CContactBSTSearchHelper::ResetKey() {
    m_strLastKey.clear();
    m_strRawKey.clear();
    m_listResult.clear();
}

bool CContactBSTSearchHelper::MyIsFromLastSearch(const std::string& strKey, const std::string& strUrl) const {
    return !m_strLastKey.empty() && IsOneCharacterLonger(strKey, m_strLastKey) && m_strUrl == strUrl;
}

bool CContactBSTSearchHelper::MyIsResultCurrent(const std::string& strUrl) const {
    return m_strUrl == strUrl && m_nListRevision == MyModelRevision();
}

unsigned long long CContactBSTSearchHelper::MyModelRevision() const {
    Lock lock(m_pModel->m_csLock);
    return m_pModel->m_nListRevision;
}

bool CContactBSTSearchHelper::MyReSearch(ContactBroadSoftListData* pList, const std::string& strUrl,
                                         const std::string& strKey, bool bTriple) {
    m_listResult.clear();
    m_strLastKey.clear();
    {
        Lock lock(m_pModel->m_csLock);
        const BroadSoftItemList* pSource = nullptr;
        if (strUrl == BSFT_ALL_CONTACT) {
            pSource = &m_pModel->MyCombinedOfTable();
        } else if (const CContactBroadSoftModel::ListItemData* pData = m_pModel->MyFindItemData(strUrl)) {
            pSource = &pData->m_listItem;
        }
        if (pSource == nullptr) {
            return true;
        }
        for (const ContactBroadSoftItemBase* pItem : *pSource) {
            ContactBroadSoftItemData item;
            if (BroadSoftItem2NewData(pItem, item) && MyIsMatched(item, strKey)) {
                m_listResult.push_back(std::move(item));
            }
        }
        m_nListRevision = m_pModel->m_nListRevision;
    }
    m_strLastKey = strKey;
    m_strUrl = strUrl;
    return MyCopyResult(pList, strUrl, strKey, bTriple);
}

// The key only grew, so every match of it is among the last matches: they are narrowed in place.
bool CContactBSTSearchHelper::MySearchFromResult(ContactBroadSoftListData* pList, const std::string& strUrl,
                                                 const std::string& strKey, bool bTriple) {
    if (pList == nullptr || strUrl.empty()) {
        return false;
    }
    int nFrom = 0;
    int nTo = 0;
    if (!MyWindow(*pList, bTriple, &nFrom, &nTo)) {
        return false;
    }
    int nCount = 0;
    for (auto it = m_listResult.begin(); it != m_listResult.end();) {
        if (it->m_strName.empty()) {
            ++it;
            continue;
        }
        if (!MyIsMatched(*it, strKey)) {
            it = m_listResult.erase(it);
            continue;
        }
        if (nCount >= nFrom && nCount < nTo) {
            pList->m_listData.push_back(*it);
        }
        ++nCount;
        ++it;
    }
    pList->m_nTotalCount = nCount;
    m_strLastKey = strKey;
    return true;
}

bool CContactBSTSearchHelper::MyCopyResult(ContactBroadSoftListData* pList, const std::string& strUrl,
                                           const std::string& strKey, bool bTriple) {
    if (pList == nullptr || strUrl.empty() || strKey.empty()) {
        return false;
    }
    int nFrom = 0;
    int nTo = 0;
    if (!MyWindow(*pList, bTriple, &nFrom, &nTo)) {
        return false;
    }
    int nCount = 0;
    for (const ContactBroadSoftItemData& item : m_listResult) {
        if (item.m_strName.empty()) {
            continue;
        }
        if (nCount >= nFrom && nCount < nTo) {
            pList->m_listData.push_back(item);
        }
        ++nCount;
    }
    pList->m_nTotalCount = nCount;
    return true;
}

bool CContactBSTSearchHelper::MyWindow(const ContactBroadSoftListData& page, bool bTriple, int* pFrom,
                                       int* pTo) const {
    const long long nSize = static_cast<long long>(m_listResult.size()) * (bTriple ? 3 : 1);
    return CommonAPI_GetFromAndToIndex(pFrom, pTo, page.m_nIndexFrom, page.m_nCountToGet,
                                       static_cast<int>(std::min<long long>(nSize, 0x7fffffff)));
}

// A digit key finds the number as it is (so a key with its "+" finds it too), the mobile, the extension or
// the keypad digits of the shown name; a text key finds the shown name.
bool CContactBSTSearchHelper::MyIsMatched(const ContactBroadSoftItemData& item,
                                          const std::string& strKey) const {
    if (m_eSearchType == SEARCH_TYPE_TEXT) {
        return Matches(item.m_strName, strKey);
    }
    return Matches(item.m_strNumber, strKey) || Matches(item.m_strMobile, strKey) ||
           Matches(item.m_strExtension, strKey) || Matches(CommonUnits_ToKeyString(item.m_strName), strKey);
}

}  // namespace NS_DIRECTORY
