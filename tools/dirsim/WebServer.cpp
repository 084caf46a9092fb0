#include "WebServer.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "Command.h"
#include "Runner.h"
#include "Session.h"
#include "WebAssets.h"

namespace dirsim {

const WebAsset* FindWebAsset(const std::string& strPath) {
    const std::string strWanted = strPath == "/" ? "/index.html" : strPath;
    for (size_t i = 0; i < kWebAssetCount; ++i) {
        if (strWanted == kWebAssets[i].pPath) {
            return &kWebAssets[i];
        }
    }
    return nullptr;
}

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr int kSliceMs = 10;
constexpr size_t kMaxBody = 64 * 1024;
constexpr size_t kKeptEvents = 256;
constexpr int kMaxEventStreams = 4;
constexpr auto kEventWait = std::chrono::milliseconds(500);
constexpr auto kKeepAliveEvery = std::chrono::seconds(15);
constexpr int kStatusFailed = 422;
constexpr int kStatusStopping = 503;

// What a command request gets back: the HTTP status and the --json object.
struct Answer {
    int nStatus = 200;
    json body;
};

// The notifications told to every page listening, numbered so that a page that reconnects can say where
// it stopped (Last-Event-ID); the latest few are kept for it.
class CEventHub {
public:
    void Publish(const json& event) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.emplace_back(m_nNextId++, event.dump(-1, ' ', false, json::error_handler_t::replace));
            if (m_events.size() > kKeptEvents) {
                m_events.pop_front();
            }
        }
        m_changed.notify_all();
    }

    // The events numbered above nAfter, waiting a little for one; false once the hub is closed.
    bool Next(long long nAfter, std::vector<std::pair<long long, std::string>>* pEvents) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, kEventWait, [&] { return m_bClosed || LastId() > nAfter; });
        for (const auto& event : m_events) {
            if (event.first > nAfter) {
                pEvents->push_back(event);
            }
        }
        return !m_bClosed;
    }

    long long LastId() const { return m_nNextId - 1; }
    long long LastIdLocked() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return LastId();
    }

    // One more stream, unless there are too many already.
    bool Join() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_nStreams >= kMaxEventStreams || m_bClosed) {
            return false;
        }
        ++m_nStreams;
        return true;
    }
    void Leave() {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_nStreams;
    }

    void Close() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bClosed = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<long long, std::string>> m_events;
    long long m_nNextId = 1;
    int m_nStreams = 0;
    bool m_bClosed = false;
};

// Requests waiting for the session's thread.
class CJobQueue {
public:
    struct Job {
        json request;
        std::promise<Answer> answer;
    };

    // The future answer; a closed queue answers at once that dirsim is stopping.
    std::future<Answer> Submit(json request) {
        Job job{std::move(request), {}};
        std::future<Answer> future = job.answer.get_future();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_bClosed) {
                m_jobs.push_back(std::move(job));
                m_changed.notify_all();
                return future;
            }
        }
        job.answer.set_value(Stopping());
        return future;
    }

    // The next job, waiting at most nMs for one.
    bool Take(int nMs, Job* pJob) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(nMs),
                           [this] { return !m_jobs.empty() || m_bWake; });
        m_bWake = false;
        if (m_jobs.empty()) {
            return false;
        }
        *pJob = std::move(m_jobs.front());
        m_jobs.pop_front();
        return true;
    }

    void Wake() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bWake = true;
        }
        m_changed.notify_all();
    }

    // No more jobs; those still waiting are told that dirsim is stopping.
    void Close() {
        std::deque<Job> left;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bClosed = true;
            left.swap(m_jobs);
        }
        for (Job& job : left) {
            job.answer.set_value(Stopping());
        }
    }

private:
    static Answer Stopping() {
        return {kStatusStopping,
                {{"ok", false}, {"error", "dirsim is stopping"}, {"notifications", json::array()}}};
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_bWake = false;
    bool m_bClosed = false;
};

json NoticeJson(const Notice& notice, const json& command) {
    return {{"id", notice.nId},
            {"wParam", notice.wParam},
            {"lParam", notice.lParam},
            {"text", notice.strText},
            {"command", command}};
}

Answer Refused(const std::string& strName, const std::string& strLine, const std::string& strError) {
    return {kStatusFailed, ResultObject(strName, strLine, Result::Fail(strError), json::array())};
}

// "127.0.0.1", "localhost", either with our port.
bool IsOwnHost(const std::string& strHost, int nPort) {
    const std::string strPort = ":" + std::to_string(nPort);
    for (const char* pName : {"127.0.0.1", "localhost"}) {
        if (strHost == pName || strHost == std::string(pName) + strPort) {
            return true;
        }
    }
    return false;
}

bool IsOwnOrigin(const std::string& strOrigin, int nPort) {
    const std::string strPrefix = "http://";
    return strOrigin.compare(0, strPrefix.size(), strPrefix) == 0 &&
           IsOwnHost(strOrigin.substr(strPrefix.size()), nPort);
}

void PlainRefusal(httplib::Response& response, int nStatus, const std::string& strWhy) {
    response.status = nStatus;
    response.set_content(strWhy + "\n", "text/plain; charset=utf-8");
}

}  // namespace

struct CWebServer::Impl {
    Impl(CSession& session, CRunner& runner) : session(session), runner(runner) {}

    CSession& session;
    CRunner& runner;
    httplib::Server server;
    std::thread listener;
    int nPort = 0;
    CJobQueue jobs;
    CEventHub events;
    std::atomic<bool> bStop{false};

    void Route();
    httplib::Server::HandlerResponse Screen(const httplib::Request& request, httplib::Response& response);
    void RunRequest(const httplib::Request& request, httplib::Response& response);
    void StreamEvents(const httplib::Request& request, httplib::Response& response);
    Answer Execute(const json& request);
    Answer ExecuteLine(const std::string& strLine);
    Answer ExecuteCommand(const json& request);
    Answer RunCommand(const CommandDef& def, const Args& args, const std::string& strLine);
    void PublishIdleNotices();
};

void CWebServer::Impl::Route() {
    server.set_payload_max_length(kMaxBody);
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        return Screen(request, response);
    });
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
    server.Post("/api/run", [this](const httplib::Request& request, httplib::Response& response) {
        RunRequest(request, response);
    });
    server.Get("/api/events", [this](const httplib::Request& request, httplib::Response& response) {
        StreamEvents(request, response);
    });
    server.Get(R"(/[A-Za-z0-9_.\-]*)", [](const httplib::Request& request, httplib::Response& response) {
        const WebAsset* pAsset = FindWebAsset(request.path);
        if (pAsset == nullptr) {
            PlainRefusal(response, 404, "no such file");
            return;
        }
        response.set_header("Cache-Control", "no-cache");
        response.set_header(
            "Content-Security-Policy",
            "default-src 'self'; img-src 'self' data:; connect-src 'self'; frame-ancestors 'none'");
        response.set_content(reinterpret_cast<const char*>(pAsset->pData), pAsset->nSize,
                             pAsset->pContentType);
    });
}

// Only requests made for this machine get through.
httplib::Server::HandlerResponse CWebServer::Impl::Screen(const httplib::Request& request,
                                                          httplib::Response& response) {
    if (!IsOwnHost(request.get_header_value("Host"), nPort)) {
        PlainRefusal(response, 403, "dirsim answers only requests for 127.0.0.1");
        return httplib::Server::HandlerResponse::Handled;
    }
    if (request.method != "GET" && request.has_header("Origin") &&
        !IsOwnOrigin(request.get_header_value("Origin"), nPort)) {
        PlainRefusal(response, 403, "dirsim takes commands only from its own page");
        return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

void CWebServer::Impl::RunRequest(const httplib::Request& request, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    const json body = json::parse(request.body, nullptr, false);
    if (!body.is_object() || (!body.contains("line") && !body.contains("command"))) {
        PlainRefusal(response, 400,
                     R"(send a JSON object: {"line": "..."} or {"command": "...", "args": {...}})");
        return;
    }
    const Answer answer = jobs.Submit(body).get();
    response.status = answer.nStatus;
    response.set_content(answer.body.dump(-1, ' ', false, json::error_handler_t::replace),
                         "application/json; charset=utf-8");
}

void CWebServer::Impl::StreamEvents(const httplib::Request& request, httplib::Response& response) {
    if (!events.Join()) {
        PlainRefusal(response, kStatusStopping, "too many pages are listening");
        return;
    }
    long long nAfter = events.LastIdLocked();
    if (request.has_header("Last-Event-ID")) {
        nAfter = std::atoll(request.get_header_value("Last-Event-ID").c_str());
    }
    response.set_header("Cache-Control", "no-store");
    auto lastWrite = std::make_shared<std::chrono::steady_clock::time_point>();
    auto bGreeted = std::make_shared<bool>(false);
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, nAfter, lastWrite, bGreeted](size_t, httplib::DataSink& sink) mutable {
            if (!*bGreeted) {
                *bGreeted = true;
                *lastWrite = std::chrono::steady_clock::now();
                const std::string strHello = "retry: 1000\n: listening\n\n";
                return sink.write(strHello.data(), strHello.size());
            }
            std::vector<std::pair<long long, std::string>> vecEvents;
            if (!events.Next(nAfter, &vecEvents)) {
                sink.done();
                return true;
            }
            std::string strOut;
            for (const auto& event : vecEvents) {
                strOut +=
                    "id: " + std::to_string(event.first) + "\nevent: notice\ndata: " + event.second + "\n\n";
                nAfter = event.first;
            }
            if (strOut.empty() && std::chrono::steady_clock::now() - *lastWrite > kKeepAliveEvery) {
                strOut = ": still here\n\n";
            }
            if (strOut.empty()) {
                return sink.is_writable();
            }
            *lastWrite = std::chrono::steady_clock::now();
            return sink.write(strOut.data(), strOut.size());
        },
        [this](bool) { events.Leave(); });
}

Answer CWebServer::Impl::Execute(const json& request) {
    if (request.contains("line")) {
        if (!request["line"].is_string()) {
            return Refused("", "", "\"line\" must be a text");
        }
        return ExecuteLine(request["line"].get<std::string>());
    }
    return ExecuteCommand(request);
}

Answer CWebServer::Impl::ExecuteLine(const std::string& strLine) {
    std::vector<std::string> vecWords;
    std::string strError;
    if (!SplitWords(strLine, &vecWords, &strError)) {
        return Refused("", strLine, "cannot read the command: " + strError);
    }
    if (vecWords.empty()) {
        return Refused("", strLine, "no command given");
    }
    size_t nNameWords = 0;
    const CommandDef* pDef = Commands().Match(vecWords, &nNameWords);
    if (pDef == nullptr) {
        return Refused(vecWords[0], strLine,
                       "there is no command \"" + vecWords[0] + "\"; \"help\" lists every command");
    }
    Args args;
    if (!ParseWords(
            *pDef, std::vector<std::string>(vecWords.begin() + static_cast<long>(nNameWords), vecWords.end()),
            &args, &strError)) {
        return Refused(pDef->strName, strLine, pDef->strName + ": " + strError);
    }
    return RunCommand(*pDef, args, strLine);
}

// {"command": "search", "args": {...}}: the line of the answer is the command's name.
Answer CWebServer::Impl::ExecuteCommand(const json& request) {
    if (!request["command"].is_string()) {
        return Refused("", "", "\"command\" must be a text");
    }
    const std::string strName = request["command"].get<std::string>();
    const CommandDef* pDef = Commands().Find(strName);
    if (pDef == nullptr) {
        return Refused(strName, strName,
                       "there is no command \"" + strName + "\"; \"help\" lists every command");
    }
    const json values = request.contains("args") ? request["args"] : json::object();
    Args args;
    std::string strError;
    if (!ParseJson(*pDef, values, &args, &strError)) {
        return Refused(pDef->strName, strName, pDef->strName + ": " + strError);
    }
    return RunCommand(*pDef, args, strName);
}

Answer CWebServer::Impl::RunCommand(const CommandDef& def, const Args& args, const std::string& strLine) {
    json notices;
    const Result result = runner.Run(def, args, &notices);
    for (const json& notice : notices) {
        json event = notice;
        event["command"] = def.strName;
        events.Publish(event);
    }
    return {result.bOk ? 200 : kStatusFailed, ResultObject(def.strName, strLine, result, notices)};
}

void CWebServer::Impl::PublishIdleNotices() {
    session.BeginCommand();
    for (const Notice& notice : session.TakeIdleNotices()) {
        events.Publish(NoticeJson(notice, nullptr));
    }
}

CWebServer::CWebServer(CSession& session, CRunner& runner)
    : m_pImpl(std::make_unique<Impl>(session, runner)) {}

CWebServer::~CWebServer() {
    Stop();
    m_pImpl->jobs.Close();
    m_pImpl->events.Close();
    m_pImpl->server.stop();
    if (m_pImpl->listener.joinable()) {
        m_pImpl->listener.join();
    }
}

bool CWebServer::Listen(int nPort, std::string* pError) {
    if (nPort < 0 || nPort > 65535) {
        *pError = "the port " + std::to_string(nPort) + " is not between 0 and 65535";
        return false;
    }
    Impl& impl = *m_pImpl;
    impl.Route();
    if (nPort == 0) {
        impl.nPort = impl.server.bind_to_any_port(kLoopbackAddress);
    } else if (impl.server.bind_to_port(kLoopbackAddress, nPort)) {
        impl.nPort = nPort;
    } else {
        impl.nPort = -1;
    }
    if (impl.nPort <= 0) {
        *pError = "cannot listen on 127.0.0.1:" + std::to_string(nPort) + ": " + std::strerror(errno) +
                  (nPort != 0 ? " (--web 0 picks a free port)" : "");
        return false;
    }
    impl.listener = std::thread([&impl] { impl.server.listen_after_bind(); });
    // Stopping a server that has not started listening yet would leave it listening for ever.
    for (int i = 0; i < 2000 && !impl.server.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int CWebServer::Port() const {
    return m_pImpl->nPort;
}

std::string CWebServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(m_pImpl->nPort) + "/";
}

void CWebServer::Serve() {
    Impl& impl = *m_pImpl;
    while (!impl.bStop && !CSession::Interrupted() && !impl.runner.QuitRequested()) {
        CJobQueue::Job job;
        if (impl.jobs.Take(kSliceMs, &job)) {
            job.answer.set_value(impl.Execute(job.request));
        }
        impl.session.Pump(0);
        impl.PublishIdleNotices();
    }
    impl.jobs.Close();
    impl.events.Close();
    impl.server.stop();
    if (impl.listener.joinable()) {
        impl.listener.join();
    }
}

void CWebServer::Stop() {
    m_pImpl->bStop = true;
    m_pImpl->jobs.Wake();
}

}  // namespace dirsim
