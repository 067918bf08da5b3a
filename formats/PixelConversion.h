// From 4-bit ink levels to 24-bit colour: level ladders, coverage tables and the compositions.
#pragma once

#include <array>
#include <cstdint>
#include <span>

class CBitmapData;

namespace platform {

constexpr int kMaxLevels = 12;

// The lists derived from one level ladder. Only the first nLevels entries of each are used.
struct CoverageTable
{
    int nLevels = 0; // 4, 8 or 12
    // g: gamma-corrected coverage of each level, in percent
    std::array<int, kMaxLevels> coverage{};
    // L: byte level of each level, 255 x g / 100
    std::array<std::uint8_t, kMaxLevels> byteLevels{};
    // T[i][j]: intensity left of a channel where colour level i and black level j print
    // together; the low byte is the value
    std::array<std::array<std::uint32_t, kMaxLevels>, kMaxLevels> entries{};
};

// The process-wide table of a level mode (1: 4 levels, 2: 8 levels, 3: 12 levels) while it is
// built, else nullptr.
const CoverageTable* CoverageTableForLevelMode(int levelMode);

// The spot selector, 7 or 4, one value for the whole process; 7 when the program starts.
int GetSpotSelector();
void SetSpotSelector(int selector);

// The compositions, on plain arguments. Both cover the output's width and height, which must be
// a 24-bit buffer (anything else is left alone). A level is read from a 4-bit plane; where a
// plane is missing or does not reach a pixel, that pixel's level is 0. A level at or above the
// table's level count is taken as the table's last level, so no table is read past its end.
// Without a table the output is white.
//
// Four planes: blue = T[c2][k], green = T[c1][k], red = T[c0][k].
void ComposeFourPlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, const CoverageTable* table);
// Five planes: colour planes 0 to 2, spot plane 3, black levels in `altLevelMode` mapped onto
// the table's scale; the spot joins all three channels with selector 7, and green and blue only
// with selector 4.
void ComposeFivePlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, int altLevelMode, const CoverageTable* table,
                       int spotSelector);

} // namespace platform

// The tables live from the start to the end of one page decode; two decodes never overlap.
void BuildCoverageTable4();
void BuildCoverageTable8();
void BuildCoverageTable12();
void FreeCoverageTables();

// Maps a black level from `blackLevelMode` onto the scale of `table` by the fixed list, in
// place. Equal scales, another mode, no table, level 0 and levels above the source scale's top
// stay as they are.
void RemapLevel(int blackLevelMode, std::uint8_t& level, const platform::CoverageTable* table);
