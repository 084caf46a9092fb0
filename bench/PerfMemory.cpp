// The counting allocator of the memory rows: the program's operator new and delete, and pugixml's
// allocation functions, all on malloc, adding what the allocator holds for each block to a running total
// while counting is on (off, they cost one flag test).

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <pugixml.hpp>

#include "PerfSections.h"

namespace {

std::atomic<bool> g_bCounting{false};
std::atomic<long long> g_nLive{0};
std::atomic<long long> g_nPeak{0};

// The chunk the allocator keeps for a block: its usable size and the size word before it.
long long Footprint(void* pBlock) {
    return static_cast<long long>(malloc_usable_size(pBlock)) + static_cast<long long>(sizeof(size_t));
}

void* Counted(void* pBlock) {
    if (pBlock != nullptr && g_bCounting.load(std::memory_order_relaxed)) {
        const long long nLive =
            g_nLive.fetch_add(Footprint(pBlock), std::memory_order_relaxed) + Footprint(pBlock);
        long long nPeak = g_nPeak.load(std::memory_order_relaxed);
        while (nLive > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nLive, std::memory_order_relaxed)) {
        }
    }
    return pBlock;
}

void Release(void* pBlock) {
    if (pBlock != nullptr && g_bCounting.load(std::memory_order_relaxed)) {
        g_nLive.fetch_sub(Footprint(pBlock), std::memory_order_relaxed);
    }
    std::free(pBlock);
}

void* Allocate(std::size_t nSize) {
    void* pBlock = Counted(std::malloc(nSize == 0 ? 1 : nSize));
    if (pBlock == nullptr) {
        throw std::bad_alloc();
    }
    return pBlock;
}

void* AllocateAligned(std::size_t nSize, std::align_val_t alignment) {
    void* pBlock = nullptr;
    if (posix_memalign(&pBlock, static_cast<std::size_t>(alignment), nSize == 0 ? 1 : nSize) != 0) {
        throw std::bad_alloc();
    }
    return Counted(pBlock);
}

void* PugiAllocate(size_t nSize) {
    return Counted(std::malloc(nSize));
}

// pugixml allocates through these from the start, so every document is counted alike.
struct PugiHook {
    PugiHook() { pugi::set_memory_management_functions(&PugiAllocate, &Release); }
} g_pugiHook;

}  // namespace

void* operator new(std::size_t nSize) {
    return Allocate(nSize);
}
void* operator new[](std::size_t nSize) {
    return Allocate(nSize);
}
void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept {
    return Counted(std::malloc(nSize == 0 ? 1 : nSize));
}
void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept {
    return Counted(std::malloc(nSize == 0 ? 1 : nSize));
}
void* operator new(std::size_t nSize, std::align_val_t alignment) {
    return AllocateAligned(nSize, alignment);
}
void* operator new[](std::size_t nSize, std::align_val_t alignment) {
    return AllocateAligned(nSize, alignment);
}
void operator delete(void* pBlock) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, std::size_t) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, std::size_t) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, const std::nothrow_t&) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, const std::nothrow_t&) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, std::align_val_t) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, std::align_val_t) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, std::size_t, std::align_val_t) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, std::size_t, std::align_val_t) noexcept {
    Release(pBlock);
}

namespace perf {

void StartCounting() {
    g_nLive = 0;
    g_nPeak = 0;
    g_bCounting = true;
}

void StopCounting() {
    g_bCounting = false;
}

long long LiveBytes() {
    return g_nLive.load();
}

long long PeakBytes() {
    return g_nPeak.load();
}

void ResetPeak() {
    g_nPeak = g_nLive.load();
}

}  // namespace perf
