// A frame read back and written as a PNG keeps every row in its place.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "GlTestContext.h"
#include "PngFile.h"
#include "TestFiles.h"
#include "render/Screenshot.h"

namespace wobble {
namespace {

// The colour of GL row y (counted from the bottom): every row its own.
uint8_t Red(int y) {
    return static_cast<uint8_t>(y & 0xff);
}
uint8_t Green(int y) {
    return static_cast<uint8_t>(0x40 + (y >> 8));
}
constexpr uint8_t kBlue = 0x99;

TEST(Screenshot, EveryRowIsReadBackAndWrittenInItsPlace) {
    std::string reason;
    if (!test::GlTestContext::Acquire(&reason))
        GTEST_SKIP() << "no OpenGL: " << reason;
    glEnable(GL_SCISSOR_TEST);
    for (int y = 0; y < 600; ++y) {
        glScissor(0, y, 800, 1);
        glClearColor(Red(y) / 255.0f, Green(y) / 255.0f, kBlue / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    ASSERT_EQ(test::GlTestContext::FirstGlError(), 0u);

    // An even and an odd number of rows (the middle row of an odd image stays
    // where it is); 799 * 3 bytes a row is no multiple of 4.
    test::ScratchDir dir;
    for (const auto& [width, height] : {std::pair{800, 600}, std::pair{799, 599}}) {
        const Image image = ReadFramebuffer(width, height);
        ASSERT_EQ(image.rgb.size(), static_cast<size_t>(width) * height * 3);
        for (int row = 0; row < height; ++row) {
            const int y = height - 1 - row;  // the top row is the highest GL row read
            int wrong = 0;
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &image.rgb[(static_cast<size_t>(row) * width + x) * 3];
                wrong += p[0] != Red(y) || p[1] != Green(y) || p[2] != kBlue;
            }
            EXPECT_EQ(wrong, 0) << "row " << row << " of " << width << " x " << height;
        }

        const Status written = WritePng(dir.Path("rows.png"), image);
        ASSERT_TRUE(written.ok()) << written.error().message;
        test::Picture png;
        ASSERT_TRUE(test::ReadPng(dir.Path("rows.png"), png));
        EXPECT_EQ(png.width, width);
        EXPECT_EQ(png.height, height);
        EXPECT_TRUE(png.rgb == image.rgb) << width << " x " << height;
    }
}

}  // namespace
}  // namespace wobble
