#include "app/DesktopSeams.h"

#include "app/GlDrawing.h"
#include "app/Panel.h"

namespace wobble {

Seams DesktopSeams(std::unique_ptr<Window> window) {
    return Seams{std::move(window), std::make_unique<GlDrawing>(), std::make_unique<Panel>()};
}

Application::Application(int width, int height, int bits, std::unique_ptr<Window> window,
                         const AppOptions& options)
    : Application(width, height, bits, DesktopSeams(std::move(window)), options) {}

}  // namespace wobble
