// Why: thumbnails are averaged reductions of whole pages, and a black plane at another
// resolution is stretched by OR so that thin lines survive; both must stay inside their
// buffers whatever the sizes.
#include "formats/Stretch.h"

#include "formats/CBitmapData.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using Pixel = std::tuple<int, int, int>;

void Set(CBitmapData& bitmap, int x, int y, Pixel pixel)
{
    std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    p[0] = static_cast<std::uint8_t>(std::get<0>(pixel));
    p[1] = static_cast<std::uint8_t>(std::get<1>(pixel));
    p[2] = static_cast<std::uint8_t>(std::get<2>(pixel));
}

Pixel At(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return {p[0], p[1], p[2]};
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

TEST(StretchHalftoneTest, UniformImageKeepsItsColourAtAnyRatio)
{
    const struct
    {
        int fromWidth, fromHeight, toWidth, toHeight;
    } cases[] = {{7, 5, 3, 2}, {4000, 6, 80, 1}, {3, 3, 7, 8}, {1, 1, 2, 240}, {9, 1, 9, 1}};
    for (const auto& c : cases) {
        CBitmapData source;
        ASSERT_TRUE(source.Create(c.fromWidth, c.fromHeight, 24));
        for (int y = 0; y < c.fromHeight; ++y) {
            for (int x = 0; x < c.fromWidth; ++x) {
                Set(source, x, y, {201, 7, 255});
            }
        }
        CBitmapData target;
        ASSERT_TRUE(target.Create(c.toWidth, c.toHeight, 24));
        ASSERT_TRUE(platform::StretchHalftone(source, target));
        for (int y = 0; y < c.toHeight; ++y) {
            for (int x = 0; x < c.toWidth; ++x) {
                ASSERT_EQ(At(target, x, y), (Pixel{201, 7, 255}))
                    << c.fromWidth << "x" << c.fromHeight << " -> " << c.toWidth << "x"
                    << c.toHeight << " at " << x << "," << y;
            }
        }
    }
}

TEST(StretchHalftoneTest, EachPixelIsTheAverageOfTheAreaItCovers)
{
    // 3 x 1 onto 2 x 1: the middle source pixel is shared half and half.
    CBitmapData source;
    ASSERT_TRUE(source.Create(3, 2, 24));
    for (int y = 0; y < 2; ++y) {
        Set(source, 0, y, {0, 90, 255});
        Set(source, 1, y, {30, 90, 0});
        Set(source, 2, y, {60, 90, 100});
    }
    CBitmapData target;
    ASSERT_TRUE(target.Create(2, 1, 24));
    ASSERT_TRUE(platform::StretchHalftone(source, target));
    EXPECT_EQ(At(target, 0, 0), (Pixel{10, 90, 170})); // (2 x 0 + 30) / 3, (2 x 255) / 3
    EXPECT_EQ(At(target, 1, 0), (Pixel{50, 90, 67}));  // (30 + 2 x 60) / 3, 66.7 rounded

    // 2 x 2 onto 1 x 1: the plain mean, rounded to nearest.
    CBitmapData square;
    ASSERT_TRUE(square.Create(2, 2, 24));
    Set(square, 0, 0, {0, 0, 0});
    Set(square, 1, 0, {255, 1, 3});
    Set(square, 0, 1, {0, 0, 0});
    Set(square, 1, 1, {255, 0, 3});
    CBitmapData one;
    ASSERT_TRUE(one.Create(1, 1, 24));
    ASSERT_TRUE(platform::StretchHalftone(square, one));
    EXPECT_EQ(At(one, 0, 0), (Pixel{128, 0, 2})); // 127.5, 0.25, 1.5
}

TEST(StretchHalftoneTest, RefusesBuffersThatAreNotColour)
{
    CBitmapData colour;
    ASSERT_TRUE(colour.Create(4, 4, 24));
    CBitmapData plane;
    ASSERT_TRUE(plane.Create(4, 4, 4));
    CBitmapData empty;
    EXPECT_FALSE(platform::StretchHalftone(plane, colour));
    EXPECT_FALSE(platform::StretchHalftone(colour, plane));
    EXPECT_FALSE(platform::StretchHalftone(empty, colour));
    EXPECT_FALSE(platform::StretchHalftone(colour, empty));
}

TEST(StretchWhiteOnBlackTest, ReductionCombinesDroppedPixelsByOr)
{
    CBitmapData source;
    ASSERT_TRUE(source.Create(6, 4, 4));
    SetLevel(source, 0, 0, 1);
    SetLevel(source, 1, 1, 2); // same target pixel as (0, 0)
    SetLevel(source, 5, 3, 4);
    SetLevel(source, 4, 2, 8);
    CBitmapData target;
    ASSERT_TRUE(target.Create(3, 2, 4));
    ASSERT_TRUE(platform::StretchWhiteOnBlack(source, 6, 4, target));
    EXPECT_EQ(Level(target, 0, 0), 3);
    EXPECT_EQ(Level(target, 1, 0), 0);
    EXPECT_EQ(Level(target, 2, 1), 12);
    EXPECT_EQ(Level(target, 1, 1), 0);
}

TEST(StretchWhiteOnBlackTest, EnlargementRepeatsPixelsOfTheTopLeftArea)
{
    CBitmapData source;
    ASSERT_TRUE(source.Create(4, 3, 4));
    SetLevel(source, 0, 0, 5);
    SetLevel(source, 2, 1, 7);
    SetLevel(source, 3, 0, 15); // outside the 3 x 2 area
    SetLevel(source, 0, 2, 15);
    CBitmapData target;
    ASSERT_TRUE(target.Create(7, 4, 4));
    ASSERT_TRUE(platform::StretchWhiteOnBlack(source, 3, 2, target));
    const std::vector<std::vector<int>> expected = {
        {5, 5, 5, 0, 0, 0, 0},
        {5, 5, 5, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 7, 7},
        {0, 0, 0, 0, 0, 7, 7},
    };
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(Level(target, x, y), expected[y][x]) << x << "," << y;
        }
    }
    EXPECT_EQ(target.m_pBits[3] & 0x0F, 0); // the nibble beyond an odd width
}

TEST(StretchWhiteOnBlackTest, RefusesAreasOutsideTheSource)
{
    CBitmapData source;
    ASSERT_TRUE(source.Create(4, 3, 4));
    CBitmapData target;
    ASSERT_TRUE(target.Create(2, 2, 4));
    CBitmapData colour;
    ASSERT_TRUE(colour.Create(2, 2, 24));
    EXPECT_FALSE(platform::StretchWhiteOnBlack(source, 5, 3, target));
    EXPECT_FALSE(platform::StretchWhiteOnBlack(source, 4, 4, target));
    EXPECT_FALSE(platform::StretchWhiteOnBlack(source, 0, 3, target));
    EXPECT_FALSE(platform::StretchWhiteOnBlack(source, 4, 3, colour));
    EXPECT_TRUE(platform::StretchWhiteOnBlack(source, 4, 3, target));
}

} // namespace
