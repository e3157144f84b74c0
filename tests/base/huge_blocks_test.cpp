#include "base/huge_blocks.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr size_t MB = size_t(1) << 20;

// The kernel's view of the mapping holding `p`: its VmFlags and AnonHugePages (kB).
struct TMappingInfo {
    bool found = false;
    std::string flags;
    long anonHugeKb = 0;
};

TMappingInfo MappingOf(const void* p)
{
    TMappingInfo info;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    const auto at = uintptr_t(p);
    while (std::getline(smaps, line)) {
        unsigned long lo = 0, hi = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &lo, &hi) == 2 && line.find(':') > line.find(' ')) {
            inside = at >= lo && at < hi;
            info.found = info.found || inside;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            info.flags = line.substr(8) + " ";
        } else if (inside && line.rfind("AnonHugePages:", 0) == 0) {
            info.anonHugeKb = std::strtol(line.c_str() + 14, nullptr, 10);
        }
    }
    return info;
}

bool HugePagesOnRequest()
{
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string mode;
    std::getline(f, mode);
    return mode.find("[never]") == std::string::npos && !mode.empty();
}

// What an allocator was asked, and what it answers.
struct TFakeAllocator {
    size_t alignment = 0, size = 0;
    int answer = 0;
    int calls = 0;
};
TFakeAllocator Fake;
alignas(64) char FakeBlock[64];

int FakeAllocate(void** out, size_t alignment, size_t size)
{
    ++Fake.calls;
    Fake.alignment = alignment, Fake.size = size;
    if (Fake.answer == 0)
        *out = FakeBlock;
    return Fake.answer;
}

class HugeBlocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fake = {};
        HugeBlocks_Enable(true);
    }
    void TearDown() override { HugeBlocks_Enable(false); }
};

}  // namespace

TEST(HugeBlockPlan, OnlyLargeValidRequestsChangeAndNeverShrink)
{
    const struct {
        size_t alignment, size;
        size_t wantAlignment, wantSize, wantAdvise;  // 0: the request's own
    } cases[] = {
        {64, kHugeBlockMin - 1, 0, 0, 0},                 // small: as asked
        {16, 100, 0, 0, 0},
        {0, 64 * MB, 0, 0, 0},                            // the C library refuses these itself
        {3, 64 * MB, 0, 0, 0},
        {24, 64 * MB, 0, 0, 0},
        {4, 64 * MB, 0, 0, 0},                            // below sizeof(void*)
        {64, SIZE_MAX - 100, 0, 0, 0},                    // no room to round up
        {64, 8 * MB, kHugePageBytes, 8 * MB, 8 * MB},     // whole huge pages
        {64, 41811968, kHugePageBytes, 40 * MB, 40 * MB}, // an atlas page: 128 KB more
        {64, 7649280, kHugePageBytes, 8 * MB, 8 * MB},    // the field's buffer: 9.7 % more
        {64, 4 * MB + 1, kHugePageBytes, 4 * MB + 1, 4 * MB},  // rounding would add 50 %
        {8 * MB, 16 * MB, 8 * MB, 16 * MB, 16 * MB},      // a larger alignment is kept
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "alignment " << c.alignment << " size " << c.size);
        const THugeBlockPlan p = HugeBlock_Plan(c.alignment, c.size);
        EXPECT_EQ(p.alignment, c.wantAlignment ? c.wantAlignment : c.alignment);
        EXPECT_EQ(p.size, c.wantSize ? c.wantSize : c.size);
        EXPECT_EQ(p.adviseBytes, c.wantAdvise);
        // What any plan keeps: the caller's alignment and bytes, little waste.
        if (c.alignment != 0) {
            EXPECT_EQ(p.alignment % c.alignment, 0u);
        }
        EXPECT_GE(p.size, c.size);
        EXPECT_LE(p.size - c.size, c.size / 8);
        EXPECT_LE(p.adviseBytes, p.size);
        EXPECT_EQ(p.adviseBytes % kHugePageBytes, 0u);
    }
}

TEST_F(HugeBlocks, TheAllocatorIsAskedAsPlannedAndItsAnswerPassesThrough)
{
    void* out = nullptr;
    EXPECT_EQ(HugeBlock_Allocate(FakeAllocate, &out, 64, 41811968), 0);
    EXPECT_EQ(out, FakeBlock);
    EXPECT_EQ(Fake.alignment, kHugePageBytes);
    EXPECT_EQ(Fake.size, 40 * MB);

    // A refusal leaves the caller's pointer alone and keeps its code.
    for (const int err : {ENOMEM, EINVAL}) {
        Fake.answer = err;
        void* untouched = &Fake;
        EXPECT_EQ(HugeBlock_Allocate(FakeAllocate, &untouched, 64, 16 * MB), err);
        EXPECT_EQ(untouched, &Fake);
    }

    // Turned off, every request reaches the allocator exactly as made.
    HugeBlocks_Enable(false);
    Fake = {};
    EXPECT_EQ(HugeBlock_Allocate(FakeAllocate, &out, 64, 41811968), 0);
    EXPECT_EQ(Fake.alignment, 64u);
    EXPECT_EQ(Fake.size, 41811968u);
}

TEST_F(HugeBlocks, ALargeBlockIsAlignedUsableMarkedAndFreedByTheCLibrary)
{
    const size_t size = 24 * MB + 4096;
    void* block = nullptr;
    ASSERT_EQ(HugeBlock_Allocate(posix_memalign, &block, 64, size), 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(uintptr_t(block) % kHugePageBytes, 0u);
    const TMappingInfo before = MappingOf(block);
    ASSERT_TRUE(before.found);
    EXPECT_NE(before.flags.find(" hg "), std::string::npos) << before.flags;
    std::memset(block, 0x5A, size);
    const auto* bytes = static_cast<const unsigned char*>(block);
    EXPECT_EQ(bytes[0], 0x5A);
    EXPECT_EQ(bytes[size - 1], 0x5A);
    if (HugePagesOnRequest()) {
        EXPECT_GT(MappingOf(block).anonHugeKb, 0) << "the block's first touch took small pages";
    }
    std::free(block);  // the C library's own free: it must take the block back whole

    // Small blocks and refused alignments behave as the C library's own.
    void* small = nullptr;
    ASSERT_EQ(HugeBlock_Allocate(posix_memalign, &small, 32, 1000), 0);
    EXPECT_EQ(uintptr_t(small) % 32, 0u);
    std::free(small);
    void* refused = &small;
    EXPECT_EQ(HugeBlock_Allocate(posix_memalign, &refused, 3, 64 * MB), EINVAL);
    EXPECT_EQ(refused, &small);
}
