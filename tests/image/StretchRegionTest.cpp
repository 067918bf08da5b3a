// Why: the page window draws only the exposed piece of a zoomed page; every piece must be the
// very pixels of the whole stretch there, or the page shows seams as it scrolls.
#include "formats/image/StretchRegion.h"

#include "formats/image/CBitmapData.h"
#include "formats/image/Stretch.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

void FillNoise(CBitmapData& bitmap, std::uint32_t seed)
{
    std::mt19937 random(seed);
    for (int y = 0; y < bitmap.m_nHeight; ++y) {
        std::uint8_t* row = bitmap.m_pBits + y * bitmap.m_nStride;
        for (int i = 0; i < 3 * bitmap.m_nWidth; ++i) {
            // Mostly extremes, where a rounding difference would show.
            const std::uint32_t r = random();
            row[i] = static_cast<std::uint8_t>(r % 3 == 0 ? 0 : r % 3 == 1 ? 255 : r >> 8);
        }
    }
}

// The area's rows as the region stretch writes them, with a stride wider than a row.
std::vector<std::uint8_t> Region(const CBitmapData& source, const CBitmapData& target,
                                 const formats::StretchArea& area)
{
    const std::size_t stride = 3 * static_cast<std::size_t>(area.width) + 5;
    std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(area.height), 0xAB);
    EXPECT_TRUE(formats::StretchHalftoneRegion(source, target.m_nWidth, target.m_nHeight, area,
                                               pixels.data(), stride));
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < area.height; ++y) {
        const auto* row = pixels.data() + y * stride;
        rows.insert(rows.end(), row, row + 3 * area.width);
    }
    return rows;
}

std::vector<std::uint8_t> Crop(const CBitmapData& target, const formats::StretchArea& area)
{
    std::vector<std::uint8_t> rows;
    for (std::int64_t y = area.y; y < area.y + area.height; ++y) {
        const auto* row = target.m_pBits + y * target.m_nStride + 3 * area.x;
        rows.insert(rows.end(), row, row + 3 * area.width);
    }
    return rows;
}

TEST(StretchRegionTest, EveryAreaEqualsTheWholeStretchCroppedThere)
{
    // Reductions by whole and broken ratios (the page at 50 and 100 %), enlargements (500 %),
    // one axis up and the other down, and 1:1.
    const int sizes[][4] = {{620, 877, 50, 70}, {620, 877, 99, 140}, {97, 61, 485, 305},
                            {97, 61, 500, 13},  {13, 40, 40, 13},    {33, 21, 33, 21},
                            {1, 1, 17, 9},      {255, 3, 2, 300}};
    std::uint32_t seed = 1;
    for (const auto& s : sizes) {
        CBitmapData source;
        ASSERT_TRUE(source.Create(s[0], s[1], 24));
        FillNoise(source, seed++);
        CBitmapData whole;
        ASSERT_TRUE(whole.Create(s[2], s[3], 24));
        ASSERT_TRUE(formats::StretchHalftone(source, whole));

        const int w = s[2];
        const int h = s[3];
        const formats::StretchArea areas[] = {
            {0, 0, w, h},                         // all of it
            {0, 0, 1, 1},                         // the corners
            {w - 1, h - 1, 1, 1},                 //
            {w / 3, h / 4, w / 2 + 1, h / 2 + 1}, // inside
            {w - (w + 1) / 2, 0, (w + 1) / 2, h}, // the right half, whole height
            {0, h - 1, w, 1},                     // the last row
        };
        for (const formats::StretchArea& area : areas) {
            ASSERT_EQ(Region(source, whole, area), Crop(whole, area))
                << s[0] << "x" << s[1] << " -> " << w << "x" << h << " at " << area.x << ","
                << area.y << " " << area.width << "x" << area.height;
        }
    }
}

TEST(StretchRegionTest, AFarCornerOfAHugeTargetNeedsNoMoreThanItsArea)
{
    // A page zoomed far beyond any buffer: its last pixel is the source's last pixel.
    CBitmapData source;
    ASSERT_TRUE(source.Create(3, 2, 24));
    FillNoise(source, 7);
    const std::int64_t huge = std::int64_t{1} << 31;
    std::uint8_t pixel[3] = {};
    ASSERT_TRUE(formats::StretchHalftoneRegion(source, huge, huge, {huge - 1, huge - 1, 1, 1},
                                               pixel, sizeof pixel));
    const std::uint8_t* last = source.m_pBits + source.m_nStride + 6;
    EXPECT_EQ((std::vector<int>{pixel[0], pixel[1], pixel[2]}),
              (std::vector<int>{last[0], last[1], last[2]}));
}

TEST(StretchRegionTest, RefusesAreasOutsideTheTargetAndSourcesItCannotRead)
{
    CBitmapData source;
    ASSERT_TRUE(source.Create(4, 4, 24));
    CBitmapData grey;
    ASSERT_TRUE(grey.Create(4, 4, 8));
    const CBitmapData empty;
    std::vector<std::uint8_t> pixels(64, 0x5A);
    struct Case
    {
        const CBitmapData* source;
        std::int64_t targetWidth;
        std::int64_t targetHeight;
        formats::StretchArea area;
        std::size_t stride;
    };
    const Case cases[] = {
        {&source, 8, 8, {7, 0, 2, 1}, 6},                     // runs off the right
        {&source, 8, 8, {0, 8, 1, 1}, 3},                     // below
        {&source, 8, 8, {-1, 0, 1, 1}, 3},                    // left of it
        {&source, 8, 8, {0, 0, 0, 1}, 3},                     // empty
        {&source, 8, 8, {0, 0, 2, 1}, 5},                     // a row does not fit the stride
        {&source, 0, 8, {0, 0, 1, 1}, 3},                     // no target
        {&source, std::int64_t{1} << 40, 8, {0, 0, 1, 1}, 3}, // beyond 64-bit positions
        {&grey, 8, 8, {0, 0, 1, 1}, 3},                       // not 24 bits
        {&empty, 8, 8, {0, 0, 1, 1}, 3},                      // no storage
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(formats::StretchHalftoneRegion(*c.source, c.targetWidth, c.targetHeight,
                                                    c.area, pixels.data(), c.stride));
    }
    EXPECT_EQ(pixels, std::vector<std::uint8_t>(64, 0x5A));
}

} // namespace
