#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "render/WaterDraw.h"
#include "water/WaterSurface.h"

namespace wobble {
namespace {

using test::GlTestContext;

// Looks straight down on the water: world x goes right on the screen, world z
// goes down the screen, and world y (the height) points at the viewer. One
// world unit is one pixel; `offsetX` and `offsetY` place the grid's origin.
void LookDownFromAbove(float offsetX, float offsetY) {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    // Column-major: eye = (x + offsetX, offsetY - z, y), a rotation about x
    // (no mirror), so the winding seen here is the winding seen from above.
    const GLfloat m[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, offsetX, offsetY, 0, 1};
    glLoadMatrixf(m);
}

// A white light shining along the view direction, placed in eye space (before
// any view is loaded) so that it stays head-on whatever the view.
void LightHeadOn() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat towardsViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glEnable(GL_LIGHT0);
}

class WaterDraw : public testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (!GlTestContext::Acquire(&reason))
            GTEST_SKIP() << "no OpenGL: " << reason;
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHT0);
        GlTestContext::FirstGlError();
    }
    void TearDown() override {
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
        glRenderMode(GL_RENDER);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
    }
};

struct Vertex {
    float x, y;     // window position
    float r, g, b;  // lit colour
};

// Draws in feedback mode and returns every triangle's three window positions
// and lit colours.
std::vector<std::vector<Vertex>> CaptureTriangles(const WaterSurface& w) {
    std::vector<GLfloat> buffer(400000);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    DrawWater(w);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<std::vector<Vertex>> triangles;
    EXPECT_GE(used, 0) << "feedback buffer overflowed";
    for (GLint p = 0; p < used;) {
        const GLint token = static_cast<GLint>(buffer[p++]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int count = static_cast<int>(buffer[p++]);
        std::vector<Vertex> polygon;
        for (int v = 0; v < count; ++v, p += 7) {  // x y z r g b a
            polygon.push_back(
                {buffer[p], buffer[p + 1], buffer[p + 3], buffer[p + 4], buffer[p + 5]});
        }
        triangles.push_back(polygon);
    }
    return triangles;
}

TEST_F(WaterDraw, SendsTwoTrianglesPerQuadInTheFixedVertexOrderWithoutWrapping) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(4, 3, 40.0f, 40.0f, 0.0f));
    LookDownFromAbove(100.0f, 500.0f);
    const auto triangles = CaptureTriangles(w);
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    ASSERT_EQ(triangles.size(), 2u * 3u * 2u);
    // Window position of cell (i, j).
    auto at = [](int i, int j) {
        return Vertex{100.0f + 40.0f * i, 500.0f - 40.0f * j, 0.0f, 0.0f, 0.0f};
    };
    size_t t = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            const Vertex expected[2][3] = {{at(i, j), at(i + 1, j), at(i, j + 1)},
                                           {at(i + 1, j + 1), at(i, j + 1), at(i + 1, j)}};
            for (int k = 0; k < 2; ++k, ++t) {
                ASSERT_EQ(triangles[t].size(), 3u);
                for (int v = 0; v < 3; ++v) {
                    EXPECT_NEAR(triangles[t][v].x, expected[k][v].x, 0.01f)
                        << "quad " << i << "," << j << " triangle " << k + 1 << " vertex " << v;
                    EXPECT_NEAR(triangles[t][v].y, expected[k][v].y, 0.01f)
                        << "quad " << i << "," << j << " triangle " << k + 1 << " vertex " << v;
                }
            }
        }
    }
}

TEST_F(WaterDraw, EveryVertexIsSentWithItsOwnCellsNormal) {
    // Each cell gets an upward normal of its own length; a head-on light then
    // gives every vertex a blue that names the cell whose normal it carried.
    WaterSurface w;
    EXPECT_TRUE(w.Init(4, 3, 40.0f, 40.0f, 0.0f));
    auto strength = [](int cell) { return 0.05f * static_cast<float>(cell + 1); };
    for (int c = 0; c < 12; ++c)
        w.normals[c].setValue(0.0f, strength(c), 0.0f);
    LightHeadOn();
    glDisable(GL_NORMALIZE);
    LookDownFromAbove(100.0f, 500.0f);
    const auto triangles = CaptureTriangles(w);
    ASSERT_EQ(triangles.size(), 12u);
    const int order[6][2] = {{0, 0}, {1, 0}, {0, 1},
                             {1, 1}, {0, 1}, {1, 0}};  // (di, dj) per vertex
    size_t t = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j, t += 2) {
            for (int v = 0; v < 6; ++v) {
                const int cell = (i + order[v][0]) * 3 + (j + order[v][1]);
                const Vertex& got = triangles[t + v / 3][v % 3];
                // Global ambient 0.2 x material ambient 0.2, plus the diffuse 0.8 x N.L.
                EXPECT_NEAR(got.b, 0.04f + 0.8f * strength(cell), 0.004f)
                    << "quad " << i << "," << j << " vertex " << v;
                EXPECT_NEAR(got.r, 0.04f, 0.004f);
            }
        }
    }
}

TEST_F(WaterDraw, GridWithOneCellAlongADirectionDrawsNoTriangles) {
    LookDownFromAbove(100.0f, 500.0f);
    WaterSurface row;
    EXPECT_TRUE(row.Init(1, 5, 40.0f, 40.0f, 0.0f));
    EXPECT_TRUE(CaptureTriangles(row).empty());
    WaterSurface column;
    EXPECT_TRUE(column.Init(5, 1, 40.0f, 40.0f, 0.0f));
    EXPECT_TRUE(CaptureTriangles(column).empty());
    WaterSurface square;
    EXPECT_TRUE(square.Init(2, 2, 40.0f, 40.0f, 0.0f));
    EXPECT_EQ(CaptureTriangles(square).size(), 2u);
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
}

TEST_F(WaterDraw, SetsTheFrontMaterialOnlyAndLeavesLightingDisabled) {
    const GLfloat back[4] = {0.5f, 0.25f, 0.125f, 1.0f};
    glMaterialfv(GL_BACK, GL_DIFFUSE, back);
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    WaterSurface w;
    EXPECT_TRUE(w.Init(3, 3, 4.0f, 4.0f, 0.0f));
    w.colour[0] = 0.1f;
    w.colour[1] = 0.2f;
    w.colour[2] = 0.3f;
    w.colour[3] = 0.4f;
    DrawWater(w);
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLfloat front[4] = {-1, -1, -1, -1};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, front);
    for (int c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(front[c], w.colour[c]) << c;
    GLfloat backNow[4] = {-1, -1, -1, -1};
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, backNow);
    for (int c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(backNow[c], back[c]) << c;
    GLfloat current[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_FLOAT_EQ(current[0], 0.0f);
    EXPECT_FLOAT_EQ(current[1], 0.0f);
    EXPECT_FLOAT_EQ(current[2], 1.0f);
}

TEST_F(WaterDraw, BeforeInitStillSetsTheStateButSendsNoVertices) {
    glEnable(GL_LIGHTING);
    WaterSurface w;
    LookDownFromAbove(100.0f, 500.0f);
    EXPECT_TRUE(CaptureTriangles(w).empty());
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLfloat front[4] = {-1, -1, -1, -1};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, front);
    EXPECT_FLOAT_EQ(front[2], 0.8f);
}

TEST_F(WaterDraw, RefusedGridDrawsNothing) {
    WaterSurface w;
    EXPECT_FALSE(w.Init(0, 10, 4.0f, 4.0f, 6.0f));
    LookDownFromAbove(100.0f, 500.0f);
    EXPECT_TRUE(CaptureTriangles(w).empty());
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
}

TEST_F(WaterDraw, SceneGridAppearsLitBlueInTheReadBackPixels) {
    WaterSurface w;
    EXPECT_TRUE(w.Init(100, 100, 4.0f, 4.0f, 6.0f));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    LightHeadOn();
    // The grid spans 0..396 in x and z: pixels 200..596 across, 104..500 up.
    LookDownFromAbove(200.0f, 500.0f);
    DrawWater(w);
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    const std::vector<uint8_t> rgba = GlTestContext::ReadPixels();
    auto pixel = [&](int x, int rowFromTop) { return &rgba[(rowFromTop * 800 + x) * 4]; };
    int blue = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = pixel(x, y);
            if (p[2] > 150 && p[0] < 60 && p[1] < 60)
                ++blue;
        }
    }
    // 396 x 396 pixels of water, give or take the edges' rasterisation.
    EXPECT_GT(blue, 394 * 394);
    EXPECT_LT(blue, 398 * 398);
    // Lit by a head-on white light: ambient 0.2 * 0.2 plus the diffuse 0.8 blue.
    const uint8_t* middle = pixel(400, 300);
    EXPECT_NEAR(middle[2], 214, 3);
    EXPECT_NEAR(middle[0], 10, 3);
    // Outside the grid the clear colour remains.
    const uint8_t* corner = pixel(20, 20);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    const uint8_t* right = pixel(700, 300);
    EXPECT_EQ(right[2], 0);
}

}  // namespace
}  // namespace wobble
