// Why: every page is turned and thumbnailed by these rules; a wrong angle shows pages upside
// down, a wrong fit gives thumbnails of the wrong shape.
#include "formats/image/PageGeometry.h"

#include "formats/image/CBitmapData.h"
#include "tests/ProgressRecorder.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using Words = formats::PageRotationWords;

TEST(PageGeometryTest, FitToBoxLimitsAndCorrectsForResolution)
{
    const struct
    {
        int width, height, box, rx, ry, fittedWidth, fittedHeight;
    } cases[] = {
        {4000, 6000, 120, 600, 600, 80, 120},  {4000, 6000, 120, 600, 300, 80, 240},
        {4000, 6000, 120, 300, 600, 160, 120}, {6000, 4000, 120, 600, 400, 120, 80},
        {1, 1000, 120, 600, 600, 1, 120},      {50, 30, 120, 600, 600, 120, 72},
        {4000, 6000, 120, 0, 600, 80, 120}, // no resolution: no correction
        {10, 10, 0, 600, 600, 1, 1},
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        ASSERT_TRUE(formats::FitToBox(c.width, c.height, c.box, c.rx, c.ry, width, height));
        EXPECT_EQ(std::pair(width, height), std::pair(c.fittedWidth, c.fittedHeight))
            << c.width << "x" << c.height << " at " << c.rx << "/" << c.ry;
    }
    int width = 0;
    int height = 0;
    EXPECT_FALSE(formats::FitToBox(0, 10, 120, 600, 600, width, height));
    EXPECT_FALSE(formats::FitToBox(100, 100, 1000, 1, 9999999, width, height)); // > 8 boxes
}

// Resolutions of 1 x 5,000,000 dpi once turned a 120 box into 5,000,000 x 120 pixels (1.9 GB);
// a thumbnail now stretches to eight boxes at most, and beyond that there is none.
TEST(PageGeometryTest, ThumbnailsStretchNoFurtherThanEightBoxes)
{
    int width = 0;
    int height = 0;
    ASSERT_TRUE(formats::FitToBox(1000, 1000, 120, 100, 800, width, height));
    EXPECT_EQ(std::pair(width, height), std::pair(960, 120));
    ASSERT_TRUE(formats::FitToBox(1000, 1000, 120, 800, 100, width, height));
    EXPECT_EQ(std::pair(width, height), std::pair(120, 960));
    EXPECT_FALSE(formats::FitToBox(1000, 1000, 120, 100, 900, width, height));
    EXPECT_FALSE(formats::FitToBox(16, 19688, 120, 1, 5000000, width, height));
    EXPECT_FALSE(formats::FitToBox(19688, 16, 120, 5000000, 1, width, height));
}

TEST(PageGeometryTest, RotateBitmapTurnsByQuartersOnly)
{
    const struct
    {
        int angle, width, topLeft; // topLeft: blue of the first pixel; the source has 1, 2, 3
        std::vector<int> progress;
    } cases[] = {
        {0, 3, 1, {0, 100}},
        {90, 1, 1, {0, 50, 80, 100}},
        {180, 3, 3, {0, 100}},
        {270, 1, 3, {0, 50, 80, 100}},
    };
    for (const auto& c : cases) {
        auto bitmap = std::make_unique<CBitmapData>();
        ASSERT_TRUE(bitmap->Create(3, 1, 24));
        for (int x = 0; x < 3; ++x) {
            bitmap->m_pBits[3 * x] = static_cast<std::uint8_t>(x + 1);
        }
        ProgressRecorder progress;
        ASSERT_EQ(RotateBitmap(bitmap, c.angle, &progress), 0) << c.angle;
        EXPECT_EQ(bitmap->m_nWidth, c.width) << c.angle;
        EXPECT_EQ(bitmap->m_pBits[0], c.topLeft) << c.angle;
        EXPECT_EQ(progress.values, c.progress) << c.angle;
    }

    auto grey = std::make_unique<CBitmapData>();
    ASSERT_TRUE(grey->Create(2, 1, 8));
    CBitmapData* const original = grey.get();
    std::unique_ptr<CBitmapData> none;
    ProgressRecorder progress;
    EXPECT_EQ(RotateBitmap(grey, 90, &progress), -1);
    EXPECT_EQ(RotateBitmap(none, 0, &progress), -1);
    ASSERT_TRUE(grey->Create(2, 1, 24));
    EXPECT_EQ(RotateBitmap(grey, 45, &progress), -1);
    EXPECT_EQ(grey.get(), original);
    EXPECT_TRUE(progress.values.empty());
}

TEST(PageGeometryTest, PageRotationSteps)
{
    auto with = [](auto change) {
        Words words; // portrait, even sequence
        words.nWidth = 2100;
        words.nHeight = 2970;
        words.nSequence = 2;
        change(words);
        return words;
    };
    const struct
    {
        const char* name;
        Words words;
        int angle;
    } cases[] = {
        {"style 1 takes the sub-page's code", with([](Words& w) {
             w.nStyle = 1, w.nPageOrientation = 4, w.nOrientation = 3, w.nValueZ = 101,
             w.nMarkValue = 1, w.nValueA37 = 1;
         }),
         90},
        {"style 2, code 2", with([](Words& w) { w.nStyle = 2, w.nPageOrientation = 2; }), 270},
        {"Z 101, mark 1, first not marked",
         with([](Words& w) { w.nValueZ = 101, w.nMarkValue = 1; }), 180},
        {"Z 101, mark 1, first marked",
         with([](Words& w) { w.nValueZ = 101, w.nMarkValue = 1, w.bFirstMarked = true; }), 0},
        {"O3 1, portrait", with([](Words& w) { w.nValueO3 = 1; }), 180},
        {"O3 1, odd sequence", with([](Words& w) { w.nValueO3 = 1, w.nSequence = 3; }), 0},
        {"O3 1 under Z 103", with([](Words& w) { w.nValueO3 = 1, w.nValueZ = 103; }), 0},
        {"O3 2, landscape, base 90",
         with([](Words& w) { w.nValueO3 = 2, w.nWidth = 3000, w.nOrientation = 4; }), 270},
        {"Z 101, mark 2, X103 1",
         with([](Words& w) { w.nValueZ = 101, w.nMarkValue = 2, w.nValueX103 = 1; }), 180},
        {"Z 101, mark 2, odd run 2", with([](Words& w) {
             w.nValueZ = 101, w.nMarkValue = 2, w.nValueX103 = 1, w.nMark2Run = 1;
         }),
         0},
        {"Z 103, X104 2, landscape",
         with([](Words& w) { w.nValueZ = 103, w.nValueX104 = 2, w.nWidth = 3000; }), 180},
        {"A37 1, mark 1 inverts a flip",
         with([](Words& w) { w.nValueA37 = 1, w.nMarkValue = 1, w.nValueO3 = 1; }), 0},
        {"Z 101, mark 1, even run 1, X104 1 inverts", with([](Words& w) {
             w.nValueZ = 101, w.nMarkValue = 1, w.nValueA37 = 1, w.nValueX104 = 1;
         }),
         180},
        {"flip of 270", with([](Words& w) { w.nOrientation = 2, w.nValueO3 = 1; }), 90},
        {"header code 3", with([](Words& w) { w.nOrientation = 3; }), 180},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formats::PageRotation(c.words), c.angle) << c.name;
    }
}

} // namespace
