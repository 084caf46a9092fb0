#pragma once
// Incremental search over the remote phonebook tree. It remembers the last key, scope and every match, so
// a key grown by one character (one byte, or the bytes of one UTF-8 letter) narrows the remembered
// matches and a repeated key only copies a window. Text keys match names ignoring case and accents in
// every script; digit keys match numbers and the names' keypad digits (the host's rules).
// Thread-safe: its own lock is always taken before the model's m_csLock, never after.
// Memory is used only while the tree has not changed since it was filled; any change searches afresh.

#include <list>
#include <string>

#include "BaseHelper.h"
#include "ContactRemoteItem.h"
#include "ContactRemoteTypes.h"

namespace NS_DIRECTORY {

class CContactRemoteModel;

// Name and type 1 of a menu; false for null arguments.
bool CRM2RSID(RemoteSearchItemData* pData, const ContactRemoteMenu* pMenu);
// Name, type 2 and every number of an entry; false for null arguments.
bool CRU2RSID(RemoteSearchItemData* pData, ContactRemoteUnit* pUnit);

class CContactRemoteSearchHelper {
public:
    enum SearchType : int { SEARCH_TYPE_NONE = 0, SEARCH_TYPE_T9 = 1, SEARCH_TYPE_TEXT = 2 };

    // With a null owner the engine searches the live model singleton, holding it with a worker lease.
    explicit CContactRemoteSearchHelper(CContactRemoteModel* pOwner = nullptr);
    CContactRemoteSearchHelper(const CContactRemoteSearchHelper&) = delete;
    CContactRemoteSearchHelper& operator=(const CContactRemoteSearchHelper&) = delete;

    // Fills the record's window and total for its key within the scope (a node key, or "<URL>All" for the
    // whole tree). False for a null record, an empty scope or key, no model, or an unusable window.
    bool SearchLocal(RemoteSearchListData* pData, const std::string& strUrl);
    // Appends the matching entries below the node (a RemoteTree node), depth first. Caller holds both locks.
    void SearchNode(const std::string& strKey, void* pNode);
    void ResetKey();

private:
    bool MyIsMatched(ContactRemoteUnit* pUnit, const std::string& strKey, bool bTryNumbers);
    bool MyIsResultMatched(const RemoteSearchItemData& item, const std::string& strKey) const;
    bool MyIsDigitsMatched(const std::string& strNameDigits, const RemoteSearchItemData& item,
                           const std::string& strKey) const;
    void MyNarrowWithNameDigits(const std::string& strKey);
    bool MyIsFromLastSearch(const std::string& strKey, const std::string& strUrl);
    bool MyIsNarrowing(const std::string& strKey, const std::string& strUrl) const;
    bool MyReSearchLocal(RemoteSearchListData* pData, const std::string& strUrl);
    bool MySearchModel(CContactRemoteModel* pModel, const std::string& strKey, const std::string& strUrl);
    bool MySearchFromResult(RemoteSearchListData* pData, const std::string& strUrl);
    bool MyCopyResult(RemoteSearchListData* pData, const std::string& strUrl);
    bool MyTreeUnchanged() const;

    CContactRemoteModel* const m_pOwner;
    int m_eSearchType;
    std::list<RemoteSearchItemData> m_listResult;
    // While m_bNameDigits: the keypad digits of each remembered name, in step with m_listResult, kept from
    // the digit-key search that found them so narrowing does not work them out again.
    std::list<std::string> m_listNameDigits;
    bool m_bNameDigits = false;
    std::string m_strLastKey;
    std::string m_strLastUrl;
    unsigned long long m_nTreeRevision;  // of the tree m_listResult was taken from
    ETL_BaseHelper::chCriticalSection m_csLock;
};

}  // namespace NS_DIRECTORY
