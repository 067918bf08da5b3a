// Why: the generated streams stand in for the printer's in the viewer's tests, so the stream
// reader must find in them exactly the header, pages, copies and sub-pages the writer says it
// wrote, in every level mode, plane path and imposition, and fail on the broken ones.
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PageOffsetFile.h"
#include "tests/ScratchFolder.h"
#include "tests/pagestream/PageIndexRecords.h"
#include "tests/samplejob/SampleStreamVariants.h"
#include "tools/LargeInputs.h"
#include "tools/PageIndexFile.h"
#include "tools/PageStream.h"
#include "tools/SampleFiles.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using sample_streams::StreamVariant;
using sample_streams::StreamVariants;
using samplejob::LevelMode;
using samplejob::PageSpan;
using samplejob::PageStreamLayout;
using samplejob::PageStreamOptions;
using samplejob::StreamDefect;
using samplejob::StreamSubPage;

Index Flatten(const std::vector<PageSpan>& spans)
{
    Index flat;
    for (const PageSpan& span : spans) {
        flat.emplace_back(span.page, span.start, span.length);
    }
    return flat;
}

// The words of a sub-page that the writer and the reader both know, side by side.
using SubPageWords = std::vector<int64_t>;

SubPageWords Words(const StreamSubPage& sub)
{
    return {sub.number,        sub.sequence,
            sub.pageValue,     sub.markValue,
            sub.width,         sub.height,
            sub.pixelWidth,    sub.pixelHeight,
            sub.mark1Run,      sub.mark2Run,
            sub.altPixelWidth, sub.altPixelHeight,
            sub.orientation,   static_cast<int64_t>(sub.imageOffset)};
}

SubPageWords Words(const tagDORNSUBPAGEINFO& sub)
{
    return {sub.nNumber,        sub.nSequence,
            sub.nPageValue,     sub.nMarkValue,
            sub.nWidth,         sub.nHeight,
            sub.nPixelWidth,    sub.nPixelHeight,
            sub.nMark1Run,      sub.nMark2Run,
            sub.nAltPixelWidth, sub.nAltPixelHeight,
            sub.nOrientation,   static_cast<int64_t>(sub.nImageOffset)};
}

class SampleStreamRoundTripTest : public ::testing::TestWithParam<StreamVariant>
{
protected:
    ScratchFolder m_folder{"SampleStreamRoundTrip"};
};

TEST_P(SampleStreamRoundTripTest, ReaderFindsWhatTheWriterWrote)
{
    const StreamVariant& variant = GetParam();
    const std::string path = m_folder / "job.prn";
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WritePageStream(path, variant.job, variant.options, &layout), 0);

    CDornComFile file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.m_nFileLength, layout.fileLength);
    ASSERT_EQ(file.ReadJobHeader(), 0);
    const tagDORNJOBHEADER& h = *file.m_pJobHeader;
    const samplejob::StreamHeader& w = layout.header;
    EXPECT_EQ(
        std::vector<int64_t>(
            {h.nResolutionX, h.nResolutionY, h.nJobKind, h.nOrientation, h.nValueO3, h.nValueA8,
             h.nValueA19, static_cast<int64_t>(h.nFirstPageOffset), h.nCopies, h.nAltResolutionX,
             h.nAltResolutionY, h.nLevelMode, h.nAltLevelMode, h.nStyle, h.nZCount}),
        std::vector<int64_t>({w.resolutionX, w.resolutionY, w.jobKind, w.orientation, w.valueO3,
                              w.valueA8, w.valueA19, static_cast<int64_t>(w.firstPageOffset),
                              w.copies, w.altResolutionX, w.altResolutionY, w.levelMode,
                              w.altLevelMode, w.style, w.zCount}));
    EXPECT_EQ(h.nZCount == 5, variant.options.fivePlanes);
    EXPECT_EQ(file.GetImpositionKind(), layout.impositionKind);
    EXPECT_EQ(layout.impositionKind, static_cast<int>(variant.options.impositionKind));

    // The scanned index, the index file written beside it, and both read back, agree.
    ASSERT_EQ(file.BuildPageIndex(), 0);
    const auto expected = samplejob::ExpectedPageIndex(layout);
    ASSERT_EQ(expected.size(), layout.pages.size() * std::max<size_t>(1, variant.options.copies));
    EXPECT_EQ(Flatten(*file.m_pPageIndex), Flatten(expected));
    const std::string adr = m_folder / "job.adr";
    ASSERT_EQ(samplejob::WritePageIndexFile(adr, expected), 0);
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> read;
    ASSERT_EQ(ReadPageOffsetFile(adr, read), 0);
    EXPECT_EQ(Flatten(*read), Flatten(expected));
    const std::string rewritten = m_folder / "rewritten.adr";
    ASSERT_EQ(WritePageOffsetFile(rewritten, *file.m_pPageIndex), 0);
    EXPECT_EQ(samplejob::ReadWholeFile(rewritten), samplejob::ReadWholeFile(adr));
    file.m_pPageIndex.reset();
    ASSERT_EQ(file.LoadPageIndexFile(adr), 0);
    EXPECT_EQ(Flatten(*file.m_pPageIndex), Flatten(expected));

    // Every page, copies included, lays out as the writer's shown sub-pages in display order.
    const size_t pages = layout.pages.size();
    for (const PageSpan& span : expected) {
        const samplejob::StreamPage& page = layout.pages[(span.page - 1) % pages];
        SCOPED_TRACE("page " + std::to_string(span.page));
        ASSERT_EQ(file.LoadPageLayout(span.page), 0);
        EXPECT_EQ(file.m_nLoadedPage, span.page);
        std::vector<SubPageWords> want;
        std::vector<int> rotations;
        int32_t maxima[4] = {0, 0, 0, 0};
        for (const StreamSubPage& sub : page.subPages) {
            if (sub.pageValue != 1) {
                want.push_back(Words(sub));
                rotations.push_back(sub.rotation);
                maxima[0] = std::max(maxima[0], sub.pixelWidth);
                maxima[1] = std::max(maxima[1], sub.pixelHeight);
                maxima[2] = std::max(maxima[2], sub.altPixelWidth);
                maxima[3] = std::max(maxima[3], sub.altPixelHeight);
            }
        }
        const std::vector<tagDORNSUBPAGEINFO>& subPages = *file.m_pSubPages;
        std::vector<SubPageWords> got;
        for (const tagDORNSUBPAGEINFO& sub : subPages) {
            got.push_back(Words(sub));
            EXPECT_EQ(sub.nValueX103, 0);
            EXPECT_EQ(sub.nValueX104, 0);
        }
        ASSERT_EQ(got, want);
        const bool firstMarked = !subPages.empty() && subPages.front().nMarkValue == 1;
        for (size_t i = 0; i < subPages.size(); ++i) {
            EXPECT_EQ(file.GetPageRotation(&subPages[i], firstMarked), rotations[i])
                << "sub-page " << i + 1;
        }
        EXPECT_EQ(std::vector<int32_t>({file.m_nMaxWidth, file.m_nMaxHeight, file.m_nMaxAltWidth,
                                        file.m_nMaxAltHeight}),
                  std::vector<int32_t>(maxima, maxima + 4));
    }
    EXPECT_EQ(file.LoadPageLayout(0), -1);
    EXPECT_EQ(file.LoadPageLayout(static_cast<uint32_t>(expected.size()) + 1), -1);
    EXPECT_EQ(file.m_nLoadedPage, expected.back().page); // the last layout stays
}

INSTANTIATE_TEST_SUITE_P(Variants, SampleStreamRoundTripTest, ::testing::ValuesIn(StreamVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

class SampleStreamDefectTest : public ::testing::Test
{
protected:
    // Writes the stream and opens it with its header read.
    void OpenStream(const PageStreamOptions& options, PageStreamLayout& layout,
                    const samplejob::JobLogOptions& job = {})
    {
        m_path = m_folder / ("job" + std::to_string(m_streams++) + ".prn");
        ASSERT_EQ(samplejob::WritePageStream(m_path, job, options, &layout), 0);
        m_file = std::make_unique<CDornComFile>();
        ASSERT_EQ(m_file->Open(m_path), 0);
        ASSERT_EQ(m_file->ReadJobHeader(), 0);
    }

    ScratchFolder m_folder{"SampleStreamDefect"};
    std::string m_path;
    int m_streams = 0;
    std::unique_ptr<CDornComFile> m_file;
};

TEST_F(SampleStreamDefectTest, StreamWithoutEndHasNoScannedIndexButItsIndexFileServes)
{
    PageStreamOptions options;
    options.resolution = 20;
    options.defect = StreamDefect::MissingEnd;
    PageStreamLayout layout;
    OpenStream(options, layout);
    ASSERT_TRUE(samplejob::ExpectedPageIndex(layout).empty());
    m_file->m_pPageIndex =
        std::make_unique<std::vector<tagDORNPAGEPOS>>(std::vector<tagDORNPAGEPOS>{{77, 1, 2}});
    EXPECT_EQ(m_file->BuildPageIndex(), -1);
    EXPECT_EQ(Flatten(*m_file->m_pPageIndex), (Index{{77, 1, 2}})); // the previous index stays

    // The pages themselves are whole: an index file of them opens every one.
    const auto spans = samplejob::PageSpans(layout);
    ASSERT_EQ(spans.size(), 6u);
    ASSERT_EQ(samplejob::WritePageIndexFile(m_folder / "job.adr", spans), 0);
    ASSERT_EQ(m_file->LoadPageIndexFile(m_folder / "job.adr"), 0);
    for (const PageSpan& span : spans) {
        EXPECT_EQ(m_file->LoadPageLayout(span.page), 0) << span.page;
        EXPECT_EQ(m_file->m_pSubPages->size(), 5u);
    }
}

TEST_F(SampleStreamDefectTest, TruncatedBandLeavesOnlyTheWholePages)
{
    PageStreamOptions options;
    options.resolution = 20;
    options.defect = StreamDefect::TruncatedBand;
    PageStreamLayout layout;
    OpenStream(options, layout);
    EXPECT_EQ(m_file->BuildPageIndex(), -1);
    EXPECT_EQ(m_file->m_pPageIndex, nullptr);

    const auto spans = samplejob::PageSpans(layout);
    ASSERT_EQ(spans.size(), 5u);
    // The cut page, as an index file would give it had it been scanned before the cut.
    std::vector<PageSpan> withCut = spans;
    const uint64_t cutStart = spans.back().start + spans.back().length + 3; // after "y\r\n"
    withCut.push_back({6, cutStart, layout.fileLength - cutStart});
    ASSERT_EQ(samplejob::WritePageIndexFile(m_folder / "job.adr", withCut), 0);
    ASSERT_EQ(m_file->LoadPageIndexFile(m_folder / "job.adr"), 0);
    for (const PageSpan& span : spans) {
        EXPECT_EQ(m_file->LoadPageLayout(span.page), 0) << span.page;
    }
    EXPECT_EQ(m_file->LoadPageLayout(6), -1);
    EXPECT_EQ(m_file->m_nLoadedPage, 5u);
}

TEST_F(SampleStreamDefectTest, StreamWithoutPagesHasNoJobHeader)
{
    samplejob::JobLogOptions job;
    job.mails = 0;
    PageStreamOptions options;
    options.copies = 2;
    PageStreamLayout layout;
    const std::string path = m_folder / "empty.prn";
    ASSERT_EQ(samplejob::WritePageStream(path, job, options, &layout), 0);
    CDornComFile file;
    ASSERT_EQ(file.Open(path), 0);
    // The end comes before any page-level command.
    EXPECT_EQ(file.ReadJobHeader(), -1);
    EXPECT_EQ(file.m_pJobHeader, nullptr);
}

TEST_F(SampleStreamDefectTest, LargeStreamIndexesAndLaysOutLikeTheSmallOnes)
{
    samplejob::LargeStreamOptions large;
    large.pages = 9;
    large.subPagesPerPage = 3;
    large.resolution = 30;
    large.bytes = 9 * 3 * 8000;
    PageStreamLayout layout;
    const std::string path = m_folder / "large.prn";
    ASSERT_EQ(samplejob::WriteLargePageStream(path, large, &layout), 0);
    CDornComFile file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.ReadJobHeader(), 0);
    EXPECT_EQ(file.m_pJobHeader->nLevelMode, layout.header.levelMode);
    EXPECT_EQ(file.m_pJobHeader->nFirstPageOffset, layout.header.firstPageOffset);
    ASSERT_EQ(file.BuildPageIndex(), 0);
    EXPECT_EQ(Flatten(*file.m_pPageIndex), Flatten(samplejob::ExpectedPageIndex(layout)));
    for (const samplejob::StreamPage& page : layout.pages) {
        ASSERT_EQ(file.LoadPageLayout(page.page), 0);
        std::vector<SubPageWords> want;
        for (const StreamSubPage& sub : page.subPages) {
            want.push_back(Words(sub));
        }
        std::vector<SubPageWords> got;
        for (const tagDORNSUBPAGEINFO& sub : *file.m_pSubPages) {
            got.push_back(Words(sub));
        }
        EXPECT_EQ(got, want) << page.page;
    }
}

} // namespace
