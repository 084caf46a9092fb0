#include "BroadSoftPageAction.h"

#include <new>

namespace NS_DIRECTORY {

CBroadSoftPageAction* CBroadSoftPageAction::Create(const std::string& strLocalPath,
                                                   const std::string& strRemoteUrl) {
    if (strRemoteUrl.empty()) {
        return nullptr;
    }
    try {
        auto* pAction = new CBroadSoftPageAction(strLocalPath, strRemoteUrl);
        pAction->AddRef();
        return pAction;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CBroadSoftPageAction::Exec() {
    const bool bDownloaded = CNetworkFileAction::Exec();
    if (!bDownloaded || !IsRead() || IsDelete()) {
        return bDownloaded;
    }
    try {
        auto pPage = std::make_unique<BroadSoftPage>();
        ReadBroadSoftPageBody(GetFileContent(), *pPage);
        m_pPage = std::move(pPage);
    } catch (const std::bad_alloc&) {
        m_pPage.reset();
        return bDownloaded;
    }
    TakeFileContent();
    return bDownloaded;
}

std::unique_ptr<BroadSoftPage> CBroadSoftPageAction::TakePage() {
    return std::move(m_pPage);
}

}  // namespace NS_DIRECTORY
