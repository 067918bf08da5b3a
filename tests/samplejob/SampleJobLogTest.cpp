// Why: the log round trips check the format through the reader; what stays here is only the
// writer's side: the same seed gives the same bytes, sizes and counts come out as asked, and a
// file goes where it is told or is refused.
#include "tools/SampleJobLog.h"

#include "tests/ScratchFolder.h"
#include "tests/samplejob/SampleLogVariants.h"
#include "tools/LargeInputs.h"
#include "tools/SampleFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using samplejob::JobEnd;
using samplejob::JobLogCounts;
using samplejob::JobLogOptions;
using samplejob::LineEnd;

class SampleJobLogVariantTest : public ::testing::TestWithParam<sample_logs::LogVariant>
{};

TEST_P(SampleJobLogVariantTest, SameSeedGivesTheSameBytes)
{
    const JobLogOptions& options = GetParam().options;
    EXPECT_EQ(samplejob::MakeJobLogText(options), samplejob::MakeJobLogText(options));
    JobLogOptions other = options;
    other.seed += 1;
    if (options.mails > 0) {
        EXPECT_NE(samplejob::MakeJobLogText(options), samplejob::MakeJobLogText(other));
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, SampleJobLogVariantTest,
                         ::testing::ValuesIn(sample_logs::LogVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SampleJobLogTest, LargeLogHasAboutTheRowsAsked)
{
    for (uint64_t rows : {uint64_t{1000}, uint64_t{100000}}) {
        JobLogCounts counts;
        samplejob::GenerateJobLog(samplejob::LargeJobLogOptions(rows),
                                  [&counts](const auto&) { ++counts.rows; });
        EXPECT_NEAR(static_cast<double>(counts.rows), static_cast<double>(rows), rows * 0.01);
    }
}

TEST(SampleJobLogTest, RetriedMailsCountAsRecreated)
{
    JobLogOptions options;
    options.mails = 8;
    options.retries = 3;
    JobLogCounts counts;
    samplejob::MakeJobLogRows(options, &counts);
    EXPECT_EQ(counts.startedMails, 11u);
    EXPECT_EQ(counts.createdMails, 8u);
    // each failed attempt ends in an error and the machine's suspension
    EXPECT_EQ(counts.errors, 3u);
    EXPECT_EQ(counts.suspensions, 3u);
}

TEST(SampleJobLogTest, DuplexPagesRiseAndSimplexPagesFall)
{
    JobLogOptions options;
    options.mails = 3;
    options.letters = 3;
    const auto duplex = samplejob::PlanMails(options);
    ASSERT_EQ(duplex.size(), 3u);
    EXPECT_EQ(duplex[1].FirstPage(), 8u);
    EXPECT_EQ(duplex[1].LastPage(), 14u);
    EXPECT_EQ(duplex[1].sheets[0].frontPage, 8u);
    EXPECT_EQ(duplex[1].sheets[0].backPage, 9u);
    EXPECT_TRUE(duplex[1].sheets[3].envelope);
    EXPECT_EQ(duplex[1].sheets[3].frontPage, 14u);
    EXPECT_EQ(duplex[1].sheets[3].backPage, 0u);

    options.duplex = false;
    const auto simplex = samplejob::PlanMails(options);
    EXPECT_EQ(simplex[1].sheets[0].frontPage, 7u);
    EXPECT_EQ(simplex[1].sheets[2].frontPage, 5u);
    EXPECT_EQ(simplex[1].sheets[3].frontPage, 8u);
    EXPECT_EQ(simplex[1].sheets[0].backPage, 0u);
    EXPECT_EQ(simplex[2].FirstPage(), 9u);
}

TEST(SampleJobLogTest, RowsRenderBackToTheSameText)
{
    JobLogOptions options;
    options.suspensions = 2;
    options.lineEnd = LineEnd::Lf;
    const auto rows = samplejob::MakeJobLogRows(options);
    EXPECT_EQ(samplejob::RenderJobLog(rows, LineEnd::Lf, false),
              samplejob::MakeJobLogText(options));
}

class SampleJobLogFileTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"SampleJobLogFileTest"};
};

TEST_F(SampleJobLogFileTest, FileHoldsTheSameBytesAsTheText)
{
    JobLogOptions options;
    options.mails = 300;
    options.byteOrderMark = true;
    options.errors = 10;
    JobLogCounts counts;
    ASSERT_EQ(samplejob::WriteJobLogFile((m_scratch / "log.csv"), options, &counts), 0);
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "log.csv")),
              samplejob::MakeJobLogText(options));
    EXPECT_EQ(counts.createdMails, 300u);
    EXPECT_EQ(samplejob::WriteJobLogFile((m_scratch / "missing/log.csv"), options), -1);
}

} // namespace
