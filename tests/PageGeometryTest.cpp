// Why: every page is turned and thumbnailed by these rules; a wrong angle shows pages upside
// down, a wrong fit gives thumbnails of the wrong shape.
#include "formats/PageGeometry.h"

#include "ProgressRecorder.h"
#include "formats/CBitmapData.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

TEST(FitToBoxTest, FitsAndCorrectsForResolution)
{
    const struct
    {
        int width, height, box, rx, ry, fittedWidth, fittedHeight;
    } cases[] = {
        {4000, 6000, 120, 600, 600, 80, 120},
        {4000, 6000, 120, 600, 300, 80, 240},
        {4000, 6000, 120, 300, 600, 160, 120},
        {6000, 4000, 120, 600, 400, 120, 80}, // ratio 1.5 has the whole part 1
        {1, 1000, 120, 600, 600, 1, 120},     // the lower limit 1
        {50, 30, 120, 600, 600, 120, 72},     // small pages grow up to the box
        {4000, 6000, 120, 0, 600, 80, 120},   // no resolution: no correction
        {10, 10, 0, 600, 600, 1, 1},
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        ASSERT_TRUE(platform::FitToBox(c.width, c.height, c.box, c.rx, c.ry, width, height))
            << c.width << "x" << c.height;
        EXPECT_EQ(width, c.fittedWidth) << c.width << "x" << c.height << " " << c.rx << "/" << c.ry;
        EXPECT_EQ(height, c.fittedHeight)
            << c.width << "x" << c.height << " " << c.rx << "/" << c.ry;
    }
    int width = 0;
    int height = 0;
    EXPECT_FALSE(platform::FitToBox(0, 10, 120, 600, 600, width, height));
    EXPECT_FALSE(platform::FitToBox(100, 100, 1000, 1, 9999999, width, height)); // beyond 32 bits
}

TEST(ScaleIntoBoxTest, MakesAveragedBufferOfTheFittedSize)
{
    CBitmapData page;
    ASSERT_TRUE(page.Create(400, 600, 24));
    std::fill(page.m_pBits, page.m_pBits + page.m_nStride * 600, 200);
    std::unique_ptr<CBitmapData> thumb;
    ASSERT_EQ(platform::ScaleIntoBox(page, 120, 600, 300, thumb), 0);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->m_nWidth, 80);
    EXPECT_EQ(thumb->m_nHeight, 240);
    EXPECT_EQ(thumb->m_nBitCount, 24);
    EXPECT_EQ(thumb->m_pBits[3 * 79 + 239 * thumb->m_nStride], 200);
    EXPECT_EQ(page.m_nWidth, 400); // the source is the caller's

    CBitmapData plane;
    ASSERT_TRUE(plane.Create(40, 60, 4));
    std::unique_ptr<CBitmapData> none;
    EXPECT_EQ(platform::ScaleIntoBox(plane, 120, 600, 600, none), -1);
    EXPECT_EQ(none, nullptr);
    CBitmapData empty;
    EXPECT_EQ(platform::ScaleIntoBox(empty, 120, 600, 600, none), -1);
}

TEST(RotateBitmapTest, RefusesOtherAnglesAndBitCounts)
{
    auto bitmap = std::make_unique<CBitmapData>();
    ASSERT_TRUE(bitmap->Create(2, 1, 24));
    CBitmapData* const original = bitmap.get();
    ProgressRecorder progress;
    EXPECT_EQ(RotateBitmap(bitmap, 45, &progress), -1);
    EXPECT_EQ(RotateBitmap(bitmap, -90, &progress), -1);
    EXPECT_EQ(bitmap.get(), original);
    EXPECT_TRUE(progress.values.empty());

    auto grey = std::make_unique<CBitmapData>();
    ASSERT_TRUE(grey->Create(2, 1, 8));
    EXPECT_EQ(RotateBitmap(grey, 90, &progress), -1);
    EXPECT_EQ(grey->m_nWidth, 2);
    std::unique_ptr<CBitmapData> none;
    EXPECT_EQ(RotateBitmap(none, 0, &progress), -1);
    EXPECT_TRUE(progress.values.empty());
}

TEST(RotateBitmapTest, TurnsByEachQuarter)
{
    const struct
    {
        int angle;
        int width, height;
        int topLeftBlue; // blue of the first pixel afterwards; the source's pixels are 1, 2, 3
        std::vector<int> progress;
    } cases[] = {
        {0, 3, 1, 1, {0, 100}},
        {90, 1, 3, 1, {0, 50, 80, 100}},
        {180, 3, 1, 3, {0, 100}},
        {270, 1, 3, 3, {0, 50, 80, 100}},
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
        EXPECT_EQ(bitmap->m_nHeight, c.height) << c.angle;
        EXPECT_EQ(bitmap->m_pBits[0], c.topLeftBlue) << c.angle;
        EXPECT_EQ(progress.values, c.progress) << c.angle;
    }
}

platform::PageRotationWords StyleZeroWords()
{
    platform::PageRotationWords words;
    words.nWidth = 2100; // portrait
    words.nHeight = 2970;
    words.nSequence = 2;
    return words;
}

TEST(PageRotationTest, StyledJobsTakeTheSubPageOrientation)
{
    platform::PageRotationWords words;
    words.nStyle = 1;
    words.nPageOrientation = 4;
    words.nOrientation = 3;
    words.nValueZ = 101;
    words.nMarkValue = 1;
    words.nValueA37 = 1;
    words.bFirstMarked = true;
    EXPECT_EQ(platform::PageRotation(words), 90);
    for (const auto& [code, angle] : {std::pair{2, 270}, {3, 180}, {1, 0}, {0, 0}, {5, 0}}) {
        words.nPageOrientation = code;
        EXPECT_EQ(platform::PageRotation(words), angle) << code;
    }
}

TEST(PageRotationTest, MarkedFirstSubPageUndoesTheMarkFlip)
{
    platform::PageRotationWords words = StyleZeroWords();
    words.nValueZ = 101;
    words.nValueA37 = 0;
    words.nMarkValue = 1;
    words.nValueX104 = 0;
    words.bFirstMarked = false;
    EXPECT_EQ(platform::PageRotation(words), 180);
    words.bFirstMarked = true;
    EXPECT_EQ(platform::PageRotation(words), 0);
}

TEST(PageRotationTest, FlipSteps)
{
    using Words = platform::PageRotationWords;
    auto with = [](auto change) {
        Words words = StyleZeroWords();
        change(words);
        return words;
    };
    const struct
    {
        const char* name;
        Words words;
        int angle;
    } cases[] = {
        {"base angle from the header", with([](Words& w) { w.nOrientation = 2; }), 270},
        {"O3 1, even, portrait", with([](Words& w) { w.nValueO3 = 1; }), 180},
        {"O3 1, odd sequence", with([](Words& w) { w.nValueO3 = 1, w.nSequence = 3; }), 0},
        {"O3 1, landscape", with([](Words& w) { w.nValueO3 = 1, w.nWidth = 3000; }), 0},
        {"O3 1 under Z 103", with([](Words& w) { w.nValueO3 = 1, w.nValueZ = 103; }), 0},
        {"O3 2, landscape, base 90",
         with([](Words& w) { w.nValueO3 = 2, w.nWidth = 3000, w.nOrientation = 4; }), 270},
        {"O3 2, portrait", with([](Words& w) { w.nValueO3 = 2; }), 0},
        {"Z 101, mark 2, run 2 even, X103 1 portrait",
         with([](Words& w) { w.nValueZ = 101, w.nMarkValue = 2, w.nValueX103 = 1; }), 180},
        {"Z 101, mark 2, run 2 odd", with([](Words& w) {
             w.nValueZ = 101, w.nMarkValue = 2, w.nValueX103 = 1, w.nMark2Run = 1;
         }),
         0},
        {"Z 101, mark 2, X103 2 portrait",
         with([](Words& w) { w.nValueZ = 101, w.nMarkValue = 2, w.nValueX103 = 2; }), 0},
        {"Z 103, X104 2 landscape",
         with([](Words& w) { w.nValueZ = 103, w.nValueX104 = 2, w.nWidth = 3000; }), 180},
        {"Z 103, X104 1 odd sequence",
         with([](Words& w) { w.nValueZ = 103, w.nValueX104 = 1, w.nSequence = 1; }), 0},
        {"A37 1, mark 1 inverts", with([](Words& w) { w.nValueA37 = 1, w.nMarkValue = 1; }), 180},
        {"A37 1, mark 1 inverts a flip",
         with([](Words& w) { w.nValueA37 = 1, w.nMarkValue = 1, w.nValueO3 = 1; }), 0},
        {"Z 101, mark 1, run 1 even, X104 1 portrait inverts again", with([](Words& w) {
             w.nValueZ = 101, w.nMarkValue = 1, w.nValueA37 = 1, w.nValueX104 = 1;
         }),
         180},
        {"same with run 1 odd", with([](Words& w) {
             w.nValueZ = 101, w.nMarkValue = 1, w.nValueA37 = 1, w.nValueX104 = 1, w.nMark1Run = 1;
         }),
         0},
        {"flip from 270 to 90", with([](Words& w) { w.nOrientation = 2, w.nValueO3 = 1; }), 90},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::PageRotation(c.words), c.angle) << c.name;
    }
}

} // namespace
