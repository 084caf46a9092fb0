#include "ContactRemoteAction.h"

#include <new>

#include "BaseHelper.h"
#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

CContactRemoteAction::CContactRemoteAction(const std::string& strLocalPath, const std::string& strUrl)
    : NS_TA::CNetworkFileAction(NS_TA::TA_REQUEST_REMOTE_CONTACT_DOWNLOAD, strLocalPath, strUrl),
      m_bSendMesg(false) {}

CContactRemoteAction::~CContactRemoteAction() {
    RemoveLocalFile();
}

bool CContactRemoteAction::Exec() {
    bool bParsed = false;
    try {
        bParsed = NS_TA::CNetworkFileAction::Exec() && IsRead() && MyParse();
    } catch (const std::bad_alloc&) {
        bParsed = false;
    }
    SetTaskActionErrorType(bParsed ? NS_TA::TA_NO_ERROR : NS_TA::TA_DOWNLOAD_NOT_PARSED);
    if (IsRead()) {
        RemoveLocalFile();
    }
    return bParsed;
}

bool CContactRemoteAction::MyParse() {
    CContactRemoteModel::CWorkerLease lease;
    return lease.Get() != nullptr && lease.Get()->MyParseForAction(this);
}

void CContactRemoteAction::RemoveLocalFile() const {
    if (!IsKeepBodyInMemory() && !GetFilePath().empty()) {
        ETL_MiscHelper::fileRemove(GetFilePath());
    }
}

}  // namespace NS_DIRECTORY
