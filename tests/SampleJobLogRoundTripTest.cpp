// Why: the generated logs stand in for the finisher's in every later test, so the log reader
// must accept every variant the generator writes and refuse each deliberately broken one.
#include "ScratchFolder.h"
#include "formats/JobLogFile.h"
#include "tools/LargeInputs.h"
#include "tools/SampleFiles.h"
#include "tools/SampleJobLog.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using samplejob::JobEnd;
using samplejob::JobLogOptions;
using samplejob::LineEnd;
using samplejob::LogRow;

struct LogVariant
{
    const char* name;
    JobLogOptions options;
};

void PrintTo(const LogVariant& variant, std::ostream* out)
{
    *out << variant.name;
}

JobLogOptions Log(const std::function<void(JobLogOptions&)>& change)
{
    JobLogOptions options;
    options.seed = 4242;
    change(options);
    return options;
}

const std::vector<LogVariant>& LogVariants()
{
    static const std::vector<LogVariant> variants = {
        {"Plain", Log([](JobLogOptions&) {})},
        {"TwelveCommas", Log([](JobLogOptions& o) { o.commas = 12; })},
        {"TwelveCommasLf", Log([](JobLogOptions& o) {
             o.commas = 12;
             o.lineEnd = LineEnd::Lf;
         })},
        {"ThirteenCommasLf", Log([](JobLogOptions& o) { o.lineEnd = LineEnd::Lf; })},
        {"ByteOrderMark", Log([](JobLogOptions& o) { o.byteOrderMark = true; })},
        {"ByteOrderMarkTwelveCommasLf", Log([](JobLogOptions& o) {
             o.byteOrderMark = true;
             o.commas = 12;
             o.lineEnd = LineEnd::Lf;
         })},
        {"Retries", Log([](JobLogOptions& o) { o.retries = 3; })},
        {"Suspensions", Log([](JobLogOptions& o) { o.suspensions = 4; })},
        {"Errors", Log([](JobLogOptions& o) { o.errors = 5; })},
        {"SampleMails", Log([](JobLogOptions& o) { o.sampleMails = 3; })},
        {"Interruptions", Log([](JobLogOptions& o) { o.interruptions = 3; })},
        {"Canceled", Log([](JobLogOptions& o) { o.end = JobEnd::Canceled; })},
        {"CanceledAfterRetries", Log([](JobLogOptions& o) {
             o.end = JobEnd::Canceled;
             o.retries = 2;
             o.errors = 1;
         })},
        {"SimplexHighCapacityFeeder", Log([](JobLogOptions& o) {
             o.duplex = false;
             o.letters = 4;
             o.highCapacityFeeder = true;
         })},
        {"NoMails", Log([](JobLogOptions& o) { o.mails = 0; })},
        {"NoLetters", Log([](JobLogOptions& o) {
             o.letters = 0;
             o.suspensions = 2;
         })},
        {"NamesOutsideAscii", Log([](JobLogOptions& o) {
             o.jobName = "Rechnungen M\xC3\xA4rz \xE8\xAB\x8B\xE6\xB1\x82";
             o.jobId = "\xC3\x9C-7";
         })},
        {"Everything", Log([](JobLogOptions& o) {
             o.mails = 25;
             o.letters = 3;
             o.retries = 4;
             o.suspensions = 5;
             o.errors = 4;
             o.sampleMails = 3;
             o.interruptions = 3;
             o.commas = 12;
             o.byteOrderMark = true;
         })},
        {"LargeInputMix", samplejob::LargeJobLogOptions(20000, 9)},
    };
    return variants;
}

// Loads `path` with a fresh reader and closes the log the reader leaves open.
int LoadLog(const std::string& path, bool* rowsLeft = nullptr)
{
    JobLogFile reader;
    const int result = reader.Load(path);
    if (rowsLeft) {
        *rowsLeft = reader.m_pRows != nullptr;
    }
    if (reader.m_pStream) {
        std::fclose(reader.m_pStream);
        reader.m_pStream = nullptr;
    }
    return result;
}

class SampleJobLogRoundTripTest : public ::testing::TestWithParam<LogVariant>
{
protected:
    ScratchFolder m_folder{"SampleJobLogRoundTrip"};
};

TEST_P(SampleJobLogRoundTripTest, EveryVariantLoads)
{
    const JobLogOptions& options = GetParam().options;
    const std::string path = m_folder / "job.csv";
    ASSERT_EQ(samplejob::WriteJobLogFile(path, options), 0);
    bool rowsLeft = true;
    EXPECT_EQ(LoadLog(path, &rowsLeft), 0);
    EXPECT_FALSE(rowsLeft);

    // The last line may lack its line end.
    std::string text = samplejob::ReadWholeFile(path);
    text.pop_back();
    if (options.lineEnd == LineEnd::CrLf) {
        text.pop_back();
    }
    EXPECT_EQ(LoadLog(m_folder.Write("unended.csv", text)), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, SampleJobLogRoundTripTest, ::testing::ValuesIn(LogVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

// Index of the first event row from row 8 on whose Result is `event`; 0 when none.
size_t FindEvent(const std::vector<LogRow>& rows, const std::string& event)
{
    for (size_t r = 8; r < rows.size(); ++r) {
        if (rows[r][2] == event) {
            return r;
        }
    }
    return 0;
}

struct Breakage
{
    const char* name;
    std::function<void(std::vector<LogRow>&)> rows; // changes the rows before rendering
    std::function<void(std::string&)> text;         // then the text, when set
};

class SampleJobLogBreakageTest : public ::testing::Test
{
protected:
    ScratchFolder m_folder{"SampleJobLogBreakage"};
};

TEST_F(SampleJobLogBreakageTest, BrokenVariantsAreRefused)
{
    JobLogOptions options;
    options.seed = 5;
    options.errors = 2;
    options.sampleMails = 1;
    options.suspensions = 1;
    const std::vector<LogRow> good = samplejob::MakeJobLogRows(options);
    ASSERT_EQ(
        LoadLog(m_folder.Write("good.csv", samplejob::RenderJobLog(good, options.lineEnd, false))),
        0);
    const size_t stacked = FindEvent(good, "Sheet Stacked");
    const size_t sample = FindEvent(good, "Mail Started");
    ASSERT_NE(stacked, 0u);
    ASSERT_NE(sample, 0u);

    const std::vector<Breakage> breakages = {
        {"ExtraComma", [](auto& rows) { rows[12].push_back(""); }, nullptr},
        {"MissingComma", [](auto& rows) { rows.back().pop_back(); }, nullptr},
        {"CommaInJobName", [](auto& rows) { rows[1][1] = "Invoices, March"; }, nullptr},
        {"WrongVersion", [](auto& rows) { rows[0][2] = "2.01"; }, nullptr},
        {"NoTitle", [](auto& rows) { rows[0][0] = "Mail History"; }, nullptr},
        {"EmptyJobId", [](auto& rows) { rows[2][1].clear(); }, nullptr},
        {"EmptyTrayContents", [](auto& rows) { rows[6][1].clear(); }, nullptr},
        {"HeadingInLowerCase", [](auto& rows) { rows[7][9] = "tray"; }, nullptr},
        {"FirstEventNotJobStarted", [](auto& rows) { std::swap(rows[8], rows[9]); }, nullptr},
        {"HeaderOnly", [](auto& rows) { rows.resize(8); }, nullptr},
        {"UnknownEvent", [stacked](auto& rows) { rows[stacked][2] = "Sheet Stacked "; }, nullptr},
        {"TimeWithoutSeconds", [](auto& rows) { rows[10][1].resize(16); }, nullptr},
        {"TimeWithTwoBlanks", [](auto& rows) { rows[10][1].insert(10, " "); }, nullptr},
        {"EmptyRowNumber", [](auto& rows) { rows[11][0].clear(); }, nullptr},
        {"LowerCaseSheetType", [stacked](auto& rows) { rows[stacked][5] = "letter"; }, nullptr},
        {"OtherSampleMark", [sample](auto& rows) { rows[sample][10] = "Test"; }, nullptr},
        {"EmptyLineInside", nullptr,
         [](std::string& text) { text.insert(text.find("\r\n") + 2, "\r\n"); }},
        {"EmptyLineAtTheEnd", nullptr, [](std::string& text) { text += "\r\n"; }},
        {"CutInsideARow", nullptr,
         [](std::string& text) { text.resize(text.rfind(',', text.size() - 3)); }},
        {"NotUtf8", [](auto& rows) { rows[1][1] = "Rechnungen M\xE4rz"; }, nullptr},
        {"Empty", nullptr, [](std::string& text) { text.clear(); }},
    };
    for (const Breakage& breakage : breakages) {
        SCOPED_TRACE(breakage.name);
        std::vector<LogRow> rows = good;
        if (breakage.rows) {
            breakage.rows(rows);
        }
        std::string text = samplejob::RenderJobLog(rows, options.lineEnd, false);
        if (breakage.text) {
            breakage.text(text);
        }
        EXPECT_EQ(LoadLog(m_folder.Write("broken.csv", text)), -1);
    }
    EXPECT_EQ(LoadLog(m_folder / "missing.csv"), -1);
    EXPECT_EQ(LoadLog(""), -1);
}

TEST_F(SampleJobLogBreakageTest, TwelveCommaLogsSkipTheVersion)
{
    // Only the 13-comma form carries the version; a 12-comma title row says nothing of it.
    JobLogOptions options;
    options.commas = 12;
    std::vector<LogRow> rows = samplejob::MakeJobLogRows(options);
    rows[0][2] = "9.99";
    EXPECT_EQ(LoadLog(m_folder.Write("v.csv", samplejob::RenderJobLog(rows, LineEnd::CrLf, true))),
              0);
}

} // namespace
