#pragma once
// An index of nodes by their own keys (Node::GetKey(), a string_view that stays valid while the node is
// indexed): one flat open-addressing table of hash and node pointer, so adding a node allocates nothing
// except when the table doubles. Linear probing keeps the table at most half full; an erase shifts the
// entries behind it back, so no slot is ever left marked as deleted. Not synchronised: its owner serialises
// every use.

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

namespace NS_DIRECTORY {

template <class Node>
class FlatNodeIndex {
    struct Slot {
        std::size_t nHash;
        Node* pNode;  // null: free
    };

public:
    // Visits the indexed nodes in the table's order.
    class const_iterator {
    public:
        const_iterator() = default;
        Node* operator*() const { return m_pSlot->pNode; }
        const_iterator& operator++() {
            ++m_pSlot;
            MySkipFree();
            return *this;
        }
        bool operator==(const const_iterator& other) const { return m_pSlot == other.m_pSlot; }
        bool operator!=(const const_iterator& other) const { return m_pSlot != other.m_pSlot; }

    private:
        friend class FlatNodeIndex;
        const_iterator(const Slot* pSlot, const Slot* pEnd) : m_pSlot(pSlot), m_pEnd(pEnd) { MySkipFree(); }
        void MySkipFree() {
            while (m_pSlot != m_pEnd && m_pSlot->pNode == nullptr) {
                ++m_pSlot;
            }
        }

        const Slot* m_pSlot = nullptr;
        const Slot* m_pEnd = nullptr;
    };

    FlatNodeIndex() = default;
    FlatNodeIndex(const FlatNodeIndex&) = delete;
    FlatNodeIndex& operator=(const FlatNodeIndex&) = delete;

    Node* Find(std::string_view key) const {
        if (m_nSize == 0) {
            return nullptr;
        }
        const std::size_t nHash = HashOf(key);
        for (std::size_t nSlot = nHash & m_nMask;; nSlot = (nSlot + 1) & m_nMask) {
            const Slot& slot = m_pSlots[nSlot];
            if (slot.pNode == nullptr) {
                return nullptr;
            }
            if (slot.nHash == nHash && slot.pNode->GetKey() == key) {
                return slot.pNode;
            }
        }
    }

    // Indexes the node under its key unless another node has that key already; false then. May throw
    // std::bad_alloc while growing, and then leaves the index as it was.
    bool Insert(Node* pNode) {
        if ((m_nSize + 1) * 2 > MyCapacity()) {
            MyRehash(MyCapacity() == 0 ? kMinCapacity : 2 * MyCapacity());
        }
        const std::string_view key = pNode->GetKey();
        const std::size_t nHash = HashOf(key);
        std::size_t nSlot = nHash & m_nMask;
        for (; m_pSlots[nSlot].pNode != nullptr; nSlot = (nSlot + 1) & m_nMask) {
            const Slot& slot = m_pSlots[nSlot];
            if (slot.nHash == nHash && slot.pNode->GetKey() == key) {
                return false;
            }
        }
        m_pSlots[nSlot] = Slot{nHash, pNode};
        ++m_nSize;
        return true;
    }

    // Drops the node's key only when it is this very node that the key finds; true when it did.
    bool Erase(const Node* pNode) {
        if (m_nSize == 0) {
            return false;
        }
        const std::size_t nHash = HashOf(pNode->GetKey());
        for (std::size_t nSlot = nHash & m_nMask;; nSlot = (nSlot + 1) & m_nMask) {
            const Slot& slot = m_pSlots[nSlot];
            if (slot.pNode == nullptr) {
                return false;
            }
            if (slot.pNode == pNode) {
                MyEraseSlot(nSlot);
                return true;
            }
        }
    }

    // Drops every node for which drop(node) is true, in one pass over the table. A slot that took an entry
    // shifted back is looked at again; an entry that wrapped round to an earlier slot was looked at already.
    template <class Drop>
    void EraseIf(Drop drop) {
        const std::size_t nCapacity = MyCapacity();
        for (std::size_t nSlot = 0; nSlot < nCapacity;) {
            if (m_pSlots[nSlot].pNode != nullptr && drop(m_pSlots[nSlot].pNode)) {
                MyEraseSlot(nSlot);
            } else {
                ++nSlot;
            }
        }
    }

    void clear() {
        m_pSlots.reset();
        m_nMask = 0;
        m_nSize = 0;
    }

    std::size_t size() const { return m_nSize; }
    const_iterator begin() const { return const_iterator(m_pSlots.get(), m_pSlots.get() + MyCapacity()); }
    const_iterator end() const {
        const Slot* pEnd = m_pSlots.get() + MyCapacity();
        return const_iterator(pEnd, pEnd);
    }

    // The library's string hash, as std::unordered_map would use it.
    static std::size_t HashOf(std::string_view key) { return std::hash<std::string_view>()(key); }

private:
    static constexpr std::size_t kMinCapacity = 16;

    std::size_t MyCapacity() const { return m_pSlots ? m_nMask + 1 : 0; }

    // Into the first free slot from its home; the caller made sure there is one and the key is new.
    void MyPlace(const Slot& entry) {
        std::size_t nSlot = entry.nHash & m_nMask;
        while (m_pSlots[nSlot].pNode != nullptr) {
            nSlot = (nSlot + 1) & m_nMask;
        }
        m_pSlots[nSlot] = entry;
        ++m_nSize;
    }

    void MyRehash(std::size_t nCapacity) {
        std::unique_ptr<Slot[]> pNew(new Slot[nCapacity]());
        std::unique_ptr<Slot[]> pOld = std::move(m_pSlots);
        const std::size_t nOldCapacity = pOld ? m_nMask + 1 : 0;
        m_pSlots = std::move(pNew);
        m_nMask = nCapacity - 1;
        m_nSize = 0;
        for (std::size_t nSlot = 0; nSlot < nOldCapacity; ++nSlot) {
            if (pOld[nSlot].pNode != nullptr) {
                MyPlace(pOld[nSlot]);
            }
        }
    }

    // Frees the slot, then moves back each entry of the run behind it whose home does not lie between the
    // freed slot and the entry itself, so every entry stays reachable from its home without a gap.
    void MyEraseSlot(std::size_t nFree) {
        for (std::size_t nNext = (nFree + 1) & m_nMask; m_pSlots[nNext].pNode != nullptr;
             nNext = (nNext + 1) & m_nMask) {
            const std::size_t nHome = m_pSlots[nNext].nHash & m_nMask;
            const std::size_t nFromHome = (nNext - nHome) & m_nMask;
            const std::size_t nFromFree = (nNext - nFree) & m_nMask;
            if (nFromHome >= nFromFree) {
                m_pSlots[nFree] = m_pSlots[nNext];
                nFree = nNext;
            }
        }
        m_pSlots[nFree] = Slot{0, nullptr};
        --m_nSize;
    }

    std::unique_ptr<Slot[]> m_pSlots;
    std::size_t m_nMask = 0;
    std::size_t m_nSize = 0;
};

}  // namespace NS_DIRECTORY
