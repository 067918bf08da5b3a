// A tiny built-in 5 x 7 digit font, drawn with square cells so that a page number stays
// legible in a thumbnail.
#pragma once

#include "tools/LevelPlane.h"

#include <string_view>

namespace samplejob {

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;

// Width in cells of `digits` set with one blank cell between glyphs.
int TextCells(std::string_view digits);
// Draws the digits of `digits` (other characters leave a gap) with their top-left corner
// at (x, y), each cell `cell` pixels square.
void DrawDigits(LevelPlane& plane, std::string_view digits, int x, int y, int cell, uint8_t level);

} // namespace samplejob
