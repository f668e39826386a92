#include "render/SurfaceDraw.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "TestFiles.h"
#include "mesh/SurfaceMesh.h"

namespace wobble {
namespace {

using test::GlTestContext;

// A wavy sheet filling the window, `columns` x `rows` squares of two
// triangles each, so that every triangle has a normal of its own.
std::string WavySheet(int columns, int rows) {
    std::string obj;
    char line[96];
    for (int i = 0; i <= columns; ++i) {
        for (int j = 0; j <= rows; ++j) {
            std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", 800.0 * i / columns,
                          600.0 * j / rows, 20.0 * std::sin(i * 0.7) * std::cos(j * 0.45));
            obj += line;
        }
    }
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const int a = i * (rows + 1) + j + 1, b = a + rows + 1;
            std::snprintf(line, sizeof line, "f %d %d %d\nf %d %d %d\n", a, b, b + 1, a, b + 1,
                          a + 1);
            obj += line;
        }
    }
    return obj;
}

// Drawn piece by piece as its triangles are refreshed, the surface gives the
// pixels it gives in one call: the same triangles in the same order.
TEST(SurfaceDraw, PieceByPieceItDrawsThePixelsOfOneCall) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    test::ScratchDir dir;
    SurfaceMesh mesh;
    test::CaptureStdout(
        [&] { ASSERT_TRUE(mesh.LoadMesh(dir.Write("sheet.obj", WavySheet(250, 100)))); });
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
    const auto picture = [&](const std::atomic<int>* refreshed) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawSurfaceMesh(mesh, refreshed);
        return GlTestContext::ReadPixels();
    };
    const std::vector<uint8_t> oneCall = picture(nullptr);
    const std::atomic<int> allRefreshed{mesh.triangleCount};
    const std::vector<uint8_t> pieces = picture(&allRefreshed);
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
