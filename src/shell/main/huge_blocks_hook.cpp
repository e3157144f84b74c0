// The game's own posix_memalign: the C library's, with large blocks on huge
// pages (base/huge_blocks.h). The GL driver allocates its textures through
// it; defined in the executable (and exported from it, see CMakeLists) it
// comes first for every library the process loads. Everything else about
// the block stays the C library's: free(), realloc(), its usable size.
//
// Sanitizer builds keep their own allocator's.
#include "base/huge_blocks.h"

#include <dlfcn.h>

#include <atomic>
#include <cerrno>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ZIVRA_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZIVRA_SANITIZED 1
#endif

#ifndef ZIVRA_SANITIZED
namespace {

// The next posix_memalign after ours (the C library's, or a preloaded
// allocator's), found on the first call: any thread may make it, even before
// main, and every one finds the same function.
std::atomic<TAlignedAllocFn> pNextPosixMemalign{nullptr};

TAlignedAllocFn NextPosixMemalign()
{
    TAlignedAllocFn next = pNextPosixMemalign.load(std::memory_order_acquire);
    if (!next) {
        // dlsym may allocate (malloc, never posix_memalign): no recursion.
        next = reinterpret_cast<TAlignedAllocFn>(dlsym(RTLD_NEXT, "posix_memalign"));
        pNextPosixMemalign.store(next, std::memory_order_release);
    }
    return next;
}

}  // namespace

extern "C" int posix_memalign(void** out, size_t alignment, size_t size)
{
    const TAlignedAllocFn next = NextPosixMemalign();
    if (!next)
        return ENOMEM;  // no allocator behind us: cannot happen in a dynamically linked game
    return HugeBlock_Allocate(next, out, alignment, size);
}
#endif
