// The overlay's text and its running averages; neither needs a GL context.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/Overlay.h"
#include "softbody/SoftBody.h"

namespace wobble {
namespace {

// The text after Lines, written over junk so that a line left unwritten or a
// count left standing would show.
OverlayText LinesOver(const OverlayInfo& info) {
    OverlayText text;
    std::memset(text.lines, 'x', sizeof text.lines);
    text.count = 99;
    Overlay().Lines(info, text);
    return text;
}

TEST(Overlay, WithoutABodyTheThrustAndSizeLinesAreLeftOut) {
    OverlayInfo info;
    info.framesPerSecond = 50.0;
    info.timings.bodyStep = 1.234;
    info.timings.waterStep = 0.5;
    info.timings.surface = 2.0;
    info.timings.drawing = 0.125;
    const OverlayText text = LinesOver(info);
    ASSERT_EQ(text.count, 11);
    EXPECT_STREQ(text.lines[0], "WOBBLE");
    EXPECT_STREQ(text.lines[1], "50 FRAMES/S  20.00 MS/FRAME");
    EXPECT_STREQ(text.lines[2], "BODY STEP 1.23 MS  WATER STEP 0.50 MS");
    EXPECT_STREQ(text.lines[3], "SURFACE 2.00 MS  DRAWING 0.12 MS");
    EXPECT_STREQ(text.lines[4], "CAMERA free  VIEW SURFACE");
    EXPECT_STREQ(text.lines[5], "");
    EXPECT_STREQ(text.lines[10], "F12 SCREENSHOT   F1 THIS OVERLAY   ESC QUIT");
}

TEST(Overlay, WithABodyItsThrustsAndCountsAreShown) {
    SoftBody body;
    body.particleCount = 63;
    body.tetraCount = 144;
    body.springCount = 262;
    body.controller.forwardThrust = 30.0f;
    body.controller.leftThrust = 2.4f;
    body.controller.rightThrust = 0.6f;
    OverlayInfo info;
    info.body = &body;
    info.paused = true;
    info.cameraMode = 4;
    info.surfaceView = false;
    const OverlayText text = LinesOver(info);
    ASSERT_EQ(text.count, OverlayText::kMaxLines);
    EXPECT_STREQ(text.lines[0], "WOBBLE - PAUSED (P RESUMES, O STEPS)");
    EXPECT_STREQ(text.lines[4], "THRUST FWD 30 BACK 0 LEFT 2 RIGHT 1");
    EXPECT_STREQ(text.lines[5], "BODY 63 PARTICLES  144 TETRAS  262 SPRINGS");
    EXPECT_STREQ(text.lines[6], "CAMERA orbit  VIEW WIREFRAME");
    EXPECT_STREQ(text.lines[12], "F12 SCREENSHOT   F1 THIS OVERLAY   ESC QUIT");
}

TEST(Overlay, NoFrameRateYetShowsZeroAndEveryCameraModeItsName) {
    const struct {
        int mode;
        const char* line;
    } cases[] = {
        {-1, "CAMERA ?  VIEW SURFACE"},     {0, "CAMERA free  VIEW SURFACE"},
        {1, "CAMERA behind  VIEW SURFACE"}, {2, "CAMERA side  VIEW SURFACE"},
        {3, "CAMERA front  VIEW SURFACE"},  {4, "CAMERA orbit  VIEW SURFACE"},
        {5, "CAMERA ?  VIEW SURFACE"},
    };
    for (const auto& c : cases) {
        OverlayInfo info;
        info.cameraMode = c.mode;
        const OverlayText text = LinesOver(info);
        ASSERT_EQ(text.count, 11) << c.mode;
        EXPECT_STREQ(text.lines[1], "0 FRAMES/S  0.00 MS/FRAME");
        EXPECT_STREQ(text.lines[4], c.line) << c.mode;
    }
}

TEST(Overlay, ALineTooLongForItsBufferIsCutShort) {
    OverlayInfo info;
    info.timings.drawing = 1e300;  // 301 digits before the point
    const OverlayText text = LinesOver(info);
    ASSERT_EQ(text.count, 11);
    EXPECT_EQ(std::strlen(text.lines[3]), static_cast<size_t>(OverlayText::kLineSize - 1));
    EXPECT_EQ(std::string(text.lines[3]).rfind("SURFACE 0.00 MS  DRAWING 1000", 0), 0u);
    EXPECT_STREQ(text.lines[4], "CAMERA free  VIEW SURFACE");
}

TEST(Overlay, TheFirstFrameIsTakenWholeAndLaterOnesWeighAThirtieth) {
    Overlay overlay;
    FrameTimings frame;
    frame.bodyStep = 3.0;
    frame.drawing = 6.0;
    overlay.RecordFrame(30.0, frame);
    EXPECT_EQ(overlay.averageFrameMs, 30.0);
    EXPECT_EQ(overlay.average.bodyStep, 3.0);
    EXPECT_EQ(overlay.average.drawing, 6.0);
    frame.bodyStep = 33.0;
    overlay.RecordFrame(60.0, frame);
    EXPECT_DOUBLE_EQ(overlay.averageFrameMs, 31.0);
    EXPECT_DOUBLE_EQ(overlay.average.bodyStep, 4.0);
    EXPECT_DOUBLE_EQ(overlay.average.drawing, 6.0);
}

}  // namespace
}  // namespace wobble
