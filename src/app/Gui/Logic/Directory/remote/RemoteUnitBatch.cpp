#include "RemoteUnitBatch.h"

#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

CRemoteUnitBatch::CRemoteUnitBatch(CContactRemoteModel* pModel, const std::string& strParentUrl)
    : m_pModel(pModel), m_strParentUrl(strParentUrl) {}

ContactRemoteUnit* CRemoteUnitBatch::Next() {
    if (m_pSpare == nullptr) {
        m_pSpare.reset(new ContactRemoteUnit());
    } else {
        m_pSpare->Reset();
    }
    return m_pSpare.get();
}

void CRemoteUnitBatch::Keep() {
    if (m_pSpare == nullptr) {
        return;
    }
    if (m_vecUnits.empty()) {
        m_vecUnits.reserve(kBatchSize);
    }
    m_vecUnits.push_back(std::move(m_pSpare));
    if (m_vecUnits.size() >= kBatchSize) {
        Flush();
    }
}

void CRemoteUnitBatch::Flush() {
    if (!m_vecUnits.empty()) {
        m_pModel->MyAddUnitContacts(m_vecUnits, m_strParentUrl);
        m_vecUnits.clear();
    }
}

}  // namespace NS_DIRECTORY
