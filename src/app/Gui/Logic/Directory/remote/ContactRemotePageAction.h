#pragma once
// Loads one directory page for the remote model's paging. A load the model gave up because the model went
// away removes its downloaded file when the action ends, since no callback will handle it.

#include <atomic>
#include <string>

#include "TaskAction.h"

namespace NS_DIRECTORY {

class CContactRemotePageAction : public NS_TA::CNetworkFileAction {
public:
    // A new action holding one reference (released with TaskAction_DestroyNetworkFileAction), or null for an
    // empty URL or when memory ran out.
    static CContactRemotePageAction* Create(const std::string& strLocalPath, const std::string& strUrl);

    void Abandon() { m_bAbandoned = true; }

protected:
    ~CContactRemotePageAction() override;

private:
    CContactRemotePageAction(const std::string& strLocalPath, const std::string& strUrl);

    std::atomic<bool> m_bAbandoned{false};
};

}  // namespace NS_DIRECTORY
