#include "render/StatusPanel.h"

#include <GL/gl.h>

#include <algorithm>
#include <string_view>

#include "render/BitmapFont.h"

namespace wobble {

namespace {

void Rectangle(float left, float top, float right, float bottom) {
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
}

}  // namespace

int StatusPanelColumns(const DisplaySettings& display) {
    const float textWidth = display.width - 2 * (kStatusPanelInset + kStatusPanelMargin);
    return std::max(1, static_cast<int>(textWidth / (BitmapFont::kAdvance * kStatusTextScale)));
}

void DrawStatusPanel(const StatusPanel& panel, const DisplaySettings& display) {
    const bool bar = panel.barFraction >= 0.0f;
    if (panel.lineCount <= 0 && !bar)
        return;
    const int lineCount = std::min(panel.lineCount, StatusPanel::kMaxLines);
    const float lineHeight = BitmapFont::kLineHeight * kStatusTextScale;
    const float height = 2 * kStatusPanelMargin + lineCount * lineHeight +
                         (bar ? kStatusBarHeight + (lineCount > 0 ? kStatusPanelMargin : 0) : 0);
    const float left = kStatusPanelInset;
    const float right = display.width - kStatusPanelInset;
    const float bottom = display.height - kStatusPanelInset;
    const float top = bottom - height;
    const size_t columns = static_cast<size_t>(StatusPanelColumns(display));

    // Saved and put back, as the overlay does: the next frame starts from the
    // state the scene left.
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
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glBegin(GL_QUADS);
    glColor4f(0.0f, 0.0f, 0.0f, 0.7f);
    Rectangle(left, top, right, bottom);
    if (panel.isError) {
        glColor4f(0.9f, 0.1f, 0.1f, 1.0f);
        Rectangle(left, top, left + 4.0f, bottom);
    }
    glColor4f(1.0f, 1.0f, 0.85f, 1.0f);
    for (int k = 0; k < lineCount; ++k) {
        const std::string_view line(panel.lines[k]);
        BitmapFont::EmitText(line.substr(0, columns), left + kStatusPanelMargin,
                             top + kStatusPanelMargin + k * lineHeight, kStatusTextScale);
    }
    if (bar) {
        const float barTop = bottom - kStatusPanelMargin - kStatusBarHeight;
        const float barLeft = left + kStatusPanelMargin;
        const float barRight = right - kStatusPanelMargin;
        const float filled =
            barLeft + std::clamp(panel.barFraction, 0.0f, 1.0f) * (barRight - barLeft);
        glColor4f(0.3f, 0.3f, 0.3f, 1.0f);
        Rectangle(barLeft, barTop, barRight, barTop + kStatusBarHeight);
        glColor4f(0.3f, 0.8f, 0.3f, 1.0f);
        Rectangle(barLeft, barTop, filled, barTop + kStatusBarHeight);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace wobble
