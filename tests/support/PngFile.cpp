#include "PngFile.h"

#include <png.h>

#include <cstdio>

namespace wobble::test {

bool ReadPng(const std::string& path, Picture& picture) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const int channels = png_get_channels(png, info);
    if (png_get_bit_depth(png, info) != 8 || (channels != 3 && channels != 4)) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
    std::vector<png_byte> row(static_cast<size_t>(picture.width) * channels);
    for (int y = 0; y < picture.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < picture.width; ++x) {
            for (int c = 0; c < 3; ++c)
                picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3 + c] =
                    row[x * channels + c];
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

}  // namespace wobble::test
