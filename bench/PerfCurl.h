#pragma once
// The peer of the network rows: libcurl's multi interface fetching URLs with at most n transfers at once,
// each body handed to a callback on the same thread as soon as it is in; the callback may queue further
// URLs (the next menus of a phonebook, the remaining pages of a directory).

#include <curl/curl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace perf {

class CurlFetcher {
public:
    CurlFetcher(int nParallel, std::string strUser = "", std::string strPassword = "");
    ~CurlFetcher();
    CurlFetcher(const CurlFetcher&) = delete;
    CurlFetcher& operator=(const CurlFetcher&) = delete;

    void Add(const std::string& strUrl);
    // Fetches until nothing is queued or running; onBody(url, body) gets each successful body. Answers the
    // number of transfers that failed.
    int Run(const std::function<void(const std::string&, const std::string&)>& onBody);

private:
    struct Transfer {
        CURL* pEasy = nullptr;
        std::string strUrl;
        std::string strBody;
    };

    void MyStart(Transfer& transfer, const std::string& strUrl);

    CURLM* m_pMulti = nullptr;
    std::vector<Transfer> m_listTransfers;  // one easy handle each, reused
    std::vector<Transfer*> m_listIdle;
    std::deque<std::string> m_listQueued;
    std::string m_strUser;
    std::string m_strPassword;
};

}  // namespace perf
