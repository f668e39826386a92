#pragma once
// A small built-in font of 5 x 7 pixel glyphs (upper case, digits and common
// punctuation; lower case is shown as upper case), drawn as little quads so
// that it scales and needs nothing beyond OpenGL 1.1.

#include <string_view>

namespace wobble {

class BitmapFont {
public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;
    static constexpr int kAdvance = 6;  // glyph width plus one pixel of spacing
    static constexpr int kLineHeight = 9;

    // Rows of the glyph, top row first; bit 4 is the leftmost pixel. Unknown
    // characters show as '?'.
    static const unsigned char* Glyph(char c);

    // Emits GL_QUADS vertices (inside a glBegin(GL_QUADS) the caller opens) for
    // `text` with its top-left corner at (x, y), y growing downwards, each font
    // pixel `scale` units wide.
    static void EmitText(std::string_view text, float x, float y, float scale);
};

}  // namespace wobble
