#include "ContactGeneralSearchHelper.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <new>

#include "CommonAPI.h"
#include "SearchKeyGrowth.h"

namespace NS_DIRECTORY {

namespace {

// The store itself, searched on the GUI thread.
class CStoreSource final : public CContactSearchSource {
public:
    explicit CStoreSource(const CContactGeneralModel& model) : m_model(model) {}

    size_t GetContactCount() const override { return m_model.MyGetItemList().size(); }
    const CContactGeneralModel::ItemData& GetContact(size_t nIndex) const override {
        return *m_model.MyGetItemList()[nIndex];
    }
    bool Convert(ContactGeneralItemData* pOut, const CContactGeneralModel::ItemData& item) const override {
        return m_model.MyID2CGID(pOut, item);
    }

private:
    const CContactGeneralModel& m_model;
};

std::string LowerKey(const std::string& strKey) {
    std::string strLower = strKey;
    for (char& c : strLower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return strLower;
}

bool IsInSearchedGroup(const CContactGeneralModel::ItemData& item, int nGroupId) {
    if (nGroupId == kAllContactsGroupId) {
        return item.m_nGroupId != kBlacklistGroupId;
    }
    return item.m_nGroupId == nGroupId;
}

bool FieldMatches(const std::string& strField, const std::string& strLowerKey) {
    return CommonAPI_StringMatch(strField, strLowerKey, false, STRING_MATCH_CONTAIN);
}

}  // namespace

// ---- snapshot

CContactSearchSnapshot::CContactSearchSnapshot(std::vector<CContactGeneralModel::ItemData> listItem,
                                               std::vector<std::pair<int, std::string>> listGroupNames)
    : m_listItem(std::move(listItem)), m_listGroupNames([&listGroupNames]() {
          std::stable_sort(listGroupNames.begin(), listGroupNames.end(),
                           [](const auto& a, const auto& b) { return a.first < b.first; });
          return std::move(listGroupNames);
      }()) {}

bool CContactSearchSnapshot::Convert(ContactGeneralItemData* pOut,
                                     const CContactGeneralModel::ItemData& item) const {
    const auto found = std::lower_bound(m_listGroupNames.begin(), m_listGroupNames.end(), item.m_nGroupId,
                                        [](const auto& group, int nId) { return group.first < nId; });
    if (found == m_listGroupNames.end() || found->first != item.m_nGroupId || item.m_nGroupId == -1) {
        return false;
    }
    return CContactGeneralModel::MyFillContactRecord(pOut, item, found->second);
}

// ---- search

bool CContactGeneralSearchHelper::Search(ContactGeneralSearchItemListData* pOut, int nGroupId,
                                         const std::string& strKey, bool bShowMultNumber) {
    const CContactGeneralModel* pModel = CContactGeneralModel::m_pInst;
    if (pModel == nullptr) {
        return false;
    }
    return Search(CStoreSource(*pModel), pOut, nGroupId, strKey, bShowMultNumber);
}

bool CContactGeneralSearchHelper::Search(const CContactSearchSource& source,
                                         ContactGeneralSearchItemListData* pOut, int nGroupId,
                                         const std::string& strKey, bool bShowMultNumber) {
    if (pOut == nullptr || nGroupId < 0) {
        return false;
    }
    try {
        if (strKey.empty()) {
            ResetKey();
            m_nGroupId = -1;
            return true;
        }
        m_strCurrentKey = strKey;
        const std::string strLowerKey = LowerKey(strKey);
        if (m_strLastKey == strLowerKey && m_nGroupId == nGroupId) {
            return MyCopyResult(source, pOut, nGroupId, strLowerKey, bShowMultNumber);
        }
        m_nSearchType = CommonAPI_IsSearchByT9(strKey) ? SEARCH_TYPE_T9 : SEARCH_TYPE_NAME;
        if (MyCanNarrow(strLowerKey, nGroupId)) {
            return MySearchFromResult(source, pOut, nGroupId, strLowerKey, bShowMultNumber);
        }
        return MyReSearch(source, pOut, nGroupId, strLowerKey, bShowMultNumber);
    } catch (const std::bad_alloc&) {
        ResetKey();
        return false;
    }
}

void CContactGeneralSearchHelper::ResetKey() {
    m_strLastKey.clear();
    m_strCurrentKey.clear();
    m_listMatches.clear();
}

bool CContactGeneralSearchHelper::MyCanNarrow(const std::string& strLowerKey, int nGroupId) const {
    return !m_strLastKey.empty() && m_nGroupId == nGroupId && IsOneCharacterLonger(strLowerKey, m_strLastKey);
}

int CContactGeneralSearchHelper::MyMatchingField(const CContactGeneralModel::ItemData& item, int nGroupId,
                                                 const std::string& strLowerKey, int nFirstField) const {
    if (!IsInSearchedGroup(item, nGroupId)) {
        return -1;
    }
    if (m_nSearchType != SEARCH_TYPE_T9) {
        return FieldMatches(item.m_strDisplayName, strLowerKey) ? 0 : -1;
    }
    const std::string* const aFields[] = {&item.m_strOfficeNumber, &item.m_strMobileNumber,
                                          &item.m_strOtherNumber, &item.m_strNameIndex};
    for (int nField = nFirstField; nField < static_cast<int>(std::size(aFields)); ++nField) {
        if (FieldMatches(*aFields[nField], strLowerKey)) {
            return nField;
        }
    }
    return -1;
}

bool CContactGeneralSearchHelper::MyPageWindow(const ContactGeneralSearchItemListData& out,
                                               bool bShowMultNumber, int* pFrom, int* pTo) const {
    const int nCandidates = static_cast<int>(m_listMatches.size()) * (bShowMultNumber ? 3 : 1);
    if (out.m_nIndexFrom > 0 && out.m_nIndexFrom >= nCandidates) {
        return false;
    }
    return CommonAPI_GetFromAndToIndex(pFrom, pTo, out.m_nIndexFrom, out.m_nCountToGet, nCandidates);
}

bool CContactGeneralSearchHelper::MyReSearch(const CContactSearchSource& source,
                                             ContactGeneralSearchItemListData* pOut, int nGroupId,
                                             const std::string& strLowerKey, bool bShowMultNumber) {
    if (pOut == nullptr || nGroupId < 0 || strLowerKey.empty()) {
        return false;
    }
    m_listMatches.clear();
    const size_t nCount = source.GetContactCount();
    for (size_t nIndex = 0; nIndex < nCount; ++nIndex) {
        const CContactGeneralModel::ItemData& item = source.GetContact(nIndex);
        const int nField = MyMatchingField(item, nGroupId, strLowerKey, 0);
        if (nField >= 0) {
            m_listMatches.push_back(Match{&item, nField});
        }
    }
    m_strLastKey = strLowerKey;
    m_nGroupId = nGroupId;
    return MyCopyResult(source, pOut, nGroupId, strLowerKey, bShowMultNumber);
}

// Keeps the remembered matches that still match and pages through them exactly as after a full scan, so a
// narrowed answer (page, total, and a refusal of a page past the end) always equals a fresh scan.
bool CContactGeneralSearchHelper::MySearchFromResult(const CContactSearchSource& source,
                                                     ContactGeneralSearchItemListData* pOut, int nGroupId,
                                                     const std::string& strLowerKey, bool bShowMultNumber) {
    if (pOut == nullptr || nGroupId < 0 || strLowerKey.empty()) {
        return false;
    }
    size_t nKept = 0;
    for (const Match& match : m_listMatches) {
        const int nField = MyMatchingField(*match.pItem, nGroupId, strLowerKey, match.nField);
        if (nField >= 0) {
            m_listMatches[nKept++] = Match{match.pItem, nField};
        }
    }
    m_listMatches.resize(nKept);
    m_strLastKey = strLowerKey;
    m_nGroupId = nGroupId;
    return MyCopyResult(source, pOut, nGroupId, strLowerKey, bShowMultNumber);
}

bool CContactGeneralSearchHelper::MyCopyResult(const CContactSearchSource& source,
                                               ContactGeneralSearchItemListData* pOut, int nGroupId,
                                               const std::string& strLowerKey, bool bShowMultNumber) {
    if (pOut == nullptr || nGroupId < 0 || strLowerKey.empty()) {
        return false;
    }
    int nFrom = -1;
    int nTo = -1;
    if (!MyPageWindow(*pOut, bShowMultNumber, &nFrom, &nTo)) {
        return false;
    }
    const int nEnd = std::min(nTo, static_cast<int>(m_listMatches.size()));
    pOut->m_listData.reserve(pOut->m_listData.size() + static_cast<size_t>(std::max(0, nEnd - nFrom)));
    for (int nIndex = nFrom; nIndex < nEnd; ++nIndex) {
        if (!source.Convert(&pOut->m_listData.emplace_back(),
                            *m_listMatches[static_cast<size_t>(nIndex)].pItem)) {
            pOut->m_listData.pop_back();
        }
    }
    pOut->m_strSearchKey = m_strCurrentKey;
    pOut->m_nTotalCount = static_cast<int>(m_listMatches.size());
    return true;
}

}  // namespace NS_DIRECTORY
