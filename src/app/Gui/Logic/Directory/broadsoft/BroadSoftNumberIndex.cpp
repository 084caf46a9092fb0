#include "BroadSoftNumberIndex.h"

#include <algorithm>
#include <functional>

namespace NS_DIRECTORY {

bool CBroadSoftNumberIndex::IsCurrent(const Stamp& stamp, const BroadSoftItemList& listItem) const {
    return m_bBuilt && m_stamp == stamp && m_pStorage == listItem.data() && m_nSize == listItem.size();
}

void CBroadSoftNumberIndex::Build(const Stamp& stamp, const BroadSoftItemList& listItem) {
    Clear();
    for (std::size_t nPosition = 0; nPosition < listItem.size(); ++nPosition) {
        const ContactBroadSoftItemBase* pItem = listItem[nPosition];
        if (const ContactBroadSoftPersonal* pPersonal = Base2Personal(pItem)) {
            MyAdd(pPersonal->m_strNumber, nPosition);
        } else if (const ContactBroadSoftGroup* pGroup = Base2Group(pItem)) {
            MyAdd(pGroup->m_strExtension, nPosition);
            MyAdd(pGroup->m_strNumber, nPosition);
            MyAdd(pGroup->m_strMobile, nPosition);
        } else if (const ContactBroadSoftEnterprise* pEnterprise = Base2Enterprise(pItem)) {
            MyAdd(pEnterprise->m_strExtension, nPosition);
            MyAdd(pEnterprise->m_strNumber, nPosition);
            MyAdd(pEnterprise->m_strMobile, nPosition);
        } else if (const ContactBroadSoftCommon* pCommon = Base2Common(pItem)) {
            MyAdd(pCommon->m_strNumber, nPosition);
        } else if (const ContactBroadSoftCustom* pCustom = Base2Custom(pItem)) {
            MyAdd(pCustom->m_strNumber, nPosition);
        }
    }
    std::sort(m_listByHash.begin(), m_listByHash.end());
    m_stamp = stamp;
    m_pStorage = listItem.data();
    m_nSize = listItem.size();
    m_bBuilt = true;
}

void CBroadSoftNumberIndex::Clear() {
    m_bBuilt = false;
    m_listByHash.clear();
}

std::vector<const ContactBroadSoftItemBase*> CBroadSoftNumberIndex::Candidates(
    const std::string& strNumber, const BroadSoftItemList& listItem) const {
    std::vector<const ContactBroadSoftItemBase*> listCandidates;
    const std::uint32_t nHash = MyHash(strNumber);
    auto it =
        std::lower_bound(m_listByHash.begin(), m_listByHash.end(), std::make_pair(nHash, std::uint32_t{0}));
    std::size_t nLast = listItem.size();
    for (; it != m_listByHash.end() && it->first == nHash; ++it) {
        // An entry carrying the number in two fields comes once.
        if (it->second != nLast && it->second < listItem.size()) {
            nLast = it->second;
            listCandidates.push_back(listItem[nLast]);
        }
    }
    return listCandidates;
}

void CBroadSoftNumberIndex::MyAdd(const std::string& strNumber, std::size_t nPosition) {
    if (!strNumber.empty()) {
        m_listByHash.emplace_back(MyHash(strNumber), static_cast<std::uint32_t>(nPosition));
    }
}

std::uint32_t CBroadSoftNumberIndex::MyHash(const std::string& strNumber) {
    return static_cast<std::uint32_t>(std::hash<std::string>()(strNumber));
}

}  // namespace NS_DIRECTORY
