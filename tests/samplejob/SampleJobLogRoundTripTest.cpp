// Why: the generated logs stand in for the finisher's in every later test, so the log reader
// must accept every variant the generator writes and refuse each deliberately broken one.
#include "formats/joblog/JobLogFile.h"
#include "formats/joblog/TrayNames.h"
#include "tests/ScratchFolder.h"
#include "tests/samplejob/SampleLogVariants.h"
#include "tools/LargeInputs.h"
#include "tools/SampleFiles.h"
#include "tools/SampleJobLog.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using samplejob::JobEnd;
using samplejob::JobLogOptions;
using samplejob::LineEnd;
using samplejob::LogRow;

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

class SampleJobLogRoundTripTest : public ::testing::TestWithParam<sample_logs::LogVariant>
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

// What the rows say per mail number, counted plainly from the rows the generator wrote.
struct RowTally
{
    std::vector<uint32_t> startedNumbers; // in the order they first started
    std::map<uint32_t, uint32_t> stackedRows;
    uint32_t interruptions = 0;
    uint32_t keptSuspendedAttempts = 0; // finishes with a suspension since their latest start:
                                        // at most this many kept copies
};

RowTally TallyRows(const std::vector<LogRow>& rows)
{
    RowTally tally;
    std::set<uint32_t> seen;
    std::map<uint32_t, bool> suspendedSinceStart;
    for (size_t r = 8; r < rows.size(); ++r) {
        const LogRow& row = rows[r];
        const bool sample = row[10] == "Sample";
        if (row[2] == "Interrupt Started") {
            ++tally.interruptions;
        } else if (row[2] == "Suspended") {
            for (auto& [number, suspended] : suspendedSinceStart) {
                suspended = true;
            }
        }
        if (sample || row[4].empty()) {
            continue;
        }
        const auto number = static_cast<uint32_t>(std::stoul(row[4]));
        if (row[2] == "Mail Started") {
            if (seen.insert(number).second) {
                tally.startedNumbers.push_back(number);
            }
            suspendedSinceStart[number] = false;
        } else if (row[2] == "Sheet Stacked") {
            ++tally.stackedRows[number];
        } else if (row[2] == "Mail Finished" && suspendedSinceStart[number]) {
            ++tally.keptSuspendedAttempts;
        }
    }
    return tally;
}

TEST_P(SampleJobLogRoundTripTest, RecordsSayWhatTheGeneratorCounted)
{
    const JobLogOptions& options = GetParam().options;
    samplejob::JobLogCounts counts;
    const std::vector<LogRow> rows = samplejob::MakeJobLogRows(options, &counts);
    const std::string path = m_folder.Write(
        "job.csv", samplejob::RenderJobLog(rows, options.lineEnd, options.byteOrderMark));
    JobLogFile reader;
    ASSERT_EQ(reader.Load(path), 0);
    std::fclose(reader.m_pStream);
    reader.m_pStream = nullptr;
    ASSERT_NE(reader.m_pSummary, nullptr);
    ASSERT_NE(reader.m_pMails, nullptr);
    ASSERT_NE(reader.m_pDetails, nullptr);

    const JobSummary& summary = *reader.m_pSummary;
    EXPECT_EQ(summary.strJobName, samplejob::JobName(options));
    EXPECT_EQ(summary.strJobId, samplejob::JobId(options));
    EXPECT_EQ(std::vector<std::string>(
                  {summary.strTray1, summary.strTray2, summary.strTray3, summary.strTray4}),
              std::vector<std::string>({rows[3][1], rows[4][1], rows[5][1], rows[6][1]}));
    EXPECT_EQ(summary.nResult, counts.result);
    EXPECT_EQ(summary.nStartedMails, counts.startedMails);
    EXPECT_EQ(summary.nCreatedMails, counts.createdMails);
    EXPECT_EQ(summary.nSampleMails, counts.sampleMails);
    EXPECT_EQ(summary.nErrorCount, counts.errors);
    EXPECT_EQ(summary.nSuspendCount, counts.suspensions);
    EXPECT_EQ(summary.nRequestedMails, counts.requestedMails);
    EXPECT_EQ(summary.nRecreatedMails,
              options.end == JobEnd::Finished ? counts.startedMails - options.mails : 0u);
    EXPECT_EQ(summary.strStartTime, counts.startTime);
    EXPECT_EQ(summary.strEndTime, counts.endTime);

    // Mail records: every attempt, sample, error and interruption, and a kept copy of each
    // attempt that a suspension interrupted before it finished.
    const RowTally tally = TallyRows(rows);
    const std::string complete =
        std::to_string(options.letters) + " / " + std::to_string(options.letters);
    std::map<int, uint32_t> kinds;
    uint32_t finishedNormal = 0;
    for (const auto& mail : *reader.m_pMails) {
        ++kinds[mail->nKind];
        if (mail->nKind == kMailKindError) {
            EXPECT_EQ(mail->nState, kMailError);
            EXPECT_FALSE(mail->strErrorNo.empty());
        }
        if (mail->nKind == kMailKindInterruption) {
            EXPECT_FALSE(mail->strEndTime.empty()); // every interruption ends
        }
        if (mail->nKind == kMailKindSample) {
            EXPECT_EQ(mail->nMailNo, kNoNumber);
            EXPECT_EQ(mail->strProgress, complete);
        }
        if (mail->nKind == kMailKindNormal && mail->nState == kMailFinished) {
            ++finishedNormal;
            EXPECT_EQ(mail->strProgress, complete) << mail->nMailNo;
            EXPECT_EQ(mail->bEnvelope, 1) << mail->nMailNo;
        }
    }
    EXPECT_EQ(kinds[kMailKindError], counts.errors);
    EXPECT_EQ(kinds[kMailKindInterruption], tally.interruptions);
    EXPECT_EQ(kinds[kMailKindSample], counts.sampleMails);
    // A kept copy repeats its finished attempt's start; a suspension after the last letter
    // leaves nothing unstacked and so keeps none.
    std::set<std::pair<uint32_t, std::string>> finishedStarts;
    for (const auto& mail : *reader.m_pMails) {
        if (mail->nKind == kMailKindNormal && mail->nState == kMailFinished) {
            finishedStarts.insert({mail->nMailNo, mail->strStartTime});
        }
    }
    uint32_t copies = 0;
    for (const auto& mail : *reader.m_pMails) {
        if (mail->nKind == kMailKindNormal && mail->nState == kMailSuspended &&
            finishedStarts.count({mail->nMailNo, mail->strStartTime}) != 0) {
            ++copies;
            EXPECT_EQ(mail->nStacked, -1);
            EXPECT_EQ(mail->nExpected, -1);
        }
    }
    EXPECT_LE(copies, tally.keptSuspendedAttempts);
    EXPECT_EQ(kinds[kMailKindNormal], counts.startedMails + copies);
    EXPECT_EQ(finishedNormal, counts.createdMails);

    // One detail per mail number; its stacked entries are the planned sheets, once for every
    // time the log stacked one.
    ASSERT_EQ(reader.m_pDetails->size(), tally.startedNumbers.size());
    if (options.end == JobEnd::Finished) {
        EXPECT_EQ(tally.startedNumbers.size(), options.mails);
    }
    for (size_t d = 0; d < reader.m_pDetails->size(); ++d) {
        const JobDetail& detail = *(*reader.m_pDetails)[d];
        SCOPED_TRACE("mail " + std::to_string(detail.nMailNo));
        ASSERT_EQ(detail.nMailNo, tally.startedNumbers[d]);
        EXPECT_EQ(detail.nExpected, static_cast<int32_t>(options.letters));
        const bool finished = detail.nMailNo <= counts.createdMails;
        EXPECT_EQ(detail.strProgress, finished ? complete : "");
        using Sheet = std::tuple<uint32_t, uint32_t, uint32_t, int32_t>;
        std::set<Sheet> planned;
        for (const samplejob::SampleSheet& sheet :
             samplejob::PlanMail(options, detail.nMailNo).sheets) {
            planned.insert({sheet.sheetNo, sheet.frontPage,
                            sheet.backPage != 0 ? sheet.backPage : kNoNumber,
                            TrayNameToNumber(sheet.tray)});
        }
        std::set<Sheet> stacked;
        uint32_t stackedEntries = 0;
        ASSERT_NE(detail.pSheets, nullptr);
        for (const SheetRecord& sheet : *detail.pSheets) {
            if (sheet.nState == kSheetStacked) {
                ++stackedEntries;
                stacked.insert({sheet.nSheetNo, sheet.nFrontPage, sheet.nBackPage, sheet.nTray});
                EXPECT_FALSE(sheet.strTime.empty());
            }
        }
        if (finished) {
            EXPECT_EQ(stacked, planned);
        } else {
            EXPECT_TRUE(
                std::includes(planned.begin(), planned.end(), stacked.begin(), stacked.end()));
        }
        EXPECT_EQ(stackedEntries, tally.stackedRows.count(detail.nMailNo)
                                      ? tally.stackedRows.at(detail.nMailNo)
                                      : 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, SampleJobLogRoundTripTest,
                         ::testing::ValuesIn(sample_logs::LogVariants()),
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
    const size_t fed = FindEvent(good, "Sheet Feeded");
    ASSERT_NE(stacked, 0u);
    ASSERT_NE(sample, 0u);
    ASSERT_NE(fed, 0u);
    // A normal mail's start, and the end row with its requested count.
    size_t normalStart = 0;
    for (size_t r = 8; r < good.size() && normalStart == 0; ++r) {
        normalStart = good[r][2] == "Mail Started" && !good[r][4].empty() ? r : 0;
    }
    ASSERT_NE(normalStart, 0u);
    ASSERT_EQ(good.back()[2], "Job Finished");

    // Format-level refusals of single fields and lines are JobLogFileTest's; these break a
    // generated log where it is most like a real one.
    const std::vector<Breakage> breakages = {
        {"MissingComma", [](auto& rows) { rows.back().pop_back(); }, nullptr},
        {"CommaInJobName", [](auto& rows) { rows[1][1] = "Invoices, March"; }, nullptr},
        {"NoTitle", [](auto& rows) { rows[0][0] = "Mail History"; }, nullptr},
        {"EmptyJobId", [](auto& rows) { rows[2][1].clear(); }, nullptr},
        {"HeaderOnly", [](auto& rows) { rows.resize(8); }, nullptr},
        {"TimeWithoutSeconds", [](auto& rows) { rows[10][1].resize(16); }, nullptr},
        {"OtherSampleMark", [sample](auto& rows) { rows[sample][10] = "Test"; }, nullptr},
        {"CutInsideARow", nullptr,
         [](std::string& text) { text.resize(text.rfind(',', text.size() - 3)); }},
        // What only the records show.
        {"TrayKeyMisspelt", [](auto& rows) { rows[4][0] = "Feed Tray 4"; }, nullptr},
        {"SecondEndRow",
         [](auto& rows) {
             rows.push_back(rows.back());
             rows.back()[0] = std::to_string(rows.size() - 8);
         },
         nullptr},
        {"NoEndRow", [](auto& rows) { rows.pop_back(); }, nullptr},
        {"MoreRequestedThanStarted", [](auto& rows) { rows.back()[12] = "7"; }, nullptr},
        {"RequestedNotANumber", [](auto& rows) { rows.back()[12] = "6 "; }, nullptr},
        {"MailNumberNotANumber", [fed](auto& rows) { rows[fed][4] += "a"; }, nullptr},
        {"LetterSheetsMissing", [normalStart](auto& rows) { rows[normalStart][11].clear(); },
         nullptr},
        {"FrontPageNegative", [fed](auto& rows) { rows[fed][7] = "-" + rows[fed][7]; }, nullptr},
        {"StackedForAMailNeverStarted", [stacked](auto& rows) { rows[stacked][4] = "999"; },
         nullptr},
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

TEST_F(SampleJobLogBreakageTest, MailNumbersWithLeadingZerosNameTheSameMail)
{
    // 1 and 0001 are one mail and one detail, whatever the rows write.
    JobLogOptions options;
    options.mails = 3;
    std::vector<LogRow> rows = samplejob::MakeJobLogRows(options);
    for (size_t r = 8; r < rows.size(); ++r) {
        if (rows[r][4] == "2") {
            rows[r][4] = "0002";
        }
    }
    ASSERT_EQ(rows.back()[12], "3");
    rows.back()[12] = "003";
    JobLogFile reader;
    ASSERT_EQ(
        reader.Load(m_folder.Write("z.csv", samplejob::RenderJobLog(rows, LineEnd::Lf, false))), 0);
    std::fclose(reader.m_pStream);
    reader.m_pStream = nullptr;
    ASSERT_EQ(reader.m_pDetails->size(), 3u);
    EXPECT_EQ((*reader.m_pDetails)[1]->nMailNo, 2u);
    EXPECT_EQ((*reader.m_pDetails)[1]->strProgress, "2 / 2");
    EXPECT_EQ(reader.m_pSummary->nRequestedMails, 3u);
    EXPECT_EQ(reader.m_pSummary->nCreatedMails, 3u);
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
