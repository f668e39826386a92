// The panel drawn by Dear ImGui's OpenGL 2 back end over a frame: it shows,
// and every GL state the scene relies on is as it was before.

#include "render/PanelDraw.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <imgui/imgui.h>

#include <cstring>
#include <string>
#include <vector>

#include "GlTestContext.h"

namespace wobble {
namespace {

using test::GlTestContext;

TEST(PanelDraw, DrawsItsWindowAndLeavesTheGlStateAsItFoundIt) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    // A scene's state: lit, depth-tested, a colour, client arrays of its own.
    glViewport(0, 0, 800, 600);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    static const GLfloat vertices[9] = {};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);

    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(800, 600);
    io.DeltaTime = 1.0f / 60.0f;
    StartPanelDrawing();
    PreparePanelDrawing();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(100, 100));
    ImGui::SetNextWindowSize(ImVec2(200, 100));
    ImGui::Begin("panel");
    ImGui::Text("stiffness");
    ImGui::End();
    DrawPanel();
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);

    // The window shows where it was put, and nowhere else.
    const std::vector<uint8_t> rgba = GlTestContext::ReadPixels();
    int inside = 0, outside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * 800 + x) * 4];
            if (p[0] + p[1] + p[2] == 0)
                continue;
            ++(x >= 100 && x < 300 && y >= 100 && y < 200 ? inside : outside);
        }
    EXPECT_GT(inside, 200 * 100 / 2);
    EXPECT_EQ(outside, 0);

    GLfloat after[4];
    glGetFloatv(GL_CURRENT_COLOR, after);
    EXPECT_EQ(std::memcmp(after, colour, sizeof after), 0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLvoid* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, vertices);
    GLint texture = -1, mode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(texture, 0);
    EXPECT_EQ(mode, GL_MODELVIEW);

    StopPanelDrawing();
    ImGui::DestroyContext();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace
}  // namespace wobble
