#pragma once
// Records the local phone book hands to the GUI and takes from it: plain copyable values whose construction
// equals Reset(). Page records carry the wanted window in and the size of the whole selection out.

#include <string>
#include <vector>

namespace NS_DIRECTORY {

// One local contact as the GUI sees it: the group by name, paths in their real form.
struct ContactGeneralItemData {
    std::string m_strDisplayName;
    std::string m_strGroupName;
    std::string m_strOfficeNumber;
    std::string m_strMobileNumber;
    std::string m_strOtherNumber;
    std::string m_strRing;
    std::string m_strDefaultPhoto;
    int m_nLine = 0;
    int m_nSelectedPhoto = 0;

    void Reset() { *this = ContactGeneralItemData(); }
};

struct ContactGroupData {
    std::string m_strDisplayName;
    std::string m_strRing;

    void Reset() { *this = ContactGroupData(); }
};

struct ContactGroupSimpleData {
    std::string m_strDisplayName;
    int m_nGroupId = -1;

    void Reset() { *this = ContactGroupSimpleData(); }
};

// One entry of a directory menu; the local group menu fills the id name, the display name and the click
// action only.
struct MenuItemData {
    std::string m_strIdName;
    std::string m_strDisplayName;
    std::string m_strIconPath;
    std::string m_strFocusIconPath;
    std::string m_strClickAction;
    std::string m_strLongClickAction;
    std::string m_strHint;

    void Reset() { *this = MenuItemData(); }
};

// A page request (m_nIndexFrom, m_nCountToGet in) and its answer (records appended, m_nTotalCount out).
template <class TRecord>
struct ContactPageData {
    std::vector<TRecord> m_listData;
    int m_nIndexFrom = 0;
    int m_nCountToGet = 0;
    int m_nTotalCount = 0;

    void Reset() { *this = ContactPageData(); }
};

struct ContactGeneralItemListData : ContactPageData<ContactGeneralItemData> {};
struct ContactGroupListData : ContactPageData<ContactGroupData> {};
struct ContactGroupSimpleListData : ContactPageData<ContactGroupSimpleData> {};

// One type-ahead search: the wanted window in, the page, the key it answers and the number of matches out.
struct ContactGeneralSearchItemListData {
    std::vector<ContactGeneralItemData> m_listData;
    std::string m_strSearchKey;  // the key as typed, written by a search that produced a page
    int m_nIndexFrom = 0;
    int m_nCountToGet = 0;
    int m_nTotalCount = 0;

    void Reset() { *this = ContactGeneralSearchItemListData(); }
};

}  // namespace NS_DIRECTORY
