#pragma once
// Incremental type-ahead search over the local contacts. A search remembers its key, group and matches;
// the next key that adds one character (one byte, or the bytes of one UTF-8 letter such as "ж")
// filters those matches instead of scanning every contact, and the same key again only pages through
// them. Names match ignoring case and accents in every script, digit keys also match the names' keypad
// digits; both come from the host, whose match holds for every prefix of a matching key. The matches point
// into the source searched, so whoever owns the helper calls ResetKey whenever that source changes. This file
// also holds the two sources a search walks: the store itself (GUI thread) and a copy of it taken for
// searches on a worker.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ContactGeneralModel.h"
#include "ContactGeneralTypes.h"

namespace NS_DIRECTORY {

// The contacts a search walks, in the store's order, and their conversion into GUI records.
class CContactSearchSource {
public:
    virtual ~CContactSearchSource() = default;
    virtual size_t GetContactCount() const = 0;
    virtual const CContactGeneralModel::ItemData& GetContact(size_t nIndex) const = 0;
    // False when the contact's group has no name (the contact is then left out of pages).
    virtual bool Convert(ContactGeneralItemData* pOut, const CContactGeneralModel::ItemData& item) const = 0;
};

// A copy of the contacts and group names, taken on the GUI thread and never changed afterwards, so a
// worker may search it while the store is edited.
class CContactSearchSnapshot : public CContactSearchSource {
public:
    CContactSearchSnapshot(std::vector<CContactGeneralModel::ItemData> listItem,
                           std::vector<std::pair<int, std::string>> listGroupNames);

    size_t GetContactCount() const override { return m_listItem.size(); }
    const CContactGeneralModel::ItemData& GetContact(size_t nIndex) const override {
        return m_listItem[nIndex];
    }
    bool Convert(ContactGeneralItemData* pOut, const CContactGeneralModel::ItemData& item) const override;

private:
    const std::vector<CContactGeneralModel::ItemData> m_listItem;
    const std::vector<std::pair<int, std::string>> m_listGroupNames;  // sorted by id
};

class CContactGeneralSearchHelper {
public:
    enum SearchType : int { SEARCH_TYPE_NONE = 0, SEARCH_TYPE_T9 = 1, SEARCH_TYPE_NAME = 2 };

    // Searches the local store (GUI thread); false when the model does not exist.
    bool Search(ContactGeneralSearchItemListData* pOut, int nGroupId, const std::string& strKey,
                bool bShowMultNumber);
    // Searches the given source. Group 0 is every contact outside the blacklist. An empty key forgets the
    // memory and answers true with the record untouched. A begin index past the last candidate answers
    // false (an empty first page is still a true answer with total 0).
    bool Search(const CContactSearchSource& source, ContactGeneralSearchItemListData* pOut, int nGroupId,
                const std::string& strKey, bool bShowMultNumber);
    // Forgets the keys and matches; the group stays.
    void ResetKey();

    const std::string& GetLastKey() const { return m_strLastKey; }
    int GetSearchType() const { return m_nSearchType; }

private:
    bool MyReSearch(const CContactSearchSource& source, ContactGeneralSearchItemListData* pOut, int nGroupId,
                    const std::string& strLowerKey, bool bShowMultNumber);
    bool MySearchFromResult(const CContactSearchSource& source, ContactGeneralSearchItemListData* pOut,
                            int nGroupId, const std::string& strLowerKey, bool bShowMultNumber);
    bool MyCopyResult(const CContactSearchSource& source, ContactGeneralSearchItemListData* pOut,
                      int nGroupId, const std::string& strLowerKey, bool bShowMultNumber);
    bool MyCanNarrow(const std::string& strLowerKey, int nGroupId) const;
    // The first field of the contact, from nFirstField on, that holds the key; -1 when none does.
    int MyMatchingField(const CContactGeneralModel::ItemData& item, int nGroupId,
                        const std::string& strLowerKey, int nFirstField) const;
    bool MyPageWindow(const ContactGeneralSearchItemListData& out, bool bShowMultNumber, int* pFrom,
                      int* pTo) const;

    std::string m_strLastKey;     // lower-cased key of the remembered matches
    std::string m_strCurrentKey;  // the key of the search in progress, as typed
    int m_nGroupId = -1;
    int m_nSearchType = SEARCH_TYPE_NONE;
    // A match remembers the first field that held the key: a longer key cannot be held by a field before it.
    struct Match {
        const CContactGeneralModel::ItemData* pItem;
        int nField;
    };
    std::vector<Match> m_listMatches;
};

}  // namespace NS_DIRECTORY
