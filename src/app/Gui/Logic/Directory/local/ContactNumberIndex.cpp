#include "ContactNumberIndex.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace NS_DIRECTORY {

namespace {

constexpr unsigned kIdBits = 20;
constexpr std::uint32_t kIdField = (1u << kIdBits) - 1;
// An erased slot: the id field all ones, which no contact id (stored plus one) reaches.
constexpr std::uint32_t kTombstone = kIdField;
constexpr std::uint32_t kMaxIds = kIdField - 1;
constexpr std::size_t kMinCapacity = 64;
// Rehash when live and erased slots fill this share of the table; afterwards the live ones fill kRefill.
// A rebuild fills kBulkFill, leaving room for the edits that follow a load.
constexpr double kMaxFill = 0.85;
constexpr double kRefill = 0.6;
constexpr double kBulkFill = 0.75;

std::uint64_t WordAt(const char* pText) {
    std::uint64_t nWord = 0;
    std::memcpy(&nWord, pText, sizeof(nWord));
    return nWord;
}

std::uint64_t MixIn(std::uint64_t nHash, std::uint64_t nWord) {
    nHash = (nHash ^ nWord) * 0x9E3779B97F4A7C15ULL;
    return nHash ^ (nHash >> 29);
}

// Eight bytes at a time (the last eight overlap the word before them), seeded with the length, then a final
// mix so that the high half (the home) and the tag bits both depend on every byte.
inline std::uint64_t HashOf(const std::string& strNumber) {
    const char* pText = strNumber.data();
    const std::size_t nSize = strNumber.size();
    std::uint64_t nHash = 14695981039346656037ULL + nSize;
    if (nSize > 16) {
        for (std::size_t nIndex = 0; nIndex + 8 < nSize; nIndex += 8) {
            nHash = MixIn(nHash, WordAt(pText + nIndex));
        }
        nHash = MixIn(nHash, WordAt(pText + nSize - 8));
    } else if (nSize >= 8) {  // most numbers: two words, overlapping when shorter than sixteen bytes
        nHash = MixIn(MixIn(nHash, WordAt(pText)), WordAt(pText + nSize - 8));
    } else {
        std::uint64_t nWord = 0;
        for (std::size_t nIndex = 0; nIndex < nSize; ++nIndex) {
            nWord = (nWord << 8) | static_cast<unsigned char>(pText[nIndex]);
        }
        nHash = MixIn(nHash, nWord);
    }
    nHash ^= nHash >> 33;
    nHash *= 0xff51afd7ed558ccdULL;
    nHash ^= nHash >> 33;
    return nHash;
}

std::uint32_t TagOf(std::uint64_t nHash) {
    return static_cast<std::uint32_t>(nHash) >> kIdBits << kIdBits;
}

std::uint32_t SlotOf(std::uint64_t nHash, std::uint32_t nId) {
    return TagOf(nHash) | (nId + 1);
}

bool IsLive(std::uint32_t nSlot) {
    return nSlot != 0 && nSlot != kTombstone;
}

std::uint32_t IdOf(std::uint32_t nSlot) {
    return (nSlot & kIdField) - 1;
}

bool Carries(const CContactNumberIndex::ItemData& item, const std::string& strNumber) {
    return item.m_strMobileNumber == strNumber || item.m_strOfficeNumber == strNumber ||
           item.m_strOtherNumber == strNumber;
}

// The non-empty numbers of a contact, mobile first.
template <class TVisit>
void ForEachNumber(const CContactNumberIndex::ItemData& item, TVisit visit) {
    for (const std::string* pNumber :
         {&item.m_strMobileNumber, &item.m_strOfficeNumber, &item.m_strOtherNumber}) {
        if (!pNumber->empty()) {
            visit(*pNumber);
        }
    }
}

std::size_t NumberCount(const CContactNumberIndex::ItemData& item) {
    std::size_t nCount = 0;
    ForEachNumber(item, [&nCount](const std::string&) { ++nCount; });
    return nCount;
}

}  // namespace

inline std::size_t CContactNumberIndex::MyHome(std::uint64_t nHash) const {
    // The hash's high half scaled to the table size (any size, not only powers of two).
    return static_cast<std::size_t>(((nHash >> 32) * m_listSlots.size()) >> 32);
}

CContactNumberIndex::Matches::Matches(const CContactNumberIndex& index, const std::string& strNumber)
    : m_index(index), m_strNumber(strNumber) {
    if (strNumber.empty() || index.m_nEntries == 0) {
        return;
    }
    const std::uint64_t nHash = HashOf(strNumber);
    m_nTag = TagOf(nHash);
    m_nPos = index.MyHome(nHash);
    m_bDone = false;
}

bool CContactNumberIndex::Matches::Next(ItemData** ppItem) {
    const std::vector<std::uint32_t>& listSlots = m_index.m_listSlots;
    while (!m_bDone) {
        const std::uint32_t nSlot = listSlots[m_nPos];
        if (nSlot == 0) {
            m_bDone = true;
            break;
        }
        m_nPos = m_nPos + 1 == listSlots.size() ? 0 : m_nPos + 1;
        if (nSlot != kTombstone && (nSlot & ~kIdField) == m_nTag) {
            ItemData* pItem = m_index.m_listContacts[IdOf(nSlot)];
            if (Carries(*pItem, m_strNumber)) {
                *ppItem = pItem;
                return true;
            }
        }
    }
    return false;
}

void CContactNumberIndex::Add(ItemData& item) {
    const std::size_t nNumbers = NumberCount(item);
    if (!m_bUsable || nNumbers == 0) {
        return;
    }
    try {
        MyAdd(item, nNumbers);
    } catch (const std::bad_alloc&) {
        MyStandAside();
    }
}

void CContactNumberIndex::MyAdd(ItemData& item, std::size_t nNumbers) {
    if (static_cast<double>(m_nEntries + m_nTombstones + nNumbers) >
        kMaxFill * static_cast<double>(m_listSlots.size())) {
        MyRehash(std::max(kMinCapacity,
                          static_cast<std::size_t>(static_cast<double>(m_nEntries + nNumbers) / kRefill)));
    }
    std::uint32_t nId = 0;
    if (!MyAllocId(item, &nId)) {
        MyStandAside();
        return;
    }
    ForEachNumber(item, [&](const std::string& strNumber) { MyInsertSlot(HashOf(strNumber), nId); });
}

void CContactNumberIndex::Remove(const ItemData& item) {
    if (!m_bUsable || m_nEntries == 0 || NumberCount(item) == 0) {
        return;
    }
    const std::uint32_t nId = MyFindId(item);
    if (nId == kMaxIds) {
        return;
    }
    ForEachNumber(item, [&](const std::string& strNumber) { MyEraseSlot(HashOf(strNumber), nId); });
    m_listContacts[nId] = nullptr;
    try {
        m_listFreeIds.push_back(nId);
    } catch (const std::bad_alloc&) {
        // The id is not handed out again; its side-table entry stays empty.
    }
}

// The contacts are walked once: every number is hashed into a list of entries (the hash's high half, which
// places it, beside its slot value) while they are counted; a fresh table of the size they need is then
// filled from that list alone, in the same order, so it comes out as inserting them one by one would make it.
void CContactNumberIndex::Rebuild(const CContactGeneralModel::ItemList& listItem) {
    Clear();
    std::unique_ptr<std::uint64_t[]> pEntries;  // room for three numbers a contact, left uninitialised
    std::size_t nEntries = 0;
    try {
        pEntries.reset(new std::uint64_t[listItem.size() * 3]);
        m_listContacts.reserve(std::min<std::size_t>(listItem.size(), kMaxIds));
        for (const auto& pItem : listItem) {
            if (NumberCount(*pItem) == 0) {
                continue;
            }
            if (m_listContacts.size() == kMaxIds) {
                MyStandAside();
                return;
            }
            const auto nId = static_cast<std::uint32_t>(m_listContacts.size());
            m_listContacts.push_back(pItem.get());
            ForEachNumber(*pItem, [&](const std::string& strNumber) {
                const std::uint64_t nHash = HashOf(strNumber);
                pEntries[nEntries++] = (nHash >> 32 << 32) | SlotOf(nHash, nId);
            });
        }
        if (m_listContacts.capacity() > m_listContacts.size()) {
            m_listContacts.shrink_to_fit();
        }
        const auto nFilled = static_cast<std::size_t>(static_cast<double>(nEntries) / kBulkFill);
        m_listSlots.assign(std::max(kMinCapacity, nFilled + 1), 0);
    } catch (const std::bad_alloc&) {
        MyStandAside();
        return;
    }
    // The fresh table holds no tombstones, and it has room for every entry: nothing below allocates.
    std::uint32_t* const pSlots = m_listSlots.data();
    const std::size_t nCapacity = m_listSlots.size();
    for (std::size_t nIndex = 0; nIndex < nEntries; ++nIndex) {
        const std::uint64_t nEntry = pEntries[nIndex];
        std::size_t nPos = MyHome(nEntry);
        while (pSlots[nPos] != 0) {
            nPos = nPos + 1 == nCapacity ? 0 : nPos + 1;
        }
        pSlots[nPos] = static_cast<std::uint32_t>(nEntry);
    }
    m_nEntries = nEntries;
}

void CContactNumberIndex::Clear() {
    std::vector<std::uint32_t>().swap(m_listSlots);
    std::vector<ItemData*>().swap(m_listContacts);
    std::vector<std::uint32_t>().swap(m_listFreeIds);
    m_nEntries = 0;
    m_nTombstones = 0;
    m_bUsable = true;
}

std::size_t CContactNumberIndex::GetHeldBytes() const {
    return m_listSlots.capacity() * sizeof(std::uint32_t) + m_listContacts.capacity() * sizeof(ItemData*) +
           m_listFreeIds.capacity() * sizeof(std::uint32_t);
}

// The id of an indexed contact, found through its first number; kMaxIds when it is not indexed.
std::uint32_t CContactNumberIndex::MyFindId(const ItemData& item) const {
    const std::string& strFirst = !item.m_strMobileNumber.empty()   ? item.m_strMobileNumber
                                  : !item.m_strOfficeNumber.empty() ? item.m_strOfficeNumber
                                                                    : item.m_strOtherNumber;
    const std::uint64_t nHash = HashOf(strFirst);
    const std::uint32_t nTag = TagOf(nHash);
    for (std::size_t nPos = MyHome(nHash); m_listSlots[nPos] != 0;
         nPos = nPos + 1 == m_listSlots.size() ? 0 : nPos + 1) {
        const std::uint32_t nSlot = m_listSlots[nPos];
        if (IsLive(nSlot) && (nSlot & ~kIdField) == nTag && m_listContacts[IdOf(nSlot)] == &item) {
            return IdOf(nSlot);
        }
    }
    return kMaxIds;
}

bool CContactNumberIndex::MyAllocId(ItemData& item, std::uint32_t* pId) {
    if (!m_listFreeIds.empty()) {
        *pId = m_listFreeIds.back();
        m_listFreeIds.pop_back();
        m_listContacts[*pId] = &item;
        return true;
    }
    if (m_listContacts.size() >= kMaxIds) {
        return false;
    }
    m_listContacts.push_back(&item);
    *pId = static_cast<std::uint32_t>(m_listContacts.size() - 1);
    return true;
}

void CContactNumberIndex::MyInsertSlot(std::uint64_t nHash, std::uint32_t nId) {
    std::size_t nPos = MyHome(nHash);
    while (IsLive(m_listSlots[nPos])) {
        nPos = nPos + 1 == m_listSlots.size() ? 0 : nPos + 1;
    }
    if (m_listSlots[nPos] == kTombstone) {
        --m_nTombstones;
    }
    m_listSlots[nPos] = SlotOf(nHash, nId);
    ++m_nEntries;
}

void CContactNumberIndex::MyEraseSlot(std::uint64_t nHash, std::uint32_t nId) {
    const std::uint32_t nWanted = SlotOf(nHash, nId);
    for (std::size_t nPos = MyHome(nHash); m_listSlots[nPos] != 0;
         nPos = nPos + 1 == m_listSlots.size() ? 0 : nPos + 1) {
        if (m_listSlots[nPos] == nWanted) {
            m_listSlots[nPos] = kTombstone;
            --m_nEntries;
            ++m_nTombstones;
            return;
        }
    }
}

// A fresh table of the given size, refilled from the side table (which drops every tombstone).
void CContactNumberIndex::MyRehash(std::size_t nCapacity) {
    std::vector<std::uint32_t> listOld(nCapacity, 0);
    listOld.swap(m_listSlots);
    m_nEntries = 0;
    m_nTombstones = 0;
    for (std::uint32_t nId = 0; nId < m_listContacts.size(); ++nId) {
        if (const ItemData* pItem = m_listContacts[nId]) {
            ForEachNumber(*pItem,
                          [&](const std::string& strNumber) { MyInsertSlot(HashOf(strNumber), nId); });
        }
    }
}

void CContactNumberIndex::MyStandAside() {
    Clear();
    m_bUsable = false;
}

}  // namespace NS_DIRECTORY
