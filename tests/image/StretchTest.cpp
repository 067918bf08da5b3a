// Why: thumbnails are averaged reductions of whole pages, and a black plane at another
// resolution is stretched by OR so that thin lines survive; both must stay inside their buffers.
#include "formats/image/Stretch.h"

#include "formats/image/CBitmapData.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A buffer whose bytes (24 bits) or levels (4 bits) are given row by row.
std::unique_ptr<CBitmapData> Make(int width, int bitCount,
                                  const std::vector<std::vector<int>>& rows)
{
    auto made = std::make_unique<CBitmapData>();
    CBitmapData& bitmap = *made;
    EXPECT_TRUE(bitmap.Create(width, static_cast<int>(rows.size()), bitCount));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        std::uint8_t* row = bitmap.m_pBits + y * bitmap.m_nStride;
        for (std::size_t i = 0; i < rows[y].size(); ++i) {
            if (bitCount == 24) {
                row[i] = static_cast<std::uint8_t>(rows[y][i]);
            } else {
                row[i / 2] |= static_cast<std::uint8_t>(rows[y][i] << (i % 2 == 0 ? 4 : 0));
            }
        }
    }
    return made;
}

std::vector<int> Row(const CBitmapData& bitmap, int y)
{
    std::vector<int> values;
    const std::uint8_t* row = bitmap.m_pBits + y * bitmap.m_nStride;
    for (int i = 0; i < (bitmap.m_nBitCount == 24 ? 3 : 1) * bitmap.m_nWidth; ++i) {
        values.push_back(bitmap.m_nBitCount == 24 ? row[i]
                                                  : (row[i / 2] >> (i % 2 == 0 ? 4 : 0)) & 15);
    }
    return values;
}

TEST(StretchTest, HalftoneKeepsAUniformColourAtAnyRatio)
{
    const int sizes[][4] = {{7, 5, 3, 2}, {4000, 6, 80, 1}, {3, 3, 7, 8}, {1, 1, 2, 240}};
    for (const auto& s : sizes) {
        CBitmapData source;
        ASSERT_TRUE(source.Create(s[0], s[1], 24));
        for (int y = 0; y < s[1]; ++y) {
            for (int x = 0; x < s[0]; ++x) {
                std::uint8_t* p = source.m_pBits + y * source.m_nStride + 3 * x;
                p[0] = 201, p[1] = 7, p[2] = 255;
            }
        }
        CBitmapData target;
        ASSERT_TRUE(target.Create(s[2], s[3], 24));
        ASSERT_TRUE(formats::StretchHalftone(source, target));
        std::vector<int> expected;
        for (int x = 0; x < s[2]; ++x) {
            expected.insert(expected.end(), {201, 7, 255});
        }
        for (int y = 0; y < s[3]; ++y) {
            ASSERT_EQ(Row(target, y), expected)
                << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
        }
    }
}

TEST(StretchTest, HalftoneAveragesTheAreaEachPixelCovers)
{
    // 3 x 2 onto 2 x 1: the middle column is shared half and half; results rounded.
    const auto three =
        Make(3, 24, {{0, 90, 255, 30, 90, 0, 60, 90, 100}, {0, 90, 255, 30, 90, 0, 60, 90, 100}});
    CBitmapData two;
    ASSERT_TRUE(two.Create(2, 1, 24));
    ASSERT_TRUE(formats::StretchHalftone(*three, two));
    EXPECT_EQ(Row(two, 0), (std::vector<int>{10, 90, 170, 50, 90, 67}));

    const auto square = Make(2, 24, {{0, 0, 0, 255, 1, 3}, {0, 0, 0, 255, 0, 3}});
    CBitmapData one;
    ASSERT_TRUE(one.Create(1, 1, 24));
    ASSERT_TRUE(formats::StretchHalftone(*square, one));
    EXPECT_EQ(Row(one, 0), (std::vector<int>{128, 0, 2})); // 127.5, 0.25, 1.5

    CBitmapData plane; // only 24-bit buffers
    ASSERT_TRUE(plane.Create(2, 2, 4));
    EXPECT_FALSE(formats::StretchHalftone(plane, one));
    EXPECT_FALSE(formats::StretchHalftone(*square, plane));
}

TEST(StretchTest, WhiteOnBlackCombinesDroppedPixelsByOr)
{
    const auto source = Make(
        6, 4, {{1, 0, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 0}, {0, 0, 0, 0, 8, 0}, {0, 0, 0, 0, 0, 4}});
    CBitmapData target;
    ASSERT_TRUE(target.Create(3, 2, 4));
    ASSERT_TRUE(formats::StretchWhiteOnBlack(*source, 6, 4, target));
    EXPECT_EQ(Row(target, 0), (std::vector<int>{3, 0, 0}));
    EXPECT_EQ(Row(target, 1), (std::vector<int>{0, 0, 12}));
}

TEST(StretchTest, WhiteOnBlackRepeatsPixelsOfTheTopLeftArea)
{
    // Only the top-left 3 x 2 counts; the 15s lie outside it.
    const auto source = Make(4, 4, {{5, 0, 0, 15}, {0, 0, 7, 0}, {15, 0, 0, 0}});
    CBitmapData target;
    ASSERT_TRUE(target.Create(7, 4, 4));
    ASSERT_TRUE(formats::StretchWhiteOnBlack(*source, 3, 2, target));
    EXPECT_EQ(Row(target, 0), (std::vector<int>{5, 5, 5, 0, 0, 0, 0}));
    EXPECT_EQ(Row(target, 3), (std::vector<int>{0, 0, 0, 0, 0, 7, 7}));
    EXPECT_EQ(target.m_pBits[3] & 0x0F, 0); // the nibble beyond an odd width

    EXPECT_FALSE(formats::StretchWhiteOnBlack(*source, 5, 3, target));
    EXPECT_FALSE(formats::StretchWhiteOnBlack(*source, 4, 4, target));
    EXPECT_FALSE(formats::StretchWhiteOnBlack(*source, 0, 3, target));
}

} // namespace
