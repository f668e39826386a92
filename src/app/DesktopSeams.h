#pragma once
// The desktop's drawing and panel: OpenGL 1.1 through render/ and Dear ImGui,
// in the window the platform made.

#include <memory>

#include "app/Application.h"

namespace wobble {

Seams DesktopSeams(std::unique_ptr<Window> window);

}  // namespace wobble
