#pragma once
// Which directory entries of the remote tree carry a number (exact bytes), in the tree's index order, so
// that caller lookup need not visit every node of a large tree. It is a picture of the tree as it was when
// built: its owner builds it again once the tree's index changed, and guards it with the tree's lock.
// Compact: eight bytes per number (a 32-bit hash and a position) and a pointer per entry.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ContactRemoteModel.h"

namespace NS_DIRECTORY {

class CRemoteNumberIndex {
public:
    using RemoteTree = CContactRemoteModel::RemoteTree;
    using TinyNode = RemoteTree::TinyNode;

    // Whether the picture still shows the tree: nothing was indexed in it or dropped from it since.
    bool IsCurrent(const RemoteTree& tree) const {
        return m_bBuilt && m_nIndexChanges == tree.GetIndexChanges();
    }
    // Takes the picture: every node whose item is a directory entry, with the entry's numbers. Out of
    // memory it throws std::bad_alloc and is left empty (not current).
    void Build(RemoteTree& tree);
    void Clear();
    // The nodes whose entry carried the number when built, in index order. Some may carry another number
    // of the same hash: callers compare the numbers themselves.
    std::vector<TinyNode*> Candidates(const std::string& strNumber) const;

private:
    static std::uint32_t MyHash(const std::string& strNumber);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_listByHash;  // (hash, position), sorted
    std::vector<TinyNode*> m_listNodes;                                 // by position: index order
    unsigned long long m_nIndexChanges = 0;
    bool m_bBuilt = false;
};

}  // namespace NS_DIRECTORY
