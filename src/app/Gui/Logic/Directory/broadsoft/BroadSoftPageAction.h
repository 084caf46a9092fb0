#pragma once
// The download of one network directory page that also reads the page on the worker that downloaded it,
// so the GUI thread only adds ready records to their list. Request type 2, like every network file action;
// the page's body stays in memory, so no local file is ever written.

#include <memory>
#include <string>

#include "BroadSoftPage.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CBroadSoftPageAction : public NS_TA::CNetworkFileAction {
public:
    // A new action holding one reference (TaskAction_DestroyNetworkFileAction releases it), or null for an
    // empty URL or out of memory.
    static CBroadSoftPageAction* Create(const std::string& strLocalPath, const std::string& strRemoteUrl);

    // Downloads, then reads the page from the body and lets the body go once it was read.
    bool Exec() override;
    // The page read after a successful download, once; null when the download failed, and when memory ran
    // out while reading (the body is then still the action's file content, to be read again).
    std::unique_ptr<BroadSoftPage> TakePage();

protected:
    ~CBroadSoftPageAction() override = default;

private:
    CBroadSoftPageAction(const std::string& strLocalPath, const std::string& strRemoteUrl)
        : CNetworkFileAction(strLocalPath, strRemoteUrl) {
        SetKeepBodyInMemory(true);
    }

    std::unique_ptr<BroadSoftPage> m_pPage;
};

}  // namespace NS_DIRECTORY
