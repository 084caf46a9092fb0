#pragma once
// An answer the loopback server holds back until the test opens it, however early or late the request comes.
// Opened at the latest when it goes out of scope, so a failing test never leaves the server blocked.

#include <future>
#include <string>

#include "LoopbackHttpServer.h"

namespace remotetest {

class HeldAnswer {
public:
    HeldAnswer(testsupport::LoopbackHttpServer& server, const std::string& strPath,
               const std::string& strBody) {
        std::shared_future<void> opened = m_gate.get_future().share();
        server.Handle(strPath, [opened, strBody](const httplib::Request&, httplib::Response& response) {
            opened.wait();
            response.set_content(strBody, "application/xml");
        });
    }
    ~HeldAnswer() { Open(); }

    void Open() {
        if (!m_bOpen) {
            m_bOpen = true;
            m_gate.set_value();
        }
    }

private:
    std::promise<void> m_gate;
    bool m_bOpen = false;
};

}  // namespace remotetest
