#include "DemoServers.h"

#include <stdexcept>

#include "DemoRemotePhonebook.h"
#include "DemoXsi.h"
#include "LoopbackHttpServer.h"
#include "MockXsiServer.h"

namespace dirsim {

CDemoServers::CDemoServers() = default;

CDemoServers::~CDemoServers() = default;

bool CDemoServers::Start(bool bRemote, bool bXsi, std::string* pError) {
    return (!bRemote || StartRemote(pError)) && (!bXsi || StartXsi(pError));
}

bool CDemoServers::StartRemote(std::string* pError) {
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

bool CDemoServers::StartXsi(std::string* pError) {
    try {
        m_pXsi = std::make_unique<testsupport::MockXsiServer>(DemoXsi().strUserId, DemoXsi().strPassword);
        ServeDemoXsi(*m_pXsi);
    } catch (const std::exception& error) {
        *pError = std::string("cannot start the demo Xsi server on 127.0.0.1: ") + error.what();
        m_pXsi.reset();
        return false;
    }
    return true;
}

std::string CDemoServers::XsiPort() const {
    return m_pXsi ? m_pXsi->Port() : "";
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
