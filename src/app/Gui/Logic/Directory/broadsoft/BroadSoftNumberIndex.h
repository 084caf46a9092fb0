#pragma once
// Which entries of the combined network directory list carry a number (a Personal entry's number; a
// member's extension, number and mobile; a Common or custom entry's number), by position, so that caller
// lookup need not read every entry of a large directory. It is a picture of the list as it was when built:
// its owner builds it again once the list may have changed, and guards it with the lists' lock.
// Compact: eight bytes per number (a 32-bit hash and a position).

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ContactBroadSoftModel.h"

namespace NS_DIRECTORY {

class CBroadSoftNumberIndex {
public:
    // The owner's marks of the list: together they move on with every change of it.
    struct Stamp {
        unsigned long long nRevision = 0;
        unsigned long long nBuilds = 0;
        bool operator==(const Stamp& other) const {
            return nRevision == other.nRevision && nBuilds == other.nBuilds;
        }
    };
    // Whether the picture still shows the list: the stamp and the list's storage are as when built.
    bool IsCurrent(const Stamp& stamp, const BroadSoftItemList& listItem) const;
    // Out of memory it throws std::bad_alloc and is left empty (not current).
    void Build(const Stamp& stamp, const BroadSoftItemList& listItem);
    void Clear();
    // The entries that carried the number when built, in list order. Some may carry another number of the
    // same hash: callers compare the numbers themselves.
    std::vector<const ContactBroadSoftItemBase*> Candidates(const std::string& strNumber,
                                                            const BroadSoftItemList& listItem) const;

private:
    void MyAdd(const std::string& strNumber, std::size_t nPosition);
    static std::uint32_t MyHash(const std::string& strNumber);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_listByHash;  // (hash, position), sorted
    Stamp m_stamp;
    const void* m_pStorage = nullptr;
    std::size_t m_nSize = 0;
    bool m_bBuilt = false;
};

}  // namespace NS_DIRECTORY
