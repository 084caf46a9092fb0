#pragma once
// The remote phonebook: the configured slots, the tree of everything downloaded with a download state per
// node, and its refresh. Runs on the GUI thread; download workers also parse into the tree, always under
// m_csLock, one lock section per operation, so a parse never holds a node across two sections.
// Browsing, lists, paging and search live here too; search engines lock before m_csLock, never after.

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BaseHelper.h"
#include "ContactRemoteItem.h"
#include "ContactRemoteTypes.h"
#include "MsgQueue.h"
#include "TaskAction.h"
#include "TinyTree.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace NS_DIRECTORY {

class CContactRemoteAction;
class CContactRemotePageAction;
struct RemotePageContent;
class CContactRemoteMenuParser;
class CContactRemoteUnitParser;
class CContactRemoteMixedParser;
class CContactRemoteSearchHelper;
class CContactRemoteSearchAction;
class CRemoteNumberIndex;
struct RemoteUnitText;

// Key of the tree root; the top nodes (one per slot) hang below it.
extern const char* const REMOTE_ROOT_KEY;  // "<URL>All"
constexpr int REMOTE_REFRESH_TIMER_ID = 91110;
constexpr int REMOTE_MSG_DOWNLOAD_RESULT = 1822;
constexpr int REMOTE_MSG_REFRESH_STARTED = 1823;
constexpr int REMOTE_MSG_PAGE_RESULT = 1824;

// The URL with the password of a "user:password@" part hidden, for log lines.
std::string RemoteUrlForLog(const std::string& strUrl);

class CContactRemoteModel : public NS_TA::CTaskActionCallbackBase {
public:
    enum FileDownloadStatus : int {
        FILE_DOWNLOAD_NONE = 0,
        FILE_DOWNLOAD_READY = 1,
        FILE_DOWNLOADING = 2,
        FILE_DOWNLOADED_OK = 3,
        FILE_DOWNLOAD_FAILED = 4,
        FILE_DOWNLOAD_CANCELED = 5,
        FILE_DOWNLOAD_MAX_LEVEL = 6,
        FILE_DOWNLOAD_NO_URL = 7,
    };

    // One configured phonebook. A search slot keeps its URL cut after "search.php" and the whole URL aside.
    struct RemoteConfigItem {
        RemoteConfigItem() { Reset(); }
        void Reset();

        std::string m_strName;
        std::string m_strUrl;
        bool m_bSearch;
        std::string m_strFullUrl;
    };

    // The payload of a tree node. Copies share the item; the model frees it when it releases the node.
    struct ItemData {
        ItemData() { Reset(); }
        void Reset();

        std::string m_strName;
        // The node's key as it was added; empty for a directory entry, whose made-up key only its node holds.
        std::string m_strUrl;
        FileDownloadStatus m_eStatus;
        ContactRemoteItemBase* m_pItem;
        int m_nLevel;
        // The ticket of the node's current download (0: none yet). Every download started for the node
        // takes a new one, so the answer of any earlier download is dropped instead of parsed into it.
        unsigned long long m_nTicket;
    };

    using RemoteTree = TinyTree<ItemData, std::string>;

    static CContactRemoteModel* GetInstance();
    // The singleton if it exists; never creates it (safe on any thread).
    static CContactRemoteModel* PeekInstance();
    // Waits for parses still running on workers, then deletes the model.
    static void ReleaseInstance();

    ~CContactRemoteModel() override;
    CContactRemoteModel(const CContactRemoteModel&) = delete;
    CContactRemoteModel& operator=(const CContactRemoteModel&) = delete;

    // Configuration.
    bool ReloadConfigure();
    void ProcessAutoUpdate();
    bool IsRemotePhoneBookConfigured();
    bool IsItemConfigured(int nIndex);
    int GetTotalConfigurableItemCount();
    bool GetConfiguredList(std::list<std::string>* pList);
    std::string GetConfiguredItemName(int nIndex);
    std::string GetConfiguredItemUrl(int nIndex);
    std::string GetDisplayName();
    std::string GetFulUrl(std::string& strUrl);
    void SetSelectedIndex(int nIndex);
    int GetSelectedIndex();
    bool IsSearchContact(const std::string& strUrl);

    // Timer message handler registered on the message bus; a refresh due during a call is skipped.
    static int OnMessage(ETL_MsgQueueHelper::msgObject& msg);
    bool OnTimeout(ETL_MsgQueueHelper::msgObject& msg);

    // Download and refresh. Results are FileDownloadStatus values, or -14 without network.
    int ReDownload(const std::string& strUrl);
    int Update(bool bAll);
    bool CancelDownload(const std::string& strUrl);
    bool GetFailedMissonList(std::list<std::string>* pList);
    // Runs on the download worker; false when the node was canceled or the file does not parse.
    bool ParseDownloadedFile(const std::string& strFile, const std::string& strUrl,
                             const std::string& strContent);
    void OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) override;

    // Expands "#IP", "#MAC" and "#SEARCH" in a search slot's full URL, each value percent-encoded.
    void RepalceUrl(std::string& strUrl);

    // Browsing. An empty strUrl means the node the user is in. Results of the list operations are
    // RemoteListStatus codes.
    static int FileDownStatus2GetListStatus(FileDownloadStatus eStatus);
    int GetContactListByClickAction(ContactRemoteListData* pList, const std::string& strClickAction,
                                    const std::string& strUnused, bool bUnused);
    int GetContactList(ContactRemoteListData* pList, const std::string& strUrl);
    // The first hot key of the current node whose name starts with the byte nKey is entered.
    int GetContactListBySoftkey(ContactRemoteListData* pList, int nKey);
    // 1 entered a downloaded menu, 2 an entry, 3 a hot key, else 0 (*pStatus tells why a menu stayed shut).
    int EnterContactByIndex(int nIndex, int* pStatus, const std::string& strUrl);
    bool LeaveBack(int bToTop);
    bool LeaveOut();
    std::string GetTitle();
    bool GetUnitContactByIndex(ContactRemoteUnit* pUnit, int nIndex, const std::string& strUrl);
    bool GetUnitContactByIndex(ContactRemoteItemData* pData, int nIndex);
    // Copy entry nIndex of the current node into the local book or its blacklist: the local model's result,
    // -1 when there is no such entry. Numbers beyond the third are dropped.
    int Remote2Local(int nIndex);
    int Remote2Black(int nIndex);
    int CallOut(const std::string& strNumber, const std::string& strName, int nAccount);

    // Paging: loads the next (true) or previous (false) page of the page in view; message 1824 tells the
    // end. The page URLs come from the last loaded page while the user is on it, else from the page keys of
    // the current node. The page list and its URLs stay until a page has loaded and parsed, so a failed
    // load can be tried again. False without such a page or while a page loads.
    bool ReqPagingList(bool bNext);
    bool GetPageListData(ContactRemoteListData* pList);
    // Reads a directory page into pPage (emptied first): its entries with a name, at most nMaxEntries of
    // them, and its page keys. False when the file does not parse or is no directory. Runs on the page
    // load's worker; touches no model.
    static bool MyPrasePageFile(const std::string& strPath, int nMaxEntries, RemotePageContent* pPage);

    // Search. Scopes are node keys; "<URL>All" is the whole tree.
    // Starts a background search; pCallback gets a copy of the answer on the GUI thread.
    bool SearchAsync(const std::string& strKey, int nFrom, int nCount,
                     NS_TA::CTaskActionCallbackBase* pCallback, std::string& strClickAction, bool bAll);
    // A receiver that goes away before its answer arrived must call this first.
    void CancelSearchCallBack(NS_TA::CTaskActionCallbackBase* pCallback);
    bool Search(RemoteSearchListData* pData, int nSlot, bool bAll);
    // Keys starting with a digit, "*" or "#" match numbers, others names, "" everything. Entries come in no
    // particular order.
    bool SearchWithOneNumber(RemoteSearchListData* pData);
    bool SearchWithMultNumber(RemoteSearchListData* pData);
    std::string GetContactNameByNumber(const std::string& strNumber);
    bool IsSearchOn();
    bool IsSearchType(const std::string& strClickAction);
    // Server-side search of a search slot: bDownload sends strKey to the server.
    int GetSearchListByClickAction(ContactRemoteListData* pList, const std::string& strClickAction,
                                   const std::string& strKey, bool bDownload);

    // Holds the model alive for a worker: ReleaseInstance waits until every lease is gone.
    class CWorkerLease {
    public:
        CWorkerLease();
        ~CWorkerLease();
        CWorkerLease(const CWorkerLease&) = delete;
        CWorkerLease& operator=(const CWorkerLease&) = delete;
        CContactRemoteModel* Get() const { return m_pModel; }

    private:
        CContactRemoteModel* m_pModel;
    };

private:
    friend class CContactRemoteAction;
    friend class CContactRemoteMenuParser;
    friend class CContactRemoteUnitParser;
    friend class CContactRemoteMixedParser;
    friend class CContactRemoteSearchHelper;
    friend class CRemoteUnitBatch;
    // Lets the tests read the tree.
    friend class RemoteModelPeer;

    CContactRemoteModel();

    // Life cycle and settings.
    bool MyInit();
    void MyFinal();
    bool MyLoadDataFromConfigXml(const std::string& strFile);
    bool MyPreLoadConfigure(const std::string& strPath);
    bool MyCreateConfigure(const std::string& strPath);
    void MyClearConfigVector();
    RemoteConfigItem* MyGetRemoteConfigDataByIndex(int nIndex);
    void MyClearStatusMap();

    // Tree building, used by the parsers.
    bool MyLoadDataFromFile(const std::string& strFile, const std::string& strUrl,
                            const std::string& strContent);
    // The same for a body kept in memory, read exactly as the file of that body would be. The body is
    // parsed in place (the document's texts point into it), so it is taken over.
    bool MyParseDownloadedBody(const std::string& strFile, const std::string& strUrl, std::string strBody);
    bool MyParseDocument(pugi::xml_document& doc, const std::string& strFile, const std::string& strUrl);
    bool MyAddNodeByUrl(const std::string& strParentUrl, const ItemData& data);
    // The same, taking the payload over.
    bool MyAddNodeByUrl(const std::string& strParentUrl, ItemData&& data);
    int MyAddMenuContact(const ContactRemoteMenu* pMenu, FileDownloadStatus eStatus,
                         const std::string& strParentUrl);
    int MyAddHotKeyContact(const ContactRemoteHotKey* pHotKey, FileDownloadStatus eStatus,
                           const std::string& strParentUrl);
    int MyAddPageKeyContact(const ContactRemotePageKey* pPageKey, FileDownloadStatus eStatus,
                            const std::string& strParentUrl);
    int MyAddUnitContact(const ContactRemoteUnit* pUnit, const std::string& strParentUrl);
    // Adds the entries in order under one parent in one lock section, as MyAddUnitContact would one by one,
    // making each in its node's own memory from the texts (their numbers are runs of pNumbers); those
    // beyond the entry limit or refused are not added. Returns how many were added.
    int MyAddUnitContacts(const RemoteUnitText* pUnits, std::size_t nUnits, const std::string_view* pNumbers,
                          const std::string& strParentUrl);
    // Adds a phone-book group under a name no node has yet ("Name(n)" when the name is taken), choosing
    // the name and adding in one lock section so that parses running at once never pick the same one.
    // pMenu's name and URL become the name chosen.
    int MyAddMixedMenuContact(ContactRemoteMenu* pMenu, const std::string& strParentUrl);
    int MyAddItemNode(ContactRemoteItemBase* pItem, std::string strKey, FileDownloadStatus eStatus,
                      const std::string& strParentUrl);
    // Inside a parse, the request URL of the download (a search slot's expanded URL) stands for the node the
    // download was started for; any other key is taken as it is.
    const std::string& MyParentKey(const std::string& strParentUrl) const;
    // A link's URL is its key; a link without URL gets a made-up key, so any number of them can be listed.
    static std::string MyLinkKey(const std::string& strUrl, const std::string& strParentUrl);
    int MySetTitle(const std::string& strTitle, const std::string& strUrl);
    void MySortChildrenByUrl(const std::string& strUrl);
    // 0 when no node has the key strName, else the smallest n for which "strName(n)" is free.
    int MyFindMixedUrlTimes(const std::string& strName);

    // Downloads.
    int MyExecDownload(const std::string& strUrl, bool bSync, bool bSendMsg);
    // Registers the action as the download of the node with its ticket and gives it to the executor; false
    // when either fails.
    bool MyHandOver(CContactRemoteAction* pAction, const std::string& strNodeKey, unsigned long long nTicket);
    bool MyExecDownloadTopChildren();
    int MyReDownloadTopNode(const std::string& strTop);
    void MyInitTopChildren();
    // Takes the subtree out of the tree under the lock; MyFreeReleasedNodes, called outside the lock, frees
    // it (a refresh frees it after it has started the downloads, while they run).
    bool MyReleaseTree(const std::string& strUrl);
    void MyDropChildren(RemoteTree::TinyNode* pNode);
    // A refreshed slot's entries stay aside for caller lookup until the slot has loaded again whole (its
    // own document and every download below it ended without a failure), so a server that turned hostile
    // never empties the lookup. A slot that still keeps older ones (its last refresh never completed)
    // keeps those and releases the newer part.
    void MyKeepAsLastGood(RemoteTree::TinyNode* pTop);
    void MyDropLastGoodWhenLoaded(const std::string& strKey);
    bool MyHasUnfinishedDownloadBelow(RemoteTree::TinyNode* pNode) const;
    // The quick part of that test: a download still running for a node below. Every node in state 2 has
    // one, so this looks at the few running downloads instead of walking a subtree of thousands of entries.
    bool MyHasRunningDownloadBelow(RemoteTree::TinyNode* pNode);
    void MyDropAllLastGood();
    std::string MyLastGoodNameByNumber(const std::string& strNumber) const;
    std::string MyTreeNameByNumber(const std::string& strNumber);
    std::string MyWalkedNameByNumber(const std::string& strNumber);
    int MyCountUnitsBelow(RemoteTree::TinyNode* pNode);
    void MyFreeReleasedNodes();
    // The same on a worker thread: a finished refresh's old entries are many and the GUI need not wait.
    void MyFreeReleasedNodesInBackground();
    void MyClear1stLevelChildren();
    bool MyCancelDownload(const std::string& strUrl);
    void MyCancelMenusBelow(RemoteTree::TinyNode* pNode);
    std::string MyGetTopChildUrl(const std::string& strUrl);
    bool MySetStatusByUrl(const std::string& strUrl, FileDownloadStatus eStatus);
    FileDownloadStatus MyFindStatusByUrl(const std::string& strUrl);
    void MyOnDownloadFinished(CContactRemoteAction* pAction);
    bool MyParseForAction(CContactRemoteAction* pAction);
    // True inside a parse whose download is no longer its node's current one (a refresh or a new search
    // started another, or the tree was dropped); under m_csLock.
    bool MyIsStaleParse();
    void MyReleaseRunningActions();
    // Counts every change of any model's tree, so search engines know when their memory is out of date.
    static unsigned long long TreeRevision();
    static void MyTreeChanged();

    // Browsing.
    const std::string& MyGetUrl(const std::string& strUrl) const;
    bool MyCopyItemList(ContactRemoteListData* pList, RemoteTree::TinyNode* pNode);
    int MyCopyRemote2Local(int nIndex, bool bBlack);
    RemoteConfigItem* MyGetSlotByClickAction(const std::string& strClickAction);
    int MyEnterChild(int nIndex, int* pStatus, const std::string& strKey);

    // Paging.
    int MyExecLoadPaging(const std::string& strUrl, bool bSync);
    void MyOnPageLoaded(NS_TA::CTaskAction* pTaskAction);
    // The page read takes the place of the page on show, which goes to page (and with its action).
    void MyShowPage(RemotePageContent& page);
    void MyClearPageList();
    // A page load still running when the model goes: its file is removed when the load ends.
    void MyAbandonPageLoad();
    std::string MyPageUrlOfCurrentNode(bool bNext);

    // Search.
    bool MySearchLocal(const std::string& strKey, int nFrom, int nCount,
                       NS_TA::CTaskActionCallbackBase* pCallback, const std::string& strScope);
    void MySearchCallBack(CContactRemoteSearchAction* pAction);
    bool MySearchWholeTree(RemoteSearchListData* pData, bool bAllNumbers);
    int MySearchOnServer(ContactRemoteListData* pList, const std::string& strUrl, const std::string& strKey,
                         bool bDownload);
    void MyReleaseWaitingSearches();

    RemoteTree m_treeContact;
    std::vector<std::unique_ptr<RemoteConfigItem>> m_vecConfig;
    std::string m_strCurUrl;
    std::string m_strDisplayName;
    int m_nUnitCount;
    int m_nMaxUnitCount;
    int m_nMaxLevel;
    ETL_BaseHelper::chCriticalSection m_csLock;
    std::map<NS_TA::CTaskAction*, NS_TA::CTaskActionCallbackBase*> m_mapCallBack;
    // Written under m_csLock: RepalceUrl reads it on workers.
    std::string m_strSearchKey;
    FileDownloadStatus m_ePageStatus;
    std::list<ContactRemoteItemBase*> m_listPageItem;
    std::string m_strNextPageUrl;
    std::string m_strPrevPageUrl;
    CContactRemoteSearchHelper* m_pSearchHelper;
    // Caller lookup's picture of the tree (null out of memory: lookups walk the tree).
    std::unique_ptr<CRemoteNumberIndex> m_pNumberIndex;
    // The page load in flight (one at a time) and the URL of the page held in m_listPageItem.
    CContactRemotePageAction* m_pPageAction;
    std::string m_strPageUrl;

    // A download handed to the executor and not yet called back: the tree generation it belongs to, the key
    // of the node it was started for and its ticket.
    struct RunningDownload {
        unsigned nGeneration = 0;
        std::string strNodeKey;
        unsigned long long nTicket = 0;
    };
    std::map<NS_TA::CTaskAction*, RunningDownload> m_mapRunning;
    unsigned long long m_nLastTicket;
    // Released subtrees, out of the tree and waiting to be freed outside the lock.
    std::vector<RemoteTree::TinyNode*> m_vecReleased;
    // The last good entries of refreshed slots, out of the tree, by slot key (see MyKeepAsLastGood).
    std::map<std::string, std::vector<RemoteTree::TinyNode*>> m_mapLastGood;
    // Grows with every MyFinal; a download of an older generation no longer touches the tree.
    unsigned m_nGeneration;

    static std::atomic<CContactRemoteModel*> m_pInst;
    static std::atomic<unsigned long long> m_nTreeRevision;
};

}  // namespace NS_DIRECTORY
