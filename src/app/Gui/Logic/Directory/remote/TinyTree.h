#pragma once
// A small ordered tree whose every node also carries a unique key, indexed so that any node is found by key
// in constant time. It has no lock of its own: its owner serialises every use.
// The index hashes keys with the library's string hash, not str_hash: keys of directory entries differ only
// in a trailing number, and str_hash folds such keys onto a few values each. It is a flat table of the nodes
// themselves (see FlatNodeIndex), so a node's key is stored once, in the node's own allocation, and indexing
// a node allocates nothing of its own. Nodes added together may share blocks of memory (see TinyNodeArena).

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "FlatNodeIndex.h"
#include "TinyNodeArena.h"

namespace NS_DIRECTORY {

// h = h * 5 + byte over the bytes of the key, in 32 bits.
struct str_hash {
    std::size_t operator()(const std::string& strKey) const {
        std::uint32_t h = 0;
        for (const char c : strKey) {
            h = h * 5u + static_cast<unsigned char>(c);
        }
        return h;
    }
};

template <class T, class K>
class TinyTree {
public:
    class TinyNode;
    static_assert(std::is_same<K, std::string>::value, "keys are strings");
    using NodeMap = FlatNodeIndex<TinyNode>;

    // A node owns its children; its key stays in the owner's index until the parent (or SetRoot) drops it.
    // The node and the bytes of its key are one piece of memory: made by MyCreate, alone or cut from an
    // arena, and freed by delete either way.
    class TinyNode {
    public:
        ~TinyNode() { RemoveChildren(); }
        TinyNode(const TinyNode&) = delete;
        TinyNode& operator=(const TinyNode&) = delete;
        static void operator delete(void* pMemory) { TinyNodeArena::Free(pMemory); }

        void AddChild(const T& data, const K& key) { AddChild(T(data), key); }

        // Takes the payload over; key may refer into it.
        void AddChild(T&& data, const K& key) {
            std::unique_ptr<TinyNode> pNew(MyCreate(std::move(data), key, m_pOwner, this));
            m_vecChildren.push_back(pNew.get());
            TinyNode* pChild = pNew.release();
            if (m_pOwner != nullptr) {
                m_pOwner->MyIndex(pChild);
            }
        }

        // Adds a child only when no node of the tree has its key yet, with one look-up of the index. The new
        // child takes data over and copies the key; when the key is taken, nothing is added, data is left as
        // it was and the result is null.
        TinyNode* AddUniqueChild(T& data, std::string_view key) { return MyAddUnique(data, key, 0, nullptr); }

        // The same, and the new child's memory also takes over object (see GetTail); when the key is taken,
        // object is left as it was too. With an arena the child is cut from it (a refused one's room stays
        // unused until its block goes); see ChildBytes for sizing the arena.
        template <class U>
        TinyNode* AddUniqueChild(T& data, std::string_view key, U& object, TinyNodeArena* pArena = nullptr) {
            static_assert(std::is_nothrow_move_constructible<U>::value, "moving the object cannot fail");
            static_assert(alignof(U) <= alignof(std::max_align_t), "the allocation aligns the object");
            TinyNode* pNew = MyAddUnique(
                data, key, sizeof(U),
                [](void* pTail, void* pObject) { ::new (pTail) U(std::move(*static_cast<U*>(pObject))); },
                &object, pArena);
            return pNew;
        }

        // The same, with the new child's object of type U made in its memory by make(void* pTail), which may
        // throw (and then nothing is added); when the key is taken, nothing is made.
        template <class U, class Make>
        TinyNode* EmplaceUniqueChild(T& data, std::string_view key, Make& make, TinyNodeArena* pArena) {
            static_assert(alignof(U) <= alignof(std::max_align_t), "the allocation aligns the object");
            return MyAddUnique(
                data, key, sizeof(U), [](void* pTail, void* pMake) { (*static_cast<Make*>(pMake))(pTail); },
                &make, pArena);
        }

        // What a child with a key of nKeyBytes and an object of type U takes of an arena.
        template <class U>
        static constexpr std::size_t ChildBytes(std::size_t nKeyBytes) {
            return TinyNodeArena::PieceBytes(MyTailOffset() + sizeof(U) + nKeyBytes);
        }

        // The object the node was made with, in the node's own allocation, or null. The node never destroys
        // it: whoever deletes the node destroys that object first (without freeing it).
        void* GetTail() const { return m_pTail; }

        // Makes room for nMore children more (growing at least twofold), so adding them moves the vector at
        // most once.
        void ReserveChildren(std::size_t nMore) {
            const std::size_t nWanted = m_vecChildren.size() + nMore;
            if (nWanted > m_vecChildren.capacity()) {
                m_vecChildren.reserve(std::max(nWanted, 2 * m_vecChildren.capacity()));
            }
        }

        void RemoveChildren() {
            for (TinyNode* pChild : m_vecChildren) {
                if (m_pOwner != nullptr) {
                    m_pOwner->MyUnindex(pChild);
                }
                delete pChild;
            }
            m_vecChildren.clear();
        }

        // Takes the children out of the tree: their subtrees leave the index and no longer belong to the
        // tree, so the caller, who now owns them, may delete them later without the owner's lock.
        std::vector<TinyNode*> DetachChildren() {
            std::vector<TinyNode*> vecDetached;
            vecDetached.swap(m_vecChildren);
            std::size_t nDetached = 0;
            for (TinyNode* pChild : vecDetached) {
                nDetached += pChild->MyCountSubtree();
                pChild->m_pParent = nullptr;
            }
            if (m_pOwner != nullptr) {
                m_pOwner->MyUnindexDetached(vecDetached, nDetached);
            }
            return vecDetached;
        }

        TinyNode* GetChild(int nIndex) const {
            if (nIndex < 0 || nIndex >= GetChildCount()) {
                return nullptr;
            }
            return m_vecChildren[static_cast<std::size_t>(nIndex)];
        }
        int GetChildCount() const { return static_cast<int>(m_vecChildren.size()); }
        std::vector<TinyNode*>& GetChildren() { return m_vecChildren; }
        TinyNode* GetParent() const { return m_pParent; }
        void SetParent(TinyNode* pParent) { m_pParent = pParent; }
        T& GetData() { return m_data; }
        std::string_view GetKey() const { return m_key; }
        TinyNode* GetSelf() { return this; }

        // True when this node is a proper ancestor of pNode.
        bool IsChild(const TinyNode* pNode) const {
            if (pNode == nullptr) {
                return false;
            }
            for (const TinyNode* pUp = pNode->m_pParent; pUp != nullptr; pUp = pUp->m_pParent) {
                if (pUp == this) {
                    return true;
                }
            }
            return false;
        }

    private:
        friend class TinyTree;

        TinyNode(T&& data, std::string_view key, TinyTree* pOwner, TinyNode* pParent)
            : m_pParent(pParent), m_pOwner(pOwner), m_data(std::move(data)), m_key(key) {}

        static constexpr std::size_t MyTailOffset() {
            constexpr std::size_t nAlign = alignof(std::max_align_t);
            return (sizeof(TinyNode) + nAlign - 1) / nAlign * nAlign;
        }

        // Room for a tail object of nTailBytes (none when 0) goes right behind the node, and the key's bytes
        // behind that, copied before the payload is taken over (the key may be part of it).
        static TinyNode* MyCreate(T&& data, std::string_view key, TinyTree* pOwner, TinyNode* pParent,
                                  std::size_t nTailBytes = 0, TinyNodeArena* pArena = nullptr) {
            const std::size_t nKeyOffset = nTailBytes == 0 ? sizeof(TinyNode) : MyTailOffset() + nTailBytes;
            const std::size_t nBytes = nKeyOffset + key.size();
            void* pMemory =
                pArena != nullptr ? pArena->Allocate(nBytes) : TinyNodeArena::AllocateAlone(nBytes);
            char* pKey = static_cast<char*>(pMemory) + nKeyOffset;
            if (!key.empty()) {
                std::memcpy(pKey, key.data(), key.size());
            }
            try {
                return ::new (pMemory)
                    TinyNode(std::move(data), std::string_view(pKey, key.size()), pOwner, pParent);
            } catch (...) {
                TinyNodeArena::Free(pMemory);
                throw;
            }
        }

        // A tail object is moved (or made) in only once the child is indexed, so a refused one stays with its
        // caller; a tail that fails to be made takes the child out again.
        TinyNode* MyAddUnique(T& data, std::string_view key, std::size_t nTailBytes,
                              void (*pMoveTail)(void*, void*), void* pObject = nullptr,
                              TinyNodeArena* pArena = nullptr) {
            std::unique_ptr<TinyNode> pNew(
                MyCreate(std::move(data), key, m_pOwner, this, nTailBytes, pArena));
            bool bIndexed = true;
            try {
                m_vecChildren.push_back(pNew.get());
                bIndexed = m_pOwner == nullptr || m_pOwner->MyIndexIfNew(pNew.get());
                if (!bIndexed) {
                    m_vecChildren.pop_back();
                }
            } catch (...) {
                if (!m_vecChildren.empty() && m_vecChildren.back() == pNew.get()) {
                    m_vecChildren.pop_back();
                }
                data = std::move(pNew->m_data);
                throw;
            }
            if (!bIndexed) {
                data = std::move(pNew->m_data);
                return nullptr;
            }
            if (pMoveTail != nullptr) {
                void* pTail = reinterpret_cast<char*>(pNew.get()) + MyTailOffset();
                try {
                    pMoveTail(pTail, pObject);
                } catch (...) {
                    m_vecChildren.pop_back();
                    if (m_pOwner != nullptr) {
                        m_pOwner->MyUnindex(pNew.get());
                    }
                    data = std::move(pNew->m_data);
                    throw;
                }
                pNew->m_pTail = pTail;
            }
            return pNew.release();
        }

        // Leaves, most of a large tree, are counted without a call of their own.
        std::size_t MyCountSubtree() const {
            std::size_t nCount = 1;
            for (const TinyNode* pChild : m_vecChildren) {
                nCount += pChild->m_vecChildren.empty() ? 1 : pChild->MyCountSubtree();
            }
            return nCount;
        }

        // Drops this subtree's keys one by one, and leaves the tree.
        void MyDetachFromOwner() {
            if (m_pOwner != nullptr) {
                m_pOwner->MyUnindex(this);
                m_pOwner = nullptr;
            }
            for (TinyNode* pChild : m_vecChildren) {
                pChild->MyDetachFromOwner();
            }
        }

        void MyLeaveOwner() {
            m_pOwner = nullptr;
            for (TinyNode* pChild : m_vecChildren) {
                if (pChild->m_vecChildren.empty()) {
                    pChild->m_pOwner = nullptr;
                } else {
                    pChild->MyLeaveOwner();
                }
            }
        }

        std::vector<TinyNode*> m_vecChildren;
        TinyNode* m_pParent;
        TinyTree* m_pOwner;
        T m_data;
        std::string_view m_key;
        void* m_pTail = nullptr;
    };

    // Walks the index, not the tree: nodes come in the hash index's order.
    class iterator {
    public:
        iterator() : m_pTree(nullptr) {}
        iterator(TinyTree* pTree, typename NodeMap::const_iterator pos) : m_pos(pos), m_pTree(pTree) {}

        iterator& operator++() {
            ++m_pos;
            return *this;
        }
        bool operator!=(const iterator& other) const { return m_pos != other.m_pos; }
        bool operator==(const iterator& other) const { return m_pos == other.m_pos; }
        T& operator*() const { return MyNode()->GetData(); }
        TinyNode* operator->() const { return MyNode(); }

    private:
        TinyNode* MyNode() const {
            assert(m_pTree != __null);
            TinyNode* pNode = m_pos == m_pTree->m_mapNode.end() ? nullptr : *m_pos;
            assert(pNode != __null);
            return pNode;
        }

        typename NodeMap::const_iterator m_pos;
        TinyTree* m_pTree;
    };

    TinyTree() : m_pRoot(nullptr) {}
    ~TinyTree() {
        MyFreeRoot();
        m_mapNode.clear();
    }
    TinyTree(const TinyTree&) = delete;
    TinyTree& operator=(const TinyTree&) = delete;

    void SetRoot(const T& data, const K& key) {
        MyFreeRoot();
        m_pRoot = TinyNode::MyCreate(T(data), key, this, nullptr);
        MyIndex(m_pRoot);
    }
    TinyNode* GetRoot() const { return m_pRoot; }

    TinyNode* Find(std::string_view key) const { return m_mapNode.Find(key); }

    iterator begin() { return iterator(this, m_mapNode.begin()); }
    iterator end() { return iterator(this, m_mapNode.end()); }
    std::size_t size() const { return m_mapNode.size(); }
    // Grows with every key indexed or dropped: while it stays, the index (and so its order) is unchanged.
    unsigned long long GetIndexChanges() const { return m_nIndexChanges; }

private:
    // A key already indexed keeps pointing at the older node.
    void MyIndex(TinyNode* pNode) {
        ++m_nIndexChanges;
        m_mapNode.Insert(pNode);
    }

    bool MyIndexIfNew(TinyNode* pNode) {
        if (!m_mapNode.Insert(pNode)) {
            return false;
        }
        ++m_nIndexChanges;
        return true;
    }

    // Only the entry that points at this very node goes, so a node added under a duplicate key cannot take
    // the older node's entry with it.
    void MyUnindex(TinyNode* pNode) {
        if (m_mapNode.Erase(pNode)) {
            ++m_nIndexChanges;
        }
    }

    // When much of the tree goes, one sweep over the index (whose entries keep their hash) is cheaper than
    // looking every detached key up again.
    void MyUnindexDetached(const std::vector<TinyNode*>& vecDetached, std::size_t nDetached) {
        if (nDetached * 4 < m_mapNode.size()) {
            for (TinyNode* pNode : vecDetached) {
                pNode->MyDetachFromOwner();
            }
            return;
        }
        for (TinyNode* pNode : vecDetached) {
            pNode->MyLeaveOwner();
        }
        m_mapNode.EraseIf([](const TinyNode* pNode) { return pNode->m_pOwner == nullptr; });
        ++m_nIndexChanges;
    }

    void MyFreeRoot() {
        if (m_pRoot == nullptr) {
            return;
        }
        MyUnindex(m_pRoot);
        delete m_pRoot;
        m_pRoot = nullptr;
    }

    NodeMap m_mapNode;
    TinyNode* m_pRoot;
    unsigned long long m_nIndexChanges = 0;
};

}  // namespace NS_DIRECTORY
