#pragma once
// What the host's transfers did, read from its log lines: per URL the last outcome, and counters, so that a
// failure can be explained in words ("the server refused the password") and a long download can show how
// far it got. Passwords never reach it: the host logs URLs without their user part.

#include <map>
#include <string>
#include <vector>

namespace dirsim {

struct TransferOutcome {
    std::string strMethod;
    std::string strUrl;
    bool bOk = false;
    int nError = 0;
    long nHttpStatus = 0;
    std::string strReason;  // the host's own words for the failure
};

class CTransferDiary {
public:
    // Reads one log line; lines that are not about transfers are ignored.
    void Read(const std::string& strLine);
    // The last outcome for the URL (also a search address with its query when strUrl ends in "search.php");
    // null when the URL was never fetched.
    const TransferOutcome* Find(const std::string& strUrl) const;
    // Why a download the phone counts as failed failed, in words: the transfer's failure, or a document
    // the phone did not understand when the transfer itself worked; "" when the URL was never fetched.
    std::string Explain(const std::string& strUrl) const;
    int DoneCount() const { return m_nDone; }
    int FailedCount() const { return m_nFailed; }
    // The outcomes in the order they came.
    const std::vector<TransferOutcome>& History() const { return m_vecHistory; }

private:
    std::map<std::string, size_t> m_mapLast;  // URL -> index in m_vecHistory
    std::vector<TransferOutcome> m_vecHistory;
    int m_nDone = 0;
    int m_nFailed = 0;
};

// The URL without a "user:password@" part.
std::string UrlWithoutCredentials(const std::string& strUrl);

}  // namespace dirsim
