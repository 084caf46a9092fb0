#include "TransferDiary.h"

#include <regex>

#include "Words.h"

namespace dirsim {

namespace {

constexpr size_t kMaxHistory = 2000;

}  // namespace

std::string UrlWithoutCredentials(const std::string& strUrl) {
    const size_t nScheme = strUrl.find("://");
    if (nScheme == std::string::npos) {
        return strUrl;
    }
    const size_t nHostStart = nScheme + 3;
    const size_t nPathStart = strUrl.find_first_of("/?#", nHostStart);
    const size_t nAt = strUrl.rfind('@', nPathStart == std::string::npos ? std::string::npos : nPathStart);
    if (nAt == std::string::npos || nAt < nHostStart) {
        return strUrl;
    }
    return strUrl.substr(0, nHostStart) + strUrl.substr(nAt + 1);
}

void CTransferDiary::Read(const std::string& strLine) {
    static const std::regex done(R"(^network file (\S+) (\S+) done, http (-?\d+))");
    static const std::regex failed(
        R"(^network file (\S+) (\S+) failed, error (-?\d+), http (-?\d+): ?(.*?)\n?$)");
    std::smatch match;
    TransferOutcome outcome;
    if (std::regex_search(strLine, match, done)) {
        outcome.bOk = true;
        outcome.nHttpStatus = std::stol(match[3]);
        ++m_nDone;
    } else if (std::regex_search(strLine, match, failed)) {
        outcome.nError = std::stoi(match[3]);
        outcome.nHttpStatus = std::stol(match[4]);
        outcome.strReason = match[5];
        ++m_nFailed;
    } else {
        return;
    }
    outcome.strMethod = match[1];
    outcome.strUrl = match[2];
    if (m_vecHistory.size() >= kMaxHistory) {
        m_vecHistory.erase(m_vecHistory.begin(), m_vecHistory.begin() + kMaxHistory / 2);
        m_mapLast.clear();
        for (size_t i = 0; i < m_vecHistory.size(); ++i) {
            m_mapLast[m_vecHistory[i].strUrl] = i;
        }
    }
    m_mapLast[outcome.strUrl] = m_vecHistory.size();
    m_vecHistory.push_back(outcome);
}

const TransferOutcome* CTransferDiary::Find(const std::string& strUrl) const {
    const std::string strPlain = UrlWithoutCredentials(strUrl);
    const auto found = m_mapLast.find(strPlain);
    if (found != m_mapLast.end()) {
        return &m_vecHistory[found->second];
    }
    for (auto it = m_vecHistory.rbegin(); it != m_vecHistory.rend(); ++it) {
        if (it->strUrl.rfind(strPlain + "?", 0) == 0) {
            return &*it;
        }
    }
    return nullptr;
}

std::string CTransferDiary::Explain(const std::string& strUrl) const {
    const TransferOutcome* pOutcome = Find(strUrl);
    if (pOutcome == nullptr) {
        return "";
    }
    if (pOutcome->bOk) {
        return "it downloaded, but the document is not a remote phonebook document the phone understands";
    }
    return TransferFailureText(pOutcome->nError, pOutcome->nHttpStatus);
}

}  // namespace dirsim
