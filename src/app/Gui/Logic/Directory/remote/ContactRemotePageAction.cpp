#include "ContactRemotePageAction.h"

#include <cstdio>
#include <new>

#include "BaseHelper.h"

namespace NS_DIRECTORY {

CContactRemotePageAction* CContactRemotePageAction::Create(const std::string& strLocalPath,
                                                           const std::string& strUrl) {
    if (strUrl.empty()) {
        return nullptr;
    }
    CContactRemotePageAction* pAction = nullptr;
    try {
        pAction = new CContactRemotePageAction(strLocalPath, strUrl);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    pAction->AddRef();
    return pAction;
}

CContactRemotePageAction::CContactRemotePageAction(const std::string& strLocalPath, const std::string& strUrl)
    : NS_TA::CNetworkFileAction(strLocalPath, strUrl) {}

CContactRemotePageAction::~CContactRemotePageAction() {
    if (m_bAbandoned) {
        std::remove(ETL_MiscHelper::pathMapToRoot(GetFilePath()).c_str());
    }
}

}  // namespace NS_DIRECTORY
