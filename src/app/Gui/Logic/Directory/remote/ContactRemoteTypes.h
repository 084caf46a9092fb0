#pragma once
// Records the remote phonebook fills for the GUI: plain copyable values whose construction equals Reset().
// Page records carry the wanted window in and the size of the whole selection out.

#include <list>
#include <string>
#include <vector>

namespace NS_DIRECTORY {

// Results of the remote list operations.
enum RemoteListStatus : int {
    REMOTE_LIST_OK = 0,
    REMOTE_LIST_DOWNLOADING = 1,
    REMOTE_LIST_DOWNLOAD_FAILED = 2,
    REMOTE_LIST_NO_URL = 3,
    REMOTE_LIST_NO_SLOT = 4,
    REMOTE_LIST_NOTHING_THERE = 5,  // no URL, no current node, or no soft key with that character
    REMOTE_LIST_CANCELED = 8,
    REMOTE_LIST_TOO_DEEP = 9,
    REMOTE_LIST_BAD_REQUEST = 11,  // bad argument, unknown node, or a node state without a list
};

// Kinds of listed item.
enum RemoteListItemType : int {
    REMOTE_ITEM_NONE = 0,
    REMOTE_ITEM_MENU = 1,
    REMOTE_ITEM_ENTRY = 2,
};

// One item of a remote list as the GUI shows it.
struct ContactRemoteItemData {
    int m_eType = REMOTE_ITEM_NONE;
    std::string m_strDisplayName;
    std::list<std::string> m_listNumber;  // in document order; empty for menus
    std::string m_strExtra;               // the GUI's own; never set here

    void Reset() { *this = ContactRemoteItemData(); }
};

struct ContactRemoteListData {
    std::list<ContactRemoteItemData> m_listData;
    int m_nIndexFrom = 0;
    int m_nCountToGet = 0;
    int m_nSelectedIndex = 0;
    int m_nTotalCount = 0;
    bool m_bHasNextPage = false;  // paging only
    bool m_bHasPrevPage = false;  // paging only

    void Reset() { *this = ContactRemoteListData(); }
};

// One search result: an entry (type 2) or a menu (type 1).
struct RemoteSearchItemData {
    std::string m_strName;
    int m_eType = REMOTE_ITEM_NONE;
    std::vector<std::string> m_vecNumber;

    void Reset() { *this = RemoteSearchItemData(); }
};

// A search request (key and window in) and its answer (results appended, number of matches out).
struct RemoteSearchListData {
    std::list<RemoteSearchItemData> m_listData;
    std::string m_strKey;
    int m_nIndexFrom = 0;
    int m_nCountToGet = 0;
    int m_nTotalCount = 0;

    void Reset() { *this = RemoteSearchListData(); }
};

}  // namespace NS_DIRECTORY
