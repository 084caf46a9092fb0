// HTTP transfers of network file actions over libcurl, hardened with the host's transfer limits; each
// worker thread reuses its easy handle, and so its open connections, from one transfer to the next. A
// download lands in a temporary file beside the target and replaces the target only when the whole body
// arrived, or, kept in memory, in a string the action gets only then.

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <sstream>
#include <string>

#include "AppLog.h"
#include "BaseHelper.h"
#include "FileSystem.h"
#include "HostControl.h"
#include "TaskAction.h"

namespace fs = std::filesystem;

namespace NS_TA {
namespace {

constexpr const char* kUploadContentType = "Content-Type: application/xml; charset=UTF-8";
constexpr const char* kAllowedProtocols = "http,https";

void InitCurlOnce() {
    static std::once_flag s_once;
    std::call_once(s_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsSuccessStatus(long nStatus) {
    return nStatus >= 200 && nStatus < 300;
}

// The URL without any "user:password@" part.
std::string UrlWithoutUserInfo(const std::string& strUrl) {
    const std::size_t nSchemeEnd = strUrl.find("://");
    const std::size_t nAuthorityBegin = nSchemeEnd == std::string::npos ? 0 : nSchemeEnd + 3;
    std::size_t nAuthorityEnd = strUrl.find_first_of("/?#", nAuthorityBegin);
    if (nAuthorityEnd == std::string::npos) {
        nAuthorityEnd = strUrl.size();
    }
    const std::size_t nAt = strUrl.rfind('@', nAuthorityEnd == 0 ? 0 : nAuthorityEnd - 1);
    if (nAt == std::string::npos || nAt < nAuthorityBegin || nAt >= nAuthorityEnd) {
        return strUrl;
    }
    return strUrl.substr(0, nAuthorityBegin) + strUrl.substr(nAt + 1);
}

// What the transfer needs to know of a URL, from one parse: whether it names http or https (a URL without
// a scheme counts as http) and its host, without the brackets of an IPv6 literal ("" when it does not parse).
// The parsed URL itself is kept, so the transfer connects to exactly the URL that was checked.
struct UrlFacts {
    bool bHttp = false;
    std::string strHost;
    std::unique_ptr<CURLU, void (*)(CURLU*)> pParsed{nullptr, &curl_url_cleanup};
};

UrlFacts FactsOfUrl(const char* pUrl) {
    UrlFacts facts;
    facts.pParsed.reset(pUrl == nullptr ? nullptr : curl_url());
    CURLU* pParsed = facts.pParsed.get();
    if (pParsed == nullptr) {
        return facts;
    }
    if (curl_url_set(pParsed, CURLUPART_URL, pUrl, CURLU_NON_SUPPORT_SCHEME | CURLU_GUESS_SCHEME) !=
        CURLUE_OK) {
        facts.pParsed.reset();
        return facts;
    }
    char* pScheme = nullptr;
    if (curl_url_get(pParsed, CURLUPART_SCHEME, &pScheme, 0) == CURLUE_OK) {
        facts.bHttp = std::strcmp(pScheme, "http") == 0 || std::strcmp(pScheme, "https") == 0;
    }
    curl_free(pScheme);
    char* pHost = nullptr;
    if (curl_url_get(pParsed, CURLUPART_HOST, &pHost, 0) == CURLUE_OK) {
        facts.strHost = pHost;
    }
    curl_free(pHost);
    std::string& strHost = facts.strHost;
    if (strHost.size() >= 2 && strHost.front() == '[' && strHost.back() == ']') {
        strHost = strHost.substr(1, strHost.size() - 2);
    }
    return facts;
}

bool IsLoopbackHost(const std::string& strHost) {
    return strHost == "127.0.0.1" || strHost == "::1" || strcasecmp(strHost.c_str(), "localhost") == 0;
}

bool IsLoopbackAddress(const curl_sockaddr& address) {
    if (address.family == AF_INET) {
        const auto& inet = reinterpret_cast<const sockaddr_in&>(address.addr);
        return ntohl(inet.sin_addr.s_addr) == INADDR_LOOPBACK;
    }
    if (address.family == AF_INET6) {
        const auto& inet6 = reinterpret_cast<const sockaddr_in6&>(address.addr);
        return IN6_IS_ADDR_LOOPBACK(&inet6.sin6_addr);
    }
    return false;
}

// A limit of zero or less falls back to its default, so no transfer runs without a timeout or a size cap;
// a negative redirect count means no redirects.
HostControl::TransferLimits BoundedLimits(HostControl::TransferLimits limits) {
    const HostControl::TransferLimits defaults;
    if (limits.nConnectTimeoutMs <= 0) {
        limits.nConnectTimeoutMs = defaults.nConnectTimeoutMs;
    }
    if (limits.nTotalTimeoutMs <= 0) {
        limits.nTotalTimeoutMs = defaults.nTotalTimeoutMs;
    }
    if (limits.nLowSpeedSeconds <= 0) {
        limits.nLowSpeedSeconds = defaults.nLowSpeedSeconds;
    }
    if (limits.nMaxDownloadBytes <= 0) {
        limits.nMaxDownloadBytes = defaults.nMaxDownloadBytes;
    }
    if (limits.nMaxRedirects < 0) {
        limits.nMaxRedirects = 0;
    }
    return limits;
}

TaskActionErrorType ErrorOfCurlCode(CURLcode eCode) {
    switch (eCode) {
        case CURLE_OK:
            return TA_NO_ERROR;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_USE_SSL_FAILED:
            return TA_NETWORK_CONNECT_FAILED;
        case CURLE_OPERATION_TIMEDOUT:
            return TA_NETWORK_TIMEOUT;
        case CURLE_FILESIZE_EXCEEDED:
            return TA_FILE_TOO_LARGE;
        case CURLE_READ_ERROR:
        case CURLE_WRITE_ERROR:
            return TA_LOCAL_FILE_ERROR;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return TA_URL_REFUSED;
        default:
            return TA_NETWORK_OTHER_ERROR;
    }
}

// The process that wrote "<target>.part.<pid>.<n>", or 0 when the name is not of that form.
pid_t PartFileWriter(const std::string& strName) {
    const std::size_t nMark = strName.rfind(".part.");
    if (nMark == std::string::npos) {
        return 0;
    }
    const char* pDigits = strName.c_str() + nMark + 6;
    char* pEnd = nullptr;
    const long nPid = std::strtol(pDigits, &pEnd, 10);
    const bool bCounterFollows =
        *pEnd == '.' && pEnd[1] != '\0' && std::strspn(pEnd + 1, "0123456789") == std::strlen(pEnd + 1);
    if (pEnd == pDigits || !bCounterFollows || nPid <= 0) {
        return 0;
    }
    return static_cast<pid_t>(nPid);
}

// Downloads cut off by the end of their process (a crash, a kill, a power cut) leave their temporary files
// behind. The first download into a folder removes those of processes that no longer run; a live process's
// files, this one's included, are left to it.
void RemoveLeftoverPartFiles(const fs::path& folder) {
    static std::mutex s_mutex;
    static std::set<std::string> s_setCleaned;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (!s_setCleaned.insert(folder.string()).second) {
            return;
        }
    }
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t nPid = PartFileWriter(it->path().filename().string());
        if (nPid != 0 && nPid != ::getpid() && ::kill(nPid, 0) != 0 && errno == ESRCH) {
            ETL_FileSystem::Current()->RemoveFile(it->path().string());
        }
    }
}

// A temporary file beside a target, written through the host's file system. Commit() renames it over the
// target; otherwise it is removed.
class CTempFile {
public:
    CTempFile() = default;
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    ~CTempFile() { Discard(); }

    // Creates missing parent folders of the target too.
    bool Create(const std::string& strTarget) {
        ETL_FileSystem::CFileSystem& files = *ETL_FileSystem::Current();
        m_target = strTarget;
        if (m_target.has_parent_path()) {
            files.CreateFolders(m_target.parent_path().string());
            RemoveLeftoverPartFiles(m_target.parent_path());
        }
        const std::string strTemp = strTarget + ".part." + std::to_string(::getpid()) + "." +
                                    std::to_string(s_nTempCounter.fetch_add(1));
        m_pFile = files.NewWritableFile(strTemp, 0644);
        if (!m_pFile) {
            return false;
        }
        m_strTemp = strTemp;
        return true;
    }

    bool Append(const char* pData, std::size_t nSize) { return m_pFile && m_pFile->Append(pData, nSize); }

    bool Commit() {
        ETL_FileSystem::CFileSystem& files = *ETL_FileSystem::Current();
        bool bWritten = m_pFile && m_pFile->Sync();
        bWritten = m_pFile && m_pFile->Close() && bWritten;
        m_pFile.reset();
        if (!bWritten || !files.RenameFile(m_strTemp, m_target.string())) {
            return false;
        }
        m_strTemp.clear();
        files.SyncFolder(m_target.parent_path().string());
        return true;
    }

private:
    void Discard() {
        m_pFile.reset();
        if (!m_strTemp.empty()) {
            ETL_FileSystem::Current()->RemoveFile(m_strTemp);
            m_strTemp.clear();
        }
    }

    static std::atomic<unsigned> s_nTempCounter;
    fs::path m_target;
    std::string m_strTemp;
    std::unique_ptr<ETL_FileSystem::CWritableFile> m_pFile;
};

std::atomic<unsigned> CTempFile::s_nTempCounter{0};

bool ReadLocalFile(const std::string& strPath, std::string& strContent) {
    std::error_code ec;
    if (!fs::is_regular_file(strPath, ec)) {
        return false;
    }
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    strContent = content.str();
    return true;
}

// The easy handle of a thread's last transfer. curl_easy_reset clears every option but keeps the handle's
// open connections and name cache, so the next transfer to the same server skips the connect. A handle last
// used under the other position of the loopback-only switch is not reused: its connections were not checked
// the way the next transfer's must be.
class CEasyHandleCache {
public:
    CEasyHandleCache() = default;
    CEasyHandleCache(const CEasyHandleCache&) = delete;
    CEasyHandleCache& operator=(const CEasyHandleCache&) = delete;
    ~CEasyHandleCache() { Drop(); }

    CURL* Take(bool bLoopbackOnly) {
        if (m_pCurl != nullptr && m_bLoopbackOnly != bLoopbackOnly) {
            Drop();
        }
        CURL* pCurl = m_pCurl != nullptr ? m_pCurl : curl_easy_init();
        m_pCurl = nullptr;
        return pCurl;
    }

    void Give(CURL* pCurl, bool bLoopbackOnly) {
        curl_easy_reset(pCurl);
        Drop();
        m_pCurl = pCurl;
        m_bLoopbackOnly = bLoopbackOnly;
    }

private:
    void Drop() {
        if (m_pCurl != nullptr) {
            curl_easy_cleanup(m_pCurl);
            m_pCurl = nullptr;
        }
    }

    CURL* m_pCurl = nullptr;
    bool m_bLoopbackOnly = false;
};

thread_local CEasyHandleCache t_easyHandles;

}  // namespace

// One HTTP exchange of a network file action, on the easy handle its thread keeps. Sets the action's error
// type and HTTP status and logs one line for the result.
class CTransfer {
public:
    explicit CTransfer(CNetworkFileAction& action)
        : m_action(action),
          m_limits(BoundedLimits(HostControl::GetTransferLimits())),
          m_bLoopbackOnly(HostControl::IsLoopbackOnly()),
          m_url(FactsOfUrl(action.m_strRemoteUrl.c_str())) {
        InitCurlOnce();
    }
    CTransfer(const CTransfer&) = delete;
    CTransfer& operator=(const CTransfer&) = delete;
    ~CTransfer() {
        curl_slist_free_all(m_pHeaders);
        if (m_pCurl != nullptr) {
            t_easyHandles.Give(m_pCurl, m_bLoopbackOnly);
        }
    }

    bool Download() {
        m_pMethod = "GET";
        if (m_action.IsKeepBodyInMemory()) {
            m_action.SetFileContent(std::string());
        }
        if (!m_url.bHttp) {
            return Finish(TA_URL_REFUSED, "URL refused");
        }
        if (m_action.IsKeepBodyInMemory()) {
            return DownloadIntoMemory();
        }
        const std::string strTarget = ETL_MiscHelper::pathMapToRoot(m_action.GetFilePath());
        CTempFile tempFile;
        if (strTarget.empty() || !tempFile.Create(strTarget)) {
            return Finish(TA_LOCAL_FILE_ERROR, "local file not writable");
        }
        m_pFile = &tempFile;
        TaskActionErrorType eError = Perform();
        m_pFile = nullptr;
        if (eError == TA_NO_ERROR && !tempFile.Commit()) {
            return Finish(TA_LOCAL_FILE_ERROR, "local file not writable");
        }
        return Finish(eError, Reason());
    }

    // The action gets the body only once the whole of it arrived.
    bool DownloadIntoMemory() {
        std::string strBody;
        m_pBody = &strBody;
        const TaskActionErrorType eError = Perform();
        m_pBody = nullptr;
        if (eError == TA_NO_ERROR) {
            m_action.SetFileContent(std::move(strBody));
        }
        return Finish(eError, Reason());
    }

    bool Upload() {
        m_pMethod = "POST";
        if (!m_url.bHttp) {
            return Finish(TA_URL_REFUSED, "URL refused");
        }
        std::string strBody;
        if (!ReadLocalFile(ETL_MiscHelper::pathMapToRoot(m_action.GetFilePath()), strBody)) {
            return Finish(TA_LOCAL_FILE_ERROR, "local file not readable");
        }
        if (!AddHeader(kUploadContentType) || !AddHeader("Expect:") || !Open() ||
            !SetOption(CURLOPT_POST, 1L) ||
            !SetOption(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(strBody.size())) ||
            !SetOption(CURLOPT_POSTFIELDS, strBody.data()) || !SetOption(CURLOPT_HTTPHEADER, m_pHeaders)) {
            return Finish(TA_NETWORK_OTHER_ERROR, "transfer not set up");
        }
        return Finish(Perform(), Reason());
    }

    bool Delete() {
        m_pMethod = "DELETE";
        if (!m_url.bHttp) {
            return Finish(TA_URL_REFUSED, "URL refused");
        }
        if (!Open() || !SetOption(CURLOPT_CUSTOMREQUEST, "DELETE")) {
            return Finish(TA_NETWORK_OTHER_ERROR, "transfer not set up");
        }
        return Finish(Perform(), Reason());
    }

private:
    bool AddHeader(const char* pHeader) {
        curl_slist* pList = curl_slist_append(m_pHeaders, pHeader);
        if (pList == nullptr) {
            return false;
        }
        m_pHeaders = pList;
        return true;
    }

    template <typename T>
    bool SetOption(CURLoption eOption, T value) {
        return curl_easy_setopt(m_pCurl, eOption, value) == CURLE_OK;
    }

    // Takes the easy handle and sets the hardened defaults and the credentials; once per transfer.
    bool Open() {
        if (m_pCurl != nullptr) {
            return true;
        }
        m_pCurl = t_easyHandles.Take(m_bLoopbackOnly);
        return m_pCurl != nullptr && ApplyLimits() && ApplyCredentials() && SetUrl() &&
               SetOption(CURLOPT_WRITEFUNCTION, &CTransfer::OnBody) && SetOption(CURLOPT_WRITEDATA, this);
    }

    // The URL as parsed for the checks, so curl does not read the text a second time.
    bool SetUrl() {
        return m_url.pParsed != nullptr ? SetOption(CURLOPT_CURLU, m_url.pParsed.get())
                                        : SetOption(CURLOPT_URL, m_action.m_strRemoteUrl.c_str());
    }

    // Under the loopback-only switch every name lookup (redirects included) and every socket is checked.
    bool ApplyLoopbackGuard() {
        if (!m_bLoopbackOnly) {
            return true;
        }
        return SetOption(CURLOPT_RESOLVER_START_FUNCTION, &CTransfer::OnResolverStart) &&
               SetOption(CURLOPT_RESOLVER_START_DATA, this) &&
               SetOption(CURLOPT_OPENSOCKETFUNCTION, &CTransfer::OnOpenSocket) &&
               SetOption(CURLOPT_OPENSOCKETDATA, this);
    }

    static int OnResolverStart(void*, void*, void* pContext) {
        CTransfer& self = *static_cast<CTransfer*>(pContext);
        char* pUrl = nullptr;
        curl_easy_getinfo(self.m_pCurl, CURLINFO_EFFECTIVE_URL, &pUrl);
        if (self.IsLoopbackUrl(pUrl)) {
            return 0;
        }
        self.m_strSetupFailure = "host refused: loopback only";
        return 1;
    }

    // The action's own URL was parsed once; a redirect target is parsed here.
    bool IsLoopbackUrl(const char* pUrl) const {
        if (pUrl != nullptr && m_action.m_strRemoteUrl == pUrl) {
            return IsLoopbackHost(m_url.strHost);
        }
        return IsLoopbackHost(FactsOfUrl(pUrl).strHost);
    }

    static curl_socket_t OnOpenSocket(void* pContext, curlsocktype, curl_sockaddr* pAddress) {
        CTransfer& self = *static_cast<CTransfer*>(pContext);
        if (pAddress == nullptr || !IsLoopbackAddress(*pAddress)) {
            self.m_strSetupFailure = "address refused: loopback only";
            return CURL_SOCKET_BAD;
        }
        return socket(pAddress->family, pAddress->socktype | SOCK_CLOEXEC, pAddress->protocol);
    }

    bool ApplyLimits() {
        return ApplyLoopbackGuard() && SetOption(CURLOPT_NOSIGNAL, 1L) &&
               SetOption(CURLOPT_PROTOCOLS_STR, kAllowedProtocols) &&
               SetOption(CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols) &&
               SetOption(CURLOPT_FOLLOWLOCATION, 1L) &&
               SetOption(CURLOPT_MAXREDIRS, static_cast<long>(m_limits.nMaxRedirects)) &&
               SetOption(CURLOPT_SSL_VERIFYPEER, m_limits.bVerifyTls ? 1L : 0L) &&
               SetOption(CURLOPT_SSL_VERIFYHOST, m_limits.bVerifyTls ? 2L : 0L) &&
               SetOption(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_limits.nConnectTimeoutMs)) &&
               SetOption(CURLOPT_TIMEOUT_MS, static_cast<long>(m_limits.nTotalTimeoutMs)) &&
               SetOption(CURLOPT_LOW_SPEED_LIMIT, 1L) &&
               SetOption(CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_limits.nLowSpeedSeconds)) &&
               SetOption(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_limits.nMaxDownloadBytes));
    }

    bool ApplyCredentials() {
        if (m_action.m_strUsername.empty()) {
            return true;
        }
        return SetOption(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
               SetOption(CURLOPT_USERNAME, m_action.m_strUsername.c_str()) &&
               SetOption(CURLOPT_PASSWORD, m_action.m_strPassword.c_str());
    }

    TaskActionErrorType Perform() {
        if (!Open()) {
            m_strSetupFailure = "transfer not set up";
            return TA_NETWORK_OTHER_ERROR;
        }
        if (m_bLoopbackOnly && !IsLoopbackHost(m_url.strHost)) {
            m_strSetupFailure = "host refused: loopback only";
            return TA_NETWORK_CONNECT_FAILED;
        }
        m_eCode = curl_easy_perform(m_pCurl);
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &m_nHttpStatus);
        return Classify();
    }

    TaskActionErrorType Classify() const {
        if (m_bTooLarge) {
            return TA_FILE_TOO_LARGE;
        }
        if (m_bLocalWriteFailed) {
            return TA_LOCAL_FILE_ERROR;
        }
        if (m_nHttpStatus == 401) {
            return TA_HTTP_AUTH_REFUSED;
        }
        if (m_nHttpStatus >= 400) {
            return TA_HTTP_STATUS_ERROR;
        }
        if (m_eCode == CURLE_OK && !IsSuccessStatus(m_nHttpStatus)) {
            return TA_HTTP_STATUS_ERROR;
        }
        return ErrorOfCurlCode(m_eCode);
    }

    std::string Reason() const {
        if (!m_strSetupFailure.empty()) {
            return m_strSetupFailure;
        }
        if (m_bTooLarge) {
            return "body over " + std::to_string(m_limits.nMaxDownloadBytes) + " bytes";
        }
        if (m_nHttpStatus == 401) {
            return "credentials refused";
        }
        if (m_nHttpStatus >= 400 || (m_eCode == CURLE_OK && !IsSuccessStatus(m_nHttpStatus))) {
            return "error status";
        }
        return curl_easy_strerror(m_eCode);
    }

    // Appends to the body kept in memory, first making room for the length the answer announced (within
    // the cap); false when memory ran out.
    bool KeepBody(const char* pData, std::size_t nBytes) {
        try {
            if (m_pBody->empty()) {
                curl_off_t nLength = -1;
                curl_easy_getinfo(m_pCurl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &nLength);
                if (nLength > 0 && nLength <= m_limits.nMaxDownloadBytes) {
                    // One byte more, so a reader can end the body with a NUL without a copy.
                    m_pBody->reserve(static_cast<std::size_t>(nLength) + 1);
                }
            }
            m_pBody->append(pData, nBytes);
            return true;
        } catch (const std::bad_alloc&) {
            m_strSetupFailure = "body not kept: out of memory";
            return false;
        }
    }

    // Body bytes: written to the file of a download or kept in memory, dropped otherwise, and counted
    // against the cap. An error answer's body is not wanted: the transfer stops at its first byte.
    static std::size_t OnBody(char* pData, std::size_t nSize, std::size_t nCount, void* pContext) {
        CTransfer& self = *static_cast<CTransfer*>(pContext);
        const std::size_t nBytes = nSize * nCount;
        long nStatus = 0;
        curl_easy_getinfo(self.m_pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
        if (nStatus >= 400) {
            return 0;
        }
        if (!IsSuccessStatus(nStatus)) {
            return nBytes;
        }
        if (static_cast<long long>(nBytes) > self.m_limits.nMaxDownloadBytes - self.m_nReceived) {
            self.m_bTooLarge = true;
            return 0;
        }
        if (self.m_pFile != nullptr && !self.m_pFile->Append(pData, nBytes)) {
            self.m_bLocalWriteFailed = true;
            return 0;
        }
        if (self.m_pBody != nullptr && !self.KeepBody(pData, nBytes)) {
            self.m_bLocalWriteFailed = true;
            return 0;
        }
        self.m_nReceived += static_cast<long long>(nBytes);
        return nBytes;
    }

    bool Finish(TaskActionErrorType eError, const std::string& strReason) {
        m_action.m_nHttpStatus = m_nHttpStatus;
        m_action.SetTaskActionErrorType(eError);
        const std::string strUrl = UrlWithoutUserInfo(m_action.m_strRemoteUrl);
        if (eError == TA_NO_ERROR) {
            app_log(6, APP_LOG_INFO, "network file %s %s done, http %ld\n", m_pMethod, strUrl.c_str(),
                    m_nHttpStatus);
        } else {
            app_log(6, APP_LOG_WARNING, "network file %s %s failed, error %d, http %ld: %s\n", m_pMethod,
                    strUrl.c_str(), static_cast<int>(eError), m_nHttpStatus, strReason.c_str());
        }
        return eError == TA_NO_ERROR;
    }

    CNetworkFileAction& m_action;
    const HostControl::TransferLimits m_limits;
    const bool m_bLoopbackOnly;
    const UrlFacts m_url;
    const char* m_pMethod = "GET";
    CURL* m_pCurl = nullptr;
    curl_slist* m_pHeaders = nullptr;
    CTempFile* m_pFile = nullptr;    // where a download's body goes
    std::string* m_pBody = nullptr;  // ... when it is kept in memory
    CURLcode m_eCode = CURLE_OK;
    long m_nHttpStatus = 0;
    long long m_nReceived = 0;
    bool m_bTooLarge = false;
    bool m_bLocalWriteFailed = false;
    std::string m_strSetupFailure;
};

namespace {

bool FailOnException(CNetworkFileAction& action, const std::exception& error) {
    action.SetTaskActionErrorType(TA_NETWORK_OTHER_ERROR);
    app_log(6, APP_LOG_WARNING, "network file transfer aborted: %s\n", error.what());
    return false;
}

}  // namespace

bool CNetworkFileAction::Exec() {
    if (IsRead()) {
        Read();
    } else {
        Write();
    }
    return IsOperationSucceed();
}

bool CNetworkFileAction::Read() {
    try {
        return CTransfer(*this).Download();
    } catch (const std::exception& error) {
        return FailOnException(*this, error);
    }
}

bool CNetworkFileAction::Write() {
    try {
        CTransfer transfer(*this);
        return IsDelete() ? transfer.Delete() : transfer.Upload();
    } catch (const std::exception& error) {
        return FailOnException(*this, error);
    }
}

}  // namespace NS_TA

NS_TA::CNetworkFileAction* TaskAction_CreateNetworkFileAction(const std::string& strLocalPath,
                                                              const std::string& strRemoteUrl) {
    if (strRemoteUrl.empty()) {
        return nullptr;
    }
    try {
        auto* pAction = new NS_TA::CNetworkFileAction(strLocalPath, strRemoteUrl);
        pAction->AddRef();
        return pAction;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void TaskAction_DestroyNetworkFileAction(NS_TA::CNetworkFileAction* pAction) {
    if (pAction != nullptr) {
        pAction->Release();
    }
}
