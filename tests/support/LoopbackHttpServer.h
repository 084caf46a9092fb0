#pragma once
// A scripted HTTP server on 127.0.0.1 for network tests: fixed answers per path, scripted failures (401,
// error status, stall, truncated or oversized body) and a thread-safe record of every request it saw.
//
// Routes match the request path exactly; a route registered with a query ("/page?start=2") matches only
// that exact path and query and wins over the plain path. Unknown paths go to the fallback handler when one
// is set (HandleUnmatched), else get 404. Routes may be changed while the server runs. Each connection
// serves one request, so a client never keeps the server busy.
// An https server presents a fresh self-signed certificate for 127.0.0.1: clients that verify TLS refuse it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

namespace testsupport {

struct RecordedRequest {
    std::string strMethod;
    std::string strPath;    // decoded path, without the query
    std::string strQuery;   // raw query after '?', "" when none
    std::string strTarget;  // the raw request target as sent: path (still encoded) and query
    std::chrono::steady_clock::time_point arrival;
    std::multimap<std::string, std::string> headers;
    std::string strBody;

    // First value of a header (name compared ignoring case), "" when absent.
    std::string Header(const std::string& strName) const;
};

// The value of an "Authorization" header carrying these Basic credentials.
std::string BasicAuthorization(const std::string& strUser, const std::string& strPassword);

class LoopbackHttpServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    enum class Scheme { Http, Https };

    // Binds an ephemeral port and returns once the server accepts connections; throws when it cannot bind.
    explicit LoopbackHttpServer(Scheme eScheme = Scheme::Http);
    // Releases stalled answers, stops the server and joins its threads.
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return m_nPort; }
    // "http://127.0.0.1:<port>" + path ("https://" for an https server).
    std::string Url(const std::string& strPath) const;

    void Serve(const std::string& strPath, const std::string& strBody,
               const std::string& strContentType = "application/xml", int nStatus = 200);
    // Answers with the file's content as it is when the request arrives (404 when it cannot be read).
    void ServeFile(const std::string& strPath, const std::string& strFile,
                   const std::string& strContentType = "application/xml");
    void Fail(const std::string& strPath, int nStatus, const std::string& strBody = "");
    // 401 with a Basic challenge unless the request carries exactly these credentials; then strBody.
    void RequireBasicAuth(const std::string& strPath, const std::string& strUser,
                          const std::string& strPassword, const std::string& strBody,
                          const std::string& strContentType = "application/xml");
    // Holds the answer until ReleaseStalls(), the server's destruction or nHoldMs, then sends strBody.
    void Stall(const std::string& strPath, int nHoldMs, const std::string& strBody = "");
    void ReleaseStalls();
    // Announces nDeclaredLength bytes, sends strSent (shorter) and closes the connection.
    void ServeTruncated(const std::string& strPath, std::size_t nDeclaredLength, const std::string& strSent);
    // nBytes of 'x', with a Content-Length or, when bChunked, chunked without one.
    void ServeOversized(const std::string& strPath, std::size_t nBytes, bool bChunked);
    // strHead, then strUnit nUnits times, then strTail, with a Content-Length or, when bChunked, chunked
    // without one: a body of any size made on the fly from memory, never held whole.
    void ServeRepeated(const std::string& strPath, const std::string& strHead, const std::string& strUnit,
                       std::size_t nUnits, const std::string& strTail, bool bChunked = false);
    // 302 to strLocation (any URL, also of another scheme).
    void Redirect(const std::string& strPath, const std::string& strLocation);
    void Handle(const std::string& strPath, Handler handler);
    void Remove(const std::string& strPath);
    // Answers every request that no route matches (empty handler: back to 404).
    void HandleUnmatched(Handler handler);

    std::vector<RecordedRequest> Requests() const;
    // Requests whose path (without query) equals strPath.
    std::vector<RecordedRequest> RequestsTo(const std::string& strPath) const;
    std::size_t RequestCount() const;
    void ClearRequests();

private:
    void Dispatch(const httplib::Request& request, httplib::Response& response);
    Handler FindHandler(const std::string& strPath, const std::string& strQuery) const;
    void Record(const httplib::Request& request, const std::string& strQuery);
    bool WaitForRelease(int nHoldMs);

    const Scheme m_eScheme;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_nPort = 0;

    mutable std::mutex m_mutex;
    std::map<std::string, Handler> m_routes;
    Handler m_unmatched;
    std::vector<RecordedRequest> m_requests;
    std::condition_variable m_stallReleased;
    std::uint64_t m_nReleaseGeneration = 0;
    bool m_bStopping = false;
    std::atomic<bool> m_bListenEnded{false};
};

}  // namespace testsupport
