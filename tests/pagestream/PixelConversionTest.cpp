// Why: these tables and compositions give every decoded page its colours; a wrong entry or a
// level read past a table shows as wrong or garbage pixels.
#include "formats/pagestream/PixelConversion.h"

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/PlaneComposition.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using formats::CoverageTable;
using Pixel = std::tuple<int, int, int>; // blue, green, red
using Levels = std::array<int, 5>;       // c0, c1, c2, spot or black, black

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
    static const CoverageTable& Table(int mode)
    {
        return *formats::CoverageTableForLevelMode(mode);
    }
};

template <typename T>
std::vector<int> Head(const T& list, int count)
{
    return {list.begin(), list.begin() + count};
}

int Level(const CBitmapData& plane, int x, int y)
{
    const std::uint8_t pair = plane.m_pBits[y * plane.m_nStride + x / 2];
    return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

void SetLevel(CBitmapData& plane, int x, int y, int level)
{
    std::uint8_t& pair = plane.m_pBits[y * plane.m_nStride + x / 2];
    pair =
        static_cast<std::uint8_t>(x % 2 == 0 ? (pair & 0x0F) | level << 4 : (pair & 0xF0) | level);
}

Pixel Get(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return {p[0], p[1], p[2]};
}

// Five planes of one size; the four-plane path uses 0-2 and 4 as black.
struct Planes
{
    Planes(int width, int height) : planes(5)
    {
        for (CBitmapData& plane : planes) {
            EXPECT_TRUE(plane.Create(width, height, 4));
        }
    }
    void Set(int x, int y, const Levels& levels)
    {
        for (int i = 0; i < 5; ++i) {
            SetLevel(planes[i], x, y, levels[i]);
        }
    }
    std::vector<const CBitmapData*> Colour(int count) const
    {
        std::vector<const CBitmapData*> colour;
        for (int i = 0; i < count; ++i) {
            colour.push_back(&planes[i]);
        }
        return colour;
    }
    std::unique_ptr<CBitmapData> Compose(bool five, const CoverageTable* table, int altMode = 0,
                                         int selector = 7) const
    {
        auto made = std::make_unique<CBitmapData>();
        CBitmapData& output = *made;
        EXPECT_TRUE(output.Create(planes[0].m_nWidth, planes[0].m_nHeight, 24));
        if (five) {
            formats::ComposeFivePlanes(output, Colour(4), &planes[4], altMode, table, selector);
        } else {
            formats::ComposeFourPlanes(output, Colour(3), &planes[4], table);
        }
        return made;
    }
    std::vector<CBitmapData> planes;
};

TEST_F(PixelConversionTest, LaddersGiveTheKnownListsAndTables)
{
    EXPECT_EQ(Head(Table(1).coverage, 4), (std::vector<int>{0, 53, 72, 100}));
    EXPECT_EQ(Head(Table(1).byteLevels, 4), (std::vector<int>{0, 135, 183, 255}));
    EXPECT_EQ(Head(Table(2).coverage, 8), (std::vector<int>{0, 38, 53, 63, 72, 80, 87, 100}));
    EXPECT_EQ(Head(Table(2).byteLevels, 8),
              (std::vector<int>{0, 96, 135, 160, 183, 204, 221, 255}));
    EXPECT_EQ(Head(Table(3).coverage, 12),
              (std::vector<int>{0, 31, 43, 53, 60, 66, 72, 78, 82, 87, 91, 100}));
    EXPECT_EQ(Head(Table(3).byteLevels, 12),
              (std::vector<int>{0, 79, 109, 135, 153, 168, 183, 198, 209, 221, 232, 255}));

    const std::vector<std::vector<int>> four = {
        {255, 119, 71, 0}, {119, 56, 33, 0}, {71, 33, 19, 0}, {0, 0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Head(Table(1).entries[i], 4), four[i]) << "row " << i;
    }
    EXPECT_EQ(Head(Table(2).entries[0], 8), (std::vector<int>{255, 158, 119, 94, 71, 51, 33, 0}));
    EXPECT_EQ(Head(Table(3).entries[0], 12),
              (std::vector<int>{255, 175, 145, 119, 102, 86, 71, 56, 45, 33, 22, 0}));
    EXPECT_EQ(Table(2).entries[3][5], 18u);
    EXPECT_EQ(Table(2).entries[6][6], 4u);
    EXPECT_EQ(Table(3).entries[1][1], 121u);
    EXPECT_EQ(Table(3).entries[6][6], 19u);
    EXPECT_EQ(Table(3).entries[10][10], 2u);

    FreeCoverageTables();
    EXPECT_EQ(formats::CoverageTableForLevelMode(2), nullptr);
}

TEST_F(PixelConversionTest, RemapLevelFollowsTheFixedList)
{
    const struct
    {
        int mode, table;                         // black level mode, level mode of the table
        std::vector<std::pair<int, int>> levels; // from -> to
    } cases[] = {
        {2, 1, {{0, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {7, 3}, {8, 8}, {15, 15}}},
        {3, 1, {{3, 1}, {4, 2}, {6, 2}, {7, 3}, {11, 3}, {12, 12}}},
        {1, 2, {{1, 2}, {2, 4}, {3, 7}, {4, 4}}},
        {3, 2, {{2, 1}, {3, 2}, {5, 3}, {6, 4}, {8, 5}, {9, 6}, {10, 7}, {11, 7}}},
        {1, 3, {{1, 3}, {2, 6}, {3, 11}}},
        {2, 3, {{1, 2}, {2, 3}, {3, 5}, {4, 6}, {5, 8}, {6, 9}, {7, 11}, {8, 8}}},
        {2, 2, {{7, 7}, {9, 9}}}, // equal scales
        {0, 2, {{3, 3}}},         // not a level mode
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

TEST_F(PixelConversionTest, CompositionExamples)
{
    const struct
    {
        bool five;
        int levelMode, altMode, selector;
        Levels levels;
        Pixel expected;
    } cases[] = {
        {false, 1, 0, 7, {0, 0, 0, 0, 0}, {255, 255, 255}},
        {false, 1, 0, 7, {1, 0, 0, 0, 0}, {255, 255, 119}},
        {false, 1, 0, 7, {0, 0, 0, 0, 3}, {0, 0, 0}},
        {false, 1, 0, 7, {2, 1, 0, 0, 1}, {119, 56, 33}},
        {false, 1, 0, 7, {15, 0, 0, 0, 12}, {0, 0, 0}}, // beyond the table: its last level
        {true, 2, 2, 7, {0, 0, 0, 0, 0}, {255, 255, 255}},
        {true, 2, 2, 7, {0, 0, 0, 2, 0}, {120, 120, 120}},
        {true, 2, 2, 4, {0, 0, 0, 2, 0}, {120, 120, 255}},
        {true, 2, 2, 7, {7, 0, 0, 0, 1}, {159, 159, 0}}, // 255 + 96 stops at 255
        {true, 2, 3, 7, {0, 0, 0, 0, 10}, {0, 0, 0}},    // 12-level black 10 counts as 7
        {true, 3, 3, 7, {0, 0, 13, 0, 0}, {0, 255, 255}},
        {false, 0, 0, 7, {3, 3, 3, 3, 3}, {255, 255, 255}}, // no table: white
        {true, 0, 2, 7, {3, 3, 3, 3, 3}, {255, 255, 255}},
    };
    for (const auto& c : cases) {
        Planes planes(3, 1);
        planes.Set(1, 0, c.levels); // an odd pixel
        planes.Set(2, 0, c.levels); // an even one
        const auto output = planes.Compose(c.five, formats::CoverageTableForLevelMode(c.levelMode),
                                           c.altMode, c.selector);
        EXPECT_EQ(Get(*output, 1, 0), c.expected) << c.five << " " << c.levels[0] << c.levels[3];
        EXPECT_EQ(Get(*output, 2, 0), c.expected) << c.five << " " << c.levels[0] << c.levels[3];
        EXPECT_EQ(Get(*output, 0, 0), (Pixel{255, 255, 255}));
    }
}

TEST_F(PixelConversionTest, PartsNotCoveredByAPlaneCountAsLevelZero)
{
    // A black plane lower and narrower than the page, and a missing colour plane.
    Planes colour(5, 4);
    CBitmapData black;
    ASSERT_TRUE(black.Create(3, 2, 4));
    std::fill(black.m_pBits, black.m_pBits + 2 * black.m_nStride, 0x77);
    black.m_pBits[1] |= 0x0F; // the pixel beyond the plane's width is never read
    std::vector<const CBitmapData*> planes = colour.Colour(4);
    planes[1] = nullptr;
    CBitmapData output;
    ASSERT_TRUE(output.Create(5, 4, 24));
    formats::ComposeFivePlanes(output, planes, &black, 2, &Table(2), 7);
    EXPECT_EQ(Get(output, 2, 1), (Pixel{0, 0, 0}));
    EXPECT_EQ(Get(output, 3, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(Get(output, 0, 2), (Pixel{255, 255, 255}));
}

// One pixel as the rules state it, with levels beyond the table clamped.
Pixel Expected(bool five, const CoverageTable& t, int altMode, int selector, const Levels& levels)
{
    auto clamp = [&](int level) { return std::min(level, t.nLevels - 1); };
    if (!five) {
        const int k = clamp(levels[4]);
        return {int(t.entries[clamp(levels[2])][k]), int(t.entries[clamp(levels[1])][k]),
                int(t.entries[clamp(levels[0])][k])};
    }
    auto black = static_cast<std::uint8_t>(levels[4]);
    RemapLevel(altMode, black, &t);
    auto L = [&](int level) { return int(t.byteLevels[clamp(level)]); };
    auto sat = [](int v) { return std::min(255, v); };
    const int s = L(levels[3]);
    const int b = L(black);
    const int e0 = selector == 4 ? L(levels[0]) : sat(L(levels[0]) + s);
    return {255 - sat(sat(L(levels[2]) + s) + b), 255 - sat(sat(L(levels[1]) + s) + b),
            255 - sat(e0 + b)};
}

TEST_F(PixelConversionTest, RandomPagesMatchThePerPixelRules)
{
    // Widths that give whole and partial blocks of 32 pixels, pairs and a last odd pixel. Row 1
    // has no black, row 2 no colour and row 3 no ink, which the four-plane path takes in blocks.
    const struct
    {
        bool five;
        int levelMode, altMode, selector, width;
    } cases[] = {
        {false, 1, 0, 7, 37}, {false, 3, 0, 7, 1},  {true, 2, 3, 7, 41},   {true, 2, 3, 4, 40},
        {true, 3, 1, 7, 9},   {true, 3, 2, 7, 64},  {true, 2, 2, 4, 75},   {true, 1, 2, 4, 97},
        {false, 3, 0, 7, 64}, {false, 2, 0, 7, 99}, {false, 1, 0, 7, 200},
    };
    std::mt19937 random(12345);
    for (const auto& c : cases) {
        Planes planes(c.width, 4);
        for (CBitmapData& plane : planes.planes) {
            for (int i = 0; i < plane.m_nStride * plane.m_nHeight; ++i) {
                plane.m_pBits[i] = static_cast<std::uint8_t>(random());
            }
        }
        for (int p = 0; p < 5; ++p) {
            for (const int blankRow : {p == 4 ? 1 : 2, 3}) {
                std::memset(planes.planes[p].m_pBits + blankRow * planes.planes[p].m_nStride, 0,
                            static_cast<std::size_t>(planes.planes[p].m_nStride));
            }
        }
        const CoverageTable& t = Table(c.levelMode);
        const auto output = planes.Compose(c.five, &t, c.altMode, c.selector);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < c.width; ++x) {
                Levels levels{};
                for (int p = 0; p < 5; ++p) {
                    levels[p] = Level(planes.planes[p], x, y);
                }
                ASSERT_EQ(Get(*output, x, y), Expected(c.five, t, c.altMode, c.selector, levels))
                    << "five=" << c.five << " mode " << c.levelMode << " at " << x << "," << y;
            }
        }
    }
}

} // namespace
