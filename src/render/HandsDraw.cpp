#include "render/HandsDraw.h"

#include <GL/gl.h>

#include "render/PixelSpace.h"

namespace wobble {

void DrawPullLine(const SbVec3f& from, const SbVec3f& to) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glVertex3fv(from.getValue());
    glVertex3fv(to.getValue());
    glEnd();
    // The hand itself, where the pull ends.
    glPointSize(7.0f);
    glBegin(GL_POINTS);
    glVertex3fv(to.getValue());
    glEnd();
    glPopAttrib();
}

void DrawCrosshair(const DisplaySettings& display, float x, float y) {
    const PixelSpace pixels(display);
    // Through the pixel's centre, two lines with a gap where the point is.
    const float cx = x + 0.5f, cy = y + 0.5f, gap = 2.0f;
    glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    glVertex2f(cx - kCrosshairSize, cy);
    glVertex2f(cx - gap, cy);
    glVertex2f(cx + gap, cy);
    glVertex2f(cx + kCrosshairSize, cy);
    glVertex2f(cx, cy - kCrosshairSize);
    glVertex2f(cx, cy - gap);
    glVertex2f(cx, cy + gap);
    glVertex2f(cx, cy + kCrosshairSize);
    glEnd();
}

}  // namespace wobble
