#pragma once

#include <cstdint>
#include <vector>

namespace wobble {

// An RGB image, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3 bytes
};

}  // namespace wobble
