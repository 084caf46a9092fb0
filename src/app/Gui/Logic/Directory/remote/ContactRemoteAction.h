#pragma once
// Downloads one remote phonebook document and, still on the worker, parses it into the remote model's tree.
// The model's downloads keep the body in memory (the temporary file's name then only names the download in
// log lines, and no file is made); a download into the temporary file removes that file on the worker once
// it was parsed (or refused), and with the action at the latest.

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
