#include "DemoServers.h"

#include <stdexcept>

#include "DemoRemotePhonebook.h"
#include "LoopbackHttpServer.h"

namespace dirsim {

CDemoServers::CDemoServers() = default;

CDemoServers::~CDemoServers() = default;

bool CDemoServers::Start(std::string* pError) {
    try {
        m_pRemote = std::make_unique<testsupport::LoopbackHttpServer>();
        ServeDemoRemote(*m_pRemote);
    } catch (const std::exception& error) {
        *pError = std::string("cannot start the demo remote phonebook server on 127.0.0.1: ") + error.what();
        m_pRemote.reset();
        return false;
    }
    return true;
}

std::string CDemoServers::RemoteBaseUrl() const {
    return m_pRemote ? m_pRemote->Url("") : "";
}

std::vector<std::pair<std::string, std::string>> CDemoServers::RemoteSlots() const {
    std::vector<std::pair<std::string, std::string>> vecSlots;
    if (m_pRemote) {
        for (const DemoRemoteSlot& slot : DemoRemote().vecSlots) {
            vecSlots.emplace_back(slot.strName, m_pRemote->Url(slot.strPath));
        }
    }
    return vecSlots;
}

}  // namespace dirsim
