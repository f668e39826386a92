#pragma once

#include <string>

#include "render/Image.h"
#include "text/InputError.h"

namespace wobble {

// Reads a colour buffer of the current GL context into an image: the back
// buffer (before the swap) or the front buffer (what is on show).
Image ReadFramebuffer(int width, int height, bool front = false);
// The same into `image`, whose pixel storage is reused when it has the size
// already, so that reading every frame allocates nothing.
void ReadFramebuffer(Image& image, int width, int height, bool front = false);

// Writes the image as a PNG; on failure an error naming the file, whose
// message says why (without the file's name).
Status WritePng(const std::string& path, const Image& image);

// The first of <stem>-0001<extension>, <stem>-0002<extension>, ... in
// `folder` that does not exist yet, so that a new screenshot or video never
// overwrites an earlier one.
std::string NextFreeName(const std::string& folder, const std::string& stem,
                         const std::string& extension = ".png");

}  // namespace wobble
