#include "formats/joblog/JobLogFile.h"

#include "formats/joblog/JobRecordIndex.h"
#include "formats/joblog/LogEvent.h"
#include "formats/joblog/LogVocabulary.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/MappedFile.h"
#include "platform/SharedFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kHeaderRows = 8;
constexpr std::size_t kMinimumRows = kHeaderRows + 1;
constexpr int kMaxCommas = 13;
constexpr int kCommasWithVersion = 13;
constexpr std::size_t kHeapBytesPerLogByte = 2;

constexpr std::size_t kFieldKey = 0;
constexpr std::size_t kFieldValue = 1;
constexpr std::size_t kFieldVersion = 2;
constexpr std::size_t kFieldNumber = 0;
constexpr std::size_t kFieldTime = 1;
constexpr std::size_t kFieldResult = 2;
constexpr std::size_t kFieldType = 5;
constexpr std::size_t kFieldSample = 10;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One white-space character of the C locale.
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The whole of `text` is "dddd/dd/dd" + one white space + "dd:dd:dd"; values unchecked.
bool MatchesTimePattern(std::string_view text)
{
    constexpr std::string_view shape = "dddd/dd/dd dd:dd:dd";
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const char want = shape[i];
        const char c = text[i];
        const bool ok = want == 'd' ? IsDigit(c) : (want == ' ' ? IsSpace(c) : c == want);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Rows to make room for: the lines, but never more than lines of the shortest acceptable
// length (12 commas and a line end) could fill.
std::size_t CountRows(std::string_view bytes)
{
    constexpr std::size_t kShortestLine = 13;
    const std::size_t most = bytes.size() / kShortestLine + 1;
    std::size_t count = 1;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at < end && count < most) {
        const void* lf = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        if (lf == nullptr) {
            break;
        }
        ++count;
        at = static_cast<const char*>(lf) + 1;
    }
    return count < most ? count : most;
}

// The title row is short; a first line that runs on beyond this is no title row.
constexpr std::size_t kLongestTitleRow = std::size_t{64} << 10;

// Whether the file can start with the title row: its first line (after a byte order mark)
// has 12 or 13 commas and its field 0 holds the title. `bytes` is the start of the file, all
// of it when `whole`.
bool StartsWithTitleRow(std::string_view bytes, bool whole)
{
    if (bytes.starts_with(platform::kUtf8ByteOrderMark)) {
        bytes.remove_prefix(platform::kUtf8ByteOrderMark.size());
    }
    const std::string_view head = bytes.substr(0, kLongestTitleRow + 1);
    std::size_t end = head.find('\n');
    if (end == std::string_view::npos) {
        if (!whole || bytes.size() > kLongestTitleRow) {
            return false;
        }
        end = bytes.size();
    }
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    std::array<std::string_view, kMaxCommas + 2> fields;
    const std::size_t count = JobLogRows::CutFields(line, fields);
    return (count == 13 || count == 14) && fields[0].find(kLogTitle) != std::string_view::npos;
}

// What cannot be a log is refused as soon as its block is read, before the rest: a NUL byte
// (no text holds one), or a first line that is not a title row.
bool MayBeLog(std::string_view read, std::string_view block, bool whole)
{
    const bool first = block.data() == read.data();
    return block.find('\0') == std::string_view::npos &&
           (!first || StartsWithTitleRow(read, whole));
}

} // namespace

JobLogFile::JobLogFile() = default;

JobLogFile::~JobLogFile()
{
    FreeRecords();
    FreeRows();
}

int JobLogFile::Load(const std::string& path)
{
    int result = -1;
    if (!path.empty()) {
        result = ReadLines(path);
        // CheckFormat in two parts: the header rows first, then each event row just before
        // the records are built from it, so that every row is cut from the file once for
        // both. The same rows refuse the log, and whatever was built is freed.
        if (result == 0) {
            result = CheckHeaderRows();
        }
        if (result == 0) {
            result = BuildRecords();
        }
        // Changed by another program while it was read: the records may not match the log.
        if (result == 0 && !m_pRows->IsFileWhole(m_pStream)) {
            result = -1;
        }
    }
    if (result != 0) {
        FreeRecords();
    }
    FreeRows();
    return result;
}

int JobLogFile::ReadLines(const std::string& path)
{
    m_pStream = nullptr;
    // A pipe or device could block the open or never end.
    if (!platform::IsRegularFile(path)) {
        return -1;
    }
    m_pStream = platform::OpenDenyWrite(path, "r");
    if (m_pStream == nullptr) {
        return -1;
    }
    try {
        m_pRows = std::make_unique<JobLogRows>();
        if (!m_pRows->Load(m_pStream, MayBeLog)) {
            return -1;
        }
        const std::string_view bytes = m_pRows->Bytes();
        // The row index and the records to come take up to about twice the log's size.
        platform::AdviseHeapGrowth(
            std::min(bytes.size(), std::numeric_limits<std::size_t>::max() / kHeapBytesPerLogByte) *
            kHeapBytesPerLogByte);
        m_pRows->Reserve(CountRows(bytes));
        platform::LineReader reader(bytes, platform::LineText::Utf8);
        std::string_view line;
        for (;;) {
            switch (reader.Next(line)) {
            case platform::LineResult::End:
                return 0;
            case platform::LineResult::InvalidText:
                return -1;
            case platform::LineResult::Line:
                break;
            }
            // What SplitLine checks, without cutting: the build cuts each row when it reads it.
            if (line.empty() || AcceptCommaCount(JobLogRows::CountCommas(line)) != 0) {
                return -1;
            }
            m_pRows->Append(line);
        }
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int JobLogFile::SplitLine(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    // One slot beyond the most commas accepted: a longer line stops there, costing nothing.
    std::array<std::string_view, kMaxCommas + 2> cut;
    const std::size_t count = JobLogRows::CutFields(line, cut);
    if (AcceptCommaCount(count - 1) != 0) {
        return -1;
    }
    fields.assign(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(count));
    return 0;
}

int JobLogFile::AcceptCommaCount(std::size_t commas)
{
    if (commas < 1 || commas > kMaxCommas) {
        return -1;
    }
    const int count = static_cast<int>(commas);
    if (m_nCommaCount == -1) {
        if (count != 12 && count != 13) {
            return -1;
        }
        m_nCommaCount = count;
    } else if (count != m_nCommaCount) {
        return -1;
    }
    return 0;
}

int JobLogFile::CheckHeader()
{
    if (!m_pRows || m_pRows->size() < kMinimumRows) {
        return -1;
    }
    const JobLogRows& rows = *m_pRows;
    const JobLogRow title = rows[0];
    if (title[kFieldKey].find(kLogTitle) == std::string_view::npos) {
        return -1;
    }
    if (m_nCommaCount == kCommasWithVersion && title[kFieldVersion] != kLogVersion) {
        return -1;
    }
    if (rows[1][kFieldKey] != kLogKeyJobName || rows[2][kFieldKey] != kLogKeyJobId) {
        return -1;
    }
    const JobLogRow headings = rows[7];
    for (std::size_t i = 0; i < kLogHeadings.size(); ++i) {
        if (headings[i] != kLogHeadings[i]) {
            return -1;
        }
    }
    return rows[kHeaderRows][kFieldResult] == kLogJobStarted ? 0 : -1;
}

int JobLogFile::IsKnownEvent(const JobLogRow& row) const
{
    return LogEventOf(row[kFieldResult]) != LogEvent::Unknown ? 0 : -1;
}

int JobLogFile::CheckFormat()
{
    if (CheckHeaderRows() != 0) {
        return -1;
    }
    const JobLogRows& rows = *m_pRows;
    for (std::size_t i = kHeaderRows; i < rows.size(); ++i) {
        if (CheckEventRow(rows[i]) != 0) {
            return -1;
        }
    }
    return 0;
}

int JobLogFile::CheckHeaderRows()
{
    if (CheckHeader() != 0) {
        return -1;
    }
    const JobLogRows& rows = *m_pRows;
    for (std::size_t i = 1; i < kHeaderRows - 1; ++i) {
        if (rows[i][kFieldValue].empty()) {
            return -1;
        }
    }
    return 0;
}

int JobLogFile::CheckEventRow(const JobLogRow& row) const
{
    if (row[kFieldNumber].empty() || row[kFieldTime].empty() || row[kFieldResult].empty()) {
        return -1;
    }
    if (!MatchesTimePattern(row[kFieldTime]) || IsKnownEvent(row) != 0) {
        return -1;
    }
    const std::string_view type = row[kFieldType];
    if (!type.empty() && !FieldIs(type, kLogLetter) && !FieldIs(type, kLogEnvelope)) {
        return -1;
    }
    const std::string_view sample = row[kFieldSample];
    if (!sample.empty() && !FieldIs(sample, kLogSample)) {
        return -1;
    }
    return 0;
}

int JobLogFile::ReadTrayRows()
{
    if (!m_pRows || m_pRows->size() < kHeaderRows) {
        return -1;
    }
    const JobLogRows& rows = *m_pRows;
    const std::string_view fourth = rows[6][kFieldKey];
    if (rows[3][kFieldKey] != kLogKeyFeedTray1 || rows[4][kFieldKey] != kLogKeyFeedTray2 ||
        rows[5][kFieldKey] != kLogKeyFeedTray3 ||
        (fourth != kLogKeyStandardTray && fourth != kLogKeyHighCapacityFeeder)) {
        return -1;
    }
    if (m_pSummary) {
        try {
            m_pSummary->strTray1 = rows[3][kFieldValue];
            m_pSummary->strTray2 = rows[4][kFieldValue];
            m_pSummary->strTray3 = rows[5][kFieldValue];
            m_pSummary->strTray4 = rows[6][kFieldValue];
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }
    return 0;
}

void JobLogFile::FreeRows()
{
    m_pRows.reset();
}
