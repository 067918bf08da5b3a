// Why: the document and the list headers draw these pictures at fixed sizes and mask 326 by
// its pure green; a wrong size or mask colour shows as a cut or green-fringed picture.
#include "viewer/common/LoadBitmapResource.h"

#include <gtest/gtest.h>

namespace {

struct BitmapCase
{
    unsigned id;
    int width;
    int height;
};

class ResourceBitmapSizeTest : public ::testing::TestWithParam<BitmapCase>
{};

TEST_P(ResourceBitmapSizeTest, LoadsTheProgramsOwnBitmapAtItsSize)
{
    std::unique_ptr<QImage> image;
    ASSERT_TRUE(LoadBitmapResource(GetParam().id, image));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), QSize(GetParam().width, GetParam().height));
    EXPECT_FALSE(image->hasAlphaChannel()) << "drawn as it stands, like a 24-bit bitmap";
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, ResourceBitmapSizeTest,
                         ::testing::Values(BitmapCase{323, 20, 14}, BitmapCase{325, 84, 120},
                                           BitmapCase{326, 20, 20}),
                         [](const ::testing::TestParamInfo<BitmapCase>& info) {
                             return "Bitmap" + std::to_string(info.param.id);
                         });

TEST(ResourceBitmapsTest, FilterIconIsMaskedByPureGreenAroundItsPicture)
{
    std::unique_ptr<QImage> image;
    ASSERT_TRUE(LoadBitmapResource(326, image));
    const QRgb green = qRgb(0, 255, 0);
    int masked = 0;
    for (int y = 0; y < image->height(); ++y) {
        for (int x = 0; x < image->width(); ++x) {
            masked += image->pixel(x, y) == green ? 1 : 0;
        }
    }
    EXPECT_EQ(image->pixel(0, 0), green);
    EXPECT_EQ(image->pixel(19, 19), green);
    EXPECT_GT(masked, 100);
    EXPECT_LT(masked, 400) << "the funnel itself is not green";
}

TEST(ResourceBitmapsTest, UnknownBitmapLeavesTheCallersImage)
{
    auto image = std::make_unique<QImage>(3, 3, QImage::Format_RGB888);
    const QImage* before = image.get();
    EXPECT_FALSE(LoadBitmapResource(324, image));
    EXPECT_FALSE(LoadBitmapResource(320, image)) << "320 is an icon, not a bitmap";
    EXPECT_EQ(image.get(), before);
}

TEST(ResourceBitmapsTest, PageWindowIconComesInSmallAndLargeSizes)
{
    const QIcon icon = LoadIconResource(320);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    EXPECT_TRUE(LoadIconResource(321).isNull());
}

} // namespace
