// The panel drawn by Dear ImGui's OpenGL 2 back end over a frame: it shows,
// and every GL state the scene relies on is as it was before.

#include "render/PanelDraw.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <imgui/imgui.h>

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
    const test::SceneGlState scene;

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

    scene.ExpectKept();

    StopPanelDrawing();
    ImGui::DestroyContext();
}

}  // namespace
}  // namespace wobble
