// Why: every page, plane and thumbnail lives in this buffer; its row layout, its refusals and
// its turns decide what the viewer shows.
#include "formats/CBitmapData.h"

#include "ProgressRecorder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using Pixel = std::tuple<int, int, int>;

void SetPixel(CBitmapData& bitmap, int x, int y, Pixel pixel)
{
    std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    p[0] = static_cast<std::uint8_t>(std::get<0>(pixel));
    p[1] = static_cast<std::uint8_t>(std::get<1>(pixel));
    p[2] = static_cast<std::uint8_t>(std::get<2>(pixel));
}

Pixel GetPixel(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return {p[0], p[1], p[2]};
}

// A pixel that names its own position, so a misplaced copy shows.
Pixel Tag(int x, int y)
{
    return {x & 0xFF, y & 0xFF, (x >> 8) * 16 + (y >> 8)};
}

void FillTagged(CBitmapData& bitmap)
{
    for (int y = 0; y < bitmap.m_nHeight; ++y) {
        for (int x = 0; x < bitmap.m_nWidth; ++x) {
            SetPixel(bitmap, x, y, Tag(x, y));
        }
    }
}

TEST(CBitmapDataTest, RowLengthsOfWidthFiveByBitCount)
{
    const struct
    {
        int bitCount;
        int stride;
    } cases[] = {{1, 4}, {4, 4}, {8, 8}, {24, 16}};
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(5, 3, c.bitCount)) << c.bitCount;
        EXPECT_EQ(bitmap.m_nStride, c.stride) << c.bitCount;
        EXPECT_EQ(bitmap.m_pInfo->header.nSizeImage, std::uint32_t(c.stride * 3));
        EXPECT_EQ(bitmap.m_pInfo->header.nHeight, -3);
        EXPECT_EQ(bitmap.m_pInfo->header.nBitCount, c.bitCount);
    }
}

TEST(CBitmapDataTest, PaletteIsBlackWhiteForOneBitAndInvertedGreyOtherwise)
{
    CBitmapData mono;
    ASSERT_TRUE(mono.Create(8, 1, 1));
    EXPECT_EQ(mono.m_pInfo->palette[0].red, 0);
    EXPECT_EQ(mono.m_pInfo->palette[1].green, 255);
    EXPECT_EQ(mono.m_pInfo->palette[2].blue, 0);

    CBitmapData grey;
    ASSERT_TRUE(grey.Create(8, 1, 4));
    EXPECT_EQ(grey.m_pInfo->palette[0].blue, 255);
    EXPECT_EQ(grey.m_pInfo->palette[3].red, 252);
    EXPECT_EQ(grey.m_pInfo->palette[255].green, 0);
    EXPECT_EQ(grey.m_pInfo->palette[3].reserved, 0);
}

TEST(CBitmapDataTest, CreateKeepsPixelsOnlyForTheSameRequest)
{
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(4, 4, 24));
    EXPECT_EQ(bitmap.m_pBits[0], 0); // new storage starts at zero
    bitmap.m_pBits[0] = 0xAB;
    ASSERT_TRUE(bitmap.Create(4, 4, 24));
    EXPECT_EQ(bitmap.m_pBits[0], 0xAB);

    ASSERT_TRUE(bitmap.Create(5, 4, 24));
    EXPECT_EQ(bitmap.m_pBits[0], 0);
    bitmap.m_pBits[0] = 0xAB;
    ASSERT_TRUE(bitmap.Create(5, 4, 8)); // same size, other bit count
    EXPECT_EQ(bitmap.m_pBits[0], 0);
}

TEST(CBitmapDataTest, RefusesSizesThatDoNotFitAndLeavesTheBufferEmpty)
{
    const struct
    {
        int width;
        int height;
        int bitCount;
    } cases[] = {
        {0, 10, 24},         {10, 0, 24},         {-1, 10, 24},         {10, 10, 16},
        {10, 10, 32},        {0x7FFFFFFF, 1, 24}, // row beyond 32 bits
        {0x2AAAAAAB, 1, 24}, {46341, 46341, 8},   {100000, 100000, 24}, {0x7FFFFFFF, 9, 1},
    };
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(2, 2, 24));
        EXPECT_FALSE(bitmap.Create(c.width, c.height, c.bitCount))
            << c.width << " x " << c.height << " x " << c.bitCount;
        EXPECT_EQ(bitmap.m_pBits, nullptr);
        EXPECT_EQ(bitmap.m_pInfo, nullptr);
        EXPECT_EQ(bitmap.m_nWidth, 0);
        EXPECT_EQ(bitmap.m_nBitCount, 1);
    }
}

TEST(CBitmapDataTest, ClearZeroesAndDetachHandsOverTheStorage)
{
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(3, 2, 8));
    bitmap.m_pBits[7] = 9;
    bitmap.Clear();
    EXPECT_EQ(bitmap.m_pBits[7], 0);

    bitmap.m_pBits[1] = 5;
    std::uint8_t* const bits = bitmap.m_pBits;
    platform::PixelBuffer storage = bitmap.Detach();
    EXPECT_EQ(storage.Data(), bits);
    EXPECT_EQ(storage.Data()[1], 5);
    EXPECT_EQ(bitmap.m_pBits, nullptr);
    EXPECT_EQ(bitmap.m_pInfo, nullptr);
    EXPECT_EQ(bitmap.m_nWidth, 3);
    EXPECT_EQ(bitmap.m_nHeight, 2);
    EXPECT_EQ(bitmap.m_nBitCount, 8);
    EXPECT_EQ(bitmap.m_nStride, 4);
    bitmap.Clear(); // nothing to clear any more
}

TEST(CBitmapDataTest, QuarterTurnsOfTwoPixelRow)
{
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(2, 1, 24));
    const Pixel a{1, 2, 3};
    const Pixel b{4, 5, 6};
    SetPixel(bitmap, 0, 0, a);
    SetPixel(bitmap, 1, 0, b);

    ProgressRecorder progress;
    const auto right = bitmap.RotateRight(&progress);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->m_nWidth, 1);
    EXPECT_EQ(right->m_nHeight, 2);
    EXPECT_EQ(GetPixel(*right, 0, 0), a);
    EXPECT_EQ(GetPixel(*right, 0, 1), b);
    EXPECT_EQ(progress.values, (std::vector<int>{0, 50, 80, 100}));

    const auto left = bitmap.RotateLeft(nullptr);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(GetPixel(*left, 0, 0), b);
    EXPECT_EQ(GetPixel(*left, 0, 1), a);
    EXPECT_EQ(GetPixel(bitmap, 0, 0), a); // the source is not changed
}

TEST(CBitmapDataTest, QuarterTurnsMoveEveryPixelAcrossTileEdges)
{
    // Sizes across tile edges, with and without row padding (a width of 4n has none, so a
    // read past the last pixel would leave the buffer).
    const struct
    {
        int width, height;
    } cases[] = {{131, 67}, {68, 132}, {1, 5}, {5, 1}, {64, 64}};
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(c.width, c.height, 24));
        FillTagged(bitmap);
        const auto right = bitmap.RotateRight(nullptr);
        const auto left = bitmap.RotateLeft(nullptr);
        ASSERT_NE(right, nullptr);
        ASSERT_NE(left, nullptr);
        ASSERT_EQ(right->m_nWidth, c.height);
        ASSERT_EQ(right->m_nHeight, c.width);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(GetPixel(*right, c.height - 1 - y, x), Tag(x, y))
                    << c.width << "x" << c.height << " at " << x << "," << y;
                ASSERT_EQ(GetPixel(*left, y, c.width - 1 - x), Tag(x, y))
                    << c.width << "x" << c.height << " at " << x << "," << y;
            }
        }
    }
}

TEST(CBitmapDataTest, QuarterTurnsRefuseEmptyAndNonColourBuffers)
{
    CBitmapData empty;
    ProgressRecorder progress;
    EXPECT_EQ(empty.RotateRight(&progress), nullptr);
    EXPECT_EQ(progress.values, (std::vector<int>{0, 100}));

    CBitmapData plane; // three bytes per pixel would run past a 4-bit row
    ASSERT_TRUE(plane.Create(9, 5, 4));
    EXPECT_EQ(plane.RotateLeft(nullptr), nullptr);
}

TEST(CBitmapDataTest, HalfTurnReversesRowsAndPixels)
{
    const struct
    {
        int width;
        int height;
        int pairs;
    } cases[] = {{5, 1, 0}, {4, 3, 1}, {3, 4, 2}, {1, 1, 0}};
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(c.width, c.height, 24));
        FillTagged(bitmap);
        ProgressRecorder progress;
        ASSERT_TRUE(bitmap.Rotate180(&progress));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                EXPECT_EQ(GetPixel(bitmap, x, y), Tag(c.width - 1 - x, c.height - 1 - y))
                    << c.width << " x " << c.height << " at " << x << "," << y;
            }
        }
        std::vector<int> expected{0};
        expected.insert(expected.end(), c.pairs, 1);
        expected.push_back(100);
        EXPECT_EQ(progress.values, expected);
    }
}

TEST(CBitmapDataTest, HalfTurnOfEmptyBufferFailsAfterFirstPost)
{
    CBitmapData empty;
    ProgressRecorder progress;
    EXPECT_FALSE(empty.Rotate180(&progress));
    EXPECT_EQ(progress.values, (std::vector<int>{0}));
}

TEST(CBitmapDataTest, LargeBuffersAreZeroedAndTurnable)
{
    // Large enough for the mapped, huge-page path outside the sanitizer build.
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(1500, 1100, 24));
    const std::size_t size = std::size_t(bitmap.m_nStride) * 1100;
    EXPECT_EQ(bitmap.m_pBits[0], 0);
    EXPECT_EQ(bitmap.m_pBits[size - 1], 0);
    SetPixel(bitmap, 1499, 1099, {7, 8, 9});
    const auto right = bitmap.RotateRight(nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(GetPixel(*right, 0, 1499), (Pixel{7, 8, 9}));
}

} // namespace
