#include "ContactRemotePageAction.h"

#include <new>

#include "BaseHelper.h"
#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

void RemotePageContent::Clear() {
    for (ContactRemoteItemBase* pItem : m_listPageItem) {
        delete pItem;
    }
    m_listPageItem.clear();
    m_strNextPageUrl.clear();
    m_strPrevPageUrl.clear();
}

CContactRemotePageAction* CContactRemotePageAction::Create(const std::string& strLocalPath,
                                                           const std::string& strUrl, int nMaxEntries) {
    if (strUrl.empty()) {
        return nullptr;
    }
    CContactRemotePageAction* pAction = nullptr;
    try {
        pAction = new CContactRemotePageAction(strLocalPath, strUrl, nMaxEntries);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    pAction->AddRef();
    return pAction;
}

CContactRemotePageAction::CContactRemotePageAction(const std::string& strLocalPath, const std::string& strUrl,
                                                   int nMaxEntries)
    : NS_TA::CNetworkFileAction(strLocalPath, strUrl), m_nMaxEntries(nMaxEntries) {}

bool CContactRemotePageAction::Exec() {
    const bool bLoaded = NS_TA::CNetworkFileAction::Exec();
    if (bLoaded && IsRead()) {
        try {
            m_bPageRead = CContactRemoteModel::MyPrasePageFile(GetFilePath(), m_nMaxEntries, &m_page);
        } catch (const std::bad_alloc&) {
            m_page.Clear();
            m_bPageRead = false;
        }
    }
    return bLoaded;
}

CContactRemotePageAction::~CContactRemotePageAction() {
    if (m_bAbandoned) {
        ETL_MiscHelper::fileRemove(GetFilePath());
    }
}

}  // namespace NS_DIRECTORY
