// The water's per-frame operations must not allocate. This file replaces the
// global operator new of the water test program with one that counts, so that
// any allocation inside Step, Displace or Draw (a temporary vector, a grown
// scratch list) shows up.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "GlTestContext.h"
#include "water/WaterSurface.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
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
