// Why: every stream the round trips write, whatever its imposition, copies, marks or defects,
// must decode to the very levels the writer painted, and its thumbnails must be that page
// reduced into the box, pixel for pixel; copies must show their original's pages.
#include "formats/image/CBitmapData.h"
#include "formats/image/PageGeometry.h"
#include "formats/image/Stretch.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "formats/pagestream/PixelConversion.h"
#include "formats/pagestream/PlaneComposition.h"
#include "tests/ScratchFolder.h"
#include "tests/samplejob/SampleStreamVariants.h"
#include "tools/LargeInputs.h"
#include "tools/PageStream.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using sample_streams::StreamVariant;
using samplejob::LevelPlane;
using samplejob::PageStreamLayout;
using samplejob::StreamSubPage;

int LevelAt(const CBitmapData& plane, int x, int y)
{
    const uint8_t byte = plane.m_pBits[static_cast<size_t>(y) * plane.m_nStride + x / 2];
    return x % 2 == 0 ? byte >> 4 : byte & 15;
}

// Pixels of `plane` inside `width` x `height` that differ from `art`; -1 when the plane is
// smaller than that.
int LevelsDiffering(const CBitmapData* plane, const LevelPlane& art)
{
    if (plane == nullptr || plane->m_nBitCount != 4 || plane->m_nWidth < art.Width() ||
        plane->m_nHeight < art.Height()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < art.Height(); ++y) {
        for (int x = 0; x < art.Width(); ++x) {
            differing += LevelAt(*plane, x, y) != art.At(x, y) ? 1 : 0;
        }
    }
    return differing;
}

std::unique_ptr<CBitmapData> PlaneOf(const LevelPlane& art)
{
    auto plane = std::make_unique<CBitmapData>();
    EXPECT_TRUE(plane->Create(art.Width(), art.Height(), 4));
    for (int y = 0; y < art.Height(); ++y) {
        for (int x = 0; x < art.Width(); ++x) {
            uint8_t& byte = plane->m_pBits[static_cast<size_t>(y) * plane->m_nStride + x / 2];
            byte = static_cast<uint8_t>(x % 2 == 0 ? (byte & 0x0F) | art.At(x, y) << 4
                                                   : (byte & 0xF0) | art.At(x, y));
        }
    }
    return plane;
}

// The page the writer painted, composed as a decoder must compose it, before the turn.
std::unique_ptr<CBitmapData> ComposeArt(const samplejob::SubPageArt& art,
                                        const tagDORNJOBHEADER& header, const StreamSubPage& sub,
                                        bool fivePlanes)
{
    std::vector<std::unique_ptr<CBitmapData>> owned;
    std::vector<const CBitmapData*> colour;
    for (const LevelPlane& plane : art.colour) {
        owned.push_back(PlaneOf(plane));
        colour.push_back(owned.back().get());
    }
    std::unique_ptr<CBitmapData> black = PlaneOf(art.black);
    if (fivePlanes && sub.altPixelWidth != sub.pixelWidth) {
        auto stretched = std::make_unique<CBitmapData>();
        EXPECT_TRUE(stretched->Create(sub.pixelWidth, sub.pixelHeight, 4));
        EXPECT_TRUE(formats::StretchWhiteOnBlack(*black, sub.altPixelWidth, sub.altPixelHeight,
                                                 *stretched));
        black = std::move(stretched);
    }
    auto page = std::make_unique<CBitmapData>();
    EXPECT_TRUE(page->Create(sub.pixelWidth, sub.pixelHeight, 24));
    BuildCoverageTable4();
    BuildCoverageTable8();
    BuildCoverageTable12();
    const formats::CoverageTable* table = formats::CoverageTableForLevelMode(header.nLevelMode);
    EXPECT_NE(table, nullptr);
    if (fivePlanes) {
        formats::ComposeFivePlanes(*page, colour, black.get(), header.nAltLevelMode, table,
                                   formats::GetSpotSelector());
    } else {
        formats::ComposeFourPlanes(*page, colour, black.get(), table);
    }
    FreeCoverageTables();
    return page;
}

// Rows of two 24-bit pages that differ; -1 when their sizes differ.
int RowsDiffering(const CBitmapData& a, const CBitmapData& b)
{
    if (a.m_nBitCount != 24 || b.m_nBitCount != 24 || a.m_nWidth != b.m_nWidth ||
        a.m_nHeight != b.m_nHeight) {
        return -1;
    }
    int differing = 0;
    const size_t row = static_cast<size_t>(a.m_nWidth) * 3;
    for (int y = 0; y < a.m_nHeight; ++y) {
        differing += std::memcmp(a.m_pBits + static_cast<size_t>(y) * a.m_nStride,
                                 b.m_pBits + static_cast<size_t>(y) * b.m_nStride, row) != 0
                         ? 1
                         : 0;
    }
    return differing;
}

class SampleDecodeRoundTripTest : public ::testing::TestWithParam<StreamVariant>
{
protected:
    ScratchFolder m_folder{"SampleDecodeRoundTrip"};
};

TEST_P(SampleDecodeRoundTripTest, SubPagesDecodeToThePaintedLevels)
{
    const StreamVariant& variant = GetParam();
    const samplejob::PageStreamOptions& options = variant.options;
    const std::string path = m_folder / "job.prn";
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WritePageStream(path, variant.job, options, &layout), 0);
    CDornComFile file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.ReadJobHeader(), 0);
    ASSERT_EQ(file.BuildPageIndex(), 0);
    const tagDORNJOBHEADER& header = *file.m_pJobHeader;

    int decoded = 0;
    for (const samplejob::StreamPage& page : layout.pages) {
        ASSERT_EQ(file.LoadPageLayout(page.page), 0);
        for (const StreamSubPage& sub : page.subPages) {
            if (sub.pageValue == 1) {
                continue;
            }
            SCOPED_TRACE("page " + std::to_string(page.page) + " sub-page " +
                         std::to_string(sub.number));
            const samplejob::SubPageArt art = samplejob::StreamSubPageArt(options, sub);
            const auto image = file.ReadPageImage(page.page, sub.number, -1, nullptr);
            ASSERT_NE(image, nullptr);

            // The planes keep what the bands carried, level for level.
            ASSERT_EQ(file.m_pColorPlanes.size(), art.colour.size());
            for (size_t c = 0; c < art.colour.size(); ++c) {
                EXPECT_EQ(LevelsDiffering(file.m_pColorPlanes[c].get(), art.colour[c]), 0)
                    << "colour plane " << c;
            }
            if (!options.fivePlanes) {
                EXPECT_EQ(LevelsDiffering(file.m_pBlackPlane.get(), art.black), 0);
            } else if (header.nStyle == 0 && sub.altPixelWidth == sub.pixelWidth) {
                EXPECT_EQ(LevelsDiffering(file.m_pBlackPlane.get(), art.black), 0);
            }

            // The page is the painted art, composed and turned for reading.
            std::unique_ptr<CBitmapData> expected =
                ComposeArt(art, header, sub, options.fivePlanes);
            std::unique_ptr<CBitmapData> fitted;
            ASSERT_EQ(file.ScaleToFit(expected.get(), 120, fitted), 0);
            ASSERT_EQ(RotateBitmap(expected, sub.rotation, nullptr), 0);
            ASSERT_EQ(RotateBitmap(fitted, sub.rotation, nullptr), 0);
            EXPECT_EQ(RowsDiffering(*image->pBitmap, *expected), 0);
            const bool turned = sub.rotation == 90 || sub.rotation == 270;
            EXPECT_EQ(image->nWidth, turned ? sub.height : sub.width);
            EXPECT_EQ(image->nHeight, turned ? sub.width : sub.height);
            EXPECT_EQ(image->nRotation, 0);
            EXPECT_EQ(image->bMarked, sub.mark1Run != 0);

            // The thumbnail is the same page reduced into its box.
            const auto thumbnail = file.ReadPageImage(page.page, sub.number, 120, nullptr);
            ASSERT_NE(thumbnail, nullptr);
            int fittedWidth = 0;
            int fittedHeight = 0;
            ASSERT_TRUE(formats::FitToBox(sub.pixelWidth, sub.pixelHeight, 120, header.nResolutionX,
                                          header.nResolutionY, fittedWidth, fittedHeight));
            EXPECT_EQ(thumbnail->pBitmap->m_nWidth, turned ? fittedHeight : fittedWidth);
            EXPECT_EQ(thumbnail->pBitmap->m_nHeight, turned ? fittedWidth : fittedHeight);
            EXPECT_EQ(RowsDiffering(*thumbnail->pBitmap, *fitted), 0);
            ++decoded;
        }
    }
    EXPECT_GT(decoded, 0) << "no sub-page was decoded";

    // A copy's page is its original's bytes under another number.
    const auto pages = static_cast<uint32_t>(layout.pages.size());
    for (int copy = 2; copy <= header.nCopies; ++copy) {
        for (uint32_t p = 1; p <= pages; ++p) {
            SCOPED_TRACE("copy " + std::to_string(copy) + " of page " + std::to_string(p));
            ASSERT_EQ(file.LoadPageLayout(p), 0);
            const auto original = file.ReadPageImage(p, 1, 120, nullptr);
            const uint32_t copyPage = p + static_cast<uint32_t>(copy - 1) * pages;
            ASSERT_EQ(file.LoadPageLayout(copyPage), 0);
            const auto repeated = file.ReadPageImage(copyPage, 1, 120, nullptr);
            ASSERT_NE(original, nullptr);
            ASSERT_NE(repeated, nullptr);
            EXPECT_EQ(RowsDiffering(*repeated->pBitmap, *original->pBitmap), 0);
            EXPECT_EQ(file.ReadPageImage(p, 1, 120, nullptr), nullptr); // not the loaded page
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, SampleDecodeRoundTripTest,
                         ::testing::ValuesIn(sample_streams::StreamVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

// The large inputs repeat bands encoded once; each sub-page must still decode to the painted
// colour levels and to a black plane of its own (its page number); yellow holds padding.
TEST(SampleDecodeLargeStreamTest, SubPagesDecodeToTheirOwnArt)
{
    ScratchFolder folder("SampleDecodeLargeStream");
    samplejob::LargeStreamOptions large;
    large.pages = 6;
    large.subPagesPerPage = 2;
    large.resolution = 40;
    large.bytes = 6 * 2 * 12000;
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WriteLargePageStream(folder / "large.prn", large, &layout), 0);
    CDornComFile file;
    ASSERT_EQ(file.Open(folder / "large.prn"), 0);
    ASSERT_EQ(file.ReadJobHeader(), 0);
    ASSERT_EQ(file.BuildPageIndex(), 0);
    samplejob::PageStreamOptions options;
    options.levels = samplejob::LevelMode::FourBit;
    std::vector<uint8_t> previousBlack;
    for (const samplejob::StreamPage& page : layout.pages) {
        ASSERT_EQ(file.LoadPageLayout(page.page), 0);
        for (const StreamSubPage& sub : page.subPages) {
            SCOPED_TRACE("page " + std::to_string(page.page) + " sub-page " +
                         std::to_string(sub.number));
            ASSERT_NE(file.ReadPageImage(page.page, sub.number, -1, nullptr), nullptr);
            const samplejob::SubPageArt art = samplejob::StreamSubPageArt(options, sub);
            EXPECT_EQ(LevelsDiffering(file.m_pColorPlanes.at(0).get(), art.colour[0]), 0);
            EXPECT_EQ(LevelsDiffering(file.m_pColorPlanes.at(1).get(), art.colour[1]), 0);
            // Black carries the page number, drawn large and not as the art places it.
            const CBitmapData& black = *file.m_pBlackPlane;
            std::vector<uint8_t> blackBytes(black.m_pBits,
                                            black.m_pBits + black.m_nStride * black.m_nHeight);
            EXPECT_NE(blackBytes, previousBlack);
            previousBlack = std::move(blackBytes);
        }
    }
}

} // namespace
