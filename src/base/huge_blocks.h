// Large aligned blocks on huge pages.
//
// The first touch of every 4 KB page of fresh memory is a page fault, and on
// some machines (virtual ones above all) a fault costs 10-20 us: the 42 MB
// piece atlas that the GL driver allocates (posix_memalign) and zero-fills
// when a 4000-piece game opens costs 150-200 ms in faults alone, against
// 4 ms when the same memory comes in 2 MB pages. The game's own
// posix_memalign (src/shell/main) serves blocks of kHugeBlockMin bytes or
// more from 2 MB boundaries and marks them for transparent huge pages; the
// block is still the C library's and goes back with free() as before.
//
// Process-wide state, per run: whether the game turned this on (off until
// its main does, so nothing changes for the libraries' static set-up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

constexpr size_t kHugePageBytes = size_t(2) << 20;  // x86-64's transparent huge page
constexpr size_t kHugeBlockMin = size_t(4) << 20;   // smaller blocks stay as asked

// How a posix_memalign(alignment, size) request is served. A request that is
// small, or whose alignment the C library refuses (it answers those itself),
// or that would overflow, passes unchanged with adviseBytes 0. Otherwise the
// block starts on a huge page (alignment at least kHugePageBytes) and its
// first adviseBytes (a multiple of kHugePageBytes) are marked: the whole
// block rounded up to a huge page when that adds at most an eighth of it
// (memory a huge page holds but nobody uses), else only its whole huge pages.
struct THugeBlockPlan {
    size_t alignment = 0;    // bytes, what the allocator is asked for
    size_t size = 0;         // bytes, likewise (at least the request)
    size_t adviseBytes = 0;  // bytes from the block's start marked for huge pages
};
THugeBlockPlan HugeBlock_Plan(size_t alignment, size_t size);

// posix_memalign through `allocate` (the C library's), as planned above when
// huge blocks are on; the same results and error codes as `allocate` itself.
using TAlignedAllocFn = int (*)(void** out, size_t alignment, size_t size);
int HugeBlock_Allocate(TAlignedAllocFn allocate, void** out, size_t alignment, size_t size);

void HugeBlocks_Enable(bool on);  // for the rest of the run
bool HugeBlocks_Enabled();

// For big short-lived buffers of our own that are written once right after
// they are made (the atlas's pages before GL takes them, the mask's code
// plane): a std::vector allocator through posix_memalign, so that in the
// game such a buffer is a huge block too.
template <typename T>
struct THugeBlockAllocator {
    using value_type = T;
    THugeBlockAllocator() = default;
    template <typename U>
    THugeBlockAllocator(const THugeBlockAllocator<U>&) noexcept {}
    T* allocate(size_t n)
    {
        void* p = nullptr;
        if (n > SIZE_MAX / sizeof(T) || posix_memalign(&p, alignof(T) < 64 ? 64 : alignof(T), n * sizeof(T)) != 0)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t) noexcept { std::free(p); }
    // resize(n) leaves new elements as they come (the buffer's writer fills
    // every byte); assign(n, v) and the like still set them.
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... A>
    void construct(U* p, A&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
    template <typename U>
    bool operator==(const THugeBlockAllocator<U>&) const noexcept { return true; }
};
