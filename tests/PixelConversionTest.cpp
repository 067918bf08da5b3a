// Why: these tables and compositions give every decoded page its colours; a wrong entry or a
// level read past a table shows as wrong or garbage pixels.
#include "formats/PixelConversion.h"

#include "formats/CBitmapData.h"
#include "formats/PlaneComposition.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using platform::CoverageTable;
using Pixel = std::tuple<int, int, int>; // blue, green, red

class PixelConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BuildCoverageTable8();
        BuildCoverageTable4();
        BuildCoverageTable12();
    }
    void TearDown() override { FreeCoverageTables(); }

    static const CoverageTable& Table(int levelMode)
    {
        const CoverageTable* table = platform::CoverageTableForLevelMode(levelMode);
        EXPECT_NE(table, nullptr);
        return *table;
    }
};

std::vector<int> Coverage(const CoverageTable& table)
{
    return {table.coverage.begin(), table.coverage.begin() + table.nLevels};
}

std::vector<int> ByteLevels(const CoverageTable& table)
{
    return {table.byteLevels.begin(), table.byteLevels.begin() + table.nLevels};
}

std::vector<int> Row(const CoverageTable& table, int i)
{
    return {table.entries[i].begin(), table.entries[i].begin() + table.nLevels};
}

// A set of 4-bit planes of one size, written level by level.
struct Planes
{
    Planes(int count, int width, int height) : planes(count)
    {
        for (CBitmapData& plane : planes) {
            EXPECT_TRUE(plane.Create(width, height, 4));
        }
    }
    static void Set(CBitmapData& plane, int x, int y, int level)
    {
        std::uint8_t& pair = plane.m_pBits[y * plane.m_nStride + x / 2];
        pair = static_cast<std::uint8_t>(x % 2 == 0 ? (pair & 0x0F) | level << 4
                                                    : (pair & 0xF0) | level);
    }
    std::vector<const CBitmapData*> Colour(int count) const
    {
        std::vector<const CBitmapData*> colour;
        for (int i = 0; i < count; ++i) {
            colour.push_back(&planes[i]);
        }
        return colour;
    }
    std::vector<CBitmapData> planes;
};

Pixel At(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return {p[0], p[1], p[2]};
}

TEST_F(PixelConversionTest, GammaCoverageAndByteLevelsOfTheThreeLadders)
{
    EXPECT_EQ(Coverage(Table(1)), (std::vector<int>{0, 53, 72, 100}));
    EXPECT_EQ(ByteLevels(Table(1)), (std::vector<int>{0, 135, 183, 255}));
    EXPECT_EQ(Coverage(Table(2)), (std::vector<int>{0, 38, 53, 63, 72, 80, 87, 100}));
    EXPECT_EQ(ByteLevels(Table(2)), (std::vector<int>{0, 96, 135, 160, 183, 204, 221, 255}));
    EXPECT_EQ(Coverage(Table(3)),
              (std::vector<int>{0, 31, 43, 53, 60, 66, 72, 78, 82, 87, 91, 100}));
    EXPECT_EQ(ByteLevels(Table(3)),
              (std::vector<int>{0, 79, 109, 135, 153, 168, 183, 198, 209, 221, 232, 255}));
}

TEST_F(PixelConversionTest, CoverageTablesHoldTheKnownEntries)
{
    const CoverageTable& four = Table(1);
    EXPECT_EQ(Row(four, 0), (std::vector<int>{255, 119, 71, 0}));
    EXPECT_EQ(Row(four, 1), (std::vector<int>{119, 56, 33, 0}));
    EXPECT_EQ(Row(four, 2), (std::vector<int>{71, 33, 19, 0}));
    EXPECT_EQ(Row(four, 3), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Row(Table(2), 0), (std::vector<int>{255, 158, 119, 94, 71, 51, 33, 0}));
    EXPECT_EQ(Row(Table(3), 0),
              (std::vector<int>{255, 175, 145, 119, 102, 86, 71, 56, 45, 33, 22, 0}));
    EXPECT_EQ(Table(2).entries[3][5], 18u);
    EXPECT_EQ(Table(2).entries[6][6], 4u);
    EXPECT_EQ(Table(3).entries[1][1], 121u);
    EXPECT_EQ(Table(3).entries[6][6], 19u);
    EXPECT_EQ(Table(3).entries[10][10], 2u);
    for (int mode = 1; mode <= 3; ++mode) { // symmetric
        const CoverageTable& t = Table(mode);
        for (int i = 0; i < t.nLevels; ++i) {
            for (int j = 0; j < t.nLevels; ++j) {
                EXPECT_EQ(t.entries[i][j], t.entries[j][i]) << mode << ": " << i << "," << j;
            }
        }
    }
}

TEST_F(PixelConversionTest, FreeEmptiesEveryTable)
{
    FreeCoverageTables();
    for (int mode = 0; mode <= 4; ++mode) {
        EXPECT_EQ(platform::CoverageTableForLevelMode(mode), nullptr) << mode;
    }
}

TEST_F(PixelConversionTest, RemapLevelFollowsTheFixedList)
{
    const struct
    {
        int mode;                                // black level mode
        int table;                               // level mode of the table
        std::vector<std::pair<int, int>> levels; // from -> to
    } cases[] = {
        {2, 1, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {7, 3}, {8, 8}, {15, 15}}},
        {3, 1, {{1, 1}, {3, 1}, {4, 2}, {6, 2}, {7, 3}, {11, 3}, {12, 12}}},
        {1, 2, {{0, 0}, {1, 2}, {2, 4}, {3, 7}, {4, 4}}},
        {3,
         2,
         {{1, 1},
          {2, 1},
          {3, 2},
          {4, 3},
          {5, 3},
          {6, 4},
          {7, 5},
          {8, 5},
          {9, 6},
          {10, 7},
          {11, 7},
          {12, 12}}}, // 10 -> 7: a list, not a rounding
        {1, 3, {{1, 3}, {2, 6}, {3, 11}, {4, 4}}},
        {2, 3, {{1, 2}, {2, 3}, {3, 5}, {4, 6}, {5, 8}, {6, 9}, {7, 11}, {8, 8}}},
        {2, 2, {{1, 1}, {7, 7}, {9, 9}}}, // equal scales
        {0, 2, {{3, 3}}},                 // not a level mode
        {4, 3, {{3, 3}}},
    };
    for (const auto& c : cases) {
        for (const auto& [from, to] : c.levels) {
            auto level = static_cast<std::uint8_t>(from);
            RemapLevel(c.mode, level, &Table(c.table));
            EXPECT_EQ(level, to) << c.mode << " onto " << c.table << ", level " << from;
        }
    }
    std::uint8_t level = 5;
    RemapLevel(3, level, nullptr);
    EXPECT_EQ(level, 5);
}

TEST_F(PixelConversionTest, FourPlaneExamples)
{
    const struct
    {
        int c0, c1, c2, k;
        Pixel expected;
    } cases[] = {
        {0, 0, 0, 0, {255, 255, 255}},
        {1, 0, 0, 0, {255, 255, 119}},
        {0, 0, 0, 3, {0, 0, 0}},
        {2, 1, 0, 1, {119, 56, 33}},
        {15, 0, 0, 0, {255, 255, 0}}, // levels beyond the table
                                      // count as its last level
        {0, 0, 0, 12, {0, 0, 0}},
    };
    Planes planes(4, 3, 2);
    for (const auto& c : cases) {
        Planes::Set(planes.planes[0], 1, 1, c.c0);
        Planes::Set(planes.planes[1], 1, 1, c.c1);
        Planes::Set(planes.planes[2], 1, 1, c.c2);
        Planes::Set(planes.planes[3], 1, 1, c.k);
        CBitmapData output;
        ASSERT_TRUE(output.Create(3, 2, 24));
        platform::ComposeFourPlanes(output, planes.Colour(3), &planes.planes[3], &Table(1));
        EXPECT_EQ(At(output, 1, 1), c.expected) << c.c0 << c.c1 << c.c2 << c.k;
        EXPECT_EQ(At(output, 0, 1), (Pixel{255, 255, 255}));
    }
}

TEST_F(PixelConversionTest, FivePlaneExamples)
{
    const struct
    {
        int levelMode, altMode, selector;
        int c0, c1, c2, s, k;
        Pixel expected;
    } cases[] = {
        {2, 2, 7, 0, 0, 0, 0, 0, {255, 255, 255}},
        {2, 2, 7, 0, 0, 0, 2, 0, {120, 120, 120}},
        {2, 2, 4, 0, 0, 0, 2, 0, {120, 120, 255}},
        {2, 2, 7, 7, 0, 0, 0, 1, {159, 159, 0}},   // 255 + 96 stops at 255
        {2, 2, 7, 3, 3, 3, 3, 0, {0, 0, 0}},       // 160 + 160 stops at 255
        {2, 3, 7, 0, 0, 0, 0, 10, {0, 0, 0}},      // 12-level black 10 counts as 7
        {2, 3, 7, 0, 0, 0, 0, 2, {159, 159, 159}}, // 12-level 2 -> 1 (96)
        {1, 1, 7, 1, 0, 0, 0, 0, {255, 255, 120}},
        {3, 3, 7, 0, 0, 13, 0, 0, {0, 255, 255}}, // beyond the last level: the last level
    };
    Planes planes(5, 2, 1);
    for (const auto& c : cases) {
        for (int x = 0; x < 2; ++x) {
            Planes::Set(planes.planes[0], x, 0, c.c0);
            Planes::Set(planes.planes[1], x, 0, c.c1);
            Planes::Set(planes.planes[2], x, 0, c.c2);
            Planes::Set(planes.planes[3], x, 0, c.s);
            Planes::Set(planes.planes[4], x, 0, c.k);
        }
        CBitmapData output;
        ASSERT_TRUE(output.Create(2, 1, 24));
        platform::ComposeFivePlanes(output, planes.Colour(4), &planes.planes[4], c.altMode,
                                    &Table(c.levelMode), c.selector);
        EXPECT_EQ(At(output, 0, 0), c.expected) << "case s=" << c.s << " k=" << c.k;
        EXPECT_EQ(At(output, 1, 0), c.expected) << "odd pixel, s=" << c.s << " k=" << c.k;
    }
}

TEST_F(PixelConversionTest, WithoutTableBothPathsGiveWhite)
{
    Planes planes(5, 3, 3);
    Planes::Set(planes.planes[4], 1, 1, 3);
    for (bool five : {false, true}) {
        CBitmapData output;
        ASSERT_TRUE(output.Create(3, 3, 24));
        if (five) {
            platform::ComposeFivePlanes(output, planes.Colour(4), &planes.planes[4], 2, nullptr, 7);
        } else {
            platform::ComposeFourPlanes(output, planes.Colour(3), &planes.planes[4], nullptr);
        }
        EXPECT_EQ(At(output, 1, 1), (Pixel{255, 255, 255})) << five;
        EXPECT_EQ(output.m_pBits[9], 0) << five; // row padding is not written
    }
}

TEST_F(PixelConversionTest, PartsNotCoveredByAPlaneCountAsLevelZero)
{
    // A black plane lower and narrower than the page, and a missing colour plane.
    Planes colour(4, 5, 4);
    CBitmapData black;
    ASSERT_TRUE(black.Create(3, 2, 4));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            Planes::Set(black, x, y, 7);
        }
    }
    black.m_pBits[1] |= 0x0F; // the pixel beyond the plane's width is never read
    std::vector<const CBitmapData*> planes = colour.Colour(4);
    planes[1] = nullptr;
    CBitmapData output;
    ASSERT_TRUE(output.Create(5, 4, 24));
    platform::ComposeFivePlanes(output, planes, &black, 2, &Table(2), 7);
    EXPECT_EQ(At(output, 2, 1), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(output, 3, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(At(output, 0, 2), (Pixel{255, 255, 255}));
}

// The result of one pixel as the rules state it, with levels beyond the table clamped.
Pixel Expected(bool five, const CoverageTable& t, int altMode, int selector,
               const std::array<int, 5>& levels)
{
    auto clamp = [&](int level) { return level < t.nLevels ? level : t.nLevels - 1; };
    if (!five) {
        const int k = clamp(levels[3]);
        return {int(t.entries[clamp(levels[2])][k]), int(t.entries[clamp(levels[1])][k]),
                int(t.entries[clamp(levels[0])][k])};
    }
    auto mappedBlack = static_cast<std::uint8_t>(levels[4]);
    RemapLevel(altMode, mappedBlack, &t);
    const int b = t.byteLevels[clamp(mappedBlack)];
    const int s = t.byteLevels[clamp(levels[3])];
    int a[3];
    for (int i = 0; i < 3; ++i) {
        a[i] = t.byteLevels[clamp(levels[i])];
    }
    auto sat = [](int v) { return std::min(255, v); };
    const int e0 = selector == 4 ? a[0] : sat(a[0] + s);
    return {255 - sat(sat(a[2] + s) + b), 255 - sat(sat(a[1] + s) + b), 255 - sat(e0 + b)};
}

TEST_F(PixelConversionTest, RandomPagesMatchThePerPixelRules)
{
    std::mt19937 random(12345);
    const struct
    {
        bool five;
        int levelMode, altMode, selector, width, height;
    } cases[] = {
        // widths that give whole and partial blocks of 32 pixels, pairs and a last odd pixel
        {false, 1, 1, 7, 37, 5}, {false, 2, 2, 7, 2, 3}, {false, 3, 3, 7, 1, 2},
        {true, 2, 3, 7, 41, 4},  {true, 2, 3, 4, 40, 4}, {true, 3, 1, 7, 9, 3},
        {true, 1, 2, 4, 16, 2},  {true, 3, 2, 7, 64, 3}, {true, 2, 2, 4, 75, 3},
        {true, 3, 3, 4, 97, 2},
    };
    for (const auto& c : cases) {
        Planes planes(5, c.width, c.height);
        for (CBitmapData& plane : planes.planes) {
            for (int i = 0; i < plane.m_nStride * plane.m_nHeight; ++i) {
                plane.m_pBits[i] = static_cast<std::uint8_t>(random());
            }
        }
        const CoverageTable& t = Table(c.levelMode);
        CBitmapData output;
        ASSERT_TRUE(output.Create(c.width, c.height, 24));
        if (c.five) {
            platform::ComposeFivePlanes(output, planes.Colour(4), &planes.planes[4], c.altMode, &t,
                                        c.selector);
        } else {
            platform::ComposeFourPlanes(output, planes.Colour(3), &planes.planes[4], &t);
        }
        auto level = [&](int plane, int x, int y) {
            const std::uint8_t pair =
                planes.planes[plane].m_pBits[y * planes.planes[plane].m_nStride + x / 2];
            return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
        };
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                std::array<int, 5> levels{};
                for (int p = 0; p < 5; ++p) {
                    levels[p] = level(p, x, y);
                }
                if (!c.five) {
                    levels[3] = levels[4];
                }
                ASSERT_EQ(At(output, x, y), Expected(c.five, t, c.altMode, c.selector, levels))
                    << "five=" << c.five << " mode " << c.levelMode << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(PixelConversionTest, SpotSelectorIsProcessWide)
{
    EXPECT_EQ(platform::GetSpotSelector(), 7);
    platform::SetSpotSelector(4);
    EXPECT_EQ(platform::GetSpotSelector(), 4);
    platform::SetSpotSelector(7);
}

} // namespace
