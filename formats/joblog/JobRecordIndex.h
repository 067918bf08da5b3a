// Everything the record build keeps besides the records themselves, from the start of
// JobLogFile::BuildRecords to its end: the row being processed, cut once for all its steps,
// and the indexes that stand in for scans of the records and the rows.
#pragma once

#include "formats/joblog/JobLogRows.h"
#include "formats/joblog/LogEvent.h"
#include "formats/joblog/MailIndex.h"
#include "formats/joblog/MailLookBack.h"
#include "formats/joblog/NumberIndex.h"
#include "formats/joblog/SheetTracker.h"

#include <cstddef>
#include <cstdint>

struct EventRow
{
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

    std::size_t index = kNoRow;
    JobLogRow fields;
    LogEvent event = LogEvent::Unknown;
    bool sample = false; // field 10 is "Sample"
    // Mail No. and (on sheet rows) Sheet, parsed once for all steps: ParseUInt32's result
    // and, when it is 0, the number.
    int mailNoParse = -1;
    std::uint32_t mailNo = 0;
    int sheetNoParse = -1;
    std::uint32_t sheetNo = 0;
};

struct JobRecordIndex
{
    explicit JobRecordIndex(std::uint64_t errorEntryLimit) : sheets(errorEntryLimit) {}

    EventRow row;
    MailIndex mails;
    NumberIndex detailsByNumber;
    MailLookBack lookBack;
    SheetTracker sheets;
};
