#pragma once
// An 800 x 600 double-buffered OpenGL context with a 16-bit depth buffer on
// SDL's offscreen driver, for tests that issue GL calls. One per process is
// created on first use and kept; tests that need a clean state reset what
// they touch.

#include <cstdint>
#include <string>
#include <vector>

namespace wobble::test {

class GlTestContext {
public:
    // Makes the shared context current; false (with a reason) when no GL is available.
    static bool Acquire(std::string* reason = nullptr);

    // Reads the back buffer as rows of RGBA bytes, top row first.
    static std::vector<uint8_t> ReadPixels(int width = 800, int height = 600);

    // Pops any GL errors; returns the first one, or 0.
    static unsigned FirstGlError();
};

}  // namespace wobble::test
