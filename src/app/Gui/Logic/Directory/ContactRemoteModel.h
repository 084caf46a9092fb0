#pragma once
// The remote phonebook: the configured slots, the tree of everything downloaded with a download state per
// node, and its refresh. Runs on the GUI thread; download workers also parse into the tree, always under
// m_csLock, one lock section per operation, so a parse never holds a node across two sections.

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BaseHelper.h"
#include "ContactRemoteItem.h"
#include "MsgQueue.h"
#include "TaskAction.h"
#include "TinyTree.h"

namespace NS_DIRECTORY {

class CContactRemoteAction;
class CContactRemoteMenuParser;
class CContactRemoteUnitParser;
class CContactRemoteMixedParser;

// Key of the tree root; the top nodes (one per slot) hang below it.
extern const char* const REMOTE_ROOT_KEY;  // "<URL>All"
constexpr int REMOTE_REFRESH_TIMER_ID = 91110;
constexpr int REMOTE_MSG_DOWNLOAD_RESULT = 1822;
constexpr int REMOTE_MSG_REFRESH_STARTED = 1823;

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
        std::string m_strUrl;
        FileDownloadStatus m_eStatus;
        ContactRemoteItemBase* m_pItem;
        int m_nLevel;
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
    bool MyAddNodeByUrl(const std::string& strParentUrl, const ItemData& data);
    int MyAddMenuContact(const ContactRemoteMenu* pMenu, FileDownloadStatus eStatus,
                         const std::string& strParentUrl);
    int MyAddHotKeyContact(const ContactRemoteHotKey* pHotKey, FileDownloadStatus eStatus,
                           const std::string& strParentUrl);
    int MyAddPageKeyContact(const ContactRemotePageKey* pPageKey, FileDownloadStatus eStatus,
                            const std::string& strParentUrl);
    int MyAddUnitContact(const ContactRemoteUnit* pUnit, const std::string& strParentUrl);
    int MyAddItemNode(ContactRemoteItemBase* pItem, std::string strKey, FileDownloadStatus eStatus,
                      const std::string& strParentUrl);
    // A link's URL is its key; a link without URL gets a made-up key, so any number of them can be listed.
    static std::string MyLinkKey(const std::string& strUrl, const std::string& strParentUrl);
    int MySetTitle(const std::string& strTitle, const std::string& strUrl);
    void MySortChildrenByUrl(const std::string& strUrl);
    // 0 when no node has the key strName, else the smallest n for which "strName(n)" is free.
    int MyFindMixedUrlTimes(const std::string& strName);

    // Downloads.
    int MyExecDownload(const std::string& strUrl, bool bSync, bool bSendMsg);
    // Registers the action as running and gives it to the executor; false when either fails.
    bool MyHandOver(CContactRemoteAction* pAction);
    bool MyExecDownloadTopChildren();
    int MyReDownloadTopNode(const std::string& strTop);
    void MyInitTopChildren();
    // Takes the subtree out of the tree under the lock; MyFreeReleasedNodes, called outside the lock, frees
    // it (a refresh frees it after it has started the downloads, while they run).
    bool MyReleaseTree(const std::string& strUrl);
    int MyCountUnitsBelow(RemoteTree::TinyNode* pNode);
    void MyFreeReleasedNodes();
    void MyClear1stLevelChildren();
    bool MyCancelDownload(const std::string& strUrl);
    void MyCancelMenusBelow(RemoteTree::TinyNode* pNode);
    std::string MyGetTopChildUrl(const std::string& strUrl);
    bool MySetStatusByUrl(const std::string& strUrl, FileDownloadStatus eStatus);
    FileDownloadStatus MyFindStatusByUrl(const std::string& strUrl);
    void MyOnDownloadFinished(CContactRemoteAction* pAction);
    bool MyParseForAction(CContactRemoteAction* pAction);
    // True inside a parse that began before the last MyFinal: its results belong to a dropped tree.
    bool MyIsStaleParse() const;
    void MyReleaseRunningActions();

    RemoteTree m_treeContact;
    std::vector<std::unique_ptr<RemoteConfigItem>> m_vecConfig;
    std::string m_strCurUrl;
    std::string m_strDisplayName;
    int m_nUnitCount;
    int m_nMaxUnitCount;
    int m_nMaxLevel;
    ETL_BaseHelper::chCriticalSection m_csLock;
    std::string m_strSearchKey;
    FileDownloadStatus m_ePageStatus;

    // Actions handed to the executor and not yet called back, with the tree generation they belong to.
    std::map<NS_TA::CTaskAction*, unsigned> m_mapRunning;
    // Released subtrees, out of the tree and waiting to be freed outside the lock.
    std::vector<RemoteTree::TinyNode*> m_vecReleased;
    // Grows with every MyFinal; a download of an older generation no longer touches the tree.
    unsigned m_nGeneration;

    static std::atomic<CContactRemoteModel*> m_pInst;
};

}  // namespace NS_DIRECTORY
