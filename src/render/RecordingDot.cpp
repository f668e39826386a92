#include "render/RecordingDot.h"

#include <GL/gl.h>

#include <cmath>

namespace wobble {

namespace {

// A circle of this many sides is round at the dot's few pixels.
constexpr int kSides = 24;

}  // namespace

void DrawRecordingDot(const DisplaySettings& display) {
    const float centreX = static_cast<float>(display.width) - kRecordingDotInset;
    const float centreY = kRecordingDotInset;

    // Everything the dot changes is saved and put back, as the overlay does:
    // the next frame starts from the state the scene left.
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
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glColor3f(0.9f, 0.0f, 0.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(centreX, centreY);
    for (int k = 0; k <= kSides; ++k) {
        const float angle = 2.0f * 3.14159265f * static_cast<float>(k) / kSides;
        glVertex2f(centreX + kRecordingDotRadius * std::cos(angle),
                   centreY + kRecordingDotRadius * std::sin(angle));
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace wobble
