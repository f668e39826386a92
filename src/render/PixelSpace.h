#pragma once

#include "render/DisplaySettings.h"

namespace wobble {

// Drawing in window pixels over a finished frame, for as long as the object
// lives: (0, 0) the top left corner, y growing downwards, unlit, no depth
// test, no blending, no texture, filled polygons. Every GL state it or the
// drawing changes (attributes and both matrices) is saved first and put back
// when it goes, so the next frame starts from the state the scene left.
class PixelSpace {
public:
    explicit PixelSpace(const DisplaySettings& display);
    ~PixelSpace();
    PixelSpace(const PixelSpace&) = delete;
    PixelSpace& operator=(const PixelSpace&) = delete;
};

}  // namespace wobble
