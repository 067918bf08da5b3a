// The records of a job log: each event row, in file order, is counted into the summary,
// then changes the mail records, then (normal rows) the mail's details. The finders and the
// look-backs answer from JobRecordIndex, kept up to date as records and rows are added, so
// the whole build is linear in the rows; the results are those of scanning for the last
// match each time.
#include "formats/common/NumberParsing.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/joblog/JobRecordIndex.h"
#include "formats/joblog/LetterCounters.h"
#include "formats/joblog/LogVocabulary.h"
#include "formats/joblog/TrayNames.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

constexpr std::size_t kFirstEventRow = 8;

constexpr std::size_t kFieldValue = 1;
constexpr std::size_t kFieldTime = 1;
constexpr std::size_t kFieldResult = 2;
constexpr std::size_t kFieldErrorNo = 3;
constexpr std::size_t kFieldMailNo = 4;
constexpr std::size_t kFieldType = 5;
constexpr std::size_t kFieldSheet = 6;
constexpr std::size_t kFieldFrontPage = 7;
constexpr std::size_t kFieldBackPage = 8;
constexpr std::size_t kFieldTray = 9;
constexpr std::size_t kFieldSample = 10;
constexpr std::size_t kFieldLetterSheets = 11;
constexpr std::size_t kFieldRequestedMails = 12;

constexpr std::uint32_t kMostSheetsReserved = 16;

// Indexes and places are kept in 32 bits.
constexpr std::size_t kMostRows = std::numeric_limits<std::int32_t>::max();

// Each "Error" row adds an entry to every unfinished mail, so a log could ask for a number
// of entries that grows with the square of its rows. Far more than any real job makes (16
// per row, and never fewer than 262,144) refuses the log instead of exhausting memory.
constexpr std::uint64_t kErrorEntriesPerRow = 16;
constexpr std::uint64_t kLeastErrorEntryLimit = std::uint64_t{1} << 18;
constexpr std::uint64_t kMostErrorEntryLimit = std::uint64_t{1} << 30;

std::uint64_t ErrorEntryLimit(std::size_t rows)
{
    return std::min(std::max(kErrorEntriesPerRow * rows, kLeastErrorEntryLimit),
                    kMostErrorEntryLimit);
}

// "%d / %d"
std::string Progress(int stacked, int expected)
{
    char text[32];
    char* end = std::to_chars(text, text + 11, stacked).ptr;
    *end++ = ' ';
    *end++ = '/';
    *end++ = ' ';
    end = std::to_chars(end, text + sizeof text, expected).ptr;
    return std::string(text, end);
}

// The letters of a mail are counted in an int, which must not overflow on a hostile log.
constexpr std::size_t kRowsPerDrop = 1 << 14;

int Incremented(int count)
{
    return static_cast<int>(static_cast<unsigned>(count) + 1u);
}

} // namespace

int JobLogFile::BuildRecords()
{
    try {
        LetterCounters counters;
        m_pSummary = std::make_unique<JobSummary>();
        m_pMails = std::make_unique<MailList>();
        m_pDetails = std::make_unique<DetailList>();
        m_pIndex = std::make_unique<JobRecordIndex>(ErrorEntryLimit(m_pRows ? m_pRows->size() : 0));
        const int result = BuildFromRows(counters);
        m_pIndex->sheets.Compact(*m_pDetails);
        m_pIndex.reset();
        return result;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    if (m_pIndex && m_pDetails) {
        m_pIndex->sheets.Compact(*m_pDetails);
    }
    m_pIndex.reset();
    return -1;
}

int JobLogFile::BuildFromRows(LetterCounters& counters)
{
    if (!m_pRows || m_pRows->size() <= kFirstEventRow || m_pRows->size() > kMostRows) {
        return -1;
    }
    const JobLogRows& rows = *m_pRows;
    m_pSummary->strJobName = rows[1][kFieldValue];
    m_pSummary->strJobId = rows[2][kFieldValue];
    if (ReadTrayRows() != 0) {
        return -1;
    }
    bool endRowSeen = false;
    for (std::size_t i = kFirstEventRow; i < rows.size(); ++i) {
        // The records copy what they keep, so the log's pages behind us need not stay resident
        // beside them.
        if (i % kRowsPerDrop == 0) {
            m_pRows->DropRowsBefore(i);
        }
        const EventRow& row = EventAt(i);
        if (CheckEventRow(row.fields) != 0) {
            return -1;
        }
        int currentMail = -1;
        if (row.sample) {
            currentMail = FindLastSampleMail();
        } else if (FindMailByNumber(row.fields, currentMail) != 0) {
            return -1;
        }
        if (CountEvent(i, endRowSeen) != 0 || BuildMailRecords(i, currentMail, counters) != 0) {
            return -1;
        }
        if (!row.sample && BuildJobDetails(i, currentMail) != 0) {
            return -1;
        }
    }
    if (!endRowSeen) {
        return -1;
    }
    for (const auto& record : *m_pMails) {
        if (record->strProgress.empty()) {
            record->nStacked = -1;
            record->nExpected = -1;
        }
    }
    return 0;
}

bool JobLogFile::IsBuilding(std::size_t row) const
{
    return m_pIndex && m_pRows && m_pSummary && m_pMails && m_pDetails && row < m_pRows->size();
}

const EventRow& JobLogFile::EventAt(std::size_t row)
{
    EventRow& current = m_pIndex->row;
    if (current.index != row) {
        current.fields = (*m_pRows)[row];
        current.event = LogEventOf(current.fields[kFieldResult]);
        current.sample = FieldIs(current.fields[kFieldSample], kLogSample);
        current.mailNoParse = ParseUInt32(current.fields[kFieldMailNo], current.mailNo);
        current.sheetNoParse = -1;
        if (current.event == LogEvent::SheetFeeded || current.event == LogEvent::SheetStacked) {
            current.sheetNoParse = ParseUInt32(current.fields[kFieldSheet], current.sheetNo);
        }
        current.index = row;
    }
    return current;
}

void JobLogFile::AppendMail(std::unique_ptr<MailRecord> record)
{
    const auto index = static_cast<std::uint32_t>(m_pMails->size());
    m_pMails->push_back(std::move(record));
    m_pIndex->mails.Added(*m_pMails->back(), index);
}

int JobLogFile::CountEvent(std::size_t rowIndex, bool& endRowSeen)
{
    if (!IsBuilding(rowIndex)) {
        return -1;
    }
    const EventRow& row = EventAt(rowIndex);
    JobSummary& summary = *m_pSummary;
    switch (row.event) {
    case LogEvent::MailStarted:
        ++(row.sample ? summary.nSampleMails : summary.nStartedMails);
        break;
    case LogEvent::MailFinished:
        if (!row.sample) {
            ++summary.nCreatedMails;
        }
        break;
    case LogEvent::Suspended:
        ++summary.nSuspendCount;
        break;
    case LogEvent::Error:
        ++summary.nErrorCount;
        break;
    case LogEvent::JobStarted:
        if (summary.strStartTime.empty()) {
            summary.strStartTime = row.fields[kFieldTime];
        }
        break;
    case LogEvent::JobFinished:
    case LogEvent::JobCanceled: {
        if (endRowSeen) {
            return -1;
        }
        endRowSeen = true;
        const bool finished = row.event == LogEvent::JobFinished;
        if (finished) {
            if (ParseUInt32(row.fields[kFieldRequestedMails], summary.nRequestedMails) != 0 ||
                summary.nStartedMails < summary.nRequestedMails) {
                return -1;
            }
            summary.nRecreatedMails = summary.nStartedMails - summary.nRequestedMails;
        } else {
            summary.nRequestedMails = kNoNumber;
        }
        summary.strEndTime = row.fields[kFieldTime];
        summary.nResult = finished ? kJobFinished : kJobCanceled;
        break;
    }
    default:
        break;
    }
    return 0;
}

int JobLogFile::BuildMailRecords(std::size_t rowIndex, int currentMail, LetterCounters& counters)
{
    if (!IsBuilding(rowIndex) || currentMail >= static_cast<int>(m_pMails->size())) {
        return -1;
    }
    const EventRow& row = EventAt(rowIndex);
    const JobLogRow& fields = row.fields;
    const std::string_view time = fields[kFieldTime];
    const std::string_view mailNoText = fields[kFieldMailNo];
    MailList& mails = *m_pMails;
    MailRecord* record = currentMail >= 0 ? mails[currentMail].get() : nullptr;
    MailIndex& index = m_pIndex->mails;

    switch (row.event) {
    case LogEvent::SheetFeeded:
        // A mail's first sheet restarts its letter count.
        if (FieldIs(fields[kFieldSheet], "1")) {
            counters[mailNoText] = 0;
            return 0;
        }
        if (record == nullptr) {
            return -1;
        }
        if (record->nStacked == 0) {
            record->nStacked = counters[mailNoText];
        }
        return 0;

    case LogEvent::SheetStacked: {
        if (row.sheetNoParse != 0 || record == nullptr) {
            return -1;
        }
        const std::string_view type = fields[kFieldType];
        if ((record->strEndTime.empty() || record->nState == kMailSuspended) &&
            FieldIs(type, kLogLetter)) {
            int& count = counters[mailNoText];
            count = Incremented(count);
            record->nStacked = count;
        }
        if (FieldIs(type, kLogEnvelope)) {
            record->bEnvelope = 1;
        }
        return 0;
    }

    case LogEvent::MailStarted: {
        auto started = std::make_unique<MailRecord>();
        std::uint32_t expected = 0;
        if (ParseUInt32(fields[kFieldLetterSheets], expected) != 0) {
            return -1;
        }
        started->nExpected = static_cast<std::int32_t>(expected);
        started->strStartTime = time;
        if (row.sample) {
            started->nKind = kMailKindSample;
            started->nMailNo = kNoNumber;
        } else {
            started->nKind = kMailKindNormal;
            if (row.mailNoParse != 0) {
                return -1;
            }
            started->nMailNo = row.mailNo;
        }
        started->nState = kMailRunning;
        AppendMail(std::move(started));
        counters[mailNoText] = 0;
        index.CloseErrors(mails, time);
        m_pIndex->lookBack.NoteMailStarted(static_cast<std::uint32_t>(rowIndex), row.sample,
                                           row.mailNoParse, row.mailNo);
        return 0;
    }

    case LogEvent::JobStarted:
        if (rowIndex > kFirstEventRow) {
            index.CloseErrors(mails, time);
        }
        return 0;

    case LogEvent::MailFinished: {
        if (record == nullptr) {
            return -1;
        }
        // A suspended attempt that did not make the whole mail stays in the list as a copy.
        std::unique_ptr<MailRecord> kept;
        if (record->nState == kMailSuspended &&
            (record->nStacked != record->nExpected || record->bEnvelope == 0)) {
            kept = std::make_unique<MailRecord>();
            kept->nMailNo = record->nMailNo;
            kept->nKind = record->nKind;
            kept->strStartTime = record->strStartTime;
            kept->strEndTime = record->strEndTime;
            kept->nState = kMailSuspended;
        }
        record->strProgress = Progress(counters[mailNoText], record->nExpected);
        record->nState = kMailFinished;
        record->strEndTime = time;
        LookBackEnd end = LookBackEnd::None;
        if (row.sample) {
            end = m_pIndex->lookBack.FromSampleRow();
            if (end == LookBackEnd::MailStarted) {
                counters[mailNoText] = 0;
            }
        } else {
            if (row.mailNoParse != 0) {
                return -1;
            }
            end = m_pIndex->lookBack.FromNormalRow(row.mailNo);
            if (end == LookBackEnd::Unreadable) {
                return -1;
            }
        }
        // Suspended between its latest start and its finish: the mail counts as complete.
        if (end == LookBackEnd::Suspended) {
            record->strProgress = Progress(record->nExpected, record->nExpected);
        }
        if (kept) {
            AppendMail(std::move(kept));
        }
        return 0;
    }

    case LogEvent::Suspended:
        index.SuspendOpen(mails, time);
        counters.ResetAll();
        m_pIndex->lookBack.NoteSuspended(static_cast<std::uint32_t>(rowIndex));
        return 0;

    case LogEvent::Error: {
        auto error = std::make_unique<MailRecord>();
        error->nMailNo = kNoNumber;
        error->nKind = kMailKindError;
        error->nState = kMailError;
        error->strStartTime = time;
        error->strErrorNo = fields[kFieldErrorNo];
        AppendMail(std::move(error));
        return 0;
    }

    case LogEvent::InterruptStarted: {
        auto interruption = std::make_unique<MailRecord>();
        interruption->nMailNo = kNoNumber;
        interruption->nKind = kMailKindInterruption;
        interruption->nState = kMailRunning;
        interruption->strStartTime = time;
        AppendMail(std::move(interruption));
        return 0;
    }

    case LogEvent::InterruptFinished:
        index.FinishInterruptions(mails, time);
        return 0;

    default:
        return 0;
    }
}

int JobLogFile::BuildJobDetails(std::size_t rowIndex, int currentMail)
{
    if (!IsBuilding(rowIndex) || currentMail >= static_cast<int>(m_pMails->size())) {
        return -1;
    }
    const EventRow& row = EventAt(rowIndex);
    const JobLogRow& fields = row.fields;
    const std::string_view time = fields[kFieldTime];
    DetailList& details = *m_pDetails;
    SheetTracker& sheets = m_pIndex->sheets;
    // The detail of the row's Mail No.; null when there is none or the text is no number.
    const auto detailOfRow = [&](int& detail) -> SheetList* {
        if (row.mailNoParse != 0) {
            return nullptr;
        }
        detail = FindDetailByNumber(row.mailNo);
        return detail >= 0 ? details[detail]->pSheets.get() : nullptr;
    };

    switch (row.event) {
    case LogEvent::SheetFeeded: {
        int detail = -1;
        SheetList* detailSheets = detailOfRow(detail);
        if (detailSheets == nullptr) {
            return -1;
        }
        SheetRecord sheet;
        const std::string_view back = fields[kFieldBackPage];
        if (row.sheetNoParse != 0 || ParseUInt32(fields[kFieldFrontPage], sheet.nFrontPage) != 0) {
            return -1;
        }
        sheet.nSheetNo = row.sheetNo;
        if (back.empty()) {
            sheet.nBackPage = kNoNumber;
        } else if (ParseUInt32(back, sheet.nBackPage) != 0) {
            return -1;
        }
        sheet.nTray = TrayNameToNumber(fields[kFieldTray]);
        sheet.nState = kSheetFed;
        sheets.Feed(static_cast<std::uint32_t>(detail), *detailSheets, std::move(sheet));
        return 0;
    }

    case LogEvent::SheetStacked: {
        if (row.sheetNoParse != 0) {
            return -1;
        }
        int detail = -1;
        SheetList* detailSheets = detailOfRow(detail);
        if (detailSheets == nullptr) {
            return -1;
        }
        sheets.Stack(static_cast<std::uint32_t>(detail), *detailSheets, row.sheetNo, time);
        return 0;
    }

    case LogEvent::MailStarted: {
        // Only a number's first attempt makes its detail.
        if (currentMail != -1) {
            return 0;
        }
        auto detail = std::make_unique<JobDetail>();
        if (row.mailNoParse != 0) {
            return -1;
        }
        detail->nMailNo = row.mailNo;
        const auto index = static_cast<std::uint32_t>(details.size());
        details.push_back(std::move(detail));
        JobDetail& added = *details.back();
        added.pSheets = std::make_unique<SheetList>();
        m_pIndex->detailsByNumber.Set(added.nMailNo, index);
        sheets.AddDetail(index);
        std::uint32_t expected = 0;
        if (ParseUInt32(fields[kFieldLetterSheets], expected) != 0) {
            return -1;
        }
        added.nExpected = static_cast<std::int32_t>(expected);
        // A mail mostly holds its letters and an envelope.
        added.pSheets->reserve(std::min(expected, kMostSheetsReserved - 1) + 1);
        return 0;
    }

    case LogEvent::MailFinished: {
        if (currentMail < 0) {
            return -1;
        }
        const MailRecord& record = *(*m_pMails)[currentMail];
        const int finished = FindDetailByNumber(record.nMailNo);
        if (finished < 0) {
            return -1;
        }
        details[finished]->strProgress = record.strProgress;
        if (row.mailNoParse != 0) {
            return -1;
        }
        switch (m_pIndex->lookBack.FromNormalRow(row.mailNo)) {
        case LookBackEnd::Unreadable:
            return -1;
        case LookBackEnd::Suspended: {
            int detail = -1;
            SheetList* detailSheets = detailOfRow(detail);
            if (detailSheets == nullptr) {
                return -1;
            }
            sheets.SettleAfterSuspension(static_cast<std::uint32_t>(detail), *detailSheets, time);
            return 0;
        }
        default:
            return 0;
        }
    }

    case LogEvent::Suspended:
        sheets.SuspendUnfinished(details, time);
        return 0;

    case LogEvent::Error:
        return sheets.AddErrorEntries(details, time, fields[kFieldErrorNo]) ? 0 : -1;

    default:
        return 0;
    }
}

int JobLogFile::FindMailByNumber(const JobLogRow& row, int& index) const
{
    index = -1;
    std::uint32_t number = 0;
    const std::string_view text = row[kFieldMailNo];
    // The row being built was parsed once already.
    const bool building = m_pIndex && &row == &m_pIndex->row.fields;
    const int parse = building ? m_pIndex->row.mailNoParse : ParseUInt32(text, number);
    if (building) {
        number = m_pIndex->row.mailNo;
    }
    if (!text.empty() && parse != 0) {
        return -1;
    }
    if (text.empty()) {
        number = 0;
    }
    if (m_pIndex) {
        index = m_pIndex->mails.LastByNumber(number);
    } else if (m_pMails) {
        for (std::size_t i = 0; i < m_pMails->size(); ++i) {
            if ((*m_pMails)[i]->nMailNo == number) {
                index = static_cast<int>(i);
            }
        }
    }
    return 0;
}

int JobLogFile::FindLastSampleMail() const
{
    if (m_pIndex) {
        return m_pIndex->mails.LastSample();
    }
    int index = -1;
    if (m_pMails) {
        for (std::size_t i = 0; i < m_pMails->size(); ++i) {
            if ((*m_pMails)[i]->nKind == kMailKindSample) {
                index = static_cast<int>(i);
            }
        }
    }
    return index;
}

int JobLogFile::FindDetailByNumber(std::uint32_t number) const
{
    if (m_pIndex) {
        return m_pIndex->detailsByNumber.Find(number);
    }
    int index = -1;
    if (m_pDetails) {
        for (std::size_t i = 0; i < m_pDetails->size(); ++i) {
            if ((*m_pDetails)[i]->nMailNo == number) {
                index = static_cast<int>(i);
            }
        }
    }
    return index;
}

int JobLogFile::FindOpenSheet(const SheetList& sheets, std::uint32_t number) const
{
    // The build itself asks SheetTracker, which keeps the fed sheets of each number.
    int index = -1;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i].nSheetNo == number && sheets[i].strTime.empty()) {
            index = static_cast<int>(i);
        }
    }
    return index;
}

void JobLogFile::FreeRecords()
{
    m_pIndex.reset();
    m_pSummary.reset();
    m_pMails.reset();
    if (m_pDetails) {
        for (const auto& detail : *m_pDetails) {
            if (detail) {
                detail->FreeSheets();
            }
        }
        m_pDetails.reset();
    }
}
