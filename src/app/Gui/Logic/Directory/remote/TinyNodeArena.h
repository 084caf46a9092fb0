#pragma once
// Memory for tree nodes made together: each node is cut from a large block right behind the one before,
// instead of being allocated on its own, and a block is freed with the last node cut from it, on whichever
// thread deletes that node. Every piece starts with the block it came from (null for a piece allocated
// alone), so Free() needs nothing but the piece. An arena is used by one thread at a time; the blocks it
// cut outlive it while any of their pieces does.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>

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
        return MyStamp(pPiece, m_pBlock);
    }

    // nBytes aligned for any object, in an allocation of its own; throws std::bad_alloc.
    static void* AllocateAlone(std::size_t nBytes) {
        return MyStamp(static_cast<char*>(::operator new(kPrefix + nBytes)), nullptr);
    }

    // Gives back a piece of Allocate (of any arena, alive or gone) or of AllocateAlone.
    static void Free(void* pMemory) {
        char* pPiece = static_cast<char*>(pMemory) - kPrefix;
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

    static void* MyStamp(char* pPiece, Block* pBlock) {
        *reinterpret_cast<Block**>(pPiece) = pBlock;
        return pPiece + kPrefix;
    }

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
