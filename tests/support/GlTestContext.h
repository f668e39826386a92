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

// A scene's GL state, as what is drawn over a finished frame finds it: lit,
// depth-tested, culled, a projection, a modelview, a colour and client
// arrays of its own, on a cleared black frame; set for the object's life.
// ExpectKept checks that every part of it is as it was set.
class SceneGlState {
public:
    SceneGlState();
    ~SceneGlState();
    void ExpectKept() const;

private:
    float projection_[16] = {}, modelview_[16] = {}, colour_[4] = {};
};

}  // namespace wobble::test
