// From ink levels to colour: level ladders, coverage tables and the black-level mapping.
#pragma once

#include <array>
#include <cstdint>

namespace formats {

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

} // namespace formats

// The tables live from the start to the end of one page decode; two decodes never overlap.
void BuildCoverageTable4();
void BuildCoverageTable8();
void BuildCoverageTable12();
void FreeCoverageTables();

// Maps a black level from `blackLevelMode` onto the scale of `table` by the fixed list, in
// place. Equal scales, another mode, no table, level 0 and levels above the source scale's top
// stay as they are.
void RemapLevel(int blackLevelMode, std::uint8_t& level, const formats::CoverageTable* table);
