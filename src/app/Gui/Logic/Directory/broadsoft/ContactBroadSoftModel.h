#pragma once
// The network directory of an Xsi-Actions 2.0 server: the table of configured directories built from the
// configuration store, one downloaded list per request URL, the combined sorted list "All Contact", page by
// page downloads with their GUI messages, the connection probe and the refresh timer.
//
// Runs on the GUI thread; every answer arrives there through OnTaskActionCallback. m_csLock guards the
// table, the list map, every list and the combined list, so any thread may copy pages, Search and look up
// callers while pages arrive; m_csSearch (always taken before m_csLock) guards the search engine. Personal
// edits, SearchLocal and the contact operations by shown name belong to the GUI thread. Only the current
// downloads of a list, and only the latest probe, are listened to: answers of superseded ones are dropped.
// Up to three pages of a directory download at once, each with at most one more page waiting behind it to
// run on the same worker right after it. The worker that downloads a page also reads it
// (CBroadSoftPageAction); the GUI thread adds the ready records to the list in start order.

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BaseHelper.h"
#include "BroadSoftPage.h"
#include "ContactBroadSoftItem.h"
#include "ContactBroadSoftTypes.h"
#include "MsgQueue.h"
#include "TaskAction.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace NS_DIRECTORY {

class CContactBSTSearchHelper;
class CBroadSoftNumberIndex;

extern const char* const BSFT_ALL_CONTACT;  // "All Contact": name and URL of the combined entry
constexpr int BSFT_MSG_DOWNLOAD_RESULT = 1920;
constexpr int BSFT_PROBE_TAG = 777;

// Results of GetContactListByClickAction.
enum BroadSoftListResult : int {
    BSFT_LIST_COPIED = 0,
    BSFT_LIST_DOWNLOADING = 1,  // wait for message 1920
    BSFT_LIST_REFUSED = 2,      // the executor refused the download
    BSFT_LIST_NO_DIRECTORY = 6,
    BSFT_LIST_NO_NETWORK = 7,
    BSFT_LIST_BAD_REQUEST = 11,
};

using BroadSoftItemList = std::vector<ContactBroadSoftItemBase*>;

// Sort order of the combined list: the lower-cased name of Personal and Common records, lastName directly
// followed by firstName for the others, compared byte by byte.
bool Comp(const ContactBroadSoftItemBase* pFirst, const ContactBroadSoftItemBase* pSecond);
// Merges two lists into listOut (cleared first); of equal keys the second list's entry comes first.
void mergeList(const BroadSoftItemList& listFirst, const BroadSoftItemList& listSecond,
               BroadSoftItemList& listOut);

class CContactBroadSoftModel : public NS_TA::CTaskActionCallbackBase {
public:
    enum ListStatus : int {
        LIST_NONE = 0,
        LIST_READY = 1,
        LIST_DOWNLOADING = 2,
        LIST_LOADED = 3,
        LIST_FAILED = 4,
        LIST_CANCELED = 5,
    };

    // One downloaded list. The combined list's records belong to the other lists.
    struct ListItemData {
        ListItemData() { Reset(); }
        // Forgets the records without deleting them.
        void Reset();

        BroadSoftItemList m_listItem;  // in the order the entries arrived
        int m_eStatus;
        int m_nTotal;     // totalAvailableRecords of the last page
        int m_nPageSize;  // numberOfRecords of the last page
        // Paging: the page downloads running for the list by start index, answers that came before an
        // earlier page and wait for it, the start index of the page to read next (0: paging ended) and of
        // the next page to ask for. Answers of any other download are dropped.
        std::map<int, NS_TA::CNetworkFileAction*> m_mapPageDownloads;
        std::map<int, NS_TA::CNetworkFileAction*> m_mapEarlyAnswers;
        // Of the page downloads, those waiting behind another: start of the earlier page -> start of the
        // page behind it, until the earlier page's answer arrives.
        std::map<int, int> m_mapBehind;
        int m_nNextStart;
        int m_nRequestStart;
    };

    static CContactBroadSoftModel* GetInstance();
    // The singleton if it exists; never creates it.
    static CContactBroadSoftModel* PeekInstance();

    ~CContactBroadSoftModel() override;
    CContactBroadSoftModel(const CContactBroadSoftModel&) = delete;
    CContactBroadSoftModel& operator=(const CContactBroadSoftModel&) = delete;

    // Drops lists, table and the offered custom list, rebuilds the table and, with bUpdate, probes the
    // server again. -14 (nothing changed) while the network is down, else 0.
    int ReloadConfigure(bool bUpdate);

    // The table of configured directories; its index is the number click actions carry.
    int GetTotalConfigurableItemCount();
    BroadSoftConfigItem* GetConfigDataByIndex(int nIndex);
    void SetConfigDataByIndex(int nIndex, const BroadSoftConfigItem& item);
    BroadSoftConfigItem* GetConfigDataByUrl(const std::string& strUrl);
    bool IsItemConfigured(int nIndex);
    bool IsItemConfigured(const std::string& strUrl);
    // Appends the names of the named entries (the combined entry included); false only for null.
    bool GetConfiguredList(std::list<std::string>* pList);
    // Appends the URLs of the directories (not the combined entry); false only for null.
    bool GetConfigureUrlList(std::list<std::string>* pList);
    std::string GetConfiguredItemName(int nIndex);
    // The name of the n-th entry that has a name, counting from 0.
    std::string GetConfiguredItemNameInConfigured(int nIndex);
    bool IsBroadSoftPhoneBookConfigured();
    // Nothing sets the display name, so it stays empty and the GUI shows its own default title.
    std::string GetDisplayName();

    // Click actions ("broadsoft_phonebook_x<index>").
    std::string GetCofigUrl(const std::string& strClickAction);
    bool IsCustomContact(const std::string& strClickAction);
    bool IsPersonalV2(const std::string& strClickAction);
    // Position plus one among the first seven entries of the URL without its query, else -1.
    int GetCofigIndexByFullUrl(const std::string& strUrl);

    static bool IsPersonal(const std::string& strUrl);
    static bool IsCommonDir(const std::string& strUrl);
    static bool IsV1_0(const std::string& strUrl);

    // The custom-list keys of the configuration store.
    void ClearCustomList(bool bClearUse);
    void ResetCustomListStatus();

    // The GUI's main entry: copies a page of the directory the click action names, or of the combined
    // list, starting the download first where needed. bClear drops the lists of URLs that are no directory
    // of the table (search results, old custom directories). With bSearch the criteria become Xsi query
    // parameters and the search results are downloaded into lists of their own. BroadSoftListResult codes.
    int GetContactListByClickAction(ContactBroadSoftListData* pList, const std::string& strClickAction,
                                    ContactBroadSoftItemData& itemData, bool bClear, bool bSearch);
    // Drops every list and downloads every directory again; false (error -14) without network.
    bool Update();
    // Marks the list in view cancelled and ends its paging: no further page is asked for, and pages still on
    // their way are dropped. The records already read stay.
    bool CancelDownload();

    // Cuts the paging query ("?start=" or "&start=" and what follows) off a URL.
    static void FilterParameters(std::string& strUrl);
    // Appends "key=value" with "?" or "&"; the value is percent-encoded, then wrapped in "*" with
    // bWildcard, and "/i" (ignore case) follows unless bExact. Nothing for an empty URL.
    static void AddUrlParameter(std::string& strUrl, const std::string& strKey, const std::string& strValue,
                                bool bWildcard, bool bExact);

    // Server-side search: extends a directory URL with the criteria as Xsi query parameters; false when the
    // directory is not loaded or no criterion applies to it.
    bool PreSearchProcess(std::string& strUrl, ContactBroadSoftItemData& itemData);
    // The name goes to "name" on Personal and common directories; elsewhere "first,last" goes to firstName
    // and lastName, and a name without a comma, when it is the only criterion, to either of them
    // (searchCriteriaModeOr), else to firstName.
    void AddParameters(std::string& strUrl, const ContactBroadSoftItemData& itemData);
    void SetSearchCriteriaModeOr(std::string& strUrl, bool bOr);
    // A Group URL that the loaded Enterprise directory covers; left out of combined lists and searches.
    bool IsOnlySearchEnterprise(const std::string& strUrl);

    // Rebuilds the combined list from the lists of these URLs; the caller holds m_csLock. Nothing is redone
    // while the URLs and every list are as they were at the last rebuild.
    void ReCreatAllContactList(const std::list<std::string>& listUrls);

    // Personal directory editing. Every change shows in the loaded Personal list at once; the server gets
    // the entry document "Personal.xml" by POST, and deletes of entry URLs one at a time. Names and numbers
    // are cleaned of what XML cannot carry before they are stored or sent.
    // Adds to the first Personal directory of version 2; false for null or an empty name or number.
    bool AddContact2Personal(ContactBroadSoftPersonal* pItem);
    // False (error -2) for a name the loaded list already has, ignoring case, and when the entry document
    // cannot be written (nothing then changes); a list not loaded is left as it is and the entry only
    // uploaded. The list keeps the entry when the upload fails.
    bool AddPersonal(const std::string& strUrl, const ContactBroadSoftPersonal& item, bool bSync);
    // Writes the entry document; false when it cannot be written (nothing is then uploaded).
    bool SaveToFile(const ContactBroadSoftPersonal& item);
    bool EditPersonalContact(const std::string& strClickAction, const std::string& strOldName,
                             const ContactBroadSoftPersonal& item);
    // Deletes the old entry at once and adds the new one when the server has answered the delete, whatever
    // it answered. Refused with -2 when another entry has the new name ignoring case (that add would fail
    // later and lose the entry), and for an empty new name or number.
    bool EditPersonal(const std::string& strUrl, const std::string& strOldName,
                      const ContactBroadSoftPersonal& item);
    bool DeleteContactsInPersonal(const std::list<std::string>& listNames, const std::string& strClickAction);
    // Removes the named entries from the list and queues their deletes.
    bool BeforeDeleteList(const std::string& strUrl, const std::list<std::string>& listNames);
    // Sends the delete of the next queued name.
    bool DeletePersonal(const std::string& strUrl);

    // Local search of one directory, or of the combined list ("All Contact"), as the user types: a key grown
    // by one character narrows the last result, a repeated key only copies another page. The result is
    // taken afresh whenever a list changed since. False for an empty URL or before the model has started.
    bool Search(ContactBroadSoftListData* pList, const std::string& strUrl, const std::string& strKey);
    // Search in the directory the click action names, which becomes the one in view.
    bool SearchLocal(ContactBroadSoftListData* pList, const std::string& strClickAction,
                     const std::string& strKey);
    // The caller's name: the first Personal entry with exactly this number, else the last match in combined
    // order; "" when none. Walks the combined list, rebuilt only when a list changed.
    std::string GetContactNameByNumber(const std::string& strNumber);
    // The first entry of the list in view with that shown name; valid until the lists change.
    ContactBroadSoftItemBase* GetBroadSoftContactByName(const std::string& strName);
    // Copies the entry with that shown name into the local phone book or its blacklist: the local model's
    // result, -1 when the entry is missing or its kind is not copied there.
    int BroadSoft2Local(const std::string& strName);
    int BroadSoft2Black(const std::string& strName);
    bool CallOut(const std::string& strNumber, const std::string& strName);

    void OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) override;
    // The refresh timer. It repeats by itself every "BstDirUpdateInterVal" minutes from each successful
    // probe; a value of 0 or less means no automatic refresh. A refresh due during a call is skipped.
    int OnTimeoutMessage(ETL_MsgQueueHelper::msgObject& msg);

private:
    // Lets the tests reach the lists and drop the singleton.
    friend class BroadSoftModelPeer;
    // The search engine walks the lists under m_csLock.
    friend class CContactBSTSearchHelper;

    CContactBroadSoftModel();

    // Life cycle and table (ContactBroadSoftModelConfig.cpp).
    bool PreLoad(bool bUpdate);
    bool MyInit();
    bool MyFinal();
    bool MyLoadDataFromConfig();
    void MyInsertCustomConfig(const std::string& strBaseUrl, const std::string& strNames);
    bool MyClearConfigVector();
    // Steps shared by PreLoad and MyLoadDataFromConfig: the account, the base URL, the combined entry and
    // the enabled fixed directories. False when the directory is switched off.
    bool MyBuildFixedTable(bool* pAccountValid);
    void MyAppendConfig(const std::string& strName, const std::string& strUrl);
    void MyStartCustomListFetch();
    BroadSoftConfigItem* MyConfigByIndex(int nIndex);
    BroadSoftConfigItem* MyConfigByClickAction(const std::string& strClickAction);

    // Records and parsing (ContactBroadSoftModelParse.cpp).
    int MyAddGroupItem(const std::string& strUrl, const ContactBroadSoftGroup& item);
    int MyAddEnterpriseItem(const std::string& strUrl, const ContactBroadSoftEnterprise& item);
    int MyAddCommonItem(const std::string& strUrl, const ContactBroadSoftCommon& item);
    int MyAddPersonalItem(const std::string& strUrl, const ContactBroadSoftPersonal& item);
    int MyAddCustomItem(const std::string& strUrl, const ContactBroadSoftCustom& item);
    template <class TRecord>
    int MyAddItem(const std::string& strUrl, TRecord item);
    // Parses one page into the list of strUrl and asks for the pages after it. nRequestedStart is the start
    // index the page was asked for: a first page (1) replaces the records of any earlier download once it
    // parsed; a later page that answers another start index is dropped and ends the paging.
    bool MyLoadDataFromFile(const std::string& strUrl, const std::string& strPath, int nRequestedStart = 1);
    // Whether strUrl names a list a page can go into: one of the table's, not the combined list.
    bool MyCanTakePage(const std::string& strUrl);
    // The same for a downloaded body kept in memory; strName names the document in the log.
    bool MyLoadDataFromBody(const std::string& strUrl, const std::string& strBody, const std::string& strName,
                            int nRequestedStart = 1);
    // The same for a page already read (by the worker that downloaded it); its records move to the list.
    bool MyAddPage(const std::string& strUrl, BroadSoftPage& page, int nRequestedStart);
    // Moves the records to the end of the list; the caller holds m_csLock.
    void MyAppendRecords(ListItemData* pData, BroadSoftRecords& vecRecords);
    // The same for the list of a URL, when there is one; false for an empty URL or the combined list.
    bool MyAppendPageRecords(const std::string& strUrl, BroadSoftRecords& vecRecords);
    bool MyLoadGroupXml(const std::string& strUrl, const pugi::xml_node* pRoot);
    bool MyLoadEnterpriseXml(const std::string& strUrl, const pugi::xml_node* pRoot);
    bool MyLoadCommonXml(const std::string& strUrl, const pugi::xml_node* pRoot);
    bool MyLoadPersonalXml(const std::string& strUrl, const pugi::xml_node* pRoot);
    bool MyLoadCustomXml(const std::string& strUrl, const pugi::xml_node* pRoot);
    bool MyLoadCustomListFromFile(std::string& strWanted, const std::string& strPath);
    // Keeps up to three pages of the list downloading and one waiting behind each, asked for in start order.
    void MyRequestPages(const std::string& strUrl);
    // The start of the downloading page that the next page should wait behind: 0 for none, that is, while
    // fewer than three download, -1 when the next page must wait for an answer.
    static int MyPageToWaitBehind(const ListItemData& data);
    bool MyRequestNextPage(const std::string& strUrl, int nStart, int nPageSize, int nEarlierStart);

    // Lists (ContactBroadSoftModelList.cpp).
    ListItemData* MyFindItemData(const std::string& strUrl);
    bool MyCopyList(ContactBroadSoftListData* pList, ListItemData* pData);
    bool MyCopyList(ContactBroadSoftListData* pList, const std::list<std::string>& listUrls);
    // The combined list of every directory of the table, rebuilt only when something changed.
    bool MyCopyCombinedOfTable(ContactBroadSoftListData* pList);
    void MyCopyCombinedWindow(ContactBroadSoftListData& page);
    void MyClearMap(bool bKeepConfigured);
    bool MyRemoveListByUrl(const std::string& strUrl);
    // Every change of a list's records or status goes through here: the combined list is emptied and
    // rebuilt on its next use. The caller holds m_csLock.
    void MyListsChanged();
    // The combined list of every directory of the table, rebuilt only when something changed. The caller
    // holds m_csLock; valid while it does.
    const BroadSoftItemList& MyCombinedOfTable();
    bool MyIndexCombined(const BroadSoftItemList& listAll);
    // The combined list as it was last shown (of the table or of a search), brought up to date.
    const BroadSoftItemList& MyCurrentCombined();
    void MySetStatus(ListItemData* pData, int eStatus);
    static void MyDeleteRecords(ListItemData* pData);
    // Deletes a list with its records and the early answers it holds.
    void MyDeleteList(ListItemData* pData);
    // Ends the paging of a list: pages on their way are no longer listened to, those waiting behind another
    // are taken back before they go out, early answers go.
    void MyEndPaging(ListItemData* pData);
    // A refresh or reload sets every completely loaded directory list aside before the lists go, so caller
    // lookup still finds its callers until that directory's new list is completely in (or a later refresh
    // replaces it); nothing else reads them. The caller holds m_csLock for the ones below.
    void MyKeepLastGoodLists();
    void MyDropLastGood(const std::string& strUrl);
    // Drops the list set aside for the URL but hands its records to the caller, to be freed elsewhere.
    BroadSoftItemList MyTakeLastGood(const std::string& strUrl);
    void MyDropAllLastGood();
    // Drops the lists set aside for URLs that are no directory of the table any more.
    void MyDropLastGoodOutsideTable();
    // The combined list for caller lookup: of each directory of the table its list when completely loaded,
    // else the one set aside, else what it holds.
    BroadSoftItemList MyLookupCombined();

    // Personal editing (ContactBroadSoftModelPersonal.cpp).
    // Uploads a snapshot of "/config/data/<base name>.xml" taken now, so later saves cannot change what is
    // sent. Uploads always run in the background, whatever bSync says.
    bool MyExecPost(const std::string& strUrl, const std::string& strBaseName, bool bSync);
    bool MyDeleteNext(const std::string& strEntryUrl);
    bool MyExecDelete(const std::string& strUrl, const std::string& strName, bool bSync);
    void MyOnDeleteAnswered(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl);
    void MyOnUploadAnswered(NS_TA::CNetworkFileAction* pAction);
    // The record of an edit once its delete is answered; uploaded even when a reload took the list away.
    void MyAddEditedPersonal(const std::string& strUrl, const ContactBroadSoftPersonal& item);
    std::string MyPersonalV2Url();
    // The list's position of the first Personal record named (lower-cased) after strLowerName; -1 when the
    // list has that name already.
    static int MyPersonalInsertPosition(const ListItemData& data, const std::string& strLowerName);
    std::string MyTakeUploadSnapshot(const std::string& strSource);

    // Search and lookups (ContactBroadSoftModelSearch.cpp).
    int MyCopyToLocal(const std::string& strName, bool bBlack);

    // Downloads (ContactBroadSoftModelDownload.cpp).
    int MyMakeReadyForDownload(const std::string& strUrl);
    int MyExecDownload(const std::string& strUrl, bool bSendMsg, bool bSync);
    // The same for a page that waits behind the running download of the page at nEarlierStart (0: none).
    int MyExecDownloadAfter(const std::string& strUrl, bool bSendMsg, bool bSync, int nEarlierStart);
    // A download action with the account's credentials and the next free temporary file, not yet started.
    // With bReadPage the worker that downloads a directory page also reads it (CBroadSoftPageAction).
    NS_TA::CNetworkFileAction* MyCreateDownload(const std::string& strUrl, bool bReadPage = false);
    // Registers the action and hands it to the executor; a refused action is destroyed. Every network file
    // action of the model goes through here, so the model releases those still running when it goes.
    bool MyHandOver(NS_TA::CNetworkFileAction* pAction, NS_TA::CNetworkFileAction* pEarlier = nullptr);
    std::string MyNextFilePath();
    bool MyIsFilePathInUse(const std::string& strPath) const;
    void MyStartProbe();
    void MyOnProbeAnswered(NS_TA::CNetworkFileAction* pAction);
    // False when the answer is kept to be read later.
    bool MyOnDownloadAnswered(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl);
    void MyOnCustomListAnswered(NS_TA::CNetworkFileAction* pAction);
    // False when the answer is kept to be read after an earlier page.
    bool MyOnPageAnswered(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl);
    void MyReadPageAnswer(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl);
    // Adds the page the worker read, or reads the downloaded body (or file) when the worker could not.
    bool MyAddDownloadedPage(NS_TA::CNetworkFileAction* pAction, const std::string& strUrl);
    void MyNotifyPageResult(NS_TA::CNetworkFileAction* pAction, int eStatus);
    // Removes a download's temporary file (a body kept in memory has none), forgets the action and releases
    // it.
    void MyFinishAction(NS_TA::CNetworkFileAction* pAction);
    void MyReleaseRunningActions();
    int MyGetDirectoryPage(ContactBroadSoftListData* pList, std::string strUrl,
                           ContactBroadSoftItemData& itemData, bool bSearch);
    int MyGetCombinedPage(ContactBroadSoftListData* pList, ContactBroadSoftItemData& itemData, bool bSearch);
    int MyPrepareCombinedSearch(std::list<std::string>& listUrls, ContactBroadSoftItemData& itemData);
    // The answer for a list status other than loaded: downloads what is ready to download.
    int MyAnswerForStatus(int eStatus, const std::list<std::string>& listUrls);

    // Table.
    std::vector<std::unique_ptr<BroadSoftConfigItem>> m_vecConfig;
    std::string m_strBaseUrl;
    std::string m_strUserId;
    std::string m_strPassword;
    std::string m_strPort;
    bool m_bEnterpriseConfigured;
    std::string m_strDisplayName;

    // Lists.
    std::map<std::string, ListItemData*> m_mapListData;
    ListItemData* m_pAllList;
    ETL_BaseHelper::chCriticalSection m_csLock;
    unsigned long long m_nListRevision;
    unsigned long long m_nAllListRevision;               // m_nListRevision when the combined list was built
    std::list<std::string> m_listAllUrls;                // the URLs it was built from
    bool m_bAllListOfTable;                              // ... which were the directories of the table
    std::map<std::string, ListItemData*> m_mapLastGood;  // see MyKeepLastGoodLists
    unsigned long long m_nAllListBuilds = 0;             // every fill or emptying of the combined list
    // Caller lookup's picture of the combined list (null out of memory: lookups read the whole list).
    std::unique_ptr<CBroadSoftNumberIndex> m_pNumberIndex;

    // Downloads.
    std::string m_strCurUrl;
    int m_nFileIndex;
    ETL_MsgQueueHelper::chThreadTimer m_timerUpdate;
    bool m_bServerReady;
    // Actions handed to the executor and not yet answered, with their temporary files.
    std::map<NS_TA::CNetworkFileAction*, std::string> m_mapRunning;
    NS_TA::CNetworkFileAction* m_pProbeAction;       // the latest probe while it runs
    NS_TA::CNetworkFileAction* m_pCustomListAction;  // the custom-list fetch while it runs

    // Personal editing.
    std::list<std::string> m_listDeleteName;  // names still to delete, consumed from the front
    // Entry URL (directory URL, "/", encoded old name) of an edit's delete, and the record that replaces it.
    std::map<std::string, ContactBroadSoftPersonal> m_mapEditPersonal;
    int m_nUploadIndex;

    // Search.
    ETL_BaseHelper::chCriticalSection m_csSearch;
    std::unique_ptr<CContactBSTSearchHelper> m_pSearchHelper;

    static std::atomic<CContactBroadSoftModel*> m_pInst;
};

}  // namespace NS_DIRECTORY
