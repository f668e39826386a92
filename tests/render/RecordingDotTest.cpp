// The red dot over a finished frame: where it shows, and that it leaves the
// GL state as it found it.

#include "render/RecordingDot.h"

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

TEST(RecordingDot, ShowsRedInTheTopRightCornerAndRestoresTheState) {
    std::string reason;
    if (!GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    // A scene's state: lit, depth-tested, culled, a projection and a colour of its own.
    glViewport(0, 0, 800, 600);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 3.0, -2.0, 5.0, -7.0, 7.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GLfloat projectionBefore[16], modelviewBefore[16], colourBefore[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);
    glGetFloatv(GL_CURRENT_COLOR, colourBefore);

    DisplaySettings display;
    DrawRecordingDot(display);

    EXPECT_EQ(GlTestContext::FirstGlError(), 0u);
    const std::vector<uint8_t> rgba = GlTestContext::ReadPixels();
    auto isRed = [&](int x, int y) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * 800 + x) * 4];
        return p[0] > 200 && p[1] < 50 && p[2] < 50;
    };
    int red = 0, redOutside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            if (!isRed(x, y))
                continue;
            ++red;
            if (x < 800 - 40 || y >= 40)
                ++redOutside;
        }
    EXPECT_TRUE(isRed(780, 20));
    EXPECT_GT(red, 200);  // a disc of radius 9: about 254 pixels
    EXPECT_LT(red, 300);
    EXPECT_EQ(redOutside, 0);

    GLfloat projection[16], modelview[16], colour[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::memcmp(projection, projectionBefore, sizeof projection), 0);
    EXPECT_EQ(std::memcmp(modelview, modelviewBefore, sizeof modelview), 0);
    EXPECT_EQ(std::memcmp(colour, colourBefore, sizeof colour), 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace
}  // namespace wobble
