#include "platform/FrameMemory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <vector>

namespace wobble {
namespace {

constexpr size_t kPage = 4096;

long ThreadPageFaults() {
    rusage usage = {};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// What a software rasteriser does each frame: blocks of 64 KiB, 24 MiB in
// all, malloced, written and freed; returns the page faults it took.
long FrameOfBlocks() {
    constexpr size_t kBlock = 64 * 1024;
    std::vector<void*> blocks(24 * 1024 * 1024 / kBlock);
    const long before = ThreadPageFaults();
    for (void*& block : blocks) {
        block = std::malloc(kBlock);
        for (size_t at = 0; at < kBlock; at += kPage)
            static_cast<volatile char*>(block)[at] = 1;
    }
    const long faults = ThreadPageFaults() - before;
    for (void* block : blocks)
        std::free(block);
    return faults;
}

TEST(FrameMemoryTest, WhatOneFrameFreesTheNextTakesWithoutPageFaults) {
    if (!KeepFrameMemory())
        GTEST_SKIP() << "the allocator takes no heap settings here";
    FrameOfBlocks();  // the heap grows to what a frame needs, once
    // Given back to the kernel, the 6144 pages would each fault again.
    EXPECT_LT(FrameOfBlocks(), 100);
    EXPECT_LT(FrameOfBlocks(), 100);
}

}  // namespace
}  // namespace wobble
