#include "tools/DigitFont.h"

#include <array>
#include <cstdint>

namespace samplejob {
namespace {

// One row a byte, the leftmost column in bit 4.
constexpr std::array<std::array<uint8_t, kGlyphRows>, 10> kGlyphs = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, // 9
}};

} // namespace

int TextCells(std::string_view digits)
{
    return digits.empty() ? 0 : static_cast<int>(digits.size()) * (kGlyphColumns + 1) - 1;
}

void DrawDigits(LevelPlane& plane, std::string_view digits, int x, int y, int cell, uint8_t level)
{
    for (char c : digits) {
        if (c >= '0' && c <= '9') {
            const auto& glyph = kGlyphs[static_cast<size_t>(c - '0')];
            for (int row = 0; row < kGlyphRows; ++row) {
                for (int column = 0; column < kGlyphColumns; ++column) {
                    if (glyph[static_cast<size_t>(row)] >> (kGlyphColumns - 1 - column) & 1) {
                        plane.Fill(x + column * cell, y + row * cell, x + (column + 1) * cell,
                                   y + (row + 1) * cell, level);
                    }
                }
            }
        }
        x += (kGlyphColumns + 1) * cell;
    }
}

} // namespace samplejob
