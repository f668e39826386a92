// The red dot over a finished frame: where it shows, and that it leaves the
// GL state as it found it.

#include "render/RecordingDot.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
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
    const test::SceneGlState scene;

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

    scene.ExpectKept();
}

}  // namespace
}  // namespace wobble
