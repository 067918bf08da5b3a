// Why: the viewer trusts a job log only after these checks, so each refusal reason must
// refuse, each tolerated variant must pass, and no input may get past them by accident.
#include "formats/joblog/JobLogFile.h"

#include "platform/SharedFile.h"
#include "tests/ScratchFolder.h"
#include "tests/joblog/JobLogBuilder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// A small log that loads (a sample mail); `withVersion` gives 14 fields (13 commas) per row,
// else 13.
Rows ValidRows(bool withVersion)
{
    Rows rows = LogHeaderRows("Standard Tray", "A4");
    const Rows events = {
        {"1", "2020/01/31 12:34:56", "Job Started"},
        {"2", "2020/01/31 12:34:57", "Mail Started", "", "1", "", "", "", "", "", "Sample", "1"},
        {"3", "2020/01/31 12:34:58", "Sheet Stacked", "", "1", "Envelope", "1", "", "", "",
         "Sample"},
        {"4", "2020/01/31 12:34:59", "Job Finished", "", "", "", "", "", "", "", "", "", "0"},
    };
    rows.insert(rows.end(), events.begin(), events.end());
    for (auto& row : rows) {
        row.resize(withVersion ? 14 : 13);
    }
    return rows;
}

std::string Join(const Rows& rows, const std::string& lineEnd = "\n")
{
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            text += (i == 0 ? "" : ",") + row[i];
        }
        text += lineEnd;
    }
    return text;
}

class JobLogFileTest : public ::testing::Test
{
protected:
    // Reads and checks `bytes` as a log file: ReadLines, then CheckFormat when it passed.
    int ReadAndCheck(const std::string& bytes)
    {
        JobLogFile reader;
        const int result = ReadInto(reader, bytes);
        return result == 0 ? reader.CheckFormat() : result;
    }
    int ReadInto(JobLogFile& reader, const std::string& bytes)
    {
        const std::string path = m_scratch.Write("log.csv", bytes);
        const int result = reader.ReadLines(path);
        Close(reader);
        return result;
    }
    static void Close(JobLogFile& reader)
    {
        if (reader.m_pStream != nullptr) {
            std::fclose(reader.m_pStream);
            reader.m_pStream = nullptr;
        }
    }

    ScratchFolder m_scratch{"JobLogFile"};
};

TEST_F(JobLogFileTest, AcceptsBothCommaCountsAndTheTextModeVariants)
{
    EXPECT_EQ(ReadAndCheck(Join(ValidRows(true))), 0);
    EXPECT_EQ(ReadAndCheck(Join(ValidRows(false))), 0);
    EXPECT_EQ(ReadAndCheck(Join(ValidRows(true), "\r\n")), 0);
    EXPECT_EQ(ReadAndCheck("\xEF\xBB\xBF" + Join(ValidRows(true))), 0);
    std::string noFinalEnd = Join(ValidRows(true));
    noFinalEnd.pop_back();
    EXPECT_EQ(ReadAndCheck(noFinalEnd), 0);
    const std::string sample = std::string(PYRN_TEST_DATA_DIR) + "/joblog/valid-13-commas.csv";
    JobLogFile reader;
    EXPECT_EQ(reader.ReadLines(sample), 0);
    EXPECT_EQ(reader.CheckFormat(), 0);
    Close(reader);
}

TEST_F(JobLogFileTest, RefusesBadLineShapes)
{
    const std::string valid = Join(ValidRows(true));
    std::string twelveThenThirteen = Join(ValidRows(false));
    twelveThenThirteen += Join({std::vector<std::string>(14, "x")});
    const std::pair<const char*, std::string> cases[] = {
        {"empty line at the end", valid + "\n"},
        {"empty line inside", "\n" + valid},
        {"CR LF empty line at the end", Join(ValidRows(true), "\r\n") + "\r\n"},
        {"line without a comma", valid + "no commas here\n"},
        {"first line with 11 commas", std::string(11, ',') + "\n" + valid},
        {"first line with 14 commas", std::string(14, ',') + "\n" + valid},
        {"later line with another count", twelveThenThirteen},
        {"a very long line of commas", valid + std::string(100000, ',') + "\n"},
        {"a byte that is not UTF-8",
         valid + "5,2020/01/31 12:00:00,Error,\xFF" + std::string(10, ',') + "\n"},
        {"a UTF-8 sequence cut short at the end", valid + "\xE6\x97"},
    };
    for (const auto& [what, bytes] : cases) {
        JobLogFile reader;
        EXPECT_EQ(ReadInto(reader, bytes), -1) << what;
    }
    for (const char* name : {"quoted-comma.csv", "invalid-utf8-in-event.csv"}) {
        JobLogFile fromFile;
        EXPECT_EQ(fromFile.Load(std::string(PYRN_TEST_DATA_DIR) + "/joblog/" + name), -1) << name;
        Close(fromFile);
    }
}

TEST_F(JobLogFileTest, EmptyFileIsRefusedByTheRowCountNotByTheReader)
{
    JobLogFile reader;
    EXPECT_EQ(ReadInto(reader, ""), 0);
    ASSERT_NE(reader.m_pRows, nullptr);
    EXPECT_TRUE(reader.m_pRows->empty());
    EXPECT_EQ(reader.CheckHeader(), -1);
    EXPECT_EQ(ReadAndCheck("\xEF\xBB\xBF"), -1);

    Rows eight = ValidRows(true);
    eight.resize(8);
    EXPECT_EQ(ReadAndCheck(Join(eight)), -1);
    Rows nine = ValidRows(true);
    nine.resize(9);
    EXPECT_EQ(ReadAndCheck(Join(nine)), 0);
}

struct FieldCase
{
    const char* what;
    bool withVersion;
    std::size_t row;
    std::size_t field;
    const char* value;
    int expected;
};

TEST_F(JobLogFileTest, ChecksEveryHeaderAndEventField)
{
    const FieldCase cases[] = {
        {"title with text around it", true, 0, 0, "TARV Making Mail History v2", 0},
        {"title in other case", true, 0, 0, "Making mail history", -1},
        {"version other than 2.00", true, 0, 2, "2.01", -1},
        {"no version in a 13-field file", false, 0, 2, "anything", 0},
        {"job name key in lower case", true, 1, 0, "job name", -1},
        {"job ID key", true, 2, 0, "Job Id", -1},
        {"empty job name", true, 1, 1, "", -1},
        {"empty fourth tray", true, 6, 1, "", -1},
        {"heading in lower case", true, 7, 1, "time", -1},
        {"last heading", true, 7, 12, "Number of making mails", -1},
        {"field 13 of the heading row", true, 7, 13, "anything", 0},
        {"field 13 of an event row", true, 9, 13, "anything", 0},
        {"first event not Job Started", true, 8, 2, "Mail Started", -1},
        {"empty number", true, 9, 0, "", -1},
        {"empty time", true, 9, 1, "", -1},
        {"empty result", true, 9, 2, "", -1},
        {"unknown event", true, 9, 2, "Job started", -1},
        {"every event name", true, 9, 2, "Interrupt Finished", 0},
        {"type in lower case", true, 10, 5, "letter", -1},
        {"type Letter", true, 10, 5, "Letter", 0},
        {"type other", true, 10, 5, "Postcard", -1},
        {"sample in lower case", true, 9, 10, "sample", -1},
        {"sample empty", true, 9, 10, "", 0},
        {"tray in any case", true, 10, 9, "fEED tRAY 1", 0},
        {"tray key in lower case passes the format check", true, 3, 0, "feed tray 1", 0},
    };
    for (const FieldCase& c : cases) {
        Rows rows = ValidRows(c.withVersion);
        rows[c.row][c.field] = c.value;
        EXPECT_EQ(ReadAndCheck(Join(rows)), c.expected) << c.what;
    }
}

TEST_F(JobLogFileTest, TimeMustMatchTheWholePattern)
{
    const std::pair<const char*, int> cases[] = {
        {"2020/01/31 12:34:56", 0},
        {"2020/01/31\t12:34:56", 0},
        {"2020/01/31\v12:34:56", 0},
        {"2020/01/31\f12:34:56", 0},
        {"2020/01/31\r12:34:56", 0},
        {"2020/13/45 99:99:99", 0},
        {"2020/1/31 12:34:56", -1},
        {"2020/01/31T12:34:56", -1},
        {"2020/01/31 12:34:56 ", -1},
        {" 2020/01/31 12:34:56", -1},
        {"2020-01-31 12:34:56", -1},
        {"2020/01/31  2:34:56", -1},
        {"2020/01/31 12:34:5x", -1},
        {"2020/01/31\xC2\xA0"
         "12:34:56",
         -1},
        {"20200/01/31 12:34:56", -1},
    };
    for (const auto& [time, expected] : cases) {
        Rows rows = ValidRows(true);
        rows[9][1] = time;
        EXPECT_EQ(ReadAndCheck(Join(rows)), expected) << time;
    }
}

TEST_F(JobLogFileTest, TrayKeysAreCheckedExactly)
{
    const std::pair<const char*, int> fourthKeys[] = {
        {"Standard Tray", 0}, {"High Capacity Feeder", 0}, {"standard tray", -1}, {"Tray 4", -1}};
    for (const auto& [key, expected] : fourthKeys) {
        Rows rows = ValidRows(true);
        rows[6][0] = key;
        JobLogFile reader;
        ASSERT_EQ(ReadInto(reader, Join(rows)), 0);
        EXPECT_EQ(reader.ReadTrayRows(), expected) << key;
    }
    Rows rows = ValidRows(true);
    rows[4][0] = "Feed Tray 3";
    JobLogFile reader;
    ASSERT_EQ(ReadInto(reader, Join(rows)), 0);
    EXPECT_EQ(reader.ReadTrayRows(), -1);
    JobLogFile empty;
    EXPECT_EQ(empty.ReadTrayRows(), -1);
}

TEST_F(JobLogFileTest, RowsAreFieldViewsOfTheFile)
{
    JobLogFile reader;
    ASSERT_EQ(ReadInto(reader, Join(ValidRows(false), "\r\n")), 0);
    EXPECT_EQ(reader.m_nCommaCount, 12);
    const JobLogRows& rows = *reader.m_pRows;
    ASSERT_EQ(rows.size(), 12u);
    const JobLogRow row = rows[10];
    EXPECT_EQ(row.size(), 13u);
    EXPECT_EQ(row[2], "Sheet Stacked");
    EXPECT_EQ(row[5], "Envelope");
    EXPECT_EQ(row[12], "") << "the line end is not part of the last field";
    EXPECT_EQ(row[13], "");
    EXPECT_EQ(rows[0][0], "Making Mail History");

    std::vector<std::string_view> fields;
    EXPECT_EQ(reader.SplitLine("a,\"b,c\",,d,e,f,g,h,i,j,k,l,m", fields), -1);
    ASSERT_EQ(reader.SplitLine(" a ,\"b\",,,,,,,,,,,z ", fields), 0);
    EXPECT_EQ(fields.size(), 13u);
    EXPECT_EQ(fields[0], " a ");
    EXPECT_EQ(fields[1], "\"b\"");
    EXPECT_EQ(fields[12], "z ");
    EXPECT_EQ(reader.SplitLine("no comma", fields), -1);
}

TEST_F(JobLogFileTest, LoadFreesRowsAndLeavesTheLogLockedAgainstWriters)
{
    const std::string path = m_scratch.Write("locked.csv", Join(ValidRows(true)));
    JobLogFile reader;
    EXPECT_EQ(reader.Load(path), 0);
    EXPECT_EQ(reader.m_pRows, nullptr);
    ASSERT_NE(reader.m_pStream, nullptr);
    EXPECT_EQ(platform::OpenExclusive(path, "a"), nullptr) << "a writer got in";
    Close(reader);
    std::FILE* writer = platform::OpenExclusive(path, "a");
    ASSERT_NE(writer, nullptr);

    JobLogFile blocked;
    EXPECT_EQ(blocked.Load(path), -1) << "read while a writer holds the log";
    EXPECT_EQ(blocked.m_pStream, nullptr);
    std::fclose(writer);

    JobLogFile refused;
    const std::string bad = m_scratch.Write("bad.csv", Join(ValidRows(true)) + "\n");
    EXPECT_EQ(refused.Load(bad), -1);
    EXPECT_EQ(refused.m_pRows, nullptr);
    EXPECT_NE(refused.m_pStream, nullptr) << "the stream stays open after a failed load";
    Close(refused);

    JobLogFile missing;
    EXPECT_EQ(missing.Load(""), -1);
    EXPECT_EQ(missing.Load(m_scratch / "missing.csv"), -1);
    EXPECT_EQ(missing.Load(m_scratch.Path().string()), -1) << "a folder is no log";
    EXPECT_EQ(missing.m_pStream, nullptr);
}

// The log is read while other programs may still change it (the deny-write lock binds only
// this program): cut short after it was read, what was read stays intact, never a crash, and
// Load sees that the file is no longer what it read.
TEST_F(JobLogFileTest, ALogShrunkAfterReadingIsNeverTouchedAgain)
{
    Rows rows = ValidRows(true);
    const Rows end = {rows.back()};
    rows.pop_back();
    std::string bytes = Join(rows);
    const std::string suspended = Join(
        {{"5", "2020/01/31 12:35:00", "Suspended", "", "", "", "", "", "", "", "", "", "", ""}});
    while (bytes.size() < 65536) {
        bytes += suspended;
    }
    const std::string path = m_scratch.Write("shrinks.csv", bytes + Join(end));
    JobLogFile reader;
    ASSERT_EQ(reader.ReadLines(path), 0);
    std::filesystem::resize_file(path, 0);
    EXPECT_EQ(reader.CheckFormat(), 0);
    EXPECT_EQ(reader.BuildRecords(), 0);
    EXPECT_FALSE(reader.m_pRows->IsFileWhole(reader.m_pStream)) << "Load would take it as whole";
    Close(reader);
}

// A file of NUL bytes, or one whose first line is no title row, is refused from its first
// block, however large it is: no more than that block is ever read.
TEST_F(JobLogFileTest, WhatCannotBeALogIsRefusedBeforeTheRestIsRead)
{
    const std::uintmax_t huge = std::uintmax_t{3} << 29; // 1.5 GiB, of holes where possible
    const std::string filler = "x,x,x,x,x,x,x,x,x,x,x,x,x\n";
    std::string noTitle = Join(ValidRows(true)).substr(Join(ValidRows(true)).find('\n') + 1);
    std::string oneLongLine(2 * platform::MappedFile::kBlockSize, 'x');
    while (noTitle.size() < 2 * platform::MappedFile::kBlockSize) {
        noTitle += filler;
    }
    struct Case
    {
        const char* what;
        std::string start;
        std::uintmax_t size;
    };
    const Case cases[] = {
        {"only NUL bytes", "", huge},
        {"NUL bytes after a good header", Join(ValidRows(true)), huge},
        {"no title row", noTitle, noTitle.size()},
        {"a first line far longer than a title row", oneLongLine, oneLongLine.size()},
    };
    for (const Case& c : cases) {
        const std::string path = m_scratch.Write("not-a-log.csv", c.start);
        std::filesystem::resize_file(path, c.size);
        JobLogFile reader;
        EXPECT_EQ(reader.ReadLines(path), -1) << c.what;
        ASSERT_TRUE(reader.m_pRows) << c.what;
        EXPECT_LE(reader.m_pRows->Bytes().size(), platform::MappedFile::kBlockSize) << c.what;
        Close(reader);
    }
}

} // namespace

// Why: lines are checked on the way in by a comma count taken eight bytes at a time; it must
// agree with the cut that the build makes, at every offset and beside bytes that differ from a
// comma only in one bit.
TEST(JobLogRowsTest, CommaCountAgreesWithTheCut)
{
    const std::string neighbours = {',', '\xAC', '\x0C', '\x3C', '\x2D', '\0', '\xFF', 'a', '\xE6'};
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t step = 1; step <= neighbours.size(); ++step) {
            std::string line(length, 'x');
            for (std::size_t i = 0; i < length; ++i) {
                line[i] = neighbours[(i * step + length) % neighbours.size()];
            }
            std::array<std::string_view, 64> cut;
            const auto expected =
                static_cast<std::size_t>(std::count(line.begin(), line.end(), ','));
            EXPECT_EQ(JobLogRows::CountCommas(line), expected) << length << "/" << step;
            EXPECT_EQ(JobLogRows::CutFields(line, cut) - 1, expected) << length << "/" << step;
        }
    }
}
