#include "RemoteUnitBatch.h"

#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

CRemoteUnitBatch::CRemoteUnitBatch(CContactRemoteModel* pModel, const std::string& strParentUrl)
    : m_pModel(pModel), m_strParentUrl(strParentUrl) {}

ContactRemoteUnit* CRemoteUnitBatch::Next() {
    if (m_vecUnits.empty()) {
        m_vecUnits.reserve(kBatchSize + 1);
    }
    if (m_nKept < m_vecUnits.size()) {
        m_vecUnits[m_nKept].Reset();
    } else {
        m_vecUnits.emplace_back();
    }
    return &m_vecUnits[m_nKept];
}

void CRemoteUnitBatch::Keep() {
    if (m_nKept >= m_vecUnits.size()) {
        return;
    }
    ++m_nKept;
    if (m_nKept >= kBatchSize) {
        Flush();
    }
}

void CRemoteUnitBatch::Flush() {
    if (m_nKept != 0) {
        const std::size_t nKept = m_nKept;
        m_nKept = 0;
        m_pModel->MyAddUnitContacts(m_vecUnits.data(), nKept, m_strParentUrl);
    }
}

}  // namespace NS_DIRECTORY
