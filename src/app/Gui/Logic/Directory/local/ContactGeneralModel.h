#pragma once
// The local phone book: groups and contacts held in a fixed order, written through to
// "contact_group_list.xml" and "contact_list.xml" under /config/data/ on every change.
// GUI thread only, no lock: background searches walk a snapshot of the store taken on the GUI thread, and
// the background reload parses into lists of its own. While that reload runs, every change and every search
// refuses with -13.
// Refusals record their code with CommonUnits_SetErrorId before returning the failure value.

#include <algorithm>
#include <cstdint>
#include <list>
#include <memory>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "CommonUnits.h"
#include "PhoneServices.h"
#include "ContactGeneralTypes.h"
#include "RIdGenerator.h"
#include "TaskAction.h"

namespace pugi {
class xml_document;
}

namespace NS_DIRECTORY {

class CContactGeneralSearchHelper;
class CContactLocalSaveAction;
class CContactNumberIndex;
class CContactSearchSnapshot;
class CLocalContactSearchAction;

// Codes recorded by refused operations.
enum ContactResultCode : int {
    CONTACT_RESULT_NAME_OR_ID_IN_USE = -1,
    CONTACT_RESULT_NAME_EXISTS = -2,
    CONTACT_RESULT_BAD_GROUP_ID = -3,
    CONTACT_RESULT_NO_SUCH_GROUP = -4,
    CONTACT_RESULT_NO_SUCH_CONTACT = -5,
    CONTACT_RESULT_GROUP_READ_ONLY = -6,
    CONTACT_RESULT_CONTACTS_FULL = -7,
    CONTACT_RESULT_BLACKLIST_FULL = -8,
    CONTACT_RESULT_GROUPS_FULL = -9,
    CONTACT_RESULT_ALREADY_BLACK = -10,
    CONTACT_RESULT_NOT_BLACK = -12,
    CONTACT_RESULT_BUSY = -13,
    CONTACT_RESULT_NO_MEMORY = -50,
    CONTACT_RESULT_MISSING_ARGUMENT = -100,
};

constexpr int kAllContactsGroupId = 0;
constexpr int kBlacklistGroupId = 1;
// The save timer of the local files: armed only to retry a save that failed (or an update mark that could
// not be written), killed once nothing is left unwritten; its expiry saves whatever is out of date.
constexpr int kLocalSaveTimerId = 83179;
constexpr int kLocalSaveRetryMs = 30000;
// Notification to the GUI: the local phone book changed.
constexpr int kLocalContactChangedMsg = 1720;
// Notification to the GUI: a background reload of the files started (lParam 1) or ended (lParam 2).
constexpr int kLocalReloadMsg = 1722;
constexpr const char* kLocalDataFolder = "/config/data/";
constexpr const char* kLocalGroupFileName = "contact_group_list.xml";
constexpr const char* kLocalContactFileName = "contact_list.xml";
constexpr const char* kLocalUpdateMarkFile = "/tmp/contact_update_mark.ini";
constexpr const char* kLocalExportFileName = "contact_xported.xml";
// The pattern of local click actions: "local_contact_x" followed by a group id.
constexpr const char* kLocalClickActionPattern = "local_contact_x";

class CContactGeneralModel : public NS_TA::CTaskActionCallbackBase {
public:
    // One stored contact. Paths are in their real form.
    struct ItemData {
        std::string m_strDisplayName;
        std::string m_strOfficeNumber;
        std::string m_strMobileNumber;
        std::string m_strOtherNumber;
        std::string m_strRing;
        std::string m_strDefaultPhoto;
        std::string m_strNameIndex;  // digit-key form of the name
        int m_nLine = 0;             // line and photo choice mean something to the GUI only: kept as given
        int m_nSelectedPhoto = 0;
        int m_nGroupId = -1;
        bool m_bFavorate = false;

        void Reset() { *this = ItemData(); }
    };

    struct GroupData {
        int m_nId = -1;
        std::string m_strDisplayName;
        std::string m_strRing;
        bool m_bReadOnly = false;

        void Reset() { *this = GroupData(); }
    };

    using ItemList = std::vector<std::unique_ptr<ItemData>>;
    using GroupList = std::vector<std::unique_ptr<GroupData>>;
    // The group menu; the records are owned by the model.
    using MenuItemList = std::vector<MenuItemData*>;

    static CContactGeneralModel* GetInstance();
    static void ReleaseInstance();

    // ---- limits and counters
    int GetMaxContactCount() const { return m_nMaxContactCount; }
    int GetMaxBlackCount() const { return m_nMaxBlackCount; }
    int GetMaxGroupCount() const { return m_nMaxGroupCount; }
    int SetMaxContactCount(int nMax);
    int SetMaxBlackCount(int nMax);
    int SetMaxGroupCount(int nMax);
    // Contacts outside the blacklist.
    int GetCurrentContactCount() const;
    int GetCurrentBlackCount() const { return m_nCurrentBlackCount; }
    int GetCurrentFavorateCount() const { return m_nCurrentFavorateCount; }
    // Both built-in groups included.
    int GetCurrentGroupCount() const;
    bool IsReloadGroupAndItemByHttp() const { return m_bReloadByHttp; }

    // ---- read-only queries (contact names ignore case, group names are exact)
    bool IsContactExist(const std::string& strName) const;
    int GetContactGroupId(const std::string& strName) const;
    bool GetContactData(ContactGeneralItemData* pData, const std::string& strName) const;
    bool IsGroupExist(const std::string& strName) const;
    int GetGroupIdByGroupName(const std::string& strName) const;
    int GetGIdByGName(const std::string& strName) const;
    bool GetGroupDataById(ContactGroupData* pData, int nId) const;
    std::string GetGroupNameByIndex(int nIndex) const;
    bool IsBlacklistIndex(int nIndex) const;
    // Pages. Group 0 lists every contact outside the blacklist; each record's photo is the page icon.
    bool GetContactList(ContactGeneralItemListData* pList, const std::string& strGroupName) const;
    bool GetContactListById(ContactGeneralItemListData* pList, int nGroupId) const;
    bool GetContactListByClickAction(ContactGeneralItemListData* pList, const std::string& strAction) const;
    bool GetFavorateList(ContactGeneralItemListData* pList) const;
    bool GetGroupList(ContactGroupListData* pList, bool bWithBlacklist) const;
    bool GetGroupSimpleList(ContactGroupSimpleListData* pList) const;
    // The group menu (blacklist left out), rebuilt on each call; owned by the model.
    MenuItemList* MyGenLocalMenuList();
    // For id 0 every contact, blacklist included.
    int MyGetContactCountByGroupId(int nId) const;

    // ---- files
    // Both built-in groups are always there afterwards (repaired in the file too when it could be read).
    // A group without a usable id (missing, negative or taken) or refused by the insertion rule is dropped,
    // and the answer is false. A file that does not parse to its end counts as unreadable.
    bool MyLoadGroupFromXmlFile(const std::string& strFileName);
    // Contacts the store refuses (limits, names equal ignoring case) are dropped; an unknown group is group
    // 0.
    bool MyLoadContactFromXmlFile(const std::string& strFileName);
    bool CreateContactGroupList(const std::string& strPath);
    // Write the file when it is out of date (always whole: a temporary file renamed over the old one). A
    // failed write logs a warning, keeps the file out of date, leaves the old file whole, arms the save timer
    // to try again and answers false; the next change, the timer or the shutdown save writes it.
    bool SaveGroupToXml();
    bool SaveContactToXml();
    // True marks the data changed: the file is written at once and the GUI notified (also when the write
    // failed, since the phone book in memory did change). Answers whether the file is up to date.
    bool MySetGroupDirty(bool bDirty);
    bool MySetContactDirty(bool bDirty);
    bool MyGetGroupDirty() const { return m_bGroupDirty; }
    bool MyGetContactDirty() const { return m_bContactDirty; }
    // For timer 83179: save the file when it is out of date, and write an update mark left unwritten.
    bool OnTimeoutSaveGroup(unsigned int nTimerId);
    bool OnTimeoutSaveContact(unsigned int nTimerId);
    // ORs the mask into "type" of the mark file; the file is rewritten only when a bit is new or an earlier
    // write of the mark failed (which is retried with the next save, or by the save timer).
    void SetContactUpdateMark(int nMask);
    bool ReloadGroupXml();
    bool ReloadContactXml();
    // Writes every group and contact in the import format of the newest generation; an empty path is
    // "/config/data/contact_xported.xml". "root_group" and "root_contact" go inside a "vp_contact" element,
    // which every reader of that format accepts, so the file has the single root element XML requires. False
    // (with a warning) when the file could not be written; an old export then stays as it was.
    bool ExportContactAndGroup(std::string strPath);

    // ---- background reload of both files after they were replaced from outside. Until the reloaded
    // lists are swapped in, every change and search refuses with -13. When no action can be made or the
    // executor refuses it, the action is released and the answer is false with nothing changed.
    // A reload asked for while one runs is accepted too, and the store stays busy until every accepted
    // reload has been answered (1722 goes out with 1 when the first starts and with 2 when the last ends),
    // so no edit can slip in between two answers and be swapped away. Of answers that come back out of
    // order, one older than the answer last swapped in is dropped; answers of reloads the model did not
    // start are released unread.
    bool ReloadGroupAndItemByHttp();
    void MyLoadGroupFromTaskAction(CContactLocalSaveAction* pAction);
    // Takes the contacts as they are (no limits or duplicate checks); the call log gets their names. A
    // contact whose group the book does not hold goes to group 0, as at start: in a group of no name no
    // page would show it, and a group made later with that id would take it in.
    void MyLoadContactFromTaskAction(CContactLocalSaveAction* pAction);

    // ---- type-ahead search (group from a "local_contact_x" click action). Synchronous searches answer in
    // the record; background ones answer through the receiver's OnTaskActionCallback with the search
    // action, whose GetSearchResult() holds page, key and total. A background request made while the
    // previous one still runs waits, replacing any request already waiting; when the running search ends
    // with a request waiting, its answer is dropped and only the newest key is answered. Answers pass
    // through the model, and a receiver destroyed meanwhile gets none.
    bool Search(ContactGeneralSearchItemListData* pData, const std::string& strAction,
                const std::string& strKey);
    bool SearchWithMutlNumber(ContactGeneralSearchItemListData* pData, const std::string& strAction,
                              const std::string& strKey);
    bool SearchAsync(const std::string& strAction, const std::string& strKey, int nBeginIndex, int nCount,
                     NS_TA::CTaskActionCallbackBase* pReceiver);
    // Group by display name; window from pData, which itself receives nothing.
    bool SearchWithMutlNumberAsync(ContactGeneralSearchItemListData* pData, const std::string& strGroupName,
                                   const std::string& strKey, NS_TA::CTaskActionCallbackBase* pReceiver);

    // ---- contact editing. Position counts: contacts of the target group (all contacts for group 0) up to
    // and including the one the new name was filed before. Every text of a record is first cleaned by the
    // rule of XmlSafeText.h (a record's group name too); names empty then are refused with -100.
    int AddContact(const ContactGeneralItemData& data);
    int AddContactById(int nGroupId, const ContactGeneralItemData& data);
    int AddBlackContact(const ContactGeneralItemData& data);
    // A new name (not just new letter case) files the contact anew; its old numbers lose the old name in the
    // call log first.
    int UpdateContactData(const std::string& strOldName, const ContactGeneralItemData& data);
    bool RemoveContact(const std::string& strName);
    bool RemoveContactList(std::list<std::string>& listNames);
    bool RemoveAllContactsByClickAction(const std::string& strAction);
    // Moving into or out of the blacklist is refused when the side it enters is full.
    bool SetContactGroupId(const std::string& strName, int nGroupId);
    bool Local2Black(const std::string& strName);
    bool Black2Local(const std::string& strName);
    int IsListCanMove(std::list<std::string>& listNames, const std::string& strGroupName);
    int MoveListToGroup(std::list<std::string>& listNames, const std::string& strGroupName);
    bool ToFavorateList(std::list<std::string>& listNames);
    bool RemoveFavorateList(std::list<std::string>& listNames);
    bool RemoveAllFavorates();
    bool CallOut(const std::string& strNumber, const std::string& strName, int nLine);
    int MyInsertContactNoCheckGroup(const ItemData& item, bool bSave);
    // MyInsertContactNoCheckGroup without saving and without the position count, which costs a walk of
    // the list per contact: for imports, which do not use it. An empty name is refused with -100.
    bool MyImportContact(const ItemData& item);
    // An import batch: while it is open, MyImportContact applies the same checks (limits, names equal
    // ignoring case, against the book and the batch) but files each admitted contact at the end of the
    // list; closing it puts the list back in name order in one pass, exactly as one insertion after the
    // other would have left it. Only imports and group insertions may run while a batch is open (pages,
    // searches and edits need the order). Closing a batch that is not open does nothing.
    void MyBeginImportBatch();
    void MyEndImportBatch();
    // As above, with a group id that names no group taken as group 0.
    int MyInsertContact(const ItemData& item, bool bSave);
    bool MyUpdateAllContactGroupId(int nFromId, int nToId);

    // ---- group editing (record texts cleaned as for contacts)
    int AddGroup(const ContactGroupData& data);
    int UpdateGroupData(const std::string& strOldName, const ContactGroupData& data);
    bool RemoveGroup(const std::string& strName);
    bool RemoveAllGroup();
    int MyInsertGroup(const GroupData& group, bool bSave);
    int MyAddGroup(const ContactGroupData& data, int nId);
    bool MyCreateDefaultGroup();
    // The next id of the group id generator; -1 when there is none or the ids are used up.
    int MyGenGroupId() { return m_pIdGenerator ? m_pIdGenerator->GenId() : -1; }

    // ---- caller matching: exact equality of a mobile, office or other number, first match in name order
    // (answered from an index of the numbers, not by walking the list)
    ItemData* MyFindContactByNumber(const std::string& strNumber, const std::string& strExtra);
    std::string GetContactNameByPhoneNumber(const char* pNumber);
    bool GetContactDataByNumber(ContactGeneralItemData* pData, const char* pNumber);
    bool IsBlackContactNumber(const char* pNumber);
    // The contact's ring when its file exists, else its group's ring as stored; "" for no match.
    std::string GetContactRingByNumber(const char* pNumber, const char* pExtra);
    // The stored photo path, whether or not the file exists.
    std::string GetContactImageByNumber(const char* pNumber, const char* pExtra);
    // The ring of the named contact's group, as stored; "" for an unknown name.
    std::string GetGroupRingByContact(const std::string& strName);

    // ---- lookups and conversions
    ItemData* MyFindContact(const std::string& strName) const;
    GroupData* MyFindGroupById(int nId) const;
    GroupData* MyFindGroupByDisplayName(const std::string& strName) const;
    int MyGName2Id(const std::string& strName) const;
    std::string MyGId2Name(int nId) const;
    GroupData* MyFindGDataByIndex(int nIndex) const;
    static bool MyIsGroupReadOnly(int nId);
    // "All Contacts" (id 0) or "Blacklist" (id 1) as a fresh read-only group.
    static GroupData MyBuiltInGroup(int nId);
    // The rule both loads (at start and in the background) apply to a group read from a file. A built-in
    // group gets its fixed name back (true when it had to change); a user group that carries a built-in
    // group's name is refused wherever it stands in the file, since the built-in group keeps that name.
    static bool MyRepairBuiltInName(GroupData& group);
    static bool MyTakesBuiltInName(const GroupData& group);
    bool MyID2CGID(ContactGeneralItemData* pOut, const ItemData& in) const;
    // MyID2CGID with the group name already known.
    static bool MyFillContactRecord(ContactGeneralItemData* pOut, const ItemData& in,
                                    const std::string& strGroupName);
    const ItemList& MyGetItemList() const { return m_listItem; }
    static bool MyCGID2ID(ItemData* pOut, int nGroupId, const ContactGeneralItemData& in, bool bFavorate);
    static bool MyGD2CGD(ContactGroupData* pOut, const GroupData& in);
    static bool MyCGD2GD(GroupData* pOut, int nId, const ContactGroupData& in);
    // Every text of a record brought to the form the files can carry (XmlSafeText.h). The record-in forms
    // answer the record itself when it already is, else the cleaned copy they wrote to *pClean.
    static const ContactGeneralItemData& MyXmlSafeRecord(const ContactGeneralItemData& data,
                                                         ContactGeneralItemData* pClean);
    static const ContactGroupData& MyXmlSafeRecord(const ContactGroupData& data, ContactGroupData* pClean);
    static void MyMakeXmlSafe(ItemData& item);
    static void MyMakeXmlSafe(GroupData& group);
    bool MyClearContactList();
    bool MyClearGroupList();

    static bool CompareItem(const ItemData& a, const ItemData& b);
    static bool CompareGroup(const GroupData& a, const GroupData& b);

    // Takes the background reload's lists, and passes finished searches on to their receivers.
    void OnTaskActionCallback(NS_TA::CTaskAction* pTaskAction) override;

private:
    friend class ContactGeneralModelTestPeer;
    friend class CContactGeneralSearchHelper;

    // One background search request, kept while the search action is busy.
    struct SearchRequest {
        std::string strKey;
        int nGroupId = -1;
        int nBeginIndex = 0;
        int nCount = 0;
        bool bShowMutlNumber = false;
        NS_TA::CTaskActionCallbackBase* pReceiver = nullptr;
        std::uint64_t nReceiverSerial = 0;
    };

    CContactGeneralModel();
    ~CContactGeneralModel() override;

    bool MyInit();
    bool MyFinal();

    // Runs body; an allocation failure records -50 and gives the failure value instead.
    template <class TResult, class TBody>
    static TResult MyNoThrow(TResult failure, TBody&& body) {
        try {
            return body();
        } catch (const std::bad_alloc&) {
            CommonUnits_SetErrorId(CONTACT_RESULT_NO_MEMORY);
            return failure;
        }
    }
    // Records -13 and answers true while a background reload runs.
    bool MyRefuseWhenBusy() const;
    // Record the code and answer false or -1.
    static bool MyRefuse(int nCode);
    static int MyRefuseInt(int nCode);

    // ---- contact store internals
    // Room for one more contact in the group's side of the limits (-7 or -8 recorded when full).
    bool MyCheckRoomFor(int nGroupId) const;
    // Room for a contact moving between groups; only a move across the blacklist needs it.
    bool MyCheckCrossing(int nFromId, int nToId) const;
    // Where a contact of this name belongs in name order; false (and -2 recorded) when the name is taken.
    bool MyFindContactSlot(const std::string& strName, size_t* pSlot) const;
    int MyPositionCount(size_t nSlot, int nGroupId) const;
    // Files the contact at the slot and tells the call log its name.
    void MyAdmitContact(size_t nSlot, std::unique_ptr<ItemData> pItem);
    // MyImportContact while a batch is open: false (and -2 recorded) when the name is taken.
    bool MyAdmitToImportBatch(const ItemData& item);
    bool MyIsNameInSortedHead(const std::string& strName) const;
    // A contact read from a file: an unknown group (not among the sorted ids) becomes group 0.
    bool MyTakeLoadedContact(std::unique_ptr<ItemData> pItem, const std::vector<int>& listGroupIds);
    std::vector<int> MySortedGroupIds() const;
    static bool MyHoldsGroupId(const std::vector<int>& listSortedIds, int nId) {
        // Ids from 0 up without a gap sit at their own index; any other is searched for.
        const auto nIndex = static_cast<size_t>(nId);
        return (nId >= 0 && nIndex < listSortedIds.size() && listSortedIds[nIndex] == nId) ||
               std::binary_search(listSortedIds.begin(), listSortedIds.end(), nId);
    }
    size_t MyContactIndex(const ItemData* pItem) const;
    // Index of the contact named exactly so; the list size when none.
    size_t MyFindContactExact(const std::string& strName) const;
    void MyRemoveContactsAt(const std::vector<size_t>& listIndexes, bool bMobileFirst);
    void MyChangeContactGroup(ItemData& item, int nGroupId);
    bool MyMoveGroupContacts(const std::vector<int>& listFromIds, int nToId);
    void MyUpdateContactInPlace(ItemData& item, int nTargetId, const ContactGeneralItemData& data);
    int MyRenameContact(size_t nIndex, int nTargetId, const ContactGeneralItemData& data);
    bool MyMarkFavorates(std::list<std::string>& listNames, bool bFavorate);
    // The number index follows every contact that enters or leaves the list or changes its numbers; a file
    // load indexes the whole list once at its end instead (MyRebuildNumberIndex).
    void MyIndexNumbers(ItemData& item);
    void MyRebuildNumberIndex();
    void MyUnindexNumbers(const ItemData& item);
    // Whether a comes before b in the list (name order ignoring case, then list position).
    bool MyComesBefore(const ItemData& a, const ItemData& b) const;
    void MyResetSearchKeys();

    // ---- search internals
    bool MySearchIn(ContactGeneralSearchItemListData* pData, const std::string& strAction,
                    const std::string& strKey, bool bShowMutlNumber);
    bool MyRequestSearch(const SearchRequest& request);
    bool MyStartSearch(const SearchRequest& request);
    void MyTakeSearchAnswer(NS_TA::CTaskAction* pAction);
    std::shared_ptr<const CContactSearchSnapshot> MyGetSearchSnapshot();
    void MyTakeReloadAnswer(CContactLocalSaveAction* pAction);

    // ---- group store internals
    // Where a group of this name goes among the user groups; false (and -1 recorded) when the name is taken.
    bool MyFindGroupSlot(const std::string& strName, size_t* pSlot) const;
    void MyRepairBuiltInGroups(bool* pRepaired);

    // ---- file internals
    // Removes what saves cut short (a crash, a power cut) left beside the three files the model writes in
    // /config/data/ and beside the update mark, only names of the exact pattern the atomic write gives its
    // temporary files, and logs how many went.
    void MyRemoveStaleTempFiles();
    void MyBuildGroupDocument(pugi::xml_document& doc) const;
    bool MyWriteDocument(const pugi::xml_document& doc, const std::string& strPath);
    // bRawWhiteSpace: the attribute values were parsed with white space left raw (CContactFileFormat).
    bool MyLoadGroupElements(const pugi::xml_document& doc, bool bRawWhiteSpace, bool* pRewrite,
                             int* pHighestId);
    // Arms the save timer while a file is out of date or the update mark unwritten, else kills it.
    void MyScheduleSaveRetry();
    void MyClearMenuList();
    // A page of all contacts (the blacklist left out) started from the blacklist's spots in the list
    // instead of a walk of every contact before the window. Answers the total or -1 for a refused window.
    int MyCopyAllContactsPage(ContactGeneralItemListData* pList, const std::string& strIcon) const;
    // The indexes in m_listItem of the blacklisted contacts, ascending. They are checked against the list
    // before every use (as many spots as blacklisted contacts, each still one) and found again when stale,
    // so no edit has to keep them.
    const std::vector<size_t>& MyBlacklistSpots() const;
    bool MyBlacklistSpotsHold() const;

    static CContactGeneralModel* m_pInst;

    GroupList m_listGroup;
    ItemList m_listItem;
    std::unique_ptr<CRIdGenerator> m_pIdGenerator;
    std::unique_ptr<CContactNumberIndex> m_pNumberIndex;     // null (out of memory at start): lookups walk
    bool m_bIndexDeferred = false;                           // a file load runs: indexed at its end
    CContactGeneralSearchHelper* m_pSearchHelper = nullptr;  // owned; attached by the search engine
    std::unique_ptr<MenuItemList> m_pMenuList;
    CLocalContactSearchAction* m_pSearchAction = nullptr;  // the one background search action
    int m_nMaxGroupCount = -1;
    int m_nMaxContactCount = -1;
    int m_nMaxBlackCount = -1;
    int m_nCurrentBlackCount = 0;
    mutable std::vector<size_t> m_listBlacklistSpots;  // see MyBlacklistSpots()
    int m_nCurrentFavorateCount = 0;
    bool m_bGroupDirty = false;
    bool m_bContactDirty = false;
    bool m_bMarkUnwritten = false;  // the last write of the update mark failed
    bool m_bReloadByHttp = false;
    // Background reloads accepted and not answered yet, numbered in the order they were accepted;
    // m_bReloadByHttp is set exactly while there is one.
    struct ReloadTicket {
        const CContactLocalSaveAction* pAction;
        std::uint64_t nSerial;
    };
    std::vector<ReloadTicket> m_listReloads;
    std::uint64_t m_nLastReloadSerial = 0;   // of the reload accepted last
    std::uint64_t m_nTakenReloadSerial = 0;  // of the answer swapped in last
    // Background search: the request running (with its receiver) and the newest one waiting behind it.
    bool m_bSearchRunning = false;
    SearchRequest m_runningSearch;
    std::unique_ptr<SearchRequest> m_pWaitingSearch;
    // The copy of the store background searches walk; dropped whenever contacts or groups change.
    std::shared_ptr<const CContactSearchSnapshot> m_pSearchSnapshot;
    // The open import batch: contacts from m_nImportSorted on are not in name order yet; their names are
    // in m_setImportNames, folded to lower case as strcasecmp compares them.
    bool m_bImportBatch = false;
    size_t m_nImportSorted = 0;
    std::unordered_set<std::string> m_setImportNames;
    CallLogUpdateData m_callLogNames;  // reused by every insertion
};

}  // namespace NS_DIRECTORY
