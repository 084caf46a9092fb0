#include "PerfCurl.h"

namespace perf {

namespace {

std::size_t CollectBody(char* pData, std::size_t nSize, std::size_t nCount, void* pContext) {
    static_cast<std::string*>(pContext)->append(pData, nSize * nCount);
    return nSize * nCount;
}

}  // namespace

CurlFetcher::CurlFetcher(int nParallel, std::string strUser, std::string strPassword)
    : m_pMulti(curl_multi_init()),
      m_listTransfers(static_cast<size_t>(nParallel)),
      m_strUser(std::move(strUser)),
      m_strPassword(std::move(strPassword)) {
    for (Transfer& transfer : m_listTransfers) {
        transfer.pEasy = curl_easy_init();
        m_listIdle.push_back(&transfer);
    }
}

CurlFetcher::~CurlFetcher() {
    for (Transfer& transfer : m_listTransfers) {
        curl_easy_cleanup(transfer.pEasy);
    }
    curl_multi_cleanup(m_pMulti);
}

void CurlFetcher::Add(const std::string& strUrl) {
    m_listQueued.push_back(strUrl);
}

void CurlFetcher::MyStart(Transfer& transfer, const std::string& strUrl) {
    CURL* pEasy = transfer.pEasy;
    transfer.strUrl = strUrl;
    transfer.strBody.clear();
    curl_easy_setopt(pEasy, CURLOPT_URL, transfer.strUrl.c_str());
    curl_easy_setopt(pEasy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pEasy, CURLOPT_WRITEFUNCTION, &CollectBody);
    curl_easy_setopt(pEasy, CURLOPT_WRITEDATA, &transfer.strBody);
    curl_easy_setopt(pEasy, CURLOPT_PRIVATE, &transfer);
    if (!m_strUser.empty()) {
        curl_easy_setopt(pEasy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(pEasy, CURLOPT_USERNAME, m_strUser.c_str());
        curl_easy_setopt(pEasy, CURLOPT_PASSWORD, m_strPassword.c_str());
    }
    curl_multi_add_handle(m_pMulti, pEasy);
}

int CurlFetcher::Run(const std::function<void(const std::string&, const std::string&)>& onBody) {
    int nFailed = 0;
    int nRunning = 0;
    for (;;) {
        while (!m_listIdle.empty() && !m_listQueued.empty()) {
            Transfer* pTransfer = m_listIdle.back();
            m_listIdle.pop_back();
            MyStart(*pTransfer, m_listQueued.front());
            m_listQueued.pop_front();
        }
        curl_multi_perform(m_pMulti, &nRunning);
        int nLeft = 0;
        while (CURLMsg* pMessage = curl_multi_info_read(m_pMulti, &nLeft)) {
            if (pMessage->msg != CURLMSG_DONE) {
                continue;
            }
            Transfer* pTransfer = nullptr;
            curl_easy_getinfo(pMessage->easy_handle, CURLINFO_PRIVATE, reinterpret_cast<char**>(&pTransfer));
            long nStatus = 0;
            curl_easy_getinfo(pMessage->easy_handle, CURLINFO_RESPONSE_CODE, &nStatus);
            const bool bOk = pMessage->data.result == CURLE_OK && nStatus == 200;
            curl_multi_remove_handle(m_pMulti, pMessage->easy_handle);
            m_listIdle.push_back(pTransfer);
            if (bOk) {
                onBody(pTransfer->strUrl, pTransfer->strBody);
            } else {
                ++nFailed;
            }
        }
        if (m_listQueued.empty() && m_listIdle.size() == m_listTransfers.size()) {
            return nFailed;
        }
        if (!m_listQueued.empty() && !m_listIdle.empty()) {
            continue;  // start the queued ones first
        }
        curl_multi_poll(m_pMulti, nullptr, 0, 100, nullptr);
    }
}

}  // namespace perf
