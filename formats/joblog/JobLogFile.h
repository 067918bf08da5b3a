// Reader of one job log: reads the whole file into rows of fields, checks every row against
// the log's format, and keeps the records built from the rows. The rows live only during
// Load; the records stay until the reader goes.
//
// The log stays open (m_pStream) after Load, keeping writers out; the reader never closes
// it. Whoever deletes a reader closes m_pStream first when it is not null.
#pragma once

#include "formats/joblog/JobDetail.h"
#include "formats/joblog/JobLogRows.h"
#include "formats/joblog/JobRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LetterCounters;
struct EventRow;
struct JobRecordIndex;

class JobLogFile
{
public:
    JobLogFile();
    ~JobLogFile();
    JobLogFile(const JobLogFile&) = delete;
    JobLogFile& operator=(const JobLogFile&) = delete;

    // 0 when the log was read, checked and turned into records; -1 otherwise (also for bytes
    // that are not UTF-8, and when another program changed the file's size meanwhile). No
    // rows are held afterwards; on failure no records either.
    int Load(const std::string& path);

    // Opens the log (deny-write) and reads every line into m_pRows, each held to the comma
    // count that SplitLine requires (the rows are cut when they are built). 0 or -1; an empty
    // file gives 0 and no rows. What cannot be a log, a file with a NUL byte or whose first
    // line is no title row, is refused at the block that shows it, before the rest is read.
    int ReadLines(const std::string& path);
    // Splits `line` at every comma (no quoting). The first line split fixes the comma count
    // (12 or 13); every later line must have the same. 0 or -1.
    int SplitLine(std::string_view line, std::vector<std::string_view>& fields);
    // CheckHeaderRows, then CheckEventRow of every event row. 0 or -1.
    int CheckFormat();
    // CheckHeader, then the values (field 1) of rows 1 to 6. 0 or -1.
    int CheckHeaderRows();
    // The fields of one event row: number, time, event name, type and sample. 0 or -1.
    int CheckEventRow(const JobLogRow& row) const;
    // Row count, title, version, job keys, column headings and the first event. 0 or -1.
    int CheckHeader();
    // 0 when field 2 of `row` is one of the event names, else -1.
    int IsKnownEvent(const JobLogRow& row) const;
    // Checks the tray keys of rows 3 to 6 and copies their texts into the summary, when
    // there is one. 0 or -1.
    int ReadTrayRows();
    void FreeRows();

    // The records (JobLogRecords.cpp). BuildRecords turns rows whose header passed
    // CheckHeaderRows into the summary, the mail records and the details, checking each
    // event row with CheckEventRow before its steps: 0, or -1 when a row or the log's events
    // are refused (the records built so far stay for FreeRecords). The steps below run
    // inside it, one row at a time, and refuse (-1) when called outside it.
    int BuildRecords();
    int CountEvent(std::size_t row, bool& endRowSeen);
    int BuildMailRecords(std::size_t row, int currentMail, LetterCounters& counters);
    int BuildJobDetails(std::size_t row, int currentMail);
    // The finders keep the last match. While BuildRecords runs they answer from its
    // indexes, otherwise they scan.
    // Set `index` to the last mail record of the row's Mail No. (empty counts as 0), or -1;
    // -1 when the Mail No. is neither empty nor a number.
    int FindMailByNumber(const JobLogRow& row, int& index) const;
    // The last sample record, or -1.
    int FindLastSampleMail() const;
    // The last detail of `number`, or -1.
    int FindDetailByNumber(std::uint32_t number) const;
    // The last sheet of `sheets` numbered `number` whose strTime is empty, or -1.
    int FindOpenSheet(const SheetList& sheets, std::uint32_t number) const;
    void FreeRecords();

    std::FILE* m_pStream = nullptr;      // not owned: see the note above
    std::unique_ptr<JobLogRows> m_pRows; // rows of field views (JobLogRows.h); null when none
    std::unique_ptr<JobSummary> m_pSummary;
    std::unique_ptr<MailList> m_pMails;     // in the order they were appended
    std::unique_ptr<DetailList> m_pDetails; // in the order their numbers first started
    int m_nCommaCount = -1;                 // -1 until the first line is read, then 12 or 13

private:
    // A line's comma count against the file's, which the first line fixes (12 or 13). 0 or -1.
    int AcceptCommaCount(std::size_t commas);
    int BuildFromRows(LetterCounters& counters);
    bool IsBuilding(std::size_t row) const;
    const EventRow& EventAt(std::size_t row);
    void AppendMail(std::unique_ptr<MailRecord> record);

    // Only while BuildRecords runs: the finders answer from it instead of scanning.
    std::unique_ptr<JobRecordIndex> m_pIndex;
};
