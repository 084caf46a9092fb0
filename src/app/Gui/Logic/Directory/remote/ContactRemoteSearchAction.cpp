#include "ContactRemoteSearchAction.h"

#include <cassert>
#include <new>

namespace NS_DIRECTORY {

CContactRemoteSearchHelper CContactRemoteSearchAction::staSearchHelper;

CContactRemoteSearchAction::CContactRemoteSearchAction()
    : NS_TA::CTaskAction(NS_TA::TA_REQUEST_REMOTE_CONTACT_SEARCH),
      m_bSearchLocal(false),
      m_pResult(new (std::nothrow) RemoteSearchListData()) {}

CContactRemoteSearchAction::~CContactRemoteSearchAction() {
    delete m_pResult;
}

bool CContactRemoteSearchAction::Exec() {
    return IsRead() ? Read() : Write();
}

bool CContactRemoteSearchAction::Read() {
    if (m_pResult == nullptr) {
        SetTaskActionErrorType(NS_TA::TA_NO_WORKING_OBJECT);
        return false;
    }
    m_pResult->m_listData.clear();
    return m_bSearchLocal && staSearchHelper.SearchLocal(m_pResult, m_strUrl);
}

bool CContactRemoteSearchAction::Write() {
    SetTaskActionErrorType(NS_TA::TA_WRITE_UNSUPPORTED);
    return false;
}

void CContactRemoteSearchAction::SetKey(const std::string& strKey) {
    if (m_pResult != nullptr) {
        m_pResult->m_strKey = strKey;
    }
}

std::string CContactRemoteSearchAction::GetKey() const {
    return m_pResult == nullptr ? std::string() : m_pResult->m_strKey;
}

void CContactRemoteSearchAction::SetFromIndex(int nFrom) {
    if (m_pResult != nullptr) {
        m_pResult->m_nIndexFrom = nFrom;
    }
}

int CContactRemoteSearchAction::GetFromIndex() const {
    return m_pResult == nullptr ? 0 : m_pResult->m_nIndexFrom;
}

void CContactRemoteSearchAction::SetCountToGet(int nCount) {
    if (m_pResult != nullptr) {
        m_pResult->m_nCountToGet = nCount;
    }
}

int CContactRemoteSearchAction::GetCountToGet() const {
    return m_pResult == nullptr ? 0 : m_pResult->m_nCountToGet;
}

void CContactRemoteSearchAction::SetTotalCount(int nTotal) {
    if (m_pResult != nullptr) {
        m_pResult->m_nTotalCount = nTotal;
    }
}

int CContactRemoteSearchAction::GetTotalCount() const {
    return m_pResult == nullptr ? 0 : m_pResult->m_nTotalCount;
}

std::list<RemoteSearchItemData> CContactRemoteSearchAction::GetResultList() const {
    assert(m_pResult != __null);
    return m_pResult == nullptr ? std::list<RemoteSearchItemData>() : m_pResult->m_listData;
}

RemoteSearchListData CContactRemoteSearchAction::GetResultListData() const {
    assert(m_pResult != __null);
    return m_pResult == nullptr ? RemoteSearchListData() : *m_pResult;
}

void CContactRemoteSearchAction::SetResultList(const std::list<RemoteSearchItemData>& listResult) {
    if (m_pResult != nullptr) {
        m_pResult->m_listData = listResult;
    }
}

}  // namespace NS_DIRECTORY
