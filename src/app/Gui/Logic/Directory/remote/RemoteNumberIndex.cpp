#include "RemoteNumberIndex.h"

#include <algorithm>
#include <functional>

namespace NS_DIRECTORY {

void CRemoteNumberIndex::Build(RemoteTree& tree) {
    Clear();
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        const ContactRemoteUnit* pUnit = Base2Unit((*it).m_pItem);
        if (pUnit == nullptr || pUnit->m_listNumber.empty()) {
            continue;
        }
        const auto nPosition = static_cast<std::uint32_t>(m_listNodes.size());
        for (const std::string& strNumber : pUnit->m_listNumber) {
            m_listByHash.emplace_back(MyHash(strNumber), nPosition);
        }
        m_listNodes.push_back(it.operator->());
    }
    std::sort(m_listByHash.begin(), m_listByHash.end());
    m_nIndexChanges = tree.GetIndexChanges();
    m_bBuilt = true;
}

void CRemoteNumberIndex::Clear() {
    m_bBuilt = false;
    m_listByHash.clear();
    m_listNodes.clear();
}

std::vector<CRemoteNumberIndex::TinyNode*> CRemoteNumberIndex::Candidates(
    const std::string& strNumber) const {
    std::vector<TinyNode*> listNodes;
    const std::uint32_t nHash = MyHash(strNumber);
    auto it =
        std::lower_bound(m_listByHash.begin(), m_listByHash.end(), std::make_pair(nHash, std::uint32_t{0}));
    for (; it != m_listByHash.end() && it->first == nHash; ++it) {
        // An entry listing the number twice comes once.
        if (listNodes.empty() || listNodes.back() != m_listNodes[it->second]) {
            listNodes.push_back(m_listNodes[it->second]);
        }
    }
    return listNodes;
}

std::uint32_t CRemoteNumberIndex::MyHash(const std::string& strNumber) {
    return static_cast<std::uint32_t>(std::hash<std::string>()(strNumber));
}

}  // namespace NS_DIRECTORY
