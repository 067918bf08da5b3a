#include "formats/pagestream/PixelConversion.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <span>

namespace {

using formats::CoverageTable;
using formats::kMaxLevels;

// Percent coverage of each level, level 0 first.
constexpr int kLadder4[] = {0, 25, 50, 100};
constexpr int kLadder8[] = {0, 12, 25, 37, 50, 62, 75, 100};
constexpr int kLadder12[] = {0, 8, 16, 25, 33, 41, 50, 58, 66, 75, 83, 100};

CoverageTable g_storage[3];
const CoverageTable* g_tables[3] = {nullptr, nullptr, nullptr}; // by level mode - 1
std::atomic<int> g_spotSelector{7};

void BuildTable(int slot, std::span<const int> ladder)
{
    CoverageTable& table = g_storage[slot];
    table = CoverageTable{};
    table.nLevels = static_cast<int>(ladder.size());
    for (int i = 0; i < table.nLevels; ++i) {
        const double power = std::pow(ladder[i] / 100.0, 0.45454545454545453);
        table.coverage[i] = static_cast<int>(100.0 * power);
        table.byteLevels[i] = static_cast<std::uint8_t>(255 * table.coverage[i] / 100);
    }
    for (int i = 0; i < table.nLevels; ++i) {
        for (int j = 0; j < table.nLevels; ++j) {
            const int gi = table.coverage[i];
            const int m = std::min(10000, table.coverage[j] * (100 - gi) + 100 * gi);
            table.entries[i][j] = static_cast<std::uint32_t>(((10000 - m) / 10000.0) * 255.0);
        }
    }
    g_tables[slot] = &table;
}

// The fixed black-level mappings, by source scale onto target scale.
constexpr std::uint8_t k8To4[] = {0, 1, 1, 2, 2, 3, 3, 3};
constexpr std::uint8_t k12To4[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3};
constexpr std::uint8_t k4To8[] = {0, 2, 4, 7};
constexpr std::uint8_t k12To8[] = {0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 7, 7};
constexpr std::uint8_t k4To12[] = {0, 3, 6, 11};
constexpr std::uint8_t k8To12[] = {0, 2, 3, 5, 6, 8, 9, 11};

std::span<const std::uint8_t> Mapping(int fromLevels, int toLevels)
{
    switch (fromLevels * 100 + toLevels) {
    case 804:
        return k8To4;
    case 1204:
        return k12To4;
    case 408:
        return k4To8;
    case 1208:
        return k12To8;
    case 412:
        return k4To12;
    case 812:
        return k8To12;
    default:
        return {};
    }
}

int LevelsOfMode(int levelMode)
{
    switch (levelMode) {
    case 1:
        return 4;
    case 2:
        return 8;
    case 3:
        return 12;
    default:
        return 0;
    }
}

} // namespace

namespace formats {

const CoverageTable* CoverageTableForLevelMode(int levelMode)
{
    return levelMode >= 1 && levelMode <= 3 ? g_tables[levelMode - 1] : nullptr;
}

int GetSpotSelector()
{
    return g_spotSelector.load(std::memory_order_relaxed);
}

void SetSpotSelector(int selector)
{
    g_spotSelector.store(selector, std::memory_order_relaxed);
}

} // namespace formats

void BuildCoverageTable4()
{
    BuildTable(0, kLadder4);
}

void BuildCoverageTable8()
{
    BuildTable(1, kLadder8);
}

void BuildCoverageTable12()
{
    BuildTable(2, kLadder12);
}

void FreeCoverageTables()
{
    for (int slot = 0; slot < 3; ++slot) {
        g_tables[slot] = nullptr;
        g_storage[slot] = CoverageTable{};
    }
}

void RemapLevel(int blackLevelMode, std::uint8_t& level, const formats::CoverageTable* table)
{
    if (table == nullptr) {
        return;
    }
    const std::span<const std::uint8_t> mapping =
        Mapping(LevelsOfMode(blackLevelMode), table->nLevels);
    if (level < mapping.size()) {
        level = mapping[level];
    }
}
