// The events of a job log's rows as an enumeration.
#pragma once

#include "formats/joblog/LogVocabulary.h"

#include <string>
#include <string_view>

enum class LogEvent
{
    JobStarted,
    JobFinished,
    JobCanceled,
    MailStarted,
    MailFinished,
    SheetFeeded,
    SheetStacked,
    Suspended,
    Error,
    InterruptStarted,
    InterruptFinished,
    Unknown
};

// Whether `field` is exactly `text`, one of the log's texts: with the text a constant, the
// comparison is made in line (the rows hold millions of fields to compare).
inline bool FieldIs(std::string_view field, std::string_view text)
{
    return field.size() == text.size() &&
           std::char_traits<char>::compare(field.data(), text.data(), text.size()) == 0;
}

// The event that field 2 of a row names (compared exactly), or Unknown.
inline LogEvent LogEventOf(std::string_view name)
{
    // Most rows feed or stack a sheet: those come first.
    if (FieldIs(name, kLogSheetFeeded)) {
        return LogEvent::SheetFeeded;
    }
    if (FieldIs(name, kLogSheetStacked)) {
        return LogEvent::SheetStacked;
    }
    if (FieldIs(name, kLogMailStarted)) {
        return LogEvent::MailStarted;
    }
    if (FieldIs(name, kLogMailFinished)) {
        return LogEvent::MailFinished;
    }
    if (FieldIs(name, kLogError)) {
        return LogEvent::Error;
    }
    if (FieldIs(name, kLogSuspended)) {
        return LogEvent::Suspended;
    }
    if (FieldIs(name, kLogJobStarted)) {
        return LogEvent::JobStarted;
    }
    if (FieldIs(name, kLogInterruptStarted)) {
        return LogEvent::InterruptStarted;
    }
    if (FieldIs(name, kLogInterruptFinished)) {
        return LogEvent::InterruptFinished;
    }
    if (FieldIs(name, kLogJobFinished)) {
        return LogEvent::JobFinished;
    }
    if (FieldIs(name, kLogJobCanceled)) {
        return LogEvent::JobCanceled;
    }
    return LogEvent::Unknown;
}
