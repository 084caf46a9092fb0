#include "LoopbackHttpServer.h"

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace testsupport {
namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr std::size_t kOversizedChunkBytes = 16 * 1024;

std::string Base64(const std::string& strData) {
    std::string strOut(4 * ((strData.size() + 2) / 3) + 1, '\0');
    const int nLength = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(strOut.data()),
                                        reinterpret_cast<const unsigned char*>(strData.data()),
                                        static_cast<int>(strData.size()));
    strOut.resize(static_cast<std::size_t>(nLength));
    return strOut;
}

std::string QueryOf(const httplib::Request& request) {
    const std::size_t nMark = request.target.find('?');
    return nMark == std::string::npos ? std::string() : request.target.substr(nMark + 1);
}

struct X509Free {
    void operator()(X509* pCert) const { X509_free(pCert); }
};
struct KeyFree {
    void operator()(EVP_PKEY* pKey) const { EVP_PKEY_free(pKey); }
};

// A server over TLS with a new self-signed certificate for 127.0.0.1, valid for a day.
std::unique_ptr<httplib::Server> MakeSelfSignedServer() {
    std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
    std::unique_ptr<X509, X509Free> cert(X509_new());
    if (!key || !cert) {
        throw std::runtime_error("loopback server: cannot make a TLS key");
    }
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 24 * 3600);
    X509_NAME* pName = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(pName, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(kHost), -1,
                               -1, 0);
    X509_set_issuer_name(cert.get(), pName);
    X509_set_pubkey(cert.get(), key.get());
    X509_EXTENSION* pAltName = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, "IP:127.0.0.1");
    if (pAltName != nullptr) {
        X509_add_ext(cert.get(), pAltName, -1);
        X509_EXTENSION_free(pAltName);
    }
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) {
        throw std::runtime_error("loopback server: cannot sign the TLS certificate");
    }
    return std::make_unique<httplib::SSLServer>(cert.get(), key.get());
}

bool ReadWholeFile(const std::string& strFile, std::string& strContent) {
    std::ifstream in(strFile, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    strContent = content.str();
    return true;
}

}  // namespace

std::string BasicAuthorization(const std::string& strUser, const std::string& strPassword) {
    return "Basic " + Base64(strUser + ":" + strPassword);
}

std::string RecordedRequest::Header(const std::string& strName) const {
    for (const auto& header : headers) {
        if (strcasecmp(header.first.c_str(), strName.c_str()) == 0) {
            return header.second;
        }
    }
    return std::string();
}

LoopbackHttpServer::LoopbackHttpServer(Scheme eScheme)
    : m_eScheme(eScheme),
      m_server(eScheme == Scheme::Https ? MakeSelfSignedServer() : std::make_unique<httplib::Server>()) {
    const auto dispatch = [this](const httplib::Request& request, httplib::Response& response) {
        Dispatch(request, response);
    };
    m_server->Get(".*", dispatch);
    m_server->Post(".*", dispatch);
    m_server->Put(".*", dispatch);
    m_server->Patch(".*", dispatch);
    m_server->Delete(".*", dispatch);
    m_server->Options(".*", dispatch);
    if (!m_server->is_valid()) {
        throw std::runtime_error("loopback server: cannot set up");
    }
    m_server->set_keep_alive_max_count(1);
    m_server->set_keep_alive_timeout(1);

    m_nPort = m_server->bind_to_any_port(kHost);
    if (m_nPort <= 0) {
        throw std::runtime_error("loopback server: cannot bind 127.0.0.1");
    }
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_bListenEnded = true;
    });
    // The socket already listens; stop() only takes effect once the accept loop runs.
    while (!m_server->is_running() && !m_bListenEnded) {
        std::this_thread::yield();
    }
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_stallReleased.notify_all();
    m_server->stop();
    m_thread.join();
}

std::string LoopbackHttpServer::Url(const std::string& strPath) const {
    return (m_eScheme == Scheme::Https ? "https://" : "http://") + std::string(kHost) + ":" +
           std::to_string(m_nPort) + strPath;
}

void LoopbackHttpServer::Serve(const std::string& strPath, const std::string& strBody,
                               const std::string& strContentType, int nStatus) {
    Handle(strPath, [strBody, strContentType, nStatus](const httplib::Request&, httplib::Response& response) {
        response.status = nStatus;
        response.set_content(strBody, strContentType);
    });
}

void LoopbackHttpServer::ServeFile(const std::string& strPath, const std::string& strFile,
                                   const std::string& strContentType) {
    Handle(strPath, [strFile, strContentType](const httplib::Request&, httplib::Response& response) {
        std::string strContent;
        if (!ReadWholeFile(strFile, strContent)) {
            response.status = 404;
            return;
        }
        response.set_content(strContent, strContentType);
    });
}

void LoopbackHttpServer::Fail(const std::string& strPath, int nStatus, const std::string& strBody) {
    Serve(strPath, strBody, "text/plain", nStatus);
}

void LoopbackHttpServer::RequireBasicAuth(const std::string& strPath, const std::string& strUser,
                                          const std::string& strPassword, const std::string& strBody,
                                          const std::string& strContentType) {
    const std::string strExpected = BasicAuthorization(strUser, strPassword);
    Handle(strPath, [strExpected, strBody, strContentType](const httplib::Request& request,
                                                           httplib::Response& response) {
        if (request.get_header_value("Authorization") != strExpected) {
            response.status = 401;
            response.set_header("WWW-Authenticate", "Basic realm=\"loopback\"");
            response.set_content("unauthorized", "text/plain");
            return;
        }
        response.set_content(strBody, strContentType);
    });
}

void LoopbackHttpServer::Stall(const std::string& strPath, int nHoldMs, const std::string& strBody) {
    Handle(strPath, [this, nHoldMs, strBody](const httplib::Request&, httplib::Response& response) {
        WaitForRelease(nHoldMs);
        response.set_content(strBody, "application/xml");
    });
}

void LoopbackHttpServer::ReleaseStalls() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nReleaseGeneration;
    }
    m_stallReleased.notify_all();
}

bool LoopbackHttpServer::WaitForRelease(int nHoldMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::uint64_t nGeneration = m_nReleaseGeneration;
    return m_stallReleased.wait_for(lock, std::chrono::milliseconds(nHoldMs),
                                    [&] { return m_bStopping || m_nReleaseGeneration != nGeneration; });
}

void LoopbackHttpServer::ServeTruncated(const std::string& strPath, std::size_t nDeclaredLength,
                                        const std::string& strSent) {
    Handle(strPath, [nDeclaredLength, strSent](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            nDeclaredLength, "application/xml",
            [strSent](std::size_t nOffset, std::size_t, httplib::DataSink& sink) {
                if (nOffset >= strSent.size()) {
                    return false;  // drops the connection short of the announced length
                }
                sink.write(strSent.data() + nOffset, strSent.size() - nOffset);
                return true;
            });
    });
}

void LoopbackHttpServer::ServeOversized(const std::string& strPath, std::size_t nBytes, bool bChunked) {
    ServeRepeated(strPath, "", "x", nBytes, "", bChunked);
}

void LoopbackHttpServer::ServeRepeated(const std::string& strPath, const std::string& strHead,
                                       const std::string& strUnit, std::size_t nUnits,
                                       const std::string& strTail, bool bChunked) {
    const std::size_t nUnitsEnd = strHead.size() + strUnit.size() * (strUnit.empty() ? 0 : nUnits);
    const std::size_t nBodyBytes = nUnitsEnd + strTail.size();
    // Whole units side by side, so the body goes out in large writes.
    auto pBlock = std::make_shared<std::string>();
    while (!strUnit.empty() && pBlock->size() + strUnit.size() <= kOversizedChunkBytes) {
        pBlock->append(strUnit);
    }
    if (pBlock->empty()) {
        pBlock->assign(strUnit);
    }
    // Writes the piece of the body that starts at nOffset, at most nLength bytes of it.
    const auto writeAt = [=](std::size_t nOffset, std::size_t nLength, httplib::DataSink& sink) {
        if (nOffset < strHead.size()) {
            return sink.write(strHead.data() + nOffset, std::min(nLength, strHead.size() - nOffset));
        }
        if (nOffset < nUnitsEnd) {
            const std::size_t nInBlock = (nOffset - strHead.size()) % pBlock->size();
            const std::size_t nBytes = std::min({nLength, pBlock->size() - nInBlock, nUnitsEnd - nOffset});
            return sink.write(pBlock->data() + nInBlock, nBytes);
        }
        return sink.write(strTail.data() + (nOffset - nUnitsEnd), std::min(nLength, nBodyBytes - nOffset));
    };
    Handle(strPath, [=](const httplib::Request&, httplib::Response& response) {
        if (!bChunked) {
            response.set_content_provider(nBodyBytes, "application/xml", writeAt);
            return;
        }
        response.set_chunked_content_provider("application/xml",
                                              [=](std::size_t nOffset, httplib::DataSink& sink) {
                                                  if (nOffset >= nBodyBytes) {
                                                      sink.done();
                                                      return true;
                                                  }
                                                  return writeAt(nOffset, kOversizedChunkBytes, sink);
                                              });
    });
}

void LoopbackHttpServer::Redirect(const std::string& strPath, const std::string& strLocation) {
    Handle(strPath, [strLocation](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(strLocation, 302);
    });
}

void LoopbackHttpServer::Handle(const std::string& strPath, Handler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes[strPath] = std::move(handler);
}

void LoopbackHttpServer::Remove(const std::string& strPath) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes.erase(strPath);
}

void LoopbackHttpServer::HandleUnmatched(Handler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unmatched = std::move(handler);
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::vector<RecordedRequest> LoopbackHttpServer::RequestsTo(const std::string& strPath) const {
    std::vector<RecordedRequest> matching;
    for (auto& request : Requests()) {
        if (request.strPath == strPath) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

std::size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

void LoopbackHttpServer::ClearRequests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

void LoopbackHttpServer::Dispatch(const httplib::Request& request, httplib::Response& response) {
    const std::string strQuery = QueryOf(request);
    Record(request, strQuery);
    const Handler handler = FindHandler(request.path, strQuery);
    if (!handler) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    handler(request, response);
}

LoopbackHttpServer::Handler LoopbackHttpServer::FindHandler(const std::string& strPath,
                                                            const std::string& strQuery) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!strQuery.empty()) {
        const auto exact = m_routes.find(strPath + "?" + strQuery);
        if (exact != m_routes.end()) {
            return exact->second;
        }
    }
    const auto plain = m_routes.find(strPath);
    return plain == m_routes.end() ? m_unmatched : plain->second;
}

void LoopbackHttpServer::Record(const httplib::Request& request, const std::string& strQuery) {
    RecordedRequest recorded;
    recorded.arrival = std::chrono::steady_clock::now();
    recorded.strMethod = request.method;
    recorded.strPath = request.path;
    recorded.strQuery = strQuery;
    recorded.strTarget = request.target;
    recorded.headers.insert(request.headers.begin(), request.headers.end());
    recorded.strBody = request.body;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(std::move(recorded));
}

}  // namespace testsupport
