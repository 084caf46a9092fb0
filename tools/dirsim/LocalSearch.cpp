#include "LocalSearch.h"

#include "CommonUnits.h"
#include "ContactGeneralModel.h"
#include "LocalContactSearchAction.h"
#include "Session.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

constexpr int kSearchTimeoutMs = 5000;

}  // namespace

bool CLocalSearcher::Start(int nGroupId, const std::string& strKey, int nFrom, int nCount) {
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    CommonUnits_SetErrorId(0);
    return pModel != nullptr &&
           pModel->SearchAsync(std::string(kLocalClickActionPattern) + std::to_string(nGroupId), strKey,
                               nFrom, nCount, this);
}

LocalSearchAnswer CLocalSearcher::TakeAnswer() {
    m_bAnswered = false;
    return std::move(m_answer);
}

void CLocalSearcher::OnTaskActionCallback(NS_TA::CTaskAction* pAction) {
    auto* pSearch = dynamic_cast<CLocalContactSearchAction*>(pAction);
    const ContactGeneralSearchItemListData* pResult =
        pSearch == nullptr ? nullptr : pSearch->GetSearchResult();
    m_answer = LocalSearchAnswer();
    if (pResult != nullptr) {
        m_answer.strKey = pResult->m_strSearchKey;
        m_answer.nTotal = pResult->m_nTotalCount;
        m_answer.nFrom = pResult->m_nIndexFrom;
        m_answer.vecPage = pResult->m_listData;
    }
    m_bAnswered = true;
}

bool CLocalSearcher::SearchAndWait(CSession& session, int nGroupId, const std::string& strKey, int nFrom,
                                   int nCount, LocalSearchAnswer* pAnswer, std::string* pError) {
    m_bAnswered = false;
    if (!Start(nGroupId, strKey, nFrom, nCount)) {
        const int nCode = CommonUnits_GetErrorId();
        *pError = nCode != 0 ? LocalRefusalText(nCode) : "the phone book did not take the search";
        return false;
    }
    const CSession::WaitEnd eEnd = session.WaitUntil([this] { return m_bAnswered; }, kSearchTimeoutMs);
    if (eEnd != CSession::WaitEnd::Done) {
        *pError =
            eEnd == CSession::WaitEnd::Interrupted ? "interrupted" : "the search did not answer in time";
        return false;
    }
    *pAnswer = TakeAnswer();
    return true;
}

CLocalSearcher& LocalSearcher() {
    static CLocalSearcher searcher;
    return searcher;
}

std::vector<std::string> TypedPrefixes(const std::string& strKey) {
    std::vector<std::string> vecPrefixes;
    for (size_t i = 1; i <= strKey.size(); ++i) {
        const bool bCharacterEnds =
            i == strKey.size() || (static_cast<unsigned char>(strKey[i]) & 0xC0) != 0x80;
        if (bCharacterEnds) {
            vecPrefixes.push_back(strKey.substr(0, i));
        }
    }
    return vecPrefixes;
}

}  // namespace dirsim
