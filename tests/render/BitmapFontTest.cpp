// The built-in font's glyph look-up.

#include <gtest/gtest.h>

#include "render/BitmapFont.h"

namespace wobble {
namespace {

TEST(BitmapFont, LowerCaseShowsAsUpperCaseAndUnknownCharactersAsAQuestionMark) {
    EXPECT_EQ(BitmapFont::Glyph('a'), BitmapFont::Glyph('A'));
    EXPECT_EQ(BitmapFont::Glyph('z'), BitmapFont::Glyph('Z'));
    EXPECT_EQ(BitmapFont::Glyph('~'), BitmapFont::Glyph('?'));
    EXPECT_EQ(BitmapFont::Glyph('\t'), BitmapFont::Glyph('?'));
    EXPECT_EQ(BitmapFont::Glyph('\xe9'), BitmapFont::Glyph('?'));  // beyond ASCII
    EXPECT_NE(BitmapFont::Glyph('A'), BitmapFont::Glyph('?'));
}

TEST(BitmapFont, RowsAreTopFirstWithTheLeftmostPixelInBitFour) {
    const unsigned char* t = BitmapFont::Glyph('T');
    EXPECT_EQ(t[0], 0x1F);  // the bar across the top
    for (int row = 1; row < BitmapFont::kGlyphHeight; ++row)
        EXPECT_EQ(t[row], 0x04) << row;  // the stem in the middle column
    const unsigned char* l = BitmapFont::Glyph('L');
    EXPECT_EQ(l[0], 0x10);
    EXPECT_EQ(l[BitmapFont::kGlyphHeight - 1], 0x1F);
    const unsigned char* space = BitmapFont::Glyph(' ');
    for (int row = 0; row < BitmapFont::kGlyphHeight; ++row)
        EXPECT_EQ(space[row], 0) << row;
}

}  // namespace
}  // namespace wobble
