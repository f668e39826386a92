// Drawing a frame allocates nothing: the drawing functions issue their calls
// from the scene's own arrays.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "AllocationCounter.h"
#include "GlTestContext.h"
#include "render/WaterDraw.h"
#include "water/WaterSurface.h"

namespace wobble {
namespace {

TEST(DrawAllocation, CounterSeesAnAllocation) {
    // Without this the other cases could pass with a counter that never counts.
    EXPECT_GE(test::AllocationsDuring([] {
                  WaterSurface w;
                  EXPECT_TRUE(w.Init(3, 3, 4.0f, 4.0f, 1.0f));
              }),
              4);
}

TEST(DrawAllocation, WaterDrawingAllocatesNothing) {
    std::string reason;
    if (!test::GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    WaterSurface w;
    ASSERT_TRUE(w.Init(100, 100, 4.0f, 4.0f, 6.0f));
    // The driver may compile its pipeline (in C++) on first use; that is its
    // own one-off cost, not the water's, so the first frames are not counted.
    for (int frame = 0; frame < 2; ++frame) {
        DrawWater(w);
        glFinish();
    }
    EXPECT_EQ(test::AllocationsDuring([&] { DrawWater(w); }), 0);
    glFinish();
}

}  // namespace
}  // namespace wobble
