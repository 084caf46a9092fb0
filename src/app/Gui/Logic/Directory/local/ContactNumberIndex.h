#pragma once
// Which local contacts carry a number (mobile, office or other, exact bytes), so that caller matching
// need not walk the whole phone book. The model keeps it in step with every change of a contact's numbers
// and of the contact list.
// Compact on purpose: four bytes per number in an open-addressing table (20 bits name the contact in a side
// table of contacts, 12 bits of the number's hash turn away most other numbers before a contact is read)
// plus one pointer per contact with numbers. Past a million contacts with numbers it stands aside
// (IsUsable() false until Clear()) and callers walk the list instead.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

class CContactNumberIndex {
public:
    using ItemData = CContactGeneralModel::ItemData;

    // The contacts carrying one number, in no particular order; a contact may come more than once.
    class Matches {
    public:
        // False when there is no further contact.
        bool Next(ItemData** ppItem);

    private:
        friend class CContactNumberIndex;
        Matches(const CContactNumberIndex& index, const std::string& strNumber);

        const CContactNumberIndex& m_index;
        const std::string& m_strNumber;
        std::uint32_t m_nTag = 0;
        std::size_t m_nPos = 0;
        bool m_bDone = true;
    };

    // Indexes the contact's non-empty numbers. The contact must stay where it is and keep those numbers
    // until it is removed again. Out of memory, the index stands aside (as past its size) until Clear().
    void Add(ItemData& item);
    // Forgets the contact; its numbers must still be those it was added with.
    void Remove(const ItemData& item);
    void Clear();
    // Indexes every contact of the list afresh in one pass, the table sized for them (loads and reloads).
    void Rebuild(const CContactGeneralModel::ItemList& listItem);
    bool IsUsable() const { return m_bUsable; }
    // strNumber must outlive the answer.
    Matches Find(const std::string& strNumber) const { return Matches(*this, strNumber); }
    // Bytes held by the table and the side table.
    std::size_t GetHeldBytes() const;

private:
    std::uint32_t MyFindId(const ItemData& item) const;
    void MyAdd(ItemData& item, std::size_t nNumbers);
    bool MyAllocId(ItemData& item, std::uint32_t* pId);
    void MyInsertSlot(std::uint64_t nHash, std::uint32_t nId);
    void MyEraseSlot(std::uint64_t nHash, std::uint32_t nId);
    void MyRehash(std::size_t nCapacity);
    void MyStandAside();
    std::size_t MyHome(std::uint64_t nHash) const;

    std::vector<std::uint32_t> m_listSlots;    // 0 empty, kTombstone erased, else tag and id + 1
    std::vector<ItemData*> m_listContacts;     // by id; null for a free id
    std::vector<std::uint32_t> m_listFreeIds;  // ids to hand out again
    std::size_t m_nEntries = 0;                // numbers in the table
    std::size_t m_nTombstones = 0;             // erased slots not yet reclaimed
    bool m_bUsable = true;
};

}  // namespace NS_DIRECTORY
