#include "base/huge_blocks.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>

namespace {

// Read from any thread inside allocations: an atomic, nothing else.
std::atomic<bool> bHugeBlocksOn{false};

bool ValidAlignment(size_t alignment)
{
    // posix_memalign's own rule: a power of two multiple of sizeof(void*).
    return alignment != 0 && alignment % sizeof(void*) == 0 && (alignment & (alignment - 1)) == 0;
}

}  // namespace

THugeBlockPlan HugeBlock_Plan(size_t alignment, size_t size)
{
    THugeBlockPlan plan{alignment, size, 0};
    if (size < kHugeBlockMin || !ValidAlignment(alignment))
        return plan;
    const size_t whole = size / kHugePageBytes * kHugePageBytes;
    if (whole > SIZE_MAX - kHugePageBytes)
        return plan;  // no room to round up: leave such a request to the allocator
    const size_t rounded = whole == size ? size : whole + kHugePageBytes;
    plan.alignment = alignment > kHugePageBytes ? alignment : kHugePageBytes;
    if (rounded - size <= size / 8) {
        plan.size = rounded;
        plan.adviseBytes = rounded;
    } else {
        plan.adviseBytes = whole;
    }
    return plan;
}

int HugeBlock_Allocate(TAlignedAllocFn allocate, void** out, size_t alignment, size_t size)
{
    if (!bHugeBlocksOn.load(std::memory_order_relaxed))
        return allocate(out, alignment, size);
    const THugeBlockPlan plan = HugeBlock_Plan(alignment, size);
    void* block = nullptr;
    const int err = allocate(&block, plan.alignment, plan.size);
    if (err != 0)
        return err;  // *out untouched, as posix_memalign leaves it
    // Only a hint: where the kernel has no huge pages the block works as it is.
    if (plan.adviseBytes != 0)
        madvise(block, plan.adviseBytes, MADV_HUGEPAGE);
    *out = block;
    return 0;
}

void HugeBlocks_Enable(bool on) { bHugeBlocksOn.store(on, std::memory_order_relaxed); }

bool HugeBlocks_Enabled() { return bHugeBlocksOn.load(std::memory_order_relaxed); }
