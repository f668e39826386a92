#include "render/RecordingDot.h"

#include <GL/gl.h>

#include <cmath>

#include "render/PixelSpace.h"

namespace wobble {

namespace {

// A circle of this many sides is round at the dot's few pixels.
constexpr int kSides = 24;

}  // namespace

void DrawRecordingDot(const DisplaySettings& display) {
    const float centreX = static_cast<float>(display.width) - kRecordingDotInset;
    const float centreY = kRecordingDotInset;

    const PixelSpace pixels(display);
    glColor3f(0.9f, 0.0f, 0.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(centreX, centreY);
    for (int k = 0; k <= kSides; ++k) {
        const float angle = 2.0f * 3.14159265f * static_cast<float>(k) / kSides;
        glVertex2f(centreX + kRecordingDotRadius * std::cos(angle),
                   centreY + kRecordingDotRadius * std::sin(angle));
    }
    glEnd();
}

}  // namespace wobble
