// The remote model's paging road: one directory page at a time loaded into a flat list beside the tree.

#include <filesystem>
#include <memory>
#include <new>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonAPI.h"
#include "ContactRemoteModel.h"
#include "ContactRemotePageAction.h"
#include "MsgQueue.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

const char* const kPageFile = "/tmp/RemotePage.xml";
const char* const kPageRootSuffix = "IPPhoneDirectory";
const char* const kNextPage = "next-page";
const char* const kPrevPage = "previous-page";

bool EndsWith(const std::string& strText, const std::string& strSuffix) {
    return strText.size() >= strSuffix.size() &&
           strText.compare(strText.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0;
}

pugi::xml_node FindPageRoot(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && EndsWith(node.name(), kPageRootSuffix)) {
            return node;
        }
    }
    return pugi::xml_node();
}

bool LoadPage(pugi::xml_document& doc, const std::string& strPath) {
    std::error_code ec;
    const std::string strReal = ETL_MiscHelper::pathMapToRoot(strPath);
    return std::filesystem::is_regular_file(strReal, ec) && doc.load_file(strReal.c_str());
}

std::unique_ptr<ContactRemoteUnit> PageEntryOf(const pugi::xml_node& entry) {
    auto pUnit = std::make_unique<ContactRemoteUnit>();
    pUnit->m_strName = entry.child_value("Name");
    for (pugi::xml_node phone = entry.child("Telephone"); phone; phone = phone.next_sibling("Telephone")) {
        std::string strNumber = CommonAPI_TrimString(phone.child_value(), " ", TRIM_BOTH);
        if (!strNumber.empty()) {
            pUnit->m_listNumber.push_back(std::move(strNumber));
        }
    }
    return pUnit;
}

std::unique_ptr<ContactRemotePageKey> PageKeyOf(const pugi::xml_node& item) {
    auto pKey = std::make_unique<ContactRemotePageKey>();
    pKey->m_strName = item.child_value("Item");
    pKey->m_strUrl = item.child_value("URL");
    return pKey;
}

void DeleteItems(std::list<ContactRemoteItemBase*>& listItems) {
    for (ContactRemoteItemBase* pItem : listItems) {
        delete pItem;
    }
    listItems.clear();
}

void AppendPageItems(const pugi::xml_node& root, int nMaxEntries, RemotePageContent* pPage) {
    int nEntries = 0;
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
        const std::string strName = node.name();
        if (strName == "DirectoryEntry") {
            if (nEntries >= nMaxEntries) {
                continue;
            }
            std::unique_ptr<ContactRemoteUnit> pUnit = PageEntryOf(node);
            if (!pUnit->m_strName.empty()) {
                pPage->m_listPageItem.push_back(pUnit.get());
                pUnit.release();
                ++nEntries;
            }
        } else if (strName == "MenuItem") {
            std::unique_ptr<ContactRemotePageKey> pKey = PageKeyOf(node);
            if (pKey->m_strName.empty() || pKey->m_strUrl.empty()) {
                continue;
            }
            if (pKey->m_strName == kPrevPage) {
                pPage->m_strPrevPageUrl = pKey->m_strUrl;
            } else if (pKey->m_strName == kNextPage) {
                pPage->m_strNextPageUrl = pKey->m_strUrl;
            }
            pPage->m_listPageItem.push_back(pKey.get());
            pKey.release();
        }
    }
}

}  // namespace

bool CContactRemoteModel::ReqPagingList(bool bNext) {
    try {
        if (m_pPageAction != nullptr) {
            return false;
        }
        const bool bOnLoadedPage = !m_strPageUrl.empty() && m_strCurUrl == m_strPageUrl;
        const std::string strUrl =
            bOnLoadedPage ? (bNext ? m_strNextPageUrl : m_strPrevPageUrl) : MyPageUrlOfCurrentNode(bNext);
        if (strUrl.empty()) {
            return false;
        }
        return MyExecLoadPaging(strUrl, false) == FILE_DOWNLOADING;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::string CContactRemoteModel::MyPageUrlOfCurrentNode(bool bNext) {
    Lock lock(m_csLock);
    RemoteTree::TinyNode* pNode = m_strCurUrl.empty() ? nullptr : m_treeContact.Find(m_strCurUrl);
    if (pNode == nullptr) {
        return std::string();
    }
    for (RemoteTree::TinyNode* pChild : pNode->GetChildren()) {
        const ContactRemotePageKey* pKey = Base2PageKey(pChild->GetData().m_pItem);
        if (pKey != nullptr && pKey->m_strName == (bNext ? kNextPage : kPrevPage)) {
            return pKey->m_strUrl;
        }
    }
    return std::string();
}

int CContactRemoteModel::MyExecLoadPaging(const std::string& strUrl, bool bSync) {
    app_log(6, APP_LOG_INFO, "ExecLoadPage[%s]\n", RemoteUrlForLog(strUrl).c_str());
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyExecLoadPaging\n");
    if (strUrl.empty()) {
        app_log(6, APP_LOG_INFO, "url empty\n");
        return FILE_DOWNLOAD_FAILED;
    }
    if (m_pPageAction != nullptr) {
        return FILE_DOWNLOAD_FAILED;
    }
    CContactRemotePageAction* pAction = CContactRemotePageAction::Create(kPageFile, strUrl, m_nMaxUnitCount);
    if (pAction == nullptr) {
        return FILE_DOWNLOAD_FAILED;
    }
    {
        Lock lock(m_csLock);
        m_ePageStatus = FILE_DOWNLOADING;
    }
    pAction->SetRead(true);
    pAction->SetSync(bSync);
    pAction->SetCallback(this);
    m_pPageAction = pAction;
    if (!TaskAction_ExecAction(pAction)) {
        m_pPageAction = nullptr;
        TaskAction_DestroyNetworkFileAction(pAction);
        Lock lock(m_csLock);
        m_ePageStatus = FILE_DOWNLOAD_FAILED;
        return FILE_DOWNLOAD_FAILED;
    }
    return FILE_DOWNLOADING;
}

void CContactRemoteModel::MyOnPageLoaded(NS_TA::CTaskAction* pTaskAction) {
    auto* pAction = static_cast<NS_TA::CNetworkFileAction*>(pTaskAction);
    const bool bAwaited = pAction == m_pPageAction && m_ePageStatus == FILE_DOWNLOADING;
    if (bAwaited) {
        FileDownloadStatus eStatus = FILE_DOWNLOAD_FAILED;
        if (pAction->IsOperationSucceed() && m_pPageAction->IsPageRead()) {
            MyShowPage(m_pPageAction->Page());
            app_log(6, APP_LOG_INFO, "____________________FILE_DOWNLOADED_OK\n");
            app_log(6, APP_LOG_INFO, "Url = %s\n", RemoteUrlForLog(pAction->GetFilePathRemote()).c_str());
            eStatus = FILE_DOWNLOADED_OK;
            m_strCurUrl = pAction->GetFilePathRemote();
            m_strPageUrl = m_strCurUrl;
        }
        {
            Lock lock(m_csLock);
            m_ePageStatus = eStatus;
        }
        EtlMsgHandler_NotifyApp(false, REMOTE_MSG_PAGE_RESULT, 0, eStatus == FILE_DOWNLOADED_OK ? 0 : 1);
    }
    if (pAction == m_pPageAction) {
        m_pPageAction = nullptr;
    }
    if (m_pPageAction == nullptr) {
        ETL_MiscHelper::fileRemove(kPageFile);
    }
    TaskAction_DestroyNetworkFileAction(pAction);
}

void CContactRemoteModel::MyShowPage(RemotePageContent& page) {
    m_listPageItem.swap(page.m_listPageItem);
    m_strNextPageUrl.swap(page.m_strNextPageUrl);
    m_strPrevPageUrl.swap(page.m_strPrevPageUrl);
}

bool CContactRemoteModel::MyPrasePageFile(const std::string& strPath, int nMaxEntries,
                                          RemotePageContent* pPage) {
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::MyPrasePageFile\n");
    if (pPage == nullptr) {
        return false;
    }
    pPage->Clear();
    pugi::xml_document doc;
    if (!LoadPage(doc, strPath)) {
        return false;
    }
    const pugi::xml_node root = FindPageRoot(doc);
    if (!root) {
        return false;
    }
    AppendPageItems(root, nMaxEntries, pPage);
    return true;
}

void CContactRemoteModel::MyClearPageList() {
    DeleteItems(m_listPageItem);
    m_strNextPageUrl.clear();
    m_strPrevPageUrl.clear();
    m_strPageUrl.clear();
}

void CContactRemoteModel::MyAbandonPageLoad() {
    if (m_pPageAction != nullptr) {
        m_pPageAction->Abandon();
        TaskAction_DestroyNetworkFileAction(m_pPageAction);
        m_pPageAction = nullptr;
    }
}

bool CContactRemoteModel::GetPageListData(ContactRemoteListData* pList) {
    app_log(6, APP_LOG_INFO, "CContactRemoteModel::GetPageListData,m_ePageStatus[%d]\n", m_ePageStatus);
    if (pList == nullptr || m_ePageStatus != FILE_DOWNLOADED_OK) {
        return false;
    }
    int nEntries = 0;
    for (const ContactRemoteItemBase* pItem : m_listPageItem) {
        nEntries += Base2Unit(pItem) != nullptr ? 1 : 0;
    }
    app_log(6, APP_LOG_INFO, "Total:%d\n", nEntries);
    pList->m_nTotalCount = nEntries;
    int nPosition = 0;
    int nAppended = 0;
    try {
        for (const ContactRemoteItemBase* pItem : m_listPageItem) {
            if (const ContactRemotePageKey* pKey = Base2PageKey(pItem)) {
                pList->m_bHasNextPage = pList->m_bHasNextPage || pKey->m_strName == kNextPage;
                pList->m_bHasPrevPage = pList->m_bHasPrevPage || pKey->m_strName == kPrevPage;
                continue;
            }
            const ContactRemoteUnit* pUnit = Base2Unit(pItem);
            if (pUnit != nullptr && nPosition++ >= pList->m_nIndexFrom && nAppended < pList->m_nCountToGet) {
                ContactRemoteItemData item;
                item.m_eType = REMOTE_ITEM_ENTRY;
                item.m_strDisplayName = pUnit->m_strName;
                item.m_listNumber.assign(pUnit->m_listNumber.begin(), pUnit->m_listNumber.end());
                pList->m_listData.push_back(std::move(item));
                ++nAppended;
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace NS_DIRECTORY
