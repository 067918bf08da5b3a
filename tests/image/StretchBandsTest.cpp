// Why: a thumbnail is averaged from a page made a band of rows at a time; it must come out
// exactly as the stretch of the whole page, whatever rows the bands end at, and each row must
// be made once.
#include "formats/image/CBitmapData.h"
#include "formats/image/Stretch.h"
#include "tests/image/SamePixels.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

TEST(StretchBandsTest, BandsGiveTheWholeStretchAtEveryBandHeightAndRatio)
{
    // Band heights follow the width (a band is a few hundred kilobytes): 87,382 pixels a row
    // gives bands of one row, 30,000 of two, 12,000 of seven, 16 pixels of the whole source.
    struct Case
    {
        int width, height, targetWidth, targetHeight;
    };
    const Case cases[] = {
        {87382, 9, 5, 4},    {30000, 37, 120, 5}, {30000, 37, 7, 36}, {12000, 50, 80, 13},
        {12000, 50, 3, 120}, {12000, 17, 2, 17},  {16, 29, 84, 120},  {16, 1, 1, 3},
    };
    std::mt19937 random(21);
    for (const Case& c : cases) {
        CBitmapData source;
        ASSERT_TRUE(source.Create(c.width, c.height, 24));
        for (int y = 0; y < c.height; ++y) {
            std::uint8_t* row = source.m_pBits + y * source.m_nStride;
            for (int i = 0; i < 3 * c.width; ++i) {
                row[i] = static_cast<std::uint8_t>(random());
            }
        }
        CBitmapData whole;
        ASSERT_TRUE(whole.Create(c.targetWidth, c.targetHeight, 24));
        ASSERT_TRUE(formats::StretchHalftone(source, whole));

        int next = 0; // the next row to be made
        bool inOrder = true;
        const auto makeBand = [&](int first, int count, CBitmapData& band) {
            inOrder = inOrder && first == next && count >= 1 && count <= band.m_nHeight &&
                      band.m_nWidth == c.width;
            next = first + count;
            for (int j = 0; j < count; ++j) {
                std::memcpy(band.m_pBits + j * band.m_nStride,
                            source.m_pBits + (first + j) * source.m_nStride,
                            3 * std::size_t(c.width));
            }
        };
        CBitmapData banded;
        ASSERT_TRUE(banded.Create(c.targetWidth, c.targetHeight, 24));
        ASSERT_TRUE(formats::StretchHalftoneBands(c.width, c.height, makeBand, banded));
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " -> " +
                                 std::to_string(c.targetWidth) + "x" +
                                 std::to_string(c.targetHeight);
        EXPECT_TRUE(inOrder && next == c.height) << what;
        EXPECT_TRUE(SamePixels(whole, banded)) << what;
    }
}

TEST(StretchBandsTest, RefusesWhatHasNoPixels)
{
    const formats::BandMaker white = [](int, int count, CBitmapData& band) {
        std::memset(band.m_pBits, 0xFF, std::size_t(band.m_nStride) * std::size_t(count));
    };
    CBitmapData target;
    ASSERT_TRUE(target.Create(2, 2, 24));
    CBitmapData plane;
    ASSERT_TRUE(plane.Create(2, 2, 4));
    EXPECT_FALSE(formats::StretchHalftoneBands(0, 5, white, target));
    EXPECT_FALSE(formats::StretchHalftoneBands(5, 0, white, target));
    EXPECT_FALSE(formats::StretchHalftoneBands(5, 5, white, plane));
    EXPECT_FALSE(formats::StretchHalftoneBands(5, 5, nullptr, target));
    EXPECT_EQ(target.m_pBits[0], 0); // left as it was
    ASSERT_TRUE(formats::StretchHalftoneBands(5, 5, white, target));
    EXPECT_EQ(target.m_pBits[0], 0xFF);
}

} // namespace
