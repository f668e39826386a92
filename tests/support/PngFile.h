#pragma once
// Reads a PNG written by the program back into RGB pixels for checks.

#include <cstdint>
#include <string>
#include <vector>

namespace wobble::test {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top row first

    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // Pixels in the rectangle for which `test(r, g, b)` holds.
    template <typename Test>
    int Count(int x0, int y0, int x1, int y1, Test test) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = At(x, y);
                if (test(p[0], p[1], p[2]))
                    ++n;
            }
        return n;
    }
};

// False when the file is missing or not a PNG of 8-bit RGB or RGBA.
bool ReadPng(const std::string& path, Picture& picture);

}  // namespace wobble::test
