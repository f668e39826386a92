#pragma once

namespace wobble {

// The window's size and the projection, fixed for the whole run: neither a
// resize nor the fullscreen toggle changes the viewport or the projection.
struct DisplaySettings {
    int width = 800;            // pixels
    int height = 600;           // pixels
    int bits = 32;              // colour bits per pixel
    bool fullscreen = false;    // true from a toggle into fullscreen until the toggle back
    float fieldOfView = 60.0f;  // vertical, degrees
    float nearPlane = 1.0f;
    float farPlane = 2000.0f;
};

}  // namespace wobble
