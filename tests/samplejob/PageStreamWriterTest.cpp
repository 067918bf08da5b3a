// Why: the round trips trust the writer's layout and repeatability, so the same options must
// give the same bytes, options a stream cannot carry must be refused, and what only the writer
// can show (defects, index records, sizes, file writes) must be as it says.
#include "tests/ScratchFolder.h"
#include "tests/samplejob/SampleStreamVariants.h"
#include "tools/LargeInputs.h"
#include "tools/PageIndexFile.h"
#include "tools/PageStream.h"
#include "tools/RunLengthCoding.h"
#include "tools/SampleFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using sample_streams::StreamVariant;
using samplejob::LevelMode;
using samplejob::PageStreamLayout;
using samplejob::PageStreamOptions;
using samplejob::StreamDefect;

samplejob::JobLogOptions SmallJob()
{
    samplejob::JobLogOptions job;
    job.mails = 3;
    job.letters = 2;
    return job;
}

class PageStreamVariantTest : public ::testing::TestWithParam<StreamVariant>
{};

TEST_P(PageStreamVariantTest, SameOptionsGiveTheSameBytes)
{
    const StreamVariant& variant = GetParam();
    PageStreamLayout layout;
    const std::string stream = samplejob::MakePageStream(variant.job, variant.options, &layout);
    ASSERT_FALSE(stream.empty());
    EXPECT_EQ(layout.fileLength, stream.size());
    EXPECT_EQ(samplejob::MakePageStream(variant.job, variant.options), stream);
}

INSTANTIATE_TEST_SUITE_P(Variants, PageStreamVariantTest,
                         ::testing::ValuesIn(sample_streams::StreamVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunLengthCodingTest, RunsStayWithinTheirBound)
{
    // Literals cost one control byte per 128 units at most.
    for (const size_t size : {0u, 1u, 2u, 128u, 129u, 130u, 1000u}) {
        std::string input;
        for (size_t i = 0; i < size; ++i) {
            input += static_cast<char>(i * 37 % 251);
        }
        std::string coded;
        samplejob::EncodeRunBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size(),
                                  coded);
        EXPECT_LE(coded.size(), input.size() + input.size() / 128 + 1) << size;
    }
    // The longest repeat run uses the control byte 0x80.
    std::string coded;
    const std::string run(129, '\x05');
    samplejob::EncodeRunBytes(reinterpret_cast<const uint8_t*>(run.data()), run.size(), coded);
    EXPECT_EQ(coded, std::string("\x80\x05", 2));
}

TEST(PageStreamWriterTest, RefusesOptionsTheStreamCannotCarry)
{
    auto refused = [](void (*change)(PageStreamOptions&)) {
        PageStreamOptions options;
        change(options);
        return samplejob::MakePageStream(SmallJob(), options).empty();
    };
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.orientationPerSubPage = true; }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) {
        o.fivePlanes = true;
        o.blackLevels = LevelMode::ThreeBit;
    }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.impositionKind = 5; }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) {
        o.impositionKind = 1;
        o.jobKind = 101;
    }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.resolution = 0; }));
}

TEST(PageStreamWriterTest, DefectsBreakTheStreamWhereAsked)
{
    PageStreamOptions options;
    options.resolution = 20;
    PageStreamLayout whole;
    const std::string good = samplejob::MakePageStream(SmallJob(), options, &whole);

    options.defect = StreamDefect::MissingEnd;
    PageStreamLayout layout;
    const std::string noEnd = samplejob::MakePageStream(SmallJob(), options, &layout);
    EXPECT_EQ(noEnd, good.substr(0, good.size() - 5));
    EXPECT_EQ(layout.pages.size(), 3u);
    EXPECT_TRUE(samplejob::ExpectedPageIndex(layout).empty()); // no end, no index
    EXPECT_EQ(samplejob::PageSpans(layout).size(), 3u);

    options.defect = StreamDefect::TruncatedBand;
    const std::string truncated = samplejob::MakePageStream(SmallJob(), options, &layout);
    ASSERT_EQ(layout.pages.size(), 2u);
    EXPECT_TRUE(samplejob::ExpectedPageIndex(layout).empty());
    EXPECT_EQ(truncated.compare(0, whole.pages[2].start, good, 0, whole.pages[2].start), 0);
    EXPECT_EQ(truncated.find("?<0>y", whole.pages[2].start), std::string::npos);
}

TEST(PageStreamWriterTest, JobWithoutPagesIsIndexedAsOneRecord)
{
    samplejob::JobLogOptions job;
    job.mails = 0;
    PageStreamOptions options;
    options.copies = 2;
    PageStreamLayout layout;
    const std::string stream = samplejob::MakePageStream(job, options, &layout);
    const auto index = samplejob::ExpectedPageIndex(layout);
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[0].page, 0xFFFFFFFFu);
    EXPECT_EQ(index[0].start, layout.header.firstPageOffset);
    EXPECT_EQ(stream[index[0].start + index[0].length], 'E');
    EXPECT_EQ(index[1].page, 0u); // the copy's number wraps round
}

class PageStreamFileTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"PageStreamFileTest"};
};

TEST_F(PageStreamFileTest, FileHoldsTheStreamAndAMissingFolderIsRefused)
{
    PageStreamOptions options;
    options.resolution = 20;
    options.copies = 2;
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WritePageStream((m_scratch / "job.prn"), SmallJob(), options, &layout), 0);
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "job.prn")),
              samplejob::MakePageStream(SmallJob(), options));

    EXPECT_EQ(samplejob::WritePageStream((m_scratch / "none/job.prn"), SmallJob(), options), -1);
}

TEST_F(PageStreamFileTest, LargeStreamComesToTheAskedSize)
{
    samplejob::LargeStreamOptions large;
    large.pages = 12;
    large.subPagesPerPage = 2;
    large.resolution = 40;
    large.bytes = 12 * 2 * 12000;
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WriteLargePageStream((m_scratch / "large.prn"), large, &layout), 0);
    const std::string stream = samplejob::ReadWholeFile((m_scratch / "large.prn"));
    EXPECT_EQ(stream.size(), layout.fileLength);
    EXPECT_NEAR(static_cast<double>(stream.size()), static_cast<double>(large.bytes),
                large.bytes * 0.05);
    EXPECT_EQ(stream.substr(stream.size() - 5), "?<0>E");
    ASSERT_EQ(layout.pages.size(), 12u);

    EXPECT_EQ(samplejob::WriteLargePageStream((m_scratch / "none/large.prn"), large), -1);
}

} // namespace
