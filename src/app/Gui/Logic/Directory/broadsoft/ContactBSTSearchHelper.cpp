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
    m_strRawKey.clear();
    MyForgetResult();
}

void CContactBSTSearchHelper::MyForgetResult() {
    m_strLastKey.clear();
    m_listResult.clear();
    m_vecRecord.clear();
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
    MyForgetResult();
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
        ContactBroadSoftItemData data;
        std::string strNameDigits;
        for (const ContactBroadSoftItemBase* pItem : *pSource) {
            if (!BroadSoftItem2Data(pItem, data)) {
                continue;
            }
            strNameDigits = m_eSearchType == SEARCH_TYPE_T9 ? CommonUnits_ToKeyString(data.m_strName) : "";
            if (MyIsMatched(data, strNameDigits, strKey)) {
                m_listResult.push_back({m_vecRecord.size(), std::move(strNameDigits)});
                m_vecRecord.push_back(std::move(data));
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
    auto itKept = m_listResult.begin();
    for (auto it = m_listResult.begin(); it != m_listResult.end(); ++it) {
        const ContactBroadSoftItemData& data = m_vecRecord[it->nRecord];
        if (!data.m_strName.empty()) {
            if (!MyIsMatched(data, it->strNameDigits, strKey)) {
                continue;
            }
            if (nCount >= nFrom && nCount < nTo) {
                pList->m_listData.push_back(data);
            }
            ++nCount;
        }
        if (itKept != it) {
            *itKept = std::move(*it);
        }
        ++itKept;
    }
    m_listResult.erase(itKept, m_listResult.end());
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
    for (const ResultItem& item : m_listResult) {
        const ContactBroadSoftItemData& data = m_vecRecord[item.nRecord];
        if (data.m_strName.empty()) {
            continue;
        }
        if (nCount >= nFrom && nCount < nTo) {
            pList->m_listData.push_back(data);
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
bool CContactBSTSearchHelper::MyIsMatched(const ContactBroadSoftItemData& data,
                                          const std::string& strNameDigits, const std::string& strKey) const {
    if (m_eSearchType == SEARCH_TYPE_TEXT) {
        return Matches(data.m_strName, strKey);
    }
    return Matches(data.m_strNumber, strKey) || Matches(data.m_strMobile, strKey) ||
           Matches(data.m_strExtension, strKey) || Matches(strNameDigits, strKey);
}

}  // namespace NS_DIRECTORY
