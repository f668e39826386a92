#pragma once

#include "camera/PickRay.h"

namespace wobble {

// The window's size and the projection (the lens the picture is drawn and
// picked with), fixed for the whole run: neither a resize nor the fullscreen
// toggle changes the viewport or the projection.
struct DisplaySettings : Lens {
    int bits = 32;            // colour bits per pixel
    bool fullscreen = false;  // true from a toggle into fullscreen until the toggle back

    const Lens& PickLens() const { return *this; }
};

}  // namespace wobble
