#pragma once
// A small bitmap font for labels on pictures: 5 x 7 pixel glyphs designed for this program
// (digits, letters and the punctuation axis labels use), drawn at a whole-number scale. A
// character the font lacks is drawn as an outlined box.

#include "hosts/cli/Image.hpp"

#include <string>

namespace quorvel::cli {

// Cell size at scale 1: glyphs are 5 x 7 with one column of spacing; g, p, q and y reach two
// rows below the others.
constexpr int kGlyphAdvance = 6;
constexpr int kGlyphHeight = 7;

// Width in pixels of `text` at `scale` (without the spacing after the last glyph).
int textWidth(const std::string& text, int scale);

// Draws `text` with its top-left corner at (x, y).
void drawText(Image& image, int x, int y, const std::string& text, Rgb colour, int scale);

} // namespace quorvel::cli
