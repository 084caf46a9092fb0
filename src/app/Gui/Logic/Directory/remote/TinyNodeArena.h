#pragma once
// Memory for tree nodes made together: each node is cut from a large block right behind the one before,
// instead of being allocated on its own, and a block is freed with the last node cut from it, on whichever
// thread deletes that node. Every piece starts with the block it came from (null for a piece allocated
// alone), so Free() needs nothing but the piece. An arena is used by one thread at a time; the blocks it
// cut outlive it while any of their pieces does.
// Under AddressSanitizer the bytes of a block that belong to no piece (prefixes, padding, the unused end)
// are poisoned, so running over the end of a node is caught as it would be between separate allocations.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TINY_NODE_ARENA_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINY_NODE_ARENA_POISONS 1
#endif
#endif
#ifdef TINY_NODE_ARENA_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace NS_DIRECTORY {

class TinyNodeArena {
public:
    // The first block holds nFirstBlockBytes of pieces (see PieceBytes); blocks after it hold what is
    // needed, at least kMinBlockBytes.
    explicit TinyNodeArena(std::size_t nFirstBlockBytes) : m_nNextBlockBytes(nFirstBlockBytes) {}
    ~TinyNodeArena() { MyDropBlock(); }
    TinyNodeArena(const TinyNodeArena&) = delete;
    TinyNodeArena& operator=(const TinyNodeArena&) = delete;

    // What a piece of nBytes takes of a block.
    static constexpr std::size_t PieceBytes(std::size_t nBytes) { return kPrefix + MyRoundUp(nBytes); }

    // nBytes aligned for any object, cut from the current block or a new one; throws std::bad_alloc.
    void* Allocate(std::size_t nBytes) {
        const std::size_t nPiece = PieceBytes(nBytes);
        if (m_pBlock == nullptr || m_nFree < nPiece) {
            MyStartBlock(nPiece);
        }
        char* pPiece = m_pNext;
        m_pNext += nPiece;
        m_nFree -= nPiece;
        m_pBlock->nHolds.fetch_add(1, std::memory_order_relaxed);
        void* pMemory = MyStamp(pPiece, m_pBlock);
        MyShow(pMemory, nBytes);
        return pMemory;
    }

    // nBytes aligned for any object, in an allocation of its own; throws std::bad_alloc.
    static void* AllocateAlone(std::size_t nBytes) {
        return MyStamp(static_cast<char*>(::operator new(kPrefix + nBytes)), nullptr);
    }

    // Gives back a piece of Allocate (of any arena, alive or gone) or of AllocateAlone.
    static void Free(void* pMemory) {
        char* pPiece = static_cast<char*>(pMemory) - kPrefix;
        MyShow(pPiece, kPrefix);
        Block* pBlock = *reinterpret_cast<Block**>(pPiece);
        if (pBlock == nullptr) {
            ::operator delete(pPiece);
        } else {
            MyRelease(pBlock);
        }
    }

    static constexpr std::size_t kMinBlockBytes = 4096;

private:
    // Held once by the arena while it cuts from the block, and once by every piece cut from it.
    struct alignas(std::max_align_t) Block {
        std::atomic<std::size_t> nHolds{1};
    };

    static constexpr std::size_t kAlign = alignof(std::max_align_t);
    static constexpr std::size_t kPrefix = kAlign;  // room for the block pointer, keeping the alignment
    static_assert(sizeof(Block*) <= kPrefix, "the prefix holds the block pointer");
    static_assert(sizeof(Block) % kAlign == 0, "pieces after the header stay aligned");

    static constexpr std::size_t MyRoundUp(std::size_t nBytes) {
        return (nBytes + kAlign - 1) / kAlign * kAlign;
    }

    // Writes the piece's prefix, which stays poisoned until Free reads it.
    static void* MyStamp(char* pPiece, Block* pBlock) {
        MyShow(pPiece, kPrefix);
        *reinterpret_cast<Block**>(pPiece) = pBlock;
        MyHide(pPiece, kPrefix);
        return pPiece + kPrefix;
    }

#ifdef TINY_NODE_ARENA_POISONS
    static void MyHide(void* pBytes, std::size_t nBytes) {
        ASAN_POISON_MEMORY_REGION(pBytes, nBytes);
    }
    static void MyShow(void* pBytes, std::size_t nBytes) {
        ASAN_UNPOISON_MEMORY_REGION(pBytes, nBytes);
    }
#else
    static void MyHide(void*, std::size_t) {}
    static void MyShow(void*, std::size_t) {}
#endif

    static void MyRelease(Block* pBlock) {
        if (pBlock->nHolds.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            pBlock->~Block();
            ::operator delete(pBlock);
        }
    }

    void MyStartBlock(std::size_t nPiece) {
        const std::size_t nBytes = std::max(nPiece, m_nNextBlockBytes);
        void* pMemory = ::operator new(sizeof(Block) + nBytes);
        MyDropBlock();
        m_pBlock = ::new (pMemory) Block;
        m_pNext = reinterpret_cast<char*>(m_pBlock) + sizeof(Block);
        m_nFree = nBytes;
        m_nNextBlockBytes = kMinBlockBytes;
        MyHide(m_pNext, nBytes);
    }

    void MyDropBlock() {
        if (m_pBlock != nullptr) {
            MyRelease(m_pBlock);
            m_pBlock = nullptr;
        }
    }

    Block* m_pBlock = nullptr;
    char* m_pNext = nullptr;
    std::size_t m_nFree = 0;
    std::size_t m_nNextBlockBytes;
};

}  // namespace NS_DIRECTORY
