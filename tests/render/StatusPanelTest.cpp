// The panel of a dropped model's build: nothing without something to say,
// the bar filled to its fraction, a red edge on a refusal, lines cut to fit,
// and the GL state left as it was.

#include "render/StatusPanel.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "GlTestContext.h"

namespace wobble {
namespace {

using test::GlTestContext;

struct Frame {
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * 800 + x) * 4];  // top row first
    }
};

Frame Draw(const StatusPanel& panel) {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawStatusPanel(panel, DisplaySettings());
    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    return Frame{GlTestContext::ReadPixels()};
}

TEST(StatusPanel, ShowsItsBarFilledToItsFractionAndNothingWhenEmpty) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    glViewport(0, 0, 800, 600);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 3.0, -2.0, 5.0, -7.0, 7.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLfloat projectionBefore[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);

    // Nothing to say: the frame is left alone.
    const Frame empty = Draw(StatusPanel());
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 800; x += 7)
            ASSERT_EQ(empty.At(x, y)[2], 255) << x << " " << y;

    StatusPanel building;
    building.lines[0] = "Building a scene of ship.stl";
    building.lineCount = 1;
    building.barFraction = 0.25f;
    const Frame frame = Draw(building);
    const float barTop = 600 - kStatusPanelInset - kStatusPanelMargin - kStatusBarHeight;
    const int y = static_cast<int>(barTop + kStatusBarHeight / 2);
    const float left = kStatusPanelInset + kStatusPanelMargin;
    const float width = 800 - 2 * left;
    auto green = [](const uint8_t* p) { return p[1] > 150 && p[0] < 100 && p[2] < 100; };
    EXPECT_TRUE(green(frame.At(static_cast<int>(left + 0.2f * width), y)));
    EXPECT_FALSE(green(frame.At(static_cast<int>(left + 0.3f * width), y)));
    // The panel's dark ground, and the scene above it untouched.
    EXPECT_LT(frame.At(400, static_cast<int>(barTop) - 4)[2], 100);
    EXPECT_EQ(frame.At(400, 100)[2], 255);

    StatusPanel refused;
    refused.lines[0] = std::string(500, 'x');  // far wider than the window
    refused.lineCount = 1;
    refused.isError = true;
    const Frame refusal = Draw(refused);
    const uint8_t* edge = refusal.At(static_cast<int>(kStatusPanelInset) + 1, 590 - 20);
    EXPECT_GT(edge[0], 200);
    EXPECT_LT(edge[1], 50);
    // Cut short inside the panel: nothing drawn right of its margin.
    for (int x = 800 - static_cast<int>(kStatusPanelInset + kStatusPanelMargin) + 1; x < 800; ++x)
        EXPECT_LT(refusal.At(x, 600 - 30)[0], 200) << x;

    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(std::memcmp(projection, projectionBefore, sizeof projection), 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace
}  // namespace wobble
