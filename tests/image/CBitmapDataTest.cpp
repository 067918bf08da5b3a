// Why: every page, plane and thumbnail lives in this buffer; its row layout, its refusals and
// its turns decide what the viewer shows.
#include "formats/image/CBitmapData.h"

#include "tests/ProgressRecorder.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using Pixel = std::tuple<int, int, int>;

std::uint8_t* At(const CBitmapData& bitmap, int x, int y)
{
    return bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
}

Pixel Get(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = At(bitmap, x, y);
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
            const auto [b, g, r] = Tag(x, y);
            At(bitmap, x, y)[0] = static_cast<std::uint8_t>(b);
            At(bitmap, x, y)[1] = static_cast<std::uint8_t>(g);
            At(bitmap, x, y)[2] = static_cast<std::uint8_t>(r);
        }
    }
}

TEST(CBitmapDataTest, RowLengthHeaderAndPaletteByBitCount)
{
    const struct
    {
        int bitCount, stride, grey3; // grey3: blue of palette entry 3
    } cases[] = {{1, 4, 0}, {4, 4, 252}, {8, 8, 252}, {24, 16, 252}};
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(5, 3, c.bitCount)) << c.bitCount;
        EXPECT_EQ(bitmap.m_nStride, c.stride) << c.bitCount;
        EXPECT_EQ(bitmap.m_pInfo->header.nSizeImage, std::uint32_t(c.stride * 3));
        EXPECT_EQ(bitmap.m_pInfo->header.nHeight, -3);
        EXPECT_EQ(bitmap.m_pInfo->palette[3].blue, c.grey3) << c.bitCount;
        EXPECT_EQ(bitmap.m_pInfo->palette[1].red, c.bitCount == 1 ? 255 : 254);
    }
}

TEST(CBitmapDataTest, CreateKeepsPixelsOnlyForTheSameRequest)
{
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(4, 4, 24));
    EXPECT_EQ(bitmap.m_pBits[0], 0);
    bitmap.m_pBits[0] = 0xAB;
    ASSERT_TRUE(bitmap.Create(4, 4, 24));
    EXPECT_EQ(bitmap.m_pBits[0], 0xAB);
    ASSERT_TRUE(bitmap.Create(4, 4, 8)); // same size, other bit count
    EXPECT_EQ(bitmap.m_pBits[0], 0);
}

TEST(CBitmapDataTest, RefusesSizesThatDoNotFitAndLeavesTheBufferEmpty)
{
    const struct
    {
        int width, height, bitCount;
    } cases[] = {
        {0, 10, 24},         {10, -1, 24},      {10, 10, 16},         {0x7FFFFFFF, 1, 24},
        {0x2AAAAAAB, 1, 24}, {46341, 46341, 8}, {100000, 100000, 24}, {0x7FFFFFFF, 9, 1},
    };
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(2, 2, 24));
        EXPECT_FALSE(bitmap.Create(c.width, c.height, c.bitCount))
            << c.width << " x " << c.height << " x " << c.bitCount;
        EXPECT_EQ(bitmap.m_pBits, nullptr);
        EXPECT_EQ(bitmap.m_pInfo, nullptr);
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
    std::uint8_t* const bits = bitmap.m_pBits;
    const formats::PixelBuffer storage = bitmap.Detach();
    EXPECT_EQ(storage.Data(), bits);
    EXPECT_EQ(bitmap.m_pBits, nullptr);
    EXPECT_EQ(bitmap.m_pInfo, nullptr);
    EXPECT_EQ(std::tuple(bitmap.m_nWidth, bitmap.m_nHeight, bitmap.m_nBitCount, bitmap.m_nStride),
              std::tuple(3, 2, 8, 4));
}

TEST(CBitmapDataTest, QuarterTurnsOfTwoPixelRow)
{
    CBitmapData bitmap;
    ASSERT_TRUE(bitmap.Create(2, 1, 24));
    FillTagged(bitmap); // A = Tag(0, 0), B = Tag(1, 0)
    ProgressRecorder progress;
    const auto right = bitmap.RotateRight(&progress);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(std::pair(right->m_nWidth, right->m_nHeight), std::pair(1, 2));
    EXPECT_EQ(Get(*right, 0, 0), Tag(0, 0));
    EXPECT_EQ(progress.values, (std::vector<int>{0, 50, 80, 100}));
    const auto left = bitmap.RotateLeft(nullptr);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(Get(*left, 0, 0), Tag(1, 0));
    EXPECT_EQ(Get(bitmap, 0, 0), Tag(0, 0)); // the source is not changed

    CBitmapData empty;
    progress.values.clear();
    EXPECT_EQ(empty.RotateRight(&progress), nullptr);
    EXPECT_FALSE(empty.Rotate180(&progress));
    EXPECT_EQ(progress.values, (std::vector<int>{0, 100, 0}));
}

// The turn done the plain way, pixel by pixel, into zeroed storage.
std::unique_ptr<CBitmapData> ReferenceTurn(const CBitmapData& from, bool clockwise)
{
    auto to = std::make_unique<CBitmapData>();
    if (!to->Create(from.m_nHeight, from.m_nWidth, 24)) {
        return nullptr;
    }
    for (int y = 0; y < from.m_nHeight; ++y) {
        for (int x = 0; x < from.m_nWidth; ++x) {
            const int tx = clockwise ? from.m_nHeight - 1 - y : y;
            const int ty = clockwise ? x : from.m_nWidth - 1 - x;
            std::memcpy(At(*to, tx, ty), At(from, x, y), 3);
        }
    }
    return to;
}

TEST(CBitmapDataTest, QuarterTurnsEqualThePlainTurnByteForByte)
{
    // Sizes across tile and band edges, with and without row padding (a width of 4n has none,
    // so a read past the last pixel would leave the buffer), one row, one column; the padding
    // must stay zero.
    const std::pair<int, int> sizes[] = {{131, 67}, {68, 132}, {1, 5},     {5, 1},    {1, 1},
                                         {1, 700},  {700, 1},  {517, 131}, {133, 389}};
    for (const auto& [width, height] : sizes) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(width, height, 24));
        FillTagged(bitmap);
        for (const bool clockwise : {true, false}) {
            const auto turned =
                clockwise ? bitmap.RotateRight(nullptr) : bitmap.RotateLeft(nullptr);
            const auto expected = ReferenceTurn(bitmap, clockwise);
            ASSERT_TRUE(turned && expected);
            ASSERT_EQ(std::tuple(turned->m_nWidth, turned->m_nHeight, turned->m_nStride),
                      std::tuple(height, width, expected->m_nStride));
            const std::size_t bytes = std::size_t(expected->m_nStride) * width;
            EXPECT_EQ(std::memcmp(turned->m_pBits, expected->m_pBits, bytes), 0)
                << width << " x " << height << (clockwise ? " right" : " left");
        }
    }
    for (const int bitCount : {1, 4, 8}) { // three bytes a pixel would misread these
        CBitmapData other;
        ASSERT_TRUE(other.Create(9, 5, bitCount));
        EXPECT_EQ(other.RotateRight(nullptr), nullptr) << bitCount;
        EXPECT_EQ(other.RotateLeft(nullptr), nullptr) << bitCount;
    }
}

TEST(CBitmapDataTest, HalfTurnReversesRowsAndPixels)
{
    const struct
    {
        int width, height, pairs;
    } cases[] = {{5, 1, 0}, {4, 3, 1}, {3, 4, 2}};
    for (const auto& c : cases) {
        CBitmapData bitmap;
        ASSERT_TRUE(bitmap.Create(c.width, c.height, 24));
        FillTagged(bitmap);
        ProgressRecorder progress;
        ASSERT_TRUE(bitmap.Rotate180(&progress));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                EXPECT_EQ(Get(bitmap, x, y), Tag(c.width - 1 - x, c.height - 1 - y))
                    << c.width << " x " << c.height << " at " << x << "," << y;
            }
        }
        std::vector<int> expected(c.pairs + 2, 1);
        expected.front() = 0;
        expected.back() = 100;
        EXPECT_EQ(progress.values, expected);
    }
}

} // namespace
