// Why: every reader test and benchmark trusts these logs, so each variant must keep the log
// format, say what its counts say, and come out the same for the same seed.
#include "tools/SampleJobLog.h"

#include "ScratchFolder.h"
#include "tools/LargeInputs.h"
#include "tools/SampleFiles.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using samplejob::JobEnd;
using samplejob::JobLogCounts;
using samplejob::JobLogOptions;
using samplejob::LineEnd;

struct Variant
{
    const char* name;
    JobLogOptions options;
};

void PrintTo(const Variant& variant, std::ostream* out)
{
    *out << variant.name;
}

JobLogOptions With(void (*change)(JobLogOptions&))
{
    JobLogOptions options;
    options.seed = 77;
    change(options);
    return options;
}

const std::vector<Variant>& Variants()
{
    static const std::vector<Variant> variants = {
        {"Plain", With([](JobLogOptions&) {})},
        {"TwelveCommasLf", With([](JobLogOptions& o) {
             o.commas = 12;
             o.lineEnd = LineEnd::Lf;
         })},
        {"ByteOrderMark", With([](JobLogOptions& o) { o.byteOrderMark = true; })},
        {"Retries", With([](JobLogOptions& o) { o.retries = 3; })},
        {"Suspensions", With([](JobLogOptions& o) { o.suspensions = 4; })},
        {"Errors", With([](JobLogOptions& o) { o.errors = 5; })},
        {"SampleMails", With([](JobLogOptions& o) { o.sampleMails = 2; })},
        {"Interruptions", With([](JobLogOptions& o) { o.interruptions = 2; })},
        {"Canceled", With([](JobLogOptions& o) {
             o.end = JobEnd::Canceled;
             o.retries = 1;
         })},
        {"SimplexHighCapacityFeeder", With([](JobLogOptions& o) {
             o.duplex = false;
             o.letters = 4;
             o.highCapacityFeeder = true;
         })},
        {"NoMails", With([](JobLogOptions& o) { o.mails = 0; })},
        {"NoLetters", With([](JobLogOptions& o) {
             o.letters = 0;
             o.suspensions = 2;
         })},
        {"Everything", With([](JobLogOptions& o) {
             o.mails = 20;
             o.letters = 3;
             o.retries = 4;
             o.suspensions = 4;
             o.errors = 4;
             o.sampleMails = 3;
             o.interruptions = 3;
         })},
        {"LargeInputMix", samplejob::LargeJobLogOptions(5000, 3)},
    };
    return variants;
}

std::vector<std::string> SplitLines(const std::string& text, LineEnd lineEnd, bool& ok)
{
    std::vector<std::string> lines;
    ok = true;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            ok = false; // every line ends with its line end
            break;
        }
        std::string line = text.substr(start, end - start);
        const bool hasCr = !line.empty() && line.back() == '\r';
        if (hasCr != (lineEnd == LineEnd::CrLf)) {
            ok = false;
        }
        if (hasCr) {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool IsDecimal(const std::string& text)
{
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

class SampleJobLogVariantTest : public ::testing::TestWithParam<Variant>
{};

TEST_P(SampleJobLogVariantTest, KeepsTheLogFormat)
{
    const JobLogOptions& options = GetParam().options;
    JobLogCounts counts;
    std::string text = samplejob::MakeJobLogText(options, &counts);
    const std::string bom = "\xEF\xBB\xBF";
    ASSERT_EQ(text.rfind(bom, 0) == 0, options.byteOrderMark);
    if (options.byteOrderMark) {
        text.erase(0, bom.size());
    }
    bool lineEndsOk = false;
    const auto lines = SplitLines(text, options.lineEnd, lineEndsOk);
    EXPECT_TRUE(lineEndsOk);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines.size(), counts.rows);

    const size_t fieldCount = options.commas == 12 ? 13 : 14;
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        ASSERT_FALSE(line.empty());
        rows.push_back(SplitFields(line));
        ASSERT_EQ(rows.back().size(), fieldCount) << line;
    }
    EXPECT_NE(rows[0][0].find("Making Mail History"), std::string::npos);
    if (fieldCount == 14) {
        EXPECT_EQ(rows[0][2], "2.00");
    }
    const std::vector<std::string> keys = {"Job name", "Job ID", "Feed Tray 1", "Feed Tray 2",
                                           "Feed Tray 3"};
    for (size_t r = 0; r < keys.size(); ++r) {
        EXPECT_EQ(rows[r + 1][0], keys[r]);
        EXPECT_FALSE(rows[r + 1][1].empty());
    }
    EXPECT_EQ(rows[6][0], options.highCapacityFeeder ? "High Capacity Feeder" : "Standard Tray");
    EXPECT_FALSE(rows[6][1].empty());
    const std::vector<std::string> headings = {"No.",
                                               "Time",
                                               "Result",
                                               "Error No.",
                                               "Mail No.",
                                               "Type",
                                               "Sheet",
                                               "Front Page",
                                               "Back Page",
                                               "Tray",
                                               "Sample",
                                               "Letter Sheets",
                                               "Number of making mail"};
    for (size_t f = 0; f < headings.size(); ++f) {
        EXPECT_EQ(rows[7][f], headings[f]);
    }
    EXPECT_EQ(rows[8][2], "Job Started");

    const std::regex time("[0-9]{4}/[0-9]{2}/[0-9]{2}\\s[0-9]{2}:[0-9]{2}:[0-9]{2}");
    const std::set<std::string> events = {"Job Started",       "Job Finished",      "Job Canceled",
                                          "Mail Started",      "Mail Finished",     "Sheet Feeded",
                                          "Sheet Stacked",     "Suspended",         "Error",
                                          "Interrupt Started", "Interrupt Finished"};
    std::map<std::string, uint32_t> seen;
    uint32_t normalStarts = 0;
    uint32_t normalFinishes = 0;
    uint32_t sampleStarts = 0;
    std::string previousTime;
    for (size_t r = 8; r < rows.size(); ++r) {
        const auto& row = rows[r];
        SCOPED_TRACE(lines[r]);
        EXPECT_EQ(row[0], std::to_string(r - 7));
        EXPECT_TRUE(std::regex_match(row[1], time));
        EXPECT_GE(row[1], previousTime); // times never run backwards
        previousTime = row[1];
        ASSERT_EQ(events.count(row[2]), 1u);
        EXPECT_TRUE(row[5].empty() || row[5] == "Letter" || row[5] == "Envelope");
        EXPECT_TRUE(row[10].empty() || row[10] == "Sample");
        ++seen[row[2]];
        const bool sample = row[10] == "Sample";
        if (row[2] == "Mail Started") {
            EXPECT_TRUE(IsDecimal(row[11]));
            EXPECT_EQ(sample, row[4].empty());
            ++(sample ? sampleStarts : normalStarts);
        }
        if (row[2] == "Mail Finished" && !sample) {
            ++normalFinishes;
        }
        if (row[2] == "Sheet Feeded" || row[2] == "Sheet Stacked") {
            EXPECT_TRUE(IsDecimal(row[6]));
            EXPECT_TRUE(IsDecimal(row[7]));
            EXPECT_TRUE(row[8].empty() || IsDecimal(row[8]));
            EXPECT_TRUE(sample || IsDecimal(row[4]));
        }
    }
    EXPECT_EQ(seen["Job Finished"] + seen["Job Canceled"], 1u);
    EXPECT_EQ(normalStarts, counts.startedMails);
    EXPECT_EQ(normalFinishes, counts.createdMails);
    EXPECT_EQ(sampleStarts, counts.sampleMails);
    EXPECT_EQ(seen["Error"], counts.errors);
    EXPECT_EQ(seen["Suspended"], counts.suspensions);
    EXPECT_EQ(seen["Interrupt Started"], seen["Interrupt Finished"]);
    EXPECT_EQ(counts.startTime, rows[8][1]);
    EXPECT_EQ(counts.endTime, rows.back()[1]);
    if (options.end == JobEnd::Finished) {
        EXPECT_EQ(rows.back()[2], "Job Finished");
        EXPECT_EQ(rows.back()[12], std::to_string(options.mails));
        EXPECT_EQ(counts.requestedMails, options.mails);
        EXPECT_EQ(counts.createdMails, options.mails);
        EXPECT_EQ(counts.result, 1);
    } else {
        EXPECT_EQ(rows.back()[2], "Job Canceled");
        EXPECT_EQ(counts.requestedMails, samplejob::kNoRequestedCount);
        EXPECT_EQ(counts.result, 2);
    }
}

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

INSTANTIATE_TEST_SUITE_P(Variants, SampleJobLogVariantTest, ::testing::ValuesIn(Variants()),
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
