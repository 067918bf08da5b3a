// Why: the sample-job writer knows what every sub-page of its streams shows; the decoder must
// give back exactly those planes and that page, in every level mode, on both plane paths and
// in every orientation.
#include "ScratchFolder.h"
#include "formats/CBitmapData.h"
#include "formats/CDornComFile.h"
#include "formats/DornPageImageInfo.h"
#include "formats/PageGeometry.h"
#include "formats/PixelConversion.h"
#include "formats/PlaneComposition.h"
#include "formats/Stretch.h"
#include "tools/PageStream.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using samplejob::LevelMode;
using samplejob::LevelPlane;
using samplejob::PageStreamOptions;

std::unique_ptr<CBitmapData> PlaneOf(const LevelPlane& levels)
{
    auto plane = std::make_unique<CBitmapData>();
    EXPECT_TRUE(plane->Create(levels.Width(), levels.Height(), 4));
    for (int y = 0; y < levels.Height(); ++y) {
        for (int x = 0; x < levels.Width(); ++x) {
            std::uint8_t& pair = plane->m_pBits[y * plane->m_nStride + x / 2];
            pair |= static_cast<std::uint8_t>(x % 2 == 0 ? levels.At(x, y) << 4 : levels.At(x, y));
        }
    }
    return plane;
}

// True when the top-left of the decoded plane holds the meant levels.
::testing::AssertionResult SameLevels(const CBitmapData* plane, const LevelPlane& meant)
{
    if (plane == nullptr || plane->m_nWidth < meant.Width() || plane->m_nHeight < meant.Height()) {
        return ::testing::AssertionFailure() << "plane missing or too small";
    }
    for (int y = 0; y < meant.Height(); ++y) {
        for (int x = 0; x < meant.Width(); ++x) {
            const std::uint8_t pair = plane->m_pBits[y * plane->m_nStride + x / 2];
            const int level = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            if (level != meant.At(x, y)) {
                return ::testing::AssertionFailure() << "level " << level << " at " << x << "," << y
                                                     << ", meant " << int{meant.At(x, y)};
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The page the decoder should give for the sub-page: the meant planes composed, turned.
std::unique_ptr<CBitmapData> ExpectedPage(const CDornComFile& reader,
                                          const samplejob::SubPageArt& art,
                                          const samplejob::StreamSubPage& sub)
{
    const tagDORNJOBHEADER& header = *reader.m_pJobHeader;
    std::vector<std::unique_ptr<CBitmapData>> colour;
    std::vector<const CBitmapData*> planes;
    for (const LevelPlane& levels : art.colour) {
        colour.push_back(PlaneOf(levels));
        planes.push_back(colour.back().get());
    }
    std::unique_ptr<CBitmapData> black = PlaneOf(art.black);
    auto page = std::make_unique<CBitmapData>();
    EXPECT_TRUE(page->Create(sub.pixelWidth, sub.pixelHeight, 24));
    BuildCoverageTable8();
    BuildCoverageTable4();
    BuildCoverageTable12();
    const formats::CoverageTable* table = formats::CoverageTableForLevelMode(header.nLevelMode);
    if (header.nZCount == 5) {
        if (sub.altPixelWidth != sub.pixelWidth) {
            auto stretched = std::make_unique<CBitmapData>();
            EXPECT_TRUE(stretched->Create(sub.pixelWidth, sub.pixelHeight, 4));
            EXPECT_TRUE(formats::StretchWhiteOnBlack(*black, art.black.Width(), art.black.Height(),
                                                     *stretched));
            black = std::move(stretched);
        }
        formats::ComposeFivePlanes(*page, planes, black.get(), header.nAltLevelMode, table,
                                   formats::GetSpotSelector());
    } else {
        formats::ComposeFourPlanes(*page, planes, black.get(), table);
    }
    FreeCoverageTables();
    EXPECT_EQ(RotateBitmap(page, sub.rotation, nullptr), 0);
    return page;
}

struct Variant
{
    const char* name;
    void (*set)(PageStreamOptions&);
};

class PageDecodeRoundTripTest : public ::testing::TestWithParam<Variant>
{};

TEST_P(PageDecodeRoundTripTest, SubPagesDecodeToWhatTheWriterMeant)
{
    PageStreamOptions options;
    options.resolution = 40;
    GetParam().set(options);
    samplejob::JobLogOptions job;
    job.mails = 2;
    job.letters = 2;
    ScratchFolder folder("PageDecodeRoundTripTest");
    samplejob::PageStreamLayout layout;
    ASSERT_EQ(samplejob::WritePageStream(folder / "job.prn", job, options, &layout), 0);

    CDornComFile reader;
    ASSERT_EQ(reader.Open(folder / "job.prn"), 0);
    ASSERT_EQ(reader.ReadJobHeader(), 0);
    ASSERT_EQ(reader.BuildPageIndex(), 0);
    int decoded = 0;
    for (const samplejob::StreamPage& page : layout.pages) {
        ASSERT_EQ(reader.LoadPageLayout(page.page), 0);
        for (const samplejob::StreamSubPage& sub : page.subPages) {
            if (sub.number == 0) {
                continue;
            }
            SCOPED_TRACE("page " + std::to_string(page.page) + " sub-page " +
                         std::to_string(sub.number));
            const auto image = reader.ReadPageImage(
                page.page, static_cast<std::uint32_t>(sub.number), -1, nullptr);
            ASSERT_NE(image, nullptr);
            const samplejob::SubPageArt art = samplejob::StreamSubPageArt(options, sub);
            for (std::size_t c = 0; c < art.colour.size(); ++c) {
                EXPECT_TRUE(SameLevels(reader.m_pColorPlanes.at(c).get(), art.colour[c]))
                    << "colour plane " << c;
            }
            const bool blackRemade =
                reader.m_pJobHeader->nZCount == 5 &&
                (reader.m_pJobHeader->nStyle == 1 || reader.m_pJobHeader->nStyle == 2);
            if (sub.altPixelWidth == sub.pixelWidth && !blackRemade) {
                EXPECT_TRUE(SameLevels(reader.m_pBlackPlane.get(), art.black));
            }

            const bool turned = sub.rotation == 90 || sub.rotation == 270;
            EXPECT_EQ(image->nWidth, turned ? sub.height : sub.width);
            EXPECT_EQ(image->nHeight, turned ? sub.width : sub.height);
            EXPECT_EQ(image->bMarked, sub.mark1Run != 0);
            const std::unique_ptr<CBitmapData> expected = ExpectedPage(reader, art, sub);
            const CBitmapData& page24 = *image->pBitmap;
            ASSERT_EQ(std::pair(page24.m_nWidth, page24.m_nHeight),
                      std::pair(expected->m_nWidth, expected->m_nHeight));
            EXPECT_TRUE(std::equal(page24.m_pBits,
                                   page24.m_pBits + page24.m_nStride * page24.m_nHeight,
                                   expected->m_pBits));

            const auto thumbnail = reader.ReadPageImage(
                page.page, static_cast<std::uint32_t>(sub.number), 120, nullptr);
            ASSERT_NE(thumbnail, nullptr);
            EXPECT_LE(std::max(thumbnail->pBitmap->m_nWidth, thumbnail->pBitmap->m_nHeight), 120);
            ++decoded;
        }
    }
    EXPECT_GE(decoded, 8);
}

const Variant kVariants[] = {
    {"ThreeBit", [](PageStreamOptions&) {}},
    {"TwoBitMarksHidden",
     [](PageStreamOptions& o) {
         o.levels = LevelMode::TwoBit;
         o.marks = true;
         o.hiddenSubPages = true;
         o.impositionKind = 3;
     }},
    {"FourBitTurnedJob",
     [](PageStreamOptions& o) {
         o.levels = LevelMode::FourBit;
         o.jobOrientation = 4;
     }},
    {"PerSubPageOrientation",
     [](PageStreamOptions& o) {
         o.levels = LevelMode::FourBit;
         o.orientationPerSubPage = true;
         o.letterOrientation = 2;
     }},
    {"FivePlaneRedSpot",
     [](PageStreamOptions& o) {
         o.fivePlanes = true;
         o.levels = LevelMode::FourBit;
         o.redSpot = true;
     }},
    {"FivePlaneCoarseBlack",
     [](PageStreamOptions& o) {
         o.fivePlanes = true;
         o.levels = LevelMode::TwoBit;
         o.blackLevels = LevelMode::TwoBit;
         o.blackResolution = 20;
     }},
    {"SecondStyleFivePlane",
     [](PageStreamOptions& o) {
         o.levels = LevelMode::TwoBit;
         o.orientationPerSubPage = true;
         o.jobKind = 1;
         o.fivePlanes = true;
         o.blackResolution = 80;
     }},
};

INSTANTIATE_TEST_SUITE_P(Variants, PageDecodeRoundTripTest, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
