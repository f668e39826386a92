#include "app/HeadlessSeams.h"

#include <cstdio>

namespace wobble {

void HeadlessWindow::ShowMessage(const char* caption, const char* text, MessageIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

void NoDrawing::ReadFrame(Image& image, const DisplaySettings& display, bool) {
    image.width = display.width;
    image.height = display.height;
    image.rgb.assign(static_cast<size_t>(display.width) * display.height * 3, 0);
}

Seams HeadlessSeams() {
    return Seams{std::make_unique<HeadlessWindow>(), std::make_unique<NoDrawing>(),
                 std::make_unique<NoPanel>()};
}

}  // namespace wobble
