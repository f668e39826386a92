#include "render/SurfaceDraw.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "GlTestContext.h"
#include "TestFiles.h"
#include "mesh/SurfaceMesh.h"

namespace wobble {
namespace {

using test::GlTestContext;

// Drawn while its triangles are still being refreshed on another thread, a
// surface of several pieces gives the pixels of one call once they are all
// refreshed: each piece waits for its triangles, and comes in its order.
TEST(SurfaceDraw, DrawnWhileRefreshingItGivesThePixelsOfOneCall) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    test::ScratchDir dir;
    SurfaceMesh mesh;
    // A wavy sheet filling the window, 250 x 100 squares of two triangles,
    // so that every triangle has a normal of its own.
    const std::string sheet = test::GridObj(101, 251, [](int j, int i) {
        return std::array<double, 3>{800.0 * i / 250, 600.0 * j / 100,
                                     20.0 * std::sin(i * 0.7) * std::cos(j * 0.45)};
    });
    test::CaptureStdout([&] { ASSERT_TRUE(mesh.LoadMesh(dir.Write("sheet.obj", sheet))); });
    ASSERT_GT(mesh.triangleCount, 40000);
    mesh.PrepareCorners();
    mesh.RefreshTriangles(0, mesh.triangleCount);

    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat slanted[4] = {0.3f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, slanted);
    glEnable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSurfaceMesh(mesh);
    const std::vector<uint8_t> oneCall = GlTestContext::ReadPixels();

    // Stale triangles (the sheet's, flattened) are refreshed to the sheet's
    // small pieces at a time, beginning as the drawing does.
    const std::vector<SbVec3f> shape = mesh.vertices;
    for (SbVec3f& v : mesh.vertices)
        v[2] = 0.0f;
    mesh.RefreshTriangles(0, mesh.triangleCount);
    mesh.vertices = shape;
    std::atomic<int> refreshed{0};
    std::atomic<bool> drawing{false};
    std::thread refresher([&] {
        drawing.wait(false);
        for (int begin = 0; begin < mesh.triangleCount; begin += 1024) {
            const int end = std::min(mesh.triangleCount, begin + 1024);
            mesh.RefreshTriangles(begin, end);
            refreshed.store(end, std::memory_order_release);
            refreshed.notify_all();
        }
    });
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawing = true;
    drawing.notify_one();
    DrawSurfaceMesh(mesh, &refreshed);
    refresher.join();
    const std::vector<uint8_t> pieces = GlTestContext::ReadPixels();
    glDisable(GL_LIGHT0);
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);

    size_t lit = 0;
    for (size_t i = 0; i < oneCall.size(); i += 4)
        lit += oneCall[i] + oneCall[i + 1] + oneCall[i + 2] != 0;
    EXPECT_GT(lit, oneCall.size() / 4 * 9 / 10);  // the sheet covers the window
    EXPECT_TRUE(pieces == oneCall);
}

}  // namespace
}  // namespace wobble
