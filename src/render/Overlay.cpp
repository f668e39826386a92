#include "render/Overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "render/BitmapFont.h"
#include "softbody/SoftBody.h"

namespace wobble {

namespace {

// Weight of the newest frame in the running averages: about the last 30 frames count.
constexpr double kSmoothing = 1.0 / 30.0;
constexpr float kTextScale = 2.0f;  // screen pixels per font pixel
constexpr float kMargin = 10.0f;

const char* const kCameraModeNames[] = {"free", "behind", "side", "front", "orbit"};

double Blend(double average, double sample) {
    return average == 0.0 ? sample : average + (sample - average) * kSmoothing;
}

[[gnu::format(printf, 2, 3)]] void AddLine(OverlayText& text, const char* format, ...) {
    if (text.count == OverlayText::kMaxLines)
        return;
    va_list values;
    va_start(values, format);
    std::vsnprintf(text.lines[text.count++], OverlayText::kLineSize, format, values);
    va_end(values);
}

}  // namespace

void Overlay::RecordFrame(double frameMilliseconds, const FrameTimings& frame) {
    averageFrameMs = Blend(averageFrameMs, frameMilliseconds);
    average.bodyStep = Blend(average.bodyStep, frame.bodyStep);
    average.waterStep = Blend(average.waterStep, frame.waterStep);
    average.surface = Blend(average.surface, frame.surface);
    average.drawing = Blend(average.drawing, frame.drawing);
}

void Overlay::Lines(const OverlayInfo& info, OverlayText& text) const {
    text.count = 0;
    AddLine(text, "%s", info.paused ? "WOBBLE - PAUSED (P RESUMES, O STEPS)" : "WOBBLE");
    AddLine(text, "%.0f FRAMES/S  %.2f MS/FRAME", info.framesPerSecond,
            info.framesPerSecond > 0 ? 1000.0 / info.framesPerSecond : 0.0);
    AddLine(text, "BODY STEP %.2f MS  WATER STEP %.2f MS", info.timings.bodyStep,
            info.timings.waterStep);
    AddLine(text, "SURFACE %.2f MS  DRAWING %.2f MS", info.timings.surface, info.timings.drawing);
    if (info.body != nullptr) {
        const ThrustController& t = info.body->controller;
        AddLine(text, "THRUST FWD %.0f BACK %.0f LEFT %.0f RIGHT %.0f",
                static_cast<double>(t.forwardThrust), static_cast<double>(t.backwardThrust),
                static_cast<double>(t.leftThrust), static_cast<double>(t.rightThrust));
        AddLine(text, "BODY %d PARTICLES  %d TETRAS  %d SPRINGS", info.body->particleCount,
                info.body->tetraCount, info.body->springCount);
    }
    const int mode = info.cameraMode;
    AddLine(text, "CAMERA %s  VIEW %s", mode >= 0 && mode <= 4 ? kCameraModeNames[mode] : "?",
            info.surfaceView ? "SURFACE" : "WIREFRAME");
    AddLine(text, "%s", "");
    AddLine(text, "%s", "ARROWS THRUST AND TURN    W S A D MOVE CAMERA");
    AddLine(text, "%s", "MOUSE TURN / TILT         C (HOLD) CAMERA MODE");
    AddLine(text, "%s", "M SURFACE / WIREFRAME     B PUMP    Z SPLASH");
    AddLine(text, "%s", "T FULLSCREEN   P PAUSE   O STEP   R RESET");
    AddLine(text, "%s", "F12 SCREENSHOT   F1 THIS OVERLAY   ESC QUIT");
}

void Overlay::Draw(const OverlayInfo& info, const DisplaySettings& display) const {
    if (!visible)
        return;
    OverlayText text;
    Lines(info, text);
    size_t longest = 0;
    for (int k = 0; k < text.count; ++k)
        longest = std::max(longest, std::strlen(text.lines[k]));
    const float width = 2 * kMargin + longest * BitmapFont::kAdvance * kTextScale;
    const float height = 2 * kMargin + text.count * BitmapFont::kLineHeight * kTextScale;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, display.width, display.height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glBegin(GL_QUADS);
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(width, 0.0f);
    glVertex2f(width, height);
    glVertex2f(0.0f, height);
    glColor4f(1.0f, 1.0f, 0.85f, 1.0f);
    for (int k = 0; k < text.count; ++k) {
        BitmapFont::EmitText(text.lines[k], kMargin,
                             kMargin + k * BitmapFont::kLineHeight * kTextScale, kTextScale);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace wobble
