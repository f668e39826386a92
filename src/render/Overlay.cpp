#include "render/Overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

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

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char line[128];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    return line;
}

}  // namespace

void Overlay::RecordFrame(double frameMilliseconds, const FrameTimings& frame) {
    averageFrameMs = Blend(averageFrameMs, frameMilliseconds);
    average.bodyStep = Blend(average.bodyStep, frame.bodyStep);
    average.waterStep = Blend(average.waterStep, frame.waterStep);
    average.surface = Blend(average.surface, frame.surface);
    average.drawing = Blend(average.drawing, frame.drawing);
}

std::vector<std::string> Overlay::Lines(const OverlayInfo& info) const {
    std::vector<std::string> lines;
    lines.push_back(info.paused ? "WOBBLE - PAUSED (P RESUMES, O STEPS)" : "WOBBLE");
    lines.push_back(Format("%.0f FRAMES/S  %.2f MS/FRAME", info.framesPerSecond,
                           info.framesPerSecond > 0 ? 1000.0 / info.framesPerSecond : 0.0));
    lines.push_back(Format("BODY STEP %.2f MS  WATER STEP %.2f MS", info.timings.bodyStep,
                           info.timings.waterStep));
    lines.push_back(
        Format("SURFACE %.2f MS  DRAWING %.2f MS", info.timings.surface, info.timings.drawing));
    if (info.body != nullptr) {
        const ThrustController& t = info.body->controller;
        lines.push_back(Format("THRUST FWD %.0f BACK %.0f LEFT %.0f RIGHT %.0f", t.forwardThrust,
                               t.backwardThrust, t.leftThrust, t.rightThrust));
        lines.push_back(Format("BODY %.0f PARTICLES  %.0f TETRAS  %.0f SPRINGS",
                               info.body->particleCount, info.body->tetraCount,
                               info.body->springCount));
    }
    const int mode = info.cameraMode;
    lines.push_back(std::string("CAMERA ") +
                    (mode >= 0 && mode <= 4 ? kCameraModeNames[mode] : "?") + "  VIEW " +
                    (info.surfaceView ? "SURFACE" : "WIREFRAME"));
    lines.push_back("");
    lines.push_back("ARROWS THRUST AND TURN    W S A D MOVE CAMERA");
    lines.push_back("MOUSE TURN / TILT         C (HOLD) CAMERA MODE");
    lines.push_back("M SURFACE / WIREFRAME     B PUMP    Z SPLASH");
    lines.push_back("T FULLSCREEN   P PAUSE   O STEP   R RESET");
    lines.push_back("F12 SCREENSHOT   F1 THIS OVERLAY   ESC QUIT");
    return lines;
}

void Overlay::Draw(const OverlayInfo& info, const DisplaySettings& display) const {
    if (!visible)
        return;
    const std::vector<std::string> lines = Lines(info);
    size_t longest = 0;
    for (const std::string& l : lines)
        longest = std::max(longest, l.size());
    const float width = 2 * kMargin + longest * BitmapFont::kAdvance * kTextScale;
    const float height = 2 * kMargin + lines.size() * BitmapFont::kLineHeight * kTextScale;

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
    for (size_t k = 0; k < lines.size(); ++k) {
        BitmapFont::EmitText(lines[k], kMargin, kMargin + k * BitmapFont::kLineHeight * kTextScale,
                             kTextScale);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace wobble
