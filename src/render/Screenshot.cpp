#include "render/Screenshot.h"

#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace wobble {

Image ReadFramebuffer(int width, int height, bool front) {
    Image image;
    ReadFramebuffer(image, width, height, front);
    return image;
}

void ReadFramebuffer(Image& image, int width, int height, bool front) {
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(front ? GL_FRONT : GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    // GL hands the bottom row first; the rows swap in place, top with bottom.
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* top = &image.rgb[y * stride];
        std::swap_ranges(top, top + stride, &image.rgb[(height - 1 - y) * stride]);
    }
}

namespace {

// Writes the PNG; null on success, else why not. No object with a destructor
// lives here: libpng's errors return through longjmp.
const char* WritePngFile(const char* path, const Image& image) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return "the PNG encoder failed";
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(&image.rgb[y * stride]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        return std::strerror(errno);
    return nullptr;
}

}  // namespace

Status WritePng(const std::string& path, const Image& image) {
    const char* failure = WritePngFile(path.c_str(), image);
    if (failure != nullptr)
        return InputError{path, 0, failure};
    return Done{};
}

}  // namespace wobble
