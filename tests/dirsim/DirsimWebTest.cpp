// dirsim --web through cpp-httplib's client on 127.0.0.1: the API answers what --json answers, requests for
// other hosts and other sites are refused, the built-in files come with their types, and the module's
// notifications reach a page listening on the event stream.

#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <httplib.h>

#include "DirsimProcess.h"
#include "TempRoot.h"

extern char** environ;

namespace {

using dirsimtest::json;

constexpr int kStartTimeoutMs = 60000;

// dirsim --web 0 running on a data folder; "quit" through the API ends it.
class WebDirsim {
public:
    explicit WebDirsim(const std::string& strRoot) {
        std::vector<std::string> vecAll =
            dirsimtest::DirsimCommandLine({"--root", strRoot, "--quiet", "--web", "0"});
        std::vector<char*> vecArgv = dirsimtest::Argv(vecAll);
        int outPipe[2];
        if (pipe(outPipe) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, outPipe[0]);
        if (posix_spawn(&m_pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(outPipe[1]);
        m_nOut = outPipe[0];
        ReadPort();
    }

    ~WebDirsim() {
        if (m_pid > 0 && m_nExit < 0) {
            Quit();
        }
        if (m_nOut >= 0) {
            close(m_nOut);
        }
    }

    int Port() const { return m_nPort; }
    std::string Printed() const { return m_strPrinted; }

    httplib::Client Client() const {
        httplib::Client client("127.0.0.1", m_nPort);
        client.set_read_timeout(60, 0);
        return client;
    }

    json Post(const json& request, int* pStatus = nullptr) const {
        auto response = Client().Post("/api/run", request.dump(), "application/json");
        if (!response) {
            return json();
        }
        if (pStatus != nullptr) {
            *pStatus = response->status;
        }
        return json::parse(response->body, nullptr, false);
    }

    // The status a request to the API answers; 0 when nothing answered.
    int PostStatus(const std::string& strBody, const httplib::Headers& headers = {}) const {
        const auto response = Client().Post("/api/run", headers, strBody, "application/json");
        return response ? response->status : 0;
    }

    // Asks dirsim to leave and waits for it; its exit status.
    int Quit() {
        if (m_nPort > 0) {
            Post({{"line", "quit"}});
        }
        m_nExit = dirsimtest::WaitForExit(m_pid, 30000);
        return m_nExit;
    }

private:
    void ReadPort() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
        const std::string strMark = "http://127.0.0.1:";
        while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{m_nOut, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0) {
                continue;
            }
            char szBuffer[512];
            const ssize_t nRead = read(m_nOut, szBuffer, sizeof szBuffer);
            if (nRead <= 0) {
                return;
            }
            m_strPrinted.append(szBuffer, static_cast<size_t>(nRead));
            const size_t nAt = m_strPrinted.find(strMark);
            if (nAt != std::string::npos && m_strPrinted.find('\n', nAt) != std::string::npos) {
                m_nPort = std::atoi(m_strPrinted.c_str() + nAt + strMark.size());
                return;
            }
        }
    }

    pid_t m_pid = -1;
    int m_nOut = -1;
    int m_nPort = 0;
    int m_nExit = -1;
    std::string m_strPrinted;
};

class DirsimWebTest : public testsupport::HostFixture {};

std::string SourceFile(const std::string& strName) {
    const std::string strHere = __FILE__;
    return dirsimtest::ReadFile(strHere.substr(0, strHere.rfind("tests/dirsim/")) + "tools/dirsim/web/" +
                                strName);
}

TEST_F(DirsimWebTest, ApiAnswersEqualJsonAnswersAndStopsOnQuit) {
    const std::vector<std::string> vecLines = {"groups",
                                               "contacts Family --page 2 --size 4",
                                               "search 62 --size 5",
                                               "show \"Anna García\"",
                                               "lookup 015102006216",
                                               "blacklist --size 3",
                                               "shortcuts",
                                               "remote open 2",
                                               "remote enter 1",
                                               "contacts \"No such group\"",
                                               "frobnicate 3",
                                               "search --page x"};
    std::string strJoined;
    for (const std::string& strLine : vecLines) {
        strJoined += (strJoined.empty() ? "" : "; ") + strLine;
    }
    const auto run = dirsimtest::RunDirsim(m_root.Dir(), {"--json", "--keep-going", "--exec", strJoined});
    ASSERT_EQ(run.vecResults.size(), vecLines.size()) << run.Dump();

    WebDirsim web(m_root.Dir());
    ASSERT_GT(web.Port(), 0) << web.Printed();
    for (size_t i = 0; i < vecLines.size(); ++i) {
        int nStatus = 0;
        const json answer = web.Post({{"line", vecLines[i]}}, &nStatus);
        EXPECT_EQ(answer, run.Result(i)) << vecLines[i];
        EXPECT_EQ(nStatus, run.Result(i)["ok"] == true ? 200 : 422) << vecLines[i];
    }
    // The same command given by name and arguments gets the same result.
    const json byName = web.Post({{"command", "search"}, {"args", {{"key", "62"}, {"size", 5}}}});
    EXPECT_EQ(byName["result"], run.Result(2)["result"]);
    EXPECT_EQ(byName["line"], "search");
    EXPECT_EQ(web.Quit(), 0);
}

TEST_F(DirsimWebTest, RequestsForOtherHostsAndOtherSitesAreRefused) {
    WebDirsim web(m_root.Dir());
    ASSERT_GT(web.Port(), 0) << web.Printed();
    const std::string strPort = std::to_string(web.Port());
    const struct {
        std::string strHost;
        int nStatus;
    } hosts[] = {{"127.0.0.1:" + strPort, 200},
                 {"localhost:" + strPort, 200},
                 {"127.0.0.1", 200},
                 {"evil.example", 403},
                 {"evil.example:" + strPort, 403},
                 {"127.0.0.1.evil.example:" + strPort, 403},
                 {"127.0.0.1:1", 403},
                 {"[::1]:" + strPort, 403},
                 {"", 403}};
    for (const auto& host : hosts) {
        const httplib::Headers headers = {{"Host", host.strHost}};
        const auto page = web.Client().Get("/", headers);
        ASSERT_TRUE(page) << host.strHost;
        EXPECT_EQ(page->status, host.nStatus) << host.strHost;
        EXPECT_EQ(web.PostStatus(R"({"line": "groups"})", headers), host.nStatus) << host.strHost;
    }
    const struct {
        std::string strOrigin;
        int nStatus;
    } origins[] = {{"http://127.0.0.1:" + strPort, 200},  {"http://localhost:" + strPort, 200},
                   {"http://evil.example", 403},          {"http://127.0.0.1:1", 403},
                   {"https://127.0.0.1:" + strPort, 403}, {"null", 403}};
    for (const auto& origin : origins) {
        EXPECT_EQ(web.PostStatus(R"({"line": "groups"})", {{"Origin", origin.strOrigin}}), origin.nStatus)
            << origin.strOrigin;
    }
    // A refused command did not run.
    EXPECT_EQ(web.PostStatus(R"({"line": "add Intruder"})", {{"Origin", "http://evil.example"}}), 403);
    int nStatus = 0;
    web.Post({{"line", "show Intruder"}}, &nStatus);
    EXPECT_EQ(nStatus, 422);

    const struct {
        std::string strBody;
        int nStatus;
    } bodies[] = {{"not json", 400},
                  {R"(["groups"])", 400},
                  {R"({"line": 5})", 422},
                  {R"({"command": "x"})", 422},
                  {R"({"command": "contacts", "args": {"page": "two"}})", 422}};
    for (const auto& body : bodies) {
        EXPECT_EQ(web.PostStatus(body.strBody), body.nStatus) << body.strBody;
    }
    EXPECT_EQ(web.PostStatus(std::string(200 * 1024, ' ')), 413);
    EXPECT_EQ(web.Quit(), 0);
}

TEST_F(DirsimWebTest, BadWebOptionsStopBeforeStarting) {
    for (const std::vector<std::string>& vecArgs : std::vector<std::vector<std::string>>{
             {"--web", "http"}, {"--web", "70000"}, {"--web", "-1"}, {"--web", "0", "--exec", "groups"}}) {
        const auto run = dirsimtest::RunDirsim(m_root.Dir(), vecArgs);
        EXPECT_EQ(run.nExit, 2) << run.Dump();
        EXPECT_FALSE(m_root.Exists("/config/data/contact_list.xml")) << run.Dump();
    }
}

TEST_F(DirsimWebTest, BuiltInFilesAreServedWithTheirTypes) {
    WebDirsim web(m_root.Dir());
    ASSERT_GT(web.Port(), 0) << web.Printed();
    const struct {
        const char* pPath;
        const char* pFile;
        const char* pType;
    } files[] = {{"/", "index.html", "text/html; charset=utf-8"},
                 {"/index.html", "index.html", "text/html; charset=utf-8"},
                 {"/app.js", "app.js", "text/javascript; charset=utf-8"},
                 {"/style.css", "style.css", "text/css; charset=utf-8"},
                 {"/favicon.svg", "favicon.svg", "image/svg+xml"}};
    for (const auto& file : files) {
        const auto response = web.Client().Get(file.pPath);
        ASSERT_TRUE(response) << file.pPath;
        EXPECT_EQ(response->status, 200) << file.pPath;
        EXPECT_EQ(response->get_header_value("Content-Type"), file.pType) << file.pPath;
        EXPECT_EQ(response->get_header_value("X-Content-Type-Options"), "nosniff");
        EXPECT_NE(response->get_header_value("Content-Security-Policy").find("default-src 'self'"),
                  std::string::npos);
        const std::string strSource = SourceFile(file.pFile);
        ASSERT_FALSE(strSource.empty()) << file.pFile;
        EXPECT_EQ(response->body, strSource) << file.pPath;
    }
    for (const char* pPath : {"/missing.js", "/api", "/../CMakeLists.txt", "/web/app.js"}) {
        const auto response = web.Client().Get(pPath);
        ASSERT_TRUE(response) << pPath;
        EXPECT_EQ(response->status, 404) << pPath;
    }
    EXPECT_EQ(web.Quit(), 0);
}

// What a listener on the event stream received, read on a thread of its own.
class EventListener {
public:
    EventListener(const WebDirsim& web, const httplib::Headers& headers = {})
        : m_client(web.Client()), m_headers(headers) {
        m_client.set_read_timeout(5, 0);
        m_thread = std::thread([this] {
            m_client.Get("/api/events", m_headers, [this](const char* pData, size_t nSize) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_strReceived.append(pData, nSize);
                return !m_bStop;
            });
        });
    }
    ~EventListener() {
        m_bStop = true;
        m_client.stop();
        m_thread.join();
    }

    // Waits until the received text holds strText.
    bool WaitFor(const std::string& strText) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_strReceived.find(strText) != std::string::npos) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // The data of every "notice" event received.
    std::vector<json> Notices() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<json> vecNotices;
        std::istringstream in(m_strReceived);
        for (std::string strLine; std::getline(in, strLine);) {
            if (strLine.rfind("data: ", 0) == 0) {
                vecNotices.push_back(json::parse(strLine.substr(6), nullptr, false));
            }
        }
        return vecNotices;
    }

private:
    httplib::Client m_client;
    httplib::Headers m_headers;
    std::thread m_thread;
    std::mutex m_mutex;
    std::string m_strReceived;
    std::atomic<bool> m_bStop{false};
};

TEST_F(DirsimWebTest, EventStreamDeliversTheModulesNotifications) {
    WebDirsim web(m_root.Dir());
    ASSERT_GT(web.Port(), 0) << web.Printed();
    {
        EventListener listener(web);
        ASSERT_TRUE(listener.WaitFor(": listening"));
        const json answer = web.Post({{"line", "add \"Eva Nowak\" --mobile 0170111222"}});
        ASSERT_EQ(answer["ok"], true) << answer;
        ASSERT_TRUE(listener.WaitFor("\"command\":\"add\""));
        json added;
        for (const json& notice : listener.Notices()) {
            if (notice["command"] == "add") {
                added = notice;
            }
        }
        EXPECT_EQ(added["id"], 1720);
        EXPECT_EQ(added["text"], answer["notifications"].at(0)["text"]);
        web.Post({{"line", "reload --background"}});
        EXPECT_TRUE(listener.WaitFor("\"command\":\"reload\""));
    }
    // A page that comes back says where it stopped and gets what it missed.
    EventListener again(web, {{"Last-Event-ID", "0"}});
    EXPECT_TRUE(again.WaitFor("\"command\":\"add\""));
    EXPECT_EQ(web.Quit(), 0);
}

TEST_F(DirsimWebTest, CommandsFromManyConnectionsRunOneAtATime) {
    WebDirsim web(m_root.Dir());
    ASSERT_GT(web.Port(), 0) << web.Printed();
    EventListener listener(web);
    ASSERT_TRUE(listener.WaitFor(": listening"));
    const std::vector<std::string> vecKeys = {"2", "26", "62", "627", "5", "53", "7", "72"};
    std::atomic<int> nMismatches{0};
    std::vector<std::thread> vecThreads;
    for (size_t t = 0; t < 4; ++t) {
        vecThreads.emplace_back([&, t] {
            for (size_t i = 0; i < 10; ++i) {
                const std::string strKey = vecKeys[(t * 3 + i) % vecKeys.size()];
                const json answer =
                    web.Post({{"command", "search"}, {"args", {{"key", strKey}, {"size", 3}}}});
                if (answer["ok"] != true || answer["result"]["key"] != strKey) {
                    ++nMismatches;
                }
            }
        });
    }
    for (std::thread& thread : vecThreads) {
        thread.join();
    }
    EXPECT_EQ(nMismatches, 0);
    EXPECT_EQ(web.Quit(), 0);
}

}  // namespace
