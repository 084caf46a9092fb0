#pragma once
// The demo servers dirsim runs inside its own process, on 127.0.0.1 and ephemeral ports: the demo remote
// phonebook. They stop when the object goes.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {
class LoopbackHttpServer;
}

namespace dirsim {

class CDemoServers {
public:
    CDemoServers();
    ~CDemoServers();
    CDemoServers(const CDemoServers&) = delete;
    CDemoServers& operator=(const CDemoServers&) = delete;

    // Starts the servers; false with the reason in words.
    bool Start(std::string* pError);
    // "http://127.0.0.1:<port>" of the remote phonebook server, "" before Start.
    std::string RemoteBaseUrl() const;
    // The demo's remote phonebook slots (name, URL) on this run's port.
    std::vector<std::pair<std::string, std::string>> RemoteSlots() const;

private:
    std::unique_ptr<testsupport::LoopbackHttpServer> m_pRemote;
};

}  // namespace dirsim
