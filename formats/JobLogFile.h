// Reader of one job log: reads the whole file into rows of fields, checks every row against
// the log's format, and keeps the records built from the rows. The rows live only during
// Load; the records stay until the reader goes.
//
// The log stays open (m_pStream) after Load, keeping writers out; the reader never closes
// it. Whoever deletes a reader closes m_pStream first when it is not null.
#pragma once

#include "formats/JobLogRows.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct JobSummary;
struct MailRecord;
class JobDetail;

class JobLogFile
{
public:
    JobLogFile() = default;
    ~JobLogFile();
    JobLogFile(const JobLogFile&) = delete;
    JobLogFile& operator=(const JobLogFile&) = delete;

    // 0 when the log was read, checked and turned into records; -1 otherwise (also for bytes
    // that are not UTF-8). No rows are held afterwards; on failure no records either.
    int Load(const std::string& path);

    // Opens the log (deny-write) and reads every line, split, into m_pRows. 0 or -1; an empty
    // file gives 0 and no rows.
    int ReadLines(const std::string& path);
    // Splits `line` at every comma (no quoting). The first line split fixes the comma count
    // (12 or 13); every later line must have the same. 0 or -1.
    int SplitLine(std::string_view line, std::vector<std::string_view>& fields);
    // CheckHeader, then the fields of rows 1 to 6 and of every event row. 0 or -1.
    int CheckFormat();
    // Row count, title, version, job keys, column headings and the first event. 0 or -1.
    int CheckHeader();
    // 0 when field 2 of `row` is one of the event names, else -1.
    int IsKnownEvent(const JobLogRow& row) const;
    // Checks the tray keys of rows 3 to 6 for the summary's tray texts. 0 or -1.
    int ReadTrayRows();
    void FreeRows();

    std::FILE* m_pStream = nullptr;      // not owned: see the note above
    std::unique_ptr<JobLogRows> m_pRows; // rows of field views (JobLogRows.h); null when none
    // The records (owned).
    JobSummary* m_pSummary = nullptr;
    std::vector<MailRecord*>* m_pMails = nullptr;
    std::vector<JobDetail*>* m_pDetails = nullptr;
    int m_nCommaCount = -1; // -1 until the first line is split, then 12 or 13

private:
    // Turns the checked rows into records: 0 or -1. Returns 0 while no records are built.
    int BuildRecordsStep();
    // Frees whatever records were built.
    void FreeRecordsStep();
};
