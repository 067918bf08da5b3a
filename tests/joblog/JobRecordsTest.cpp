// Why: the three views show nothing but these records, so each event must leave exactly the
// records it is meant to, field by field, and every refused log must be refused.
#include "formats/joblog/JobLogFile.h"
#include "formats/joblog/TrayNames.h"
#include "tests/ScratchFolder.h"
#include "tests/joblog/JobLogBuilder.h"
#include "tests/joblog/JobRecordsText.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
const auto T = LogBuilder::TimeOf;

MailRecord Mail(std::uint32_t no, int kind, const std::string& progress, int stacked, int expected,
                int state, const std::string& start, const std::string& end,
                const std::string& error = "", int envelope = 0)
{
    MailRecord m;
    m.nMailNo = no;
    m.nKind = kind;
    m.strProgress = progress;
    m.nStacked = stacked;
    m.nExpected = expected;
    m.nState = state;
    m.strStartTime = start;
    m.strEndTime = end;
    m.strErrorNo = error;
    m.bEnvelope = envelope;
    return m;
}

SheetRecord Sheet(std::uint32_t no, int tray, int state, const std::string& time,
                  std::uint32_t front, std::uint32_t back, const std::string& error = "")
{
    SheetRecord s;
    s.nSheetNo = no;
    s.nTray = tray;
    s.nState = state;
    s.strTime = time;
    s.nFrontPage = front;
    s.nBackPage = back;
    s.strErrorNo = error;
    return s;
}

SheetRecord ErrorEntry(const std::string& time, const std::string& error)
{
    return Sheet(kNone, 0x7FFFFFFF, 3, time, kNone, kNone, error);
}

std::string DetailText(std::uint32_t no, const std::string& progress, int expected,
                       const std::vector<SheetRecord>& sheets)
{
    JobDetail detail;
    detail.nMailNo = no;
    detail.strProgress = progress;
    detail.nExpected = expected;
    detail.pSheets = std::make_unique<SheetList>();
    for (const SheetRecord& sheet : sheets) {
        detail.pSheets->push_back(sheet);
    }
    return Describe(detail);
}

JobSummary Summary(const LogBuilder& log, std::size_t endRow)
{
    JobSummary s;
    s.strJobName = "Statements";
    s.strJobId = "J-1";
    s.strTray1 = "A4";
    s.strTray2 = "A4 logo";
    s.strTray3 = "C5";
    s.strTray4 = "A4 bulk";
    s.strStartTime = T(8);
    s.strEndTime = log.Rows()[endRow][1];
    s.nResult = log.Rows()[endRow][2] == "Job Finished" ? 1 : 2;
    return s;
}

class JobRecordsTest : public ::testing::Test
{
protected:
    int Load(const LogBuilder& log)
    {
        const std::string path =
            m_scratch.Write("log" + std::to_string(m_logs++) + ".csv", log.Text());
        m_reader = std::make_unique<JobLogFile>();
        const int result = m_reader->Load(path);
        if (m_reader->m_pStream != nullptr) {
            std::fclose(m_reader->m_pStream);
            m_reader->m_pStream = nullptr;
        }
        return result;
    }
    void ExpectMails(const std::vector<MailRecord>& expected) const
    {
        ASSERT_EQ(m_reader->m_pMails->size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(Describe(*(*m_reader->m_pMails)[i]), Describe(expected[i])) << "mail " << i;
        }
    }
    std::string Detail(std::size_t i) const { return Describe(*(*m_reader->m_pDetails)[i]); }

    ScratchFolder m_scratch{"JobRecords"};
    int m_logs = 0;
    std::unique_ptr<JobLogFile> m_reader;
};

TEST_F(JobRecordsTest, EmptyJobLoadsWithNothingCounted)
{
    LogBuilder log;
    const std::size_t end = log.JobFinished("0");
    ASSERT_EQ(Load(log), 0);
    EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(Summary(log, end)));
    EXPECT_TRUE(m_reader->m_pMails->empty());
    EXPECT_TRUE(m_reader->m_pDetails->empty());
}

TEST_F(JobRecordsTest, EndRowSetsResultAndRequestedMails)
{
    // Two mails started and finished, then the given end rows.
    const auto withEnd = [](std::initializer_list<std::pair<const char*, const char*>> ends) {
        LogBuilder log;
        for (const char* no : {"1", "2"}) {
            log.MailStarted(no, "0");
            log.MailFinished(no);
        }
        for (const auto& [event, requested] : ends) {
            log.Event(event, {{12, requested}});
        }
        return log;
    };
    struct Case
    {
        const char* what;
        LogBuilder log;
        int result;
        std::uint32_t requested;
        std::uint32_t recreated;
    };
    const Case cases[] = {
        {"canceled", withEnd({{"Job Canceled", "5"}}), 0, kNone, 0},
        {"all started were requested", withEnd({{"Job Finished", "2"}}), 0, 2, 0},
        {"one was made again", withEnd({{"Job Finished", "1"}}), 0, 1, 1},
        {"more requested than started", withEnd({{"Job Finished", "3"}}), -1, 0, 0},
        {"requested not a number", withEnd({{"Job Finished", "2x"}}), -1, 0, 0},
        {"requested empty", withEnd({{"Job Finished", ""}}), -1, 0, 0},
        {"two end rows", withEnd({{"Job Finished", "2"}, {"Job Canceled", ""}}), -1, 0, 0},
        {"no end row", withEnd({}), -1, 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Load(c.log), c.result) << c.what;
        if (c.result != 0) {
            EXPECT_EQ(m_reader->m_pSummary, nullptr) << c.what;
            continue;
        }
        JobSummary expected = Summary(c.log, c.log.Rows().size() - 1);
        expected.nStartedMails = 2;
        expected.nCreatedMails = 2;
        expected.nRequestedMails = c.requested;
        expected.nRecreatedMails = c.recreated;
        EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(expected)) << c.what;
    }
}

TEST_F(JobRecordsTest, TwoLettersAndAnEnvelopeMakeAFinishedMail)
{
    LogBuilder log;
    const std::size_t start = log.MailStarted("1", "2");
    log.Feed("1", "1", "1", "2", "Feed Tray 1");
    const std::size_t first = log.Stack("1", "1", "Letter");
    log.Feed("1", "2", "3", "", "feed tray 2");
    const std::size_t second = log.Stack("1", "2", "Letter");
    log.Feed("1", "3", "5", "6", "HIGH CAPACITY FEEDER");
    const std::size_t envelope = log.Stack("1", "3", "Envelope");
    const std::size_t finish = log.MailFinished("1");
    const std::size_t end = log.JobFinished("1");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(1, 2, "2 / 2", 2, 2, 1, T(start), T(finish), "", 1)});
    ASSERT_EQ(m_reader->m_pDetails->size(), 1u);
    EXPECT_EQ(Detail(0),
              DetailText(1, "2 / 2", 2,
                         {Sheet(1, 1, 1, T(first), 1, 2), Sheet(2, 2, 1, T(second), 3, kNone),
                          Sheet(3, 5, 1, T(envelope), 5, 6)}));
    JobSummary expected = Summary(log, end);
    expected.nStartedMails = 1;
    expected.nCreatedMails = 1;
    expected.nRequestedMails = 1;
    EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(expected));
}

TEST_F(JobRecordsTest, SuspendedAndResumedMailIsCompleteAndKeepsItsSuspendedAttempt)
{
    LogBuilder log;
    const std::size_t start = log.MailStarted("1", "2");
    log.Feed("1", "1");
    const std::size_t first = log.Stack("1", "1");
    const std::size_t suspended = log.Event("Suspended");
    log.Event("Job Started");
    log.Feed("1", "2", "2");
    const std::size_t second = log.Stack("1", "2");
    log.Feed("1", "3", "3");
    const std::size_t envelope = log.Stack("1", "3", "Envelope");
    const std::size_t finish = log.MailFinished("1");
    const std::size_t end = log.JobFinished("1");
    ASSERT_EQ(Load(log), 0);

    // Letters count again from 0 after the suspension, so only one is counted; the
    // suspension between start and finish makes the mail complete all the same.
    ExpectMails({Mail(1, 2, "2 / 2", 1, 2, 1, T(start), T(finish), "", 1),
                 Mail(1, 2, "", -1, -1, 2, T(start), T(suspended))});
    EXPECT_EQ(Detail(0),
              DetailText(1, "2 / 2", 2,
                         {Sheet(1, 1, 1, T(first), 1, kNone), Sheet(2, 1, 1, T(second), 2, kNone),
                          Sheet(3, 1, 1, T(envelope), 3, kNone)}));
    JobSummary expected = Summary(log, end);
    expected.nStartedMails = 1;
    expected.nCreatedMails = 1;
    expected.nSuspendCount = 1;
    expected.nRequestedMails = 1;
    EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(expected));
}

TEST_F(JobRecordsTest, SheetCaughtBySuspensionIsReplacedWhenTheMailFinishes)
{
    LogBuilder log;
    const std::size_t start = log.MailStarted("1", "2");
    log.Feed("1", "1", "1", "2");
    const std::size_t first = log.Stack("1", "1");
    log.Feed("1", "2", "3", "4");
    const std::size_t suspended = log.Event("Suspended");
    log.Event("Job Started");
    // No fed sheet 2 is left: the suspended one appears again, stacked.
    const std::size_t again = log.Stack("1", "2");
    log.Feed("1", "3", "5", "", "Feed Tray 3");
    const std::size_t finish = log.MailFinished("1");
    // A finished mail's fed sheet is not suspended by a later suspension.
    const std::size_t start2 = log.MailStarted("2", "1");
    const std::size_t finish2 = log.MailFinished("2");
    log.Feed("2", "1");
    log.Event("Suspended");
    log.JobFinished("2");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(1, 2, "2 / 2", 1, 2, 1, T(start), T(finish)),
                 Mail(1, 2, "", -1, -1, 2, T(start), T(suspended)),
                 Mail(2, 2, "0 / 1", 0, 1, 1, T(start2), T(finish2))});
    // The suspended sheet is gone and the fed one counts as stacked at the finish.
    EXPECT_EQ(Detail(0), DetailText(1, "2 / 2", 2,
                                    {Sheet(1, 1, 1, T(first), 1, 2), Sheet(2, 1, 1, T(again), 3, 4),
                                     Sheet(3, 3, 1, T(finish), 5, kNone)}));
    EXPECT_EQ(Detail(1), DetailText(2, "0 / 1", 1, {Sheet(1, 1, 0, "", 1, kNone)}));
}

TEST_F(JobRecordsTest, StackingAgainAddsAnEntryAndFirstSheetRestartsTheCount)
{
    LogBuilder log;
    const std::size_t start = log.MailStarted("1", "2");
    log.Feed("1", "1");
    const std::size_t first = log.Stack("1", "1");
    const std::size_t again = log.Stack("1", "1");
    log.Feed("1", "2", "2");
    const std::size_t second = log.Stack("1", "2");
    // Sheet "1" fed again: the letter count starts over.
    log.Feed("1", "1", "7");
    const std::size_t refed = log.Stack("1", "1");
    log.Stack("1", "9", "Envelope"); // no sheet 9: no entry
    const std::size_t finish = log.MailFinished("1");
    log.JobFinished("1");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(1, 2, "1 / 2", 1, 2, 1, T(start), T(finish), "", 1)});
    EXPECT_EQ(
        Detail(0),
        DetailText(1, "1 / 2", 2,
                   {Sheet(1, 1, 1, T(first), 1, kNone), Sheet(1, 1, 1, T(again), 1, kNone),
                    Sheet(2, 1, 1, T(second), 2, kNone), Sheet(1, 1, 1, T(refed), 7, kNone)}));
}

TEST_F(JobRecordsTest, SevenAndZeroSevenAreOneMailWithTwoLetterCounters)
{
    LogBuilder log;
    const std::size_t startA = log.MailStarted("7", "2");
    log.Feed("07", "1");
    const std::size_t viaLong = log.Stack("07", "1");  // counter "07": 1
    const std::size_t viaShort = log.Stack("7", "1");  // counter "7": 1
    log.Stack("07", "2");                              // counter "07": 2
    const std::size_t finishA = log.MailFinished("7"); // progress from counter "7"
    const std::size_t startB = log.MailStarted("07", "2");
    log.Feed("7", "2", "4"); // the new attempt takes counter "7", still 1
    const std::size_t finishB = log.MailFinished("07");
    log.JobFinished("2");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(7, 2, "1 / 2", 2, 2, 1, T(startA), T(finishA)),
                 Mail(7, 2, "0 / 2", 1, 2, 1, T(startB), T(finishB))});
    ASSERT_EQ(m_reader->m_pDetails->size(), 1u);
    EXPECT_EQ(Detail(0),
              DetailText(7, "0 / 2", 2,
                         {Sheet(1, 1, 1, T(viaLong), 1, kNone),
                          Sheet(1, 1, 1, T(viaShort), 1, kNone), Sheet(2, 1, 0, "", 4, kNone)}));
}

TEST_F(JobRecordsTest, ErrorReachesEveryUnfinishedMailAndStaysOpenUntilTheNextStart)
{
    LogBuilder log;
    const std::size_t start1 = log.MailStarted("1", "1");
    const std::size_t start2 = log.MailStarted("2", "1");
    const std::size_t start3 = log.MailStarted("3", "0");
    const std::size_t finish3 = log.MailFinished("3");
    const std::size_t error1 = log.Error("E42");
    const std::size_t start4 = log.MailStarted("4", "1");
    const std::size_t error2 = log.Error("E43");
    const std::size_t resumed = log.Event("Job Started");
    const std::size_t end = log.Event("Job Canceled");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(1, 2, "", -1, -1, 0, T(start1), ""), Mail(2, 2, "", -1, -1, 0, T(start2), ""),
                 Mail(3, 2, "0 / 0", 0, 0, 1, T(start3), T(finish3)),
                 Mail(kNone, 0, "", -1, -1, 3, T(error1), T(start4), "E42"),
                 Mail(4, 2, "", -1, -1, 0, T(start4), ""),
                 Mail(kNone, 0, "", -1, -1, 3, T(error2), T(resumed), "E43")});
    const std::vector<SheetRecord> both = {ErrorEntry(T(error1), "E42"),
                                           ErrorEntry(T(error2), "E43")};
    EXPECT_EQ(Detail(0), DetailText(1, "", 1, both));
    EXPECT_EQ(Detail(1), DetailText(2, "", 1, both));
    EXPECT_EQ(Detail(2), DetailText(3, "0 / 0", 0, {}));
    EXPECT_EQ(Detail(3), DetailText(4, "", 1, {ErrorEntry(T(error2), "E43")}));
    JobSummary expected = Summary(log, end);
    expected.nStartedMails = 4;
    expected.nCreatedMails = 1;
    expected.nErrorCount = 2;
    expected.nRequestedMails = kNone;
    EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(expected));
}

TEST_F(JobRecordsTest, InterruptionEndsByItsFinishOrBySuspension)
{
    LogBuilder log;
    const std::size_t finished = log.Event("Interrupt Started");
    const std::size_t finishRow = log.Event("Interrupt Finished");
    const std::size_t suspended = log.Event("Interrupt Started");
    const std::size_t suspendRow = log.Event("Suspended");
    log.Event("Interrupt Finished"); // the suspended one is closed already
    const std::size_t open = log.Event("Interrupt Started");
    log.JobFinished("0");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(kNone, 3, "", -1, -1, 0, T(finished), T(finishRow)),
                 Mail(kNone, 3, "", -1, -1, 2, T(suspended), T(suspendRow)),
                 Mail(kNone, 3, "", -1, -1, 0, T(open), "")});
}

TEST_F(JobRecordsTest, SampleMailsHaveNoNumberNoDetailAndOwnCounts)
{
    LogBuilder log;
    const std::size_t start = log.MailStarted("", "1", true);
    log.Feed("", "1", "1", "", "Feed Tray 1", true);
    log.Stack("", "1", "Letter", true);
    log.Stack("", "2", "Envelope", true);
    const std::size_t finish = log.MailFinished("", true);
    // Suspended before its finish: complete all the same, and the attempt is kept.
    const std::size_t start2 = log.MailStarted("9", "2", true);
    const std::size_t suspended = log.Event("Suspended");
    const std::size_t finish2 = log.MailFinished("9", true);
    const std::size_t end = log.JobFinished("0");
    ASSERT_EQ(Load(log), 0);

    ExpectMails({Mail(kNone, 1, "1 / 1", 1, 1, 1, T(start), T(finish), "", 1),
                 Mail(kNone, 1, "2 / 2", 0, 2, 1, T(start2), T(finish2)),
                 Mail(kNone, 1, "", -1, -1, 2, T(start2), T(suspended))});
    EXPECT_TRUE(m_reader->m_pDetails->empty());
    JobSummary expected = Summary(log, end);
    expected.nSampleMails = 2;
    expected.nSuspendCount = 1;
    EXPECT_EQ(Describe(*m_reader->m_pSummary), Describe(expected));
}

TEST_F(JobRecordsTest, FinishLooksBackPastSampleStartsOnlyWhenTheirNumberReads)
{
    const std::pair<const char*, int> cases[] = {{"", -1}, {"x", -1}, {"5", 0}, {"1", 0}};
    for (const auto& [sampleNo, result] : cases) {
        LogBuilder log;
        log.MailStarted("1", "0");
        log.MailStarted(sampleNo, "0", true);
        log.MailFinished("1");
        log.JobFinished("1");
        EXPECT_EQ(Load(log), result) << "sample Mail No. '" << sampleNo << "'";
    }
}

TEST_F(JobRecordsTest, RefusesEveryEventThatCannotBeRead)
{
    using Rows = std::function<void(LogBuilder&)>;
    const std::pair<const char*, Rows> cases[] = {
        {"tray key in other case", [](LogBuilder& l) { l.Row(3)[0] = "feed tray 1"; }},
        {"Mail No. not a number on an error row",
         [](LogBuilder& l) {
             l.Event("Error", {{4, "x"}});
         }},
        {"Mail No. too large",
         [](LogBuilder& l) {
             l.Event("Error", {{4, "4294967296"}});
         }},
        {"Letter Sheets not a number", [](LogBuilder& l) { l.MailStarted("1", "two"); }},
        {"normal start without Mail No.", [](LogBuilder& l) { l.MailStarted("", "1"); }},
        {"Sheet not a number when fed",
         [](LogBuilder& l) {
             l.MailStarted("1", "1");
             l.Feed("1", "x");
         }},
        {"Front Page not a number",
         [](LogBuilder& l) {
             l.MailStarted("1", "1");
             l.Feed("1", "1", "");
         }},
        {"Back Page not a number",
         [](LogBuilder& l) {
             l.MailStarted("1", "1");
             l.Feed("1", "1", "1", "b");
         }},
        {"fed without Mail No.",
         [](LogBuilder& l) {
             l.MailStarted("1", "1");
             l.Feed("", "1");
         }},
        {"first sheet fed for a mail never started", [](LogBuilder& l) { l.Feed("5", "1"); }},
        {"later sheet fed for a mail never started", [](LogBuilder& l) { l.Feed("5", "2"); }},
        {"Sheet not a number when stacked",
         [](LogBuilder& l) {
             l.MailStarted("1", "1");
             l.Stack("1", "");
         }},
        {"stacked for a mail never started", [](LogBuilder& l) { l.Stack("5", "1"); }},
        {"finished, never started", [](LogBuilder& l) { l.MailFinished("5"); }},
        {"finished without Mail No.",
         [](LogBuilder& l) {
             l.MailStarted("0", "0");
             l.MailFinished("");
         }},
        {"finished number without a detail",
         [](LogBuilder& l) {
             l.Error("E1");
             l.MailStarted("4294967295", "0"); // the error record already has that number
             l.MailFinished("4294967295");
         }},
        {"sample stacked before any sample mail",
         [](LogBuilder& l) { l.Stack("", "1", "Letter", true); }},
        {"sample finished before any sample mail", [](LogBuilder& l) { l.MailFinished("", true); }},
        {"sample later sheet fed before any sample mail",
         [](LogBuilder& l) { l.Feed("", "2", "1", "", "", true); }},
    };
    for (const auto& [what, rows] : cases) {
        LogBuilder log;
        rows(log);
        log.JobFinished("0");
        EXPECT_EQ(Load(log), -1) << what;
        EXPECT_EQ(m_reader->m_pSummary, nullptr) << what;
        EXPECT_EQ(m_reader->m_pMails, nullptr) << what;
        EXPECT_EQ(m_reader->m_pDetails, nullptr) << what;
    }
    // Their near neighbours load.
    LogBuilder log;
    log.Feed("", "1", "1", "", "", true); // a first sheet needs no record
    log.MailStarted("1", "1");
    log.Stack("1", "3"); // no sheet 3: nothing to stack
    log.JobFinished("1");
    EXPECT_EQ(Load(log), 0);
}

TEST_F(JobRecordsTest, FormatDefectOfAnEventRowRefusesTheLoadAfterRecordsWereBuilt)
{
    // Event rows are checked as their records are built: a defect in the last row must
    // still refuse the log and free what was built before it.
    const std::pair<std::size_t, const char*> defects[] = {
        {0, ""}, {1, "2020/01/31T00:00:12"}, {2, "Job finished"}, {5, "envelope"}, {10, "sample"}};
    for (const auto& [field, text] : defects) {
        LogBuilder log;
        log.MailStarted("1", "0");
        log.MailFinished("1");
        const std::size_t end = log.JobFinished("1");
        log.Row(end)[field] = text;
        EXPECT_EQ(Load(log), -1) << "field " << field << " '" << text << "'";
        EXPECT_EQ(m_reader->m_pMails, nullptr);
    }
}

TEST_F(JobRecordsTest, ErrorEntriesBeyondTheLimitRefuseTheLog)
{
    // Each error reaches every unfinished mail: 600 x 450 entries pass the limit of a log
    // this short (262,144) long before memory would run out.
    LogBuilder log;
    for (int mail = 1; mail <= 600; ++mail) {
        log.MailStarted(std::to_string(mail), "1");
    }
    for (int error = 0; error < 450; ++error) {
        log.Error("E1");
    }
    log.Event("Job Canceled");
    EXPECT_EQ(Load(log), -1);
}

TEST_F(JobRecordsTest, FindersAnswerAfterTheBuildAndFreeRecordsEmptiesTheReader)
{
    LogBuilder log;
    log.MailStarted("0", "1");
    log.MailStarted("", "1", true);
    log.MailStarted("0", "1");
    log.Feed("0", "1");
    log.Feed("0", "2");
    log.Stack("0", "1");
    log.JobFinished("2");
    ASSERT_EQ(Load(log), 0);
    JobLogFile& reader = *m_reader;
    int index = 7;
    EXPECT_EQ(reader.FindMailByNumber(JobLogRow(), index), 0); // empty Mail No.: number 0
    EXPECT_EQ(index, 2);
    EXPECT_EQ(reader.FindLastSampleMail(), 1);
    EXPECT_EQ(reader.FindDetailByNumber(0), 0);
    EXPECT_EQ(reader.FindDetailByNumber(1), -1);
    const SheetList& sheets = *(*reader.m_pDetails)[0]->pSheets;
    EXPECT_EQ(reader.FindOpenSheet(sheets, 2), 1);
    EXPECT_EQ(reader.FindOpenSheet(sheets, 1), -1);
    bool endRowSeen = false;
    EXPECT_EQ(reader.CountEvent(8, endRowSeen), -1) << "steps run only inside the build";

    reader.FreeRecords();
    EXPECT_EQ(reader.m_pSummary, nullptr);
    EXPECT_EQ(reader.m_pMails, nullptr);
    EXPECT_EQ(reader.m_pDetails, nullptr);
    reader.FreeRecords();
    EXPECT_EQ(reader.FindLastSampleMail(), -1);
    EXPECT_EQ(reader.BuildRecords(), -1) << "no rows";
}

TEST(TrayNameTest, KnownNamesInAnyCaseElseSix)
{
    const std::pair<const char*, int> cases[] = {
        {"Feed Tray 1", 1},   {"feed tray 2", 2},          {"FEED TRAY 3", 3},
        {"Standard Tray", 4}, {"high capacity FEEDER", 5}, {"Feed Tray 4", 6},
        {"Feed Tray 1 ", 6},  {" Feed Tray 1", 6},         {"", 6},
        {"Feed Tray", 6},     {"Feed\tTray 1", 6},         {"Standard Tray\xC3\xA9", 6},
    };
    for (const auto& [name, number] : cases) {
        EXPECT_EQ(TrayNameToNumber(name), number) << name;
    }
}

} // namespace
