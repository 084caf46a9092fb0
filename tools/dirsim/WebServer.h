#pragma once
// dirsim --web: the phone's directory screen as a page on 127.0.0.1, with a JSON API that runs the same
// commands as --json and a stream of the module's notifications.
//
//   POST /api/run     {"line": "search 627"} or {"command": "search", "args": {"key": "627"}}; the answer is
//                     the object --json prints for that command (200 when it worked, 422 when it failed)
//   GET  /api/events  server-sent events: every notification of the module as it comes, those sent while a
//                     command ran ("command" names it) and those between commands ("command" is null)
//   GET  /            the page and its files, built into the program
//
// The server's threads only hand requests over: every command runs on the session's thread, one at a time,
// between slices of the host loop, as in the shell. Since the page hears every notification as it comes,
// the "notifications" command has nothing left to tell in this mode.
//
// Nothing but this machine: the socket is bound to 127.0.0.1, a request whose Host header names another
// host is refused (403, so that a name rebound to 127.0.0.1 reaches nothing), and so is a POST sent by a
// page of another origin, so that no other site open in a browser can drive the phone.

#include <memory>
#include <string>

namespace dirsim {

class CRunner;
class CSession;

class CWebServer {
public:
    CWebServer(CSession& session, CRunner& runner);
    ~CWebServer();
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    // Binds 127.0.0.1:nPort (0 picks a free port) and starts answering; false with the reason.
    bool Listen(int nPort, std::string* pError);
    int Port() const;
    std::string Url() const;
    // Runs commands handed over by the server and the host loop in between, on the calling thread (the
    // session's), until "quit", Ctrl-C or Stop; then stops the server.
    void Serve();
    // Ends Serve from any thread.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

}  // namespace dirsim
