#include "LocalContactSearchAction.h"

#include <new>

#include "ContactGeneralSearchHelper.h"

namespace NS_DIRECTORY {

CLocalContactSearchAction::CLocalContactSearchAction()
    : NS_TA::CTaskAction(NS_TA::TA_REQUEST_LOCAL_CONTACT_SEARCH),
      m_pSearchHelper(nullptr),
      m_pResult(nullptr) {
    auto pHelper = std::make_unique<CContactGeneralSearchHelper>();
    auto pResult = std::make_unique<ContactGeneralSearchItemListData>();
    m_pSearchHelper = pHelper.release();
    m_pResult = pResult.release();
}

CLocalContactSearchAction::~CLocalContactSearchAction() {
    delete m_pSearchHelper;
    delete m_pResult;
}

bool CLocalContactSearchAction::Exec() {
    return IsRead() ? Read() : Write();
}

bool CLocalContactSearchAction::Write() {
    SetTaskActionErrorType(NS_TA::TA_WRITE_UNSUPPORTED);
    return false;
}

bool CLocalContactSearchAction::Read() {
    if (m_pSearchHelper == nullptr || m_pResult == nullptr || !m_pSource) {
        SetTaskActionErrorType(NS_TA::TA_NO_WORKING_OBJECT);
        return false;
    }
    if (m_bResetKey.exchange(false) || m_pSource != m_pSearchedSource) {
        m_pSearchHelper->ResetKey();
        m_pSearchedSource = m_pSource;
    }
    m_pResult->m_nIndexFrom = m_nBeginIndex;
    m_pResult->m_nCountToGet = m_nCount;
    m_pResult->m_listData.clear();
    const bool bFound =
        m_pSearchHelper->Search(*m_pSource, m_pResult, m_nGroupId, m_strSearchString, m_bShowMutlNumber);
    SetTaskActionErrorType(bFound ? NS_TA::TA_NO_ERROR : NS_TA::TA_SEARCH_FAILED);
    return bFound;
}

void CLocalContactSearchAction::SetSearchString(const std::string& strKey) {
    if (m_strSearchString != strKey) {
        m_strSearchString = strKey;
    }
}

void CLocalContactSearchAction::SetSearchGroupId(int nGroupId) {
    if (m_nGroupId != nGroupId) {
        m_nGroupId = nGroupId;
    }
}

void CLocalContactSearchAction::SetSearchBeginIndex(int nBeginIndex) {
    if (m_nBeginIndex != nBeginIndex) {
        m_nBeginIndex = nBeginIndex;
    }
}

void CLocalContactSearchAction::SetSearchCount(int nCount) {
    if (m_nCount != nCount) {
        m_nCount = nCount;
    }
}

void CLocalContactSearchAction::SetShowMutlNumber(bool bShow) {
    if (m_bShowMutlNumber != bShow) {
        m_bShowMutlNumber = bShow;
    }
}

void CLocalContactSearchAction::SetSearchSource(std::shared_ptr<const CContactSearchSource> pSource) {
    if (m_pSource != pSource) {
        m_pSource = std::move(pSource);
    }
}

void CLocalContactSearchAction::ResetKey() {
    m_bResetKey = true;
}

}  // namespace NS_DIRECTORY
