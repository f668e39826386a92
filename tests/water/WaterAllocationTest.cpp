// The water's per-frame operations must not allocate. This file replaces the
// global operator new of the water test program with one that counts, so that
// any allocation inside Step, Displace or Draw (a temporary vector, a grown
// scratch list) shows up.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include "GlTestContext.h"
#include "water/WaterSurface.h"

namespace {

std::atomic<long> g_allocations{0};

// Every form of new comes here, and every form of delete goes to free, so
// that memory the GL driver allocates with one form and releases with another
// still pairs up (the sanitizers check that it does).
void* CountedAllocate(std::size_t size, std::size_t alignment) {
    ++g_allocations;
    if (size == 0)
        size = 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size);
    void* p = nullptr;
    return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}

void* CountedAllocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* p = CountedAllocate(size, alignment))
        return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) {
    return CountedAllocateOrThrow(n, 0);
}
void* operator new[](std::size_t n) {
    return CountedAllocateOrThrow(n, 0);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, 0);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, 0);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return CountedAllocateOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return CountedAllocateOrThrow(n, static_cast<std::size_t>(a));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return CountedAllocate(n, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace wobble {
namespace {

template <typename Action>
long AllocationsDuring(Action&& action) {
    const long before = g_allocations.load();
    action();
    return g_allocations.load() - before;
}

TEST(WaterAllocation, CounterSeesAnAllocation) {
    // Without this the other cases could pass with a counter that never counts.
    EXPECT_GE(AllocationsDuring([] {
                  WaterSurface w;
                  w.Init(3, 3, 4.0f, 4.0f, 1.0f);
              }),
              4);
}

TEST(WaterAllocation, StepAndDisplaceAllocateNothing) {
    WaterSurface w;
    w.Init(100, 100, 4.0f, 4.0f, 6.0f);
    const long count = AllocationsDuring([&] {
        for (int s = 0; s < 50; ++s) {
            w.Displace(SbVec3f(30.0f + 3.0f * s, 0.0f, 30.0f + 2.0f * s));
            w.Displace(SbVec3f(30.0f, 2.0f, 30.0f));
            w.Step(0.03f);
        }
    });
    EXPECT_EQ(count, 0);
    EXPECT_NE(w.positions[7 * 100 + 7][1], -1.0f);
}

TEST(WaterAllocation, DrawAllocatesNothing) {
    std::string reason;
    if (!test::GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    WaterSurface w;
    w.Init(100, 100, 4.0f, 4.0f, 6.0f);
    // The driver may compile its pipeline (in C++) on first use; that is its
    // own one-off cost, not the water's, so the first frames are not counted.
    for (int frame = 0; frame < 2; ++frame) {
        w.Draw();
        glFinish();
    }
    EXPECT_EQ(AllocationsDuring([&] { w.Draw(); }), 0);
    glFinish();
}

}  // namespace
}  // namespace wobble
