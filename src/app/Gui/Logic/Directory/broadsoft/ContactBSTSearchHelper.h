#pragma once
// Incremental search over the network directory's lists as the user types. It remembers the last key, the
// URL searched ("All Contact" for the combined list) and every match, so a key grown by one character (one
// byte, or the bytes of one UTF-8 letter) narrows the remembered matches and a repeated key, in any letter
// case, only copies another page. Text keys match shown names; digit keys match the number, the mobile, the
// extension and the keypad digits of the shown name (the host's matching rules).
// Memory is used only while no list of the model has changed since it was filled, and narrowing only while
// the kind of key (digits or text) stays the same; otherwise the lists are searched afresh.
// Not locked by itself: the model calls it under its m_csSearch; it takes the model's m_csLock while it
// walks the lists.

#include <cstddef>
#include <string>
#include <vector>

#include "ContactBroadSoftTypes.h"

namespace NS_DIRECTORY {

class CContactBroadSoftModel;

class CContactBSTSearchHelper {
public:
    enum SearchType : int { SEARCH_TYPE_NONE = 0, SEARCH_TYPE_T9 = 1, SEARCH_TYPE_TEXT = 2 };

    explicit CContactBSTSearchHelper(CContactBroadSoftModel* pModel);
    CContactBSTSearchHelper(const CContactBSTSearchHelper&) = delete;
    CContactBSTSearchHelper& operator=(const CContactBSTSearchHelper&) = delete;

    // Appends the page window of the matches of strKey in the list of strUrl. An empty key forgets the last
    // search and leaves the page untouched (true). bTriple widens the window's bound to three times the
    // result size. False for a null page, an empty URL or a window the host refuses.
    bool Search(ContactBroadSoftListData* pList, const std::string& strUrl, const std::string& strKey,
                bool bTriple);
    void ResetKey();

private:
    // Lets the tests see which searches are answered from memory.
    friend class BroadSoftModelPeer;

    // One match of the current key: its record among those the last walk of the lists took, and, for digit
    // keys, the keypad digits of its name, worked out once when the match is taken. Narrowing only drops
    // matches (small ones, kept in order), never records.
    struct ResultItem {
        std::size_t nRecord;
        std::string strNameDigits;
    };

    void MyForgetResult();
    bool MyIsFromLastSearch(const std::string& strKey, const std::string& strUrl) const;
    bool MyIsResultCurrent(const std::string& strUrl) const;
    bool MyReSearch(ContactBroadSoftListData* pList, const std::string& strUrl, const std::string& strKey,
                    bool bTriple);
    bool MySearchFromResult(ContactBroadSoftListData* pList, const std::string& strUrl,
                            const std::string& strKey, bool bTriple);
    bool MyCopyResult(ContactBroadSoftListData* pList, const std::string& strUrl, const std::string& strKey,
                      bool bTriple);
    bool MyIsMatched(const ContactBroadSoftItemData& data, const std::string& strNameDigits,
                     const std::string& strKey) const;
    bool MyWindow(const ContactBroadSoftListData& page, bool bTriple, int* pFrom, int* pTo) const;
    unsigned long long MyModelRevision() const;

    CContactBroadSoftModel* const m_pModel;
    std::string m_strLastKey;  // lower-cased key of the result, "" when none
    std::string m_strRawKey;   // the key as last typed
    std::string m_strUrl;      // what the result was searched in
    int m_eSearchType;
    std::vector<ContactBroadSoftItemData> m_vecRecord;  // the records the last walk of the lists matched
    std::vector<ResultItem> m_listResult;               // the current matches, in list order
    unsigned long long m_nListRevision;                 // of the model's lists when the result was taken
};

}  // namespace NS_DIRECTORY
