#pragma once
// The demo servers dirsim runs inside its own process, on 127.0.0.1 and ephemeral ports: the demo remote
// phonebook and the demo Xsi server of the network directory. They stop when the object goes.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {
class LoopbackHttpServer;
class MockXsiServer;
}  // namespace testsupport

namespace dirsim {

class CDemoServers {
public:
    CDemoServers();
    ~CDemoServers();
    CDemoServers(const CDemoServers&) = delete;
    CDemoServers& operator=(const CDemoServers&) = delete;

    // Starts the servers asked for; false with the reason in words.
    bool Start(bool bRemote, bool bXsi, std::string* pError);
    // "http://127.0.0.1:<port>" of the remote phonebook server, "" before Start.
    std::string RemoteBaseUrl() const;
    // The demo's remote phonebook slots (name, URL) on this run's port.
    std::vector<std::pair<std::string, std::string>> RemoteSlots() const;
    // The Xsi server ("" and null before Start).
    std::string XsiPort() const;
    testsupport::MockXsiServer* Xsi() const { return m_pXsi.get(); }

private:
    bool StartRemote(std::string* pError);
    bool StartXsi(std::string* pError);

    std::unique_ptr<testsupport::LoopbackHttpServer> m_pRemote;
    std::unique_ptr<testsupport::MockXsiServer> m_pXsi;
};

}  // namespace dirsim
