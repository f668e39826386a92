// Drawing a frame allocates nothing: the drawing functions issue their calls
// from the scene's own arrays, sized before or on the first frame.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "AllocationCounter.h"
#include "GlTestContext.h"
#include "LatticeModel.h"
#include "TestFiles.h"
#include "render/DebugDraw.h"
#include "render/SurfaceDraw.h"
#include "render/WaterDraw.h"
#include "softbody/SoftBody.h"
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

TEST(DrawAllocation, DeformingAndDrawingTheBodyAllocatesNothing) {
    std::string reason;
    if (!test::GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    test::ScratchDir dir;
    const test::LatticeModel lattice{.cubesX = 3, .cubesY = 2, .cubesZ = 2};
    const std::string tet = dir.Write("box.tet", lattice.Text());
    const std::string obj =
        dir.Write("skin.obj", "v 0 0 0\nv 3 0 0\nv 0 2 0\nv 0 0 2\nf 1 3 2\nf 1 2 4\nf 1 4 3\n");
    SoftBody body;
    test::CaptureStdout([&] {
        ASSERT_TRUE(body.LoadTetFile(tet, 10.0f, 1.0f));
        ASSERT_TRUE(body.surface.LoadMesh(obj));
    });
    body.BindSurface();
    // The first frames size the drawing arrays and the driver's pipelines.
    for (int frame = 0; frame < 2; ++frame) {
        body.DeformSurface();
        DrawSurfaceMesh(body.surface);
        DrawTetraWireframe(body);
        glFinish();
    }
    EXPECT_EQ(test::AllocationsDuring([&] {
                  body.DeformSurface();
                  DrawSurfaceMesh(body.surface);
                  DrawTetraWireframe(body);
              }),
              0);
    glFinish();
}

}  // namespace
}  // namespace wobble
