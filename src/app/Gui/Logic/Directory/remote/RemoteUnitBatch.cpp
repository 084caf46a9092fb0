#include "RemoteUnitBatch.h"

#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

CRemoteUnitBatch::CRemoteUnitBatch(CContactRemoteModel* pModel, const std::string& strParentUrl)
    : m_pModel(pModel), m_strParentUrl(strParentUrl) {}

void CRemoteUnitBatch::Start() {
    MyDropStarted();
    if (m_vecUnits.empty()) {
        m_vecUnits.reserve(kBatchSize + 1);
        m_vecNumbers.reserve(kNumbersPerUnit * (kBatchSize + 1));
    }
    RemoteUnitText unit;
    unit.nFirstNumber = m_vecNumbers.size();
    m_vecUnits.push_back(unit);
    m_bStarted = true;
}

void CRemoteUnitBatch::SetName(std::string_view name) {
    if (m_bStarted) {
        m_vecUnits.back().name = name;
    }
}

void CRemoteUnitBatch::AddNumber(std::string_view number) {
    if (m_bStarted) {
        m_vecNumbers.push_back(number);
        ++m_vecUnits.back().nNumbers;
    }
}

ContactRemoteUnit CRemoteUnitBatch::MakeStarted() const {
    if (!m_bStarted) {
        return ContactRemoteUnit();
    }
    const RemoteUnitText& unit = m_vecUnits.back();
    return ContactRemoteUnit(unit.name, m_vecNumbers.data() + unit.nFirstNumber, unit.nNumbers);
}

void CRemoteUnitBatch::Keep() {
    if (!m_bStarted) {
        return;
    }
    m_bStarted = false;
    if (m_vecUnits.size() >= kBatchSize) {
        Flush();
    }
}

void CRemoteUnitBatch::Flush() {
    MyDropStarted();
    if (m_vecUnits.empty()) {
        return;
    }
    try {
        m_pModel->MyAddUnitContacts(m_vecUnits.data(), m_vecUnits.size(), m_vecNumbers.data(),
                                    m_strParentUrl);
    } catch (...) {
        MyClear();
        throw;
    }
    MyClear();
}

void CRemoteUnitBatch::MyClear() {
    m_vecUnits.clear();
    m_vecNumbers.clear();
}

void CRemoteUnitBatch::MyDropStarted() {
    if (m_bStarted) {
        m_vecNumbers.resize(m_vecUnits.back().nFirstNumber);
        m_vecUnits.pop_back();
        m_bStarted = false;
    }
}

}  // namespace NS_DIRECTORY
