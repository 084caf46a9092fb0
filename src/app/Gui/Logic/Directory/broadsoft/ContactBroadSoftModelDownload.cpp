// Downloads: the connection probe, the custom-directory list, directory pages with their GUI messages, the
// GUI's page requests by click action, and the refresh timer.

#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>

#include "AppLog.h"
#include "BroadSoftListFreeAction.h"
#include "BroadSoftPageAction.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "DirectoryEntry.h"
#include "PhoneServices.h"
#include "UrlCodec.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

const char* const kClickActionPattern = "broadsoft_phonebook_x";
const char* const kCustomListSuffix = "CustomContact";
constexpr int kRotatingFileCount = 5;
constexpr int kNoNetwork = -14;
constexpr int kDownloadStarted = 2;
constexpr int kDownloadNotStarted = 4;
// Pages of a directory downloading at once (each may have one more waiting behind it), and pages asked for
// but not read yet: downloading, waiting, or answered before an earlier page.
constexpr std::size_t kPagesDownloading = 3;
constexpr std::size_t kPagesUnread = 3 * kPagesDownloading;

std::string TemporaryFilePath(int nIndex) {
    return "/tmp/" + CommonAPI_FormatString("BroadSoftDirectory_%d.xml", nIndex);
}

// The names in rotation, made once.
const std::string& RotatingFilePath(int nIndex) {
    static const std::array<std::string, kRotatingFileCount> s_arrPaths = [] {
        std::array<std::string, kRotatingFileCount> arrPaths;
        for (int n = 0; n < kRotatingFileCount; ++n) {
            arrPaths[static_cast<std::size_t>(n)] = TemporaryFilePath(n);
        }
        return arrPaths;
    }();
    return s_arrPaths[static_cast<std::size_t>(nIndex)];
}

// Characters that percent-encoding leaves as they are.
bool IsUnreserved(const std::string& strText) {
    for (const char c : strText) {
        const bool bAlnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!bAlnum && c != '-' && c != '.' && c != '_' && c != '~') {
            return false;
        }
    }
    return true;
}

std::size_t FindPagingQuery(const std::string& strUrl) {
    const std::size_t nQuestion = strUrl.find("?start=");
    return nQuestion != std::string::npos ? nQuestion : strUrl.find("&start=");
}

// The start index a page URL asks for; 1 for a URL without one.
int RequestedStart(const std::string& strUrl) {
    const std::size_t nPos = FindPagingQuery(strUrl);
    if (nPos == std::string::npos) {
        return 1;
    }
    const long nStart = std::strtol(strUrl.c_str() + nPos + 7, nullptr, 10);
    return nStart > 1 && nStart < 0x7fffffff ? static_cast<int>(nStart) : 1;
}

bool IsCustomListUrl(const std::string& strUrl) {
    return strUrl.find("CustomContact") != std::string::npos &&
           strUrl.find("CustomContact/") == std::string::npos;
}

void NotifyDownloadResult(int nWParam, int nLParam, const std::string& strUrl) {
    EtlMsgHandler_NotifyAppEx(false, BSFT_MSG_DOWNLOAD_RESULT, nWParam, nLParam,
                              static_cast<int>(strUrl.size()) + 1, strUrl.c_str());
}

void RemoveLocalFile(const std::string& strPath) {
    if (!strPath.empty() && ETL_MiscHelper::pathFileExist(strPath)) {
        ETL_MiscHelper::fileRemove(strPath);
    }
}

}  // namespace

void CContactBroadSoftModel::FilterParameters(std::string& strUrl) {
    const std::size_t nPos = FindPagingQuery(strUrl);
    if (nPos != std::string::npos) {
        strUrl.resize(nPos);
    }
}

void CContactBroadSoftModel::AddUrlParameter(std::string& strUrl, const std::string& strKey,
                                             const std::string& strValue, bool bWildcard, bool bExact) {
    if (strUrl.empty()) {
        return;
    }
    strUrl += strUrl.find('?') == std::string::npos ? "?" : "&";
    strUrl += strKey + "=";
    // Text of unreserved characters only, such as a paging number, encodes to itself.
    const std::string strEncoded = IsUnreserved(strValue) ? strValue : CommonAPI_UrlEncode(strValue);
    strUrl += bWildcard ? "*" + strEncoded + "*" : strEncoded;
    if (!bExact) {
        strUrl += "/i";
    }
}

int CContactBroadSoftModel::MyMakeReadyForDownload(const std::string& strUrl) {
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strUrl);
    if (pData != nullptr) {
        if (pData->m_eStatus != LIST_DOWNLOADING && pData->m_eStatus != LIST_LOADED) {
            MySetStatus(pData, LIST_READY);
        }
        return pData->m_eStatus;
    }
    app_log(6, APP_LOG_INFO, "pData == NULL\n");
    auto pNew = std::make_unique<ListItemData>();
    m_mapListData[strUrl] = pNew.get();
    pData = pNew.release();
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::MyMakeReadyForDownload,strUrl = %s\n", strUrl.c_str());
    MySetStatus(pData, LIST_READY);
    return pData->m_eStatus;
}

int CContactBroadSoftModel::MyExecDownload(const std::string& strUrl, bool bSendMsg, bool bSync) {
    return MyExecDownloadAfter(strUrl, bSendMsg, bSync, 0);
}

int CContactBroadSoftModel::MyExecDownloadAfter(const std::string& strUrl, bool bSendMsg, bool bSync,
                                                int nEarlierStart) {
    std::string strKey = strUrl;
    FilterParameters(strKey);
    {
        Lock lock(m_csLock);
        const ListItemData* pData = MyFindItemData(strKey);
        if (pData == nullptr || pData->m_eStatus != LIST_READY) {
            return kDownloadNotStarted;
        }
    }
    NS_TA::CNetworkFileAction* pAction = MyCreateDownload(strUrl, true);
    if (pAction == nullptr) {
        return kDownloadNotStarted;
    }
    pAction->SetSendMess2UI(bSendMsg);
    pAction->SetSync(bSync);
    NS_TA::CNetworkFileAction* pEarlier = nullptr;
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strKey);
        MySetStatus(pData, LIST_DOWNLOADING);
        if (pData != nullptr && nEarlierStart > 0 && pData->m_mapPageDownloads.count(nEarlierStart) > 0) {
            pEarlier = pData->m_mapPageDownloads[nEarlierStart];
        }
    }
    const bool bStarted = MyHandOver(pAction, pEarlier);
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(strKey);
    if (pData == nullptr) {
        return bStarted ? kDownloadStarted : kDownloadNotStarted;
    }
    if (!bStarted) {
        // Nothing runs for the list, so it must not wait as if something did.
        MySetStatus(pData, LIST_FAILED);
        MyEndPaging(pData);
        return kDownloadNotStarted;
    }
    const int nStart = RequestedStart(strUrl);
    if (nStart == 1) {
        MyEndPaging(pData);
        pData->m_nNextStart = 1;
        pData->m_nRequestStart = 0;
    }
    pData->m_mapPageDownloads[nStart] = pAction;
    if (pEarlier != nullptr) {
        pData->m_mapBehind[nEarlierStart] = nStart;
    }
    return kDownloadStarted;
}

int CContactBroadSoftModel::MyPageToWaitBehind(const ListItemData& data) {
    const std::size_t nWaiting = data.m_mapBehind.size();
    if (data.m_mapPageDownloads.size() < nWaiting + kPagesDownloading) {
        return 0;
    }
    if (data.m_mapPageDownloads.size() + data.m_mapEarlyAnswers.size() >= kPagesUnread) {
        return -1;
    }
    // The earliest download that neither waits itself nor has a page behind it yet, preferably one still
    // running: behind one that is done the page starts at once on a free worker.
    int nDone = -1;
    for (const auto& download : data.m_mapPageDownloads) {
        const int nStart = download.first;
        bool bTaken = data.m_mapBehind.count(nStart) > 0;
        for (const auto& behind : data.m_mapBehind) {
            bTaken = bTaken || behind.second == nStart;
        }
        if (bTaken) {
            continue;
        }
        if (NS_TA::TryIsPending(download.second)) {
            return nStart;
        }
        nDone = nDone < 0 ? nStart : nDone;
    }
    return nDone;
}

void CContactBroadSoftModel::MyRequestPages(const std::string& strUrl) {
    for (;;) {
        int nStart = 0;
        int nPageSize = 0;
        int nEarlierStart = 0;
        {
            Lock lock(m_csLock);
            ListItemData* pData = MyFindItemData(strUrl);
            if (pData == nullptr || pData->m_nNextStart == 0) {
                return;
            }
            // Pages shorter than asked for move the next start: the pages asked for ahead start elsewhere.
            const int nNext = pData->m_nNextStart;
            if (pData->m_mapPageDownloads.count(nNext) == 0 && pData->m_mapEarlyAnswers.count(nNext) == 0 &&
                pData->m_nRequestStart != nNext) {
                MyEndPaging(pData);
                pData->m_nNextStart = nNext;
                pData->m_nRequestStart = nNext;
            }
            nEarlierStart = MyPageToWaitBehind(*pData);
            if (nEarlierStart < 0 || pData->m_nRequestStart > pData->m_nTotal) {
                return;
            }
            nStart = pData->m_nRequestStart;
            nPageSize = std::max(pData->m_nPageSize, 1);
            pData->m_nRequestStart = nStart > INT_MAX - nPageSize ? INT_MAX : nStart + nPageSize;
        }
        if (!MyRequestNextPage(strUrl, nStart, nPageSize, nEarlierStart)) {
            return;
        }
    }
}

bool CContactBroadSoftModel::MyRequestNextPage(const std::string& strUrl, int nStart, int nPageSize,
                                               int nEarlierStart) {
    std::string strNext = strUrl;
    AddUrlParameter(strNext, "start", std::to_string(nStart), false, true);
    AddUrlParameter(strNext, "results", std::to_string(nPageSize), false, true);
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr) {
            return false;
        }
        MySetStatus(pData, LIST_READY);
    }
    return MyExecDownloadAfter(strNext, true, false, nEarlierStart) == kDownloadStarted;
}

NS_TA::CNetworkFileAction* CContactBroadSoftModel::MyCreateDownload(const std::string& strUrl,
                                                                    bool bReadPage) {
    const std::string strPath = MyNextFilePath();
    NS_TA::CNetworkFileAction* pAction = bReadPage ? CBroadSoftPageAction::Create(strPath, strUrl)
                                                   : TaskAction_CreateNetworkFileAction(strPath, strUrl);
    if (pAction == nullptr) {
        return nullptr;
    }
    pAction->SetRead(true);
    pAction->SetUsername(m_strUserId);
    pAction->SetPassword(m_strPassword);
    pAction->SetSync(false);
    pAction->SetCallback(this);
    return pAction;
}

bool CContactBroadSoftModel::MyHandOver(NS_TA::CNetworkFileAction* pAction,
                                        NS_TA::CNetworkFileAction* pEarlier) {
    try {
        m_mapRunning[pAction] = pAction->GetFilePath();
    } catch (const std::bad_alloc&) {
        TaskAction_DestroyNetworkFileAction(pAction);
        return false;
    }
    if (!NS_TA::TryExecAfter(pAction, pEarlier)) {
        app_log(6, APP_LOG_WARNING, "BroadSoft transfer of %s refused by the executor\n",
                pAction->GetFilePathRemote().c_str());
        m_mapRunning.erase(pAction);
        TaskAction_DestroyNetworkFileAction(pAction);
        return false;
    }
    return true;
}

// Five names in rotation; a name still in use by a running download is skipped, so two downloads never
// share a file, and past five running downloads further names are used.
std::string CContactBroadSoftModel::MyNextFilePath() {
    for (int nTry = 0; nTry < kRotatingFileCount; ++nTry) {
        m_nFileIndex = (m_nFileIndex + 1) % kRotatingFileCount;
        const std::string& strPath = RotatingFilePath(m_nFileIndex);
        if (!MyIsFilePathInUse(strPath)) {
            return strPath;
        }
    }
    for (int nIndex = kRotatingFileCount;; ++nIndex) {
        const std::string strPath = TemporaryFilePath(nIndex);
        if (!MyIsFilePathInUse(strPath)) {
            return strPath;
        }
    }
}

bool CContactBroadSoftModel::MyIsFilePathInUse(const std::string& strPath) const {
    for (const auto& running : m_mapRunning) {
        if (running.second == strPath) {
            return true;
        }
    }
    return false;
}

void CContactBroadSoftModel::MyStartProbe() {
    NS_TA::CNetworkFileAction* pAction = MyCreateDownload(m_strBaseUrl + "Personal");
    if (pAction == nullptr) {
        return;
    }
    pAction->SetExtraParam(BSFT_PROBE_TAG);
    if (MyHandOver(pAction)) {
        m_pProbeAction = pAction;
    }
}

void CContactBroadSoftModel::MyStartCustomListFetch() {
    ResetCustomListStatus();
    const std::string strUrl = m_strBaseUrl + kCustomListSuffix;
    NS_TA::CNetworkFileAction* pAction = MyCreateDownload(strUrl);
    if (pAction != nullptr && MyHandOver(pAction)) {
        configParser_SetConfigInt("BsftCustomListStatus", 2);
        m_strCurUrl = strUrl;
        m_pCustomListAction = pAction;
        return;
    }
    // A fetch that never runs is failed at once, so the directories still download and a later start
    // fetches again.
    configParser_SetConfigString("BsftCustomListFailReason", "Load Fail");
    configParser_SetConfigInt("BsftCustomListStatus", 4);
}

void CContactBroadSoftModel::OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) {
    if (pTaskAction == nullptr || pTaskAction->GetRequestType() != NS_TA::TA_REQUEST_NETWORK_FILE) {
        return;
    }
    CBaseHelper::ProcessCallback(pTaskAction);
    auto* pAction = dynamic_cast<NS_TA::CNetworkFileAction*>(pTaskAction);
    if (pAction == nullptr) {
        return;
    }
    try {
        if (pAction->GetExtraParam() == BSFT_PROBE_TAG) {
            MyOnProbeAnswered(pAction);
        } else {
            std::string strUrl = pAction->GetFilePathRemote();
            FilterParameters(strUrl);
            if (pAction->IsDelete()) {
                MyOnDeleteAnswered(pAction, strUrl);
            } else if (!pAction->IsRead()) {
                MyOnUploadAnswered(pAction);
            } else if (!MyOnDownloadAnswered(pAction, strUrl)) {
                return;
            }
        }
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::OnTaskActionCallback out of memory\n");
    }
    MyFinishAction(pAction);
}

void CContactBroadSoftModel::MyOnProbeAnswered(NS_TA::CNetworkFileAction* pAction) {
    if (pAction != m_pProbeAction) {
        app_log(6, APP_LOG_INFO, "BroadSoft probe answer of an earlier configuration dropped\n");
        return;
    }
    m_pProbeAction = nullptr;
    if (!pAction->IsOperationSucceed()) {
        m_bServerReady = false;
        const bool bRefused = pAction->GetTaskActionErrorType() == NS_TA::TA_HTTP_AUTH_REFUSED;
        NotifyDownloadResult(BSFT_PROBE_TAG, bRefused ? 401 : 0, pAction->GetFilePathRemote());
        return;
    }
    m_bServerReady = true;
    MyClearConfigVector();
    MyInit();
}

bool CContactBroadSoftModel::MyOnDownloadAnswered(NS_TA::CNetworkFileAction* pAction,
                                                  const std::string& strUrl) {
    bool bHasList = false;
    {
        Lock lock(m_csLock);
        bHasList = MyFindItemData(strUrl) != nullptr;
    }
    app_log(6, APP_LOG_INFO, "pNetworkAction->GetFilePathRemote() = %s\n", strUrl.c_str());
    if (bHasList) {
        return MyOnPageAnswered(pAction, strUrl);
    }
    if (IsCustomListUrl(strUrl)) {
        MyOnCustomListAnswered(pAction);
    }
    return true;
}

// True when the answer is done with; false when it is kept to be read after an earlier page. An answer kept
// for later has freed its worker all the same, so the page waiting behind it is running and may get one
// behind it too.
bool CContactBroadSoftModel::MyOnPageAnswered(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl) {
    const int nStart = RequestedStart(pAction->GetFilePathRemote());
    bool bKept = false;
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        const bool bCurrent = pData != nullptr && pData->m_mapPageDownloads.count(nStart) > 0 &&
                              pData->m_mapPageDownloads[nStart] == pAction;
        if (!bCurrent) {
            app_log(6, APP_LOG_INFO, "BroadSoft page of an earlier download of %s dropped\n", strUrl.c_str());
            return true;
        }
        pData->m_mapPageDownloads.erase(nStart);
        pData->m_mapBehind.erase(nStart);
        if (nStart != pData->m_nNextStart) {
            if (pData->m_nNextStart == 0 || nStart < pData->m_nNextStart) {
                return true;
            }
            pData->m_mapEarlyAnswers[nStart] = pAction;
            bKept = true;
        }
    }
    if (bKept) {
        MyRequestPages(strUrl);
        return false;
    }
    MyReadPageAnswer(pAction, strUrl);
    for (;;) {
        NS_TA::CNetworkFileAction* pEarly = nullptr;
        {
            Lock lock(m_csLock);
            ListItemData* pData = MyFindItemData(strUrl);
            if (pData == nullptr || pData->m_mapEarlyAnswers.count(pData->m_nNextStart) == 0) {
                return true;
            }
            pEarly = pData->m_mapEarlyAnswers[pData->m_nNextStart];
            pData->m_mapEarlyAnswers.erase(pData->m_nNextStart);
        }
        MyReadPageAnswer(pEarly, strUrl);
        MyFinishAction(pEarly);
    }
}

void CContactBroadSoftModel::MyReadPageAnswer(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl) {
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr) {
            return;
        }
        const bool bComplete =
            pData->m_listItem.size() >= static_cast<std::size_t>(std::max(pData->m_nTotal, 0));
        if (pData->m_eStatus != LIST_DOWNLOADING && bComplete) {
            return;
        }
    }
    const bool bParsed = pAction->IsOperationSucceed() && MyAddDownloadedPage(pAction, strUrl);
    int eStatus = LIST_FAILED;
    BroadSoftItemList listReplaced;
    {
        Lock lock(m_csLock);
        ListItemData* pData = MyFindItemData(strUrl);
        if (pData == nullptr) {
            return;
        }
        if (bParsed) {
            app_log(6, APP_LOG_INFO, "FILE_DOWNLOADED_OK[%s]\n", pAction->GetFilePathRemote().c_str());
            // A next page the executor refused has already failed the list.
            eStatus = pData->m_eStatus == LIST_FAILED ? LIST_FAILED : LIST_LOADED;
        } else {
            MyEndPaging(pData);
        }
        MySetStatus(pData, eStatus);
        if (eStatus == LIST_LOADED && pData->m_nNextStart == 0) {
            listReplaced = MyTakeLastGood(strUrl);
        }
    }
    CBroadSoftListFreeAction::FreeInBackground(listReplaced);
    MyNotifyPageResult(pAction, eStatus);
}

bool CContactBroadSoftModel::MyAddDownloadedPage(NS_TA::CNetworkFileAction* pAction,
                                                 const std::string& strUrl) {
    const int nStart = RequestedStart(pAction->GetFilePathRemote());
    auto* pPageAction = dynamic_cast<CBroadSoftPageAction*>(pAction);
    std::unique_ptr<BroadSoftPage> pPage = pPageAction != nullptr ? pPageAction->TakePage() : nullptr;
    if (pPage == nullptr && pAction->IsKeepBodyInMemory()) {
        return MyLoadDataFromBody(strUrl, pAction->TakeFileContent(), pAction->GetFilePath(), nStart);
    }
    if (pPage == nullptr) {
        return MyLoadDataFromFile(strUrl, pAction->GetFilePath(), nStart);
    }
    LogBroadSoftRefusal(pAction->GetFilePath(), pPage->strRefusal);
    return MyAddPage(strUrl, *pPage, nStart);
}

void CContactBroadSoftModel::MyNotifyPageResult(NS_TA::CNetworkFileAction* pAction, int eStatus) {
    if (!pAction->IsSendMess2UI()) {
        return;
    }
    int nLParam = eStatus == LIST_LOADED ? 1 : 0;
    if (pAction->GetTaskActionErrorType() == NS_TA::TA_HTTP_AUTH_REFUSED) {
        nLParam = 401;
    }
    const std::string& strUrl = pAction->GetFilePathRemote();
    NotifyDownloadResult(GetCofigIndexByFullUrl(strUrl), nLParam, strUrl);
}

void CContactBroadSoftModel::MyOnCustomListAnswered(NS_TA::CNetworkFileAction* pAction) {
    if (pAction == m_pCustomListAction) {
        m_pCustomListAction = nullptr;
    }
    if (pAction->IsOperationSucceed()) {
        std::string strWanted;
        if (MyLoadCustomListFromFile(strWanted, pAction->GetFilePath())) {
            configParser_SetConfigInt("BsftCustomListStatus", 3);
            configParser_SetConfigString("BsftCustomListFailReason", "");
            MyInsertCustomConfig(pAction->GetFilePathRemote(), strWanted);
        } else {
            configParser_SetConfigInt("BsftCustomListStatus", 4);
            configParser_SetConfigString("BsftCustomListFailReason", "Prase Fail");
        }
    } else {
        const bool bRefused = pAction->GetTaskActionErrorType() == NS_TA::TA_HTTP_AUTH_REFUSED;
        configParser_SetConfigString("BsftCustomListFailReason", bRefused ? "auth error" : "Load Fail");
        configParser_SetConfigInt("BsftCustomListStatus", 4);
    }
    Update();
}

void CContactBroadSoftModel::MyFinishAction(NS_TA::CNetworkFileAction* pAction) {
    // Downloads and uploads own their temporary file; a delete has none, nor has a download kept in memory.
    const bool bMemoryDownload = pAction->IsRead() && pAction->IsKeepBodyInMemory();
    if (!pAction->IsDelete() && !bMemoryDownload) {
        RemoveLocalFile(pAction->GetFilePath());
    }
    m_mapRunning.erase(pAction);
    TaskAction_DestroyNetworkFileAction(pAction);
}

void CContactBroadSoftModel::MyReleaseRunningActions() {
    for (const auto& running : m_mapRunning) {
        TaskAction_DestroyNetworkFileAction(running.first);
    }
    m_mapRunning.clear();
    m_pProbeAction = nullptr;
    m_pCustomListAction = nullptr;
}

bool CContactBroadSoftModel::Update() {
    if (!IsNetworkConnected()) {
        CommonUnits_SetErrorId(kNoNetwork);
        return false;
    }
    {
        Lock lock(m_csLock);
        MyKeepLastGoodLists();
        MyDropLastGoodOutsideTable();
    }
    MyClearMap(false);
    try {
        std::list<std::string> listUrls;
        GetConfigureUrlList(&listUrls);
        for (const std::string& strUrl : listUrls) {
            MyMakeReadyForDownload(strUrl);
            MyExecDownload(strUrl, true, false);
        }
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::Update out of memory\n");
    }
    return true;
}

bool CContactBroadSoftModel::CancelDownload() {
    Lock lock(m_csLock);
    ListItemData* pData = MyFindItemData(m_strCurUrl);
    if (pData == nullptr) {
        return false;
    }
    MySetStatus(pData, LIST_CANCELED);
    MyEndPaging(pData);
    return true;
}

int CContactBroadSoftModel::GetContactListByClickAction(ContactBroadSoftListData* pList,
                                                        const std::string& strClickAction,
                                                        ContactBroadSoftItemData& itemData, bool bClear,
                                                        bool bSearch) {
    if (pList == nullptr || strClickAction.empty()) {
        return BSFT_LIST_BAD_REQUEST;
    }
    try {
        const int nIndex = CommonAPI_ParseIdByClickAction(strClickAction, kClickActionPattern);
        if (bClear) {
            MyClearMap(true);
        }
        std::string strUrl;
        {
            Lock lock(m_csLock);
            const BroadSoftConfigItem* pItem = MyConfigByIndex(nIndex);
            if (pItem == nullptr) {
                return BSFT_LIST_NO_DIRECTORY;
            }
            strUrl = pItem->m_strUrl;
        }
        return strUrl == BSFT_ALL_CONTACT ? MyGetCombinedPage(pList, itemData, bSearch)
                                          : MyGetDirectoryPage(pList, strUrl, itemData, bSearch);
    } catch (const std::bad_alloc&) {
        return BSFT_LIST_BAD_REQUEST;
    }
}

int CContactBroadSoftModel::MyGetDirectoryPage(ContactBroadSoftListData* pList, std::string strUrl,
                                               ContactBroadSoftItemData& itemData, bool bSearch) {
    if (strUrl.empty()) {
        return BSFT_LIST_NO_DIRECTORY;
    }
    if (bSearch && !PreSearchProcess(strUrl, itemData)) {
        return BSFT_LIST_COPIED;
    }
    m_strCurUrl = strUrl;
    const int eStatus = MyMakeReadyForDownload(m_strCurUrl);
    if (eStatus == LIST_LOADED) {
        Lock lock(m_csLock);
        return MyCopyList(pList, MyFindItemData(m_strCurUrl)) ? BSFT_LIST_COPIED : BSFT_LIST_BAD_REQUEST;
    }
    return MyAnswerForStatus(eStatus, {m_strCurUrl});
}

int CContactBroadSoftModel::MyGetCombinedPage(ContactBroadSoftListData* pList,
                                              ContactBroadSoftItemData& itemData, bool bSearch) {
    std::list<std::string> listUrls;
    int eStatus = LIST_LOADED;
    if (bSearch) {
        GetConfigureUrlList(&listUrls);
        eStatus = MyPrepareCombinedSearch(listUrls, itemData);
        if (listUrls.empty()) {
            return BSFT_LIST_NO_DIRECTORY;
        }
    }
    m_strCurUrl = BSFT_ALL_CONTACT;
    if (eStatus == LIST_LOADED) {
        const bool bCopied = bSearch ? MyCopyList(pList, listUrls) : MyCopyCombinedOfTable(pList);
        return bCopied ? BSFT_LIST_COPIED : BSFT_LIST_BAD_REQUEST;
    }
    return MyAnswerForStatus(eStatus, listUrls);
}

// Extends each directory URL with the search and keeps those the search applies to. The combined status:
// ready when any search list still has to be downloaded, downloading when any is on its way, else loaded.
int CContactBroadSoftModel::MyPrepareCombinedSearch(std::list<std::string>& listUrls,
                                                    ContactBroadSoftItemData& itemData) {
    bool bAnyReady = false;
    bool bAnyDownloading = false;
    for (auto it = listUrls.begin(); it != listUrls.end();) {
        if (!PreSearchProcess(*it, itemData) || IsOnlySearchEnterprise(*it)) {
            it = listUrls.erase(it);
            continue;
        }
        const int eStatus = MyMakeReadyForDownload(*it);
        bAnyReady = bAnyReady || eStatus == LIST_READY;
        bAnyDownloading = bAnyDownloading || eStatus == LIST_DOWNLOADING;
        ++it;
    }
    return bAnyReady ? LIST_READY : (bAnyDownloading ? LIST_DOWNLOADING : LIST_LOADED);
}

int CContactBroadSoftModel::MyAnswerForStatus(int eStatus, const std::list<std::string>& listUrls) {
    if (eStatus == LIST_DOWNLOADING) {
        return BSFT_LIST_DOWNLOADING;
    }
    if (eStatus != LIST_READY) {
        return BSFT_LIST_BAD_REQUEST;
    }
    if (!IsNetworkConnected()) {
        return BSFT_LIST_NO_NETWORK;
    }
    bool bStarted = false;
    for (const std::string& strUrl : listUrls) {
        bStarted = MyExecDownload(strUrl, true, false) == kDownloadStarted || bStarted;
    }
    return bStarted ? BSFT_LIST_DOWNLOADING : BSFT_LIST_REFUSED;
}

int CContactBroadSoftModel::OnTimeoutMessage(ETL_MsgQueueHelper::msgObject& /*msg*/) {
    if (talkLogic_SessionExist(false)) {
        return 1;
    }
    if (!m_bServerReady) {
        app_log(6, APP_LOG_INFO, "CContactBroadSoftManager::OnTimeoutMessage not to Update!\n");
        return 0;
    }
    ReloadConfigure(true);
    return 1;
}

}  // namespace NS_DIRECTORY
