#pragma once
// Downloads one remote phonebook document into a temporary file and, still on the worker, parses it into
// the remote model's tree. The worker removes the downloaded file once it was parsed (or refused), so
// the GUI thread never waits on the file system for it; the file goes with the action at the latest.

#include <string>

#include "TaskAction.h"

namespace NS_DIRECTORY {

class CContactRemoteAction : public NS_TA::CNetworkFileAction {
public:
    CContactRemoteAction(const std::string& strLocalPath, const std::string& strUrl);

    // Downloads, then parses when the download succeeded and the model exists. Error type 80 unless parsed.
    bool Exec() override;

    void SetSendMesg(bool bSendMesg) { m_bSendMesg = bSendMesg; }
    bool IsSendMesg() const { return m_bSendMesg; }
    void RemoveLocalFile() const;

protected:
    ~CContactRemoteAction() override;

private:
    bool MyParse();

    bool m_bSendMesg;
};

}  // namespace NS_DIRECTORY
