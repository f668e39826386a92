#include "app/DesktopSeams.h"

#include "app/GlDrawing.h"
#include "app/Panel.h"

namespace wobble {

Seams DesktopSeams(std::unique_ptr<Window> window) {
    return Seams{std::move(window), std::make_unique<GlDrawing>(), std::make_unique<Panel>()};
}

}  // namespace wobble
