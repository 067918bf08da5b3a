#include "tools/SampleJobLog.h"

#include "tools/SampleFiles.h"
#include "tools/SampleRandom.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace samplejob {
namespace {

constexpr std::array<std::string_view, 13> kHeadings = {"No.",
                                                        "Time",
                                                        "Result",
                                                        "Error No.",
                                                        "Mail No.",
                                                        "Type",
                                                        "Sheet",
                                                        "Front Page",
                                                        "Back Page",
                                                        "Tray",
                                                        "Sample",
                                                        "Letter Sheets",
                                                        "Number of making mail"};

constexpr std::string_view kTray1 = "Feed Tray 1";
constexpr std::string_view kTray2 = "Feed Tray 2";
constexpr std::string_view kTray3 = "Feed Tray 3";
constexpr std::string_view kStandardTray = "Standard Tray";
constexpr std::string_view kHighCapacityFeeder = "High Capacity Feeder";

// Field numbers of an event row.
enum Field : size_t
{
    kNo = 0,
    kTime,
    kResult,
    kErrorNo,
    kMailNo,
    kType,
    kSheet,
    kFrontPage,
    kBackPage,
    kTray,
    kSample,
    kLetterSheets,
    kMailCount,
};

// Salts that keep the plan, the events and the names on separate random streams, so that a
// change in one (say more errors) leaves the trays and names of the job as they were.
constexpr uint64_t kPlanSalt = 0x706C616EULL;
constexpr uint64_t kEventSalt = 0x6576656EULL;
constexpr uint64_t kNameSalt = 0x6E616D65ULL;

std::string_view FourthTray(const JobLogOptions& options)
{
    return options.highCapacityFeeder ? kHighCapacityFeeder : kStandardTray;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string FormatLogTime(int64_t seconds)
{
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(seconds / 86400, year, month, day);
    const int64_t inDay = seconds % 86400;
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02u/%02u %02d:%02d:%02d", year, month, day,
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60),
                  static_cast<int>(inDay % 60));
    return text;
}

// Emits the rows of one job, keeping the row number, the clock and the counts.
class LogEmitter
{
public:
    LogEmitter(const JobLogOptions& options, const LogRowSink& sink)
        : m_options(options), m_sink(sink), m_random(options.seed ^ kEventSalt),
          m_fieldCount(options.commas == 12 ? 13 : 14), m_row(m_fieldCount)
    {
        // Some morning in 2024, different for each seed.
        m_clock = 1704067200 + int64_t{m_random.Below(330)} * 86400 + 7 * 3600 +
                  int64_t{m_random.Below(3 * 3600)};
    }

    JobLogCounts Run();

private:
    void Header();
    void Emit(const LogRow& row)
    {
        m_sink(row);
        ++m_counts.rows;
    }
    // Starts a new event row at the next time; the caller fills further fields, then Flush().
    LogRow& Event(std::string_view name, uint32_t stepMin = 1, uint32_t stepMax = 3);
    void Flush() { Emit(m_row); }
    void Simple(std::string_view name, uint32_t stepMin = 1, uint32_t stepMax = 3)
    {
        Event(name, stepMin, stepMax);
        Flush();
    }

    void MailStarted(const SampleMail& mail, bool sample);
    void SheetFeeded(const SampleMail& mail, const SampleSheet& sheet, bool sample);
    void SheetStacked(const SampleMail& mail, const SampleSheet& sheet, bool sample);
    void MailFinished(const SampleMail& mail, bool sample);
    void Error(const SampleMail* mail);
    void SuspendAndResume();
    void Mail(const SampleMail& mail, uint32_t retries, uint32_t suspensions, uint32_t errors);
    void SampleMailRows(const SampleMail& mail);
    void Interruption();
    void Spread(std::vector<uint32_t>& perSlot, uint32_t count);

    const JobLogOptions& m_options;
    const LogRowSink& m_sink;
    SampleRandom m_random;
    size_t m_fieldCount;
    LogRow m_row;
    int64_t m_clock = 0;
    uint64_t m_eventNo = 0;
    JobLogCounts m_counts;
};

void LogEmitter::Header()
{
    auto row = [this](std::string_view key, std::string_view value) {
        LogRow fields(m_fieldCount);
        fields[0] = key;
        fields[1] = value;
        return fields;
    };
    LogRow title = row("Making Mail History", "");
    if (m_fieldCount == 14) {
        title[2] = "2.00";
    }
    Emit(title);
    Emit(row("Job name", JobName(m_options)));
    Emit(row("Job ID", JobId(m_options)));
    Emit(row(kTray1, "A4 plain 80 g/m2"));
    Emit(row(kTray2, "A4 letterhead"));
    Emit(row(kTray3, "Envelope stock 100 g/m2"));
    Emit(row(FourthTray(m_options), "A4 plain 80 g/m2"));
    LogRow headings(m_fieldCount);
    for (size_t i = 0; i < kHeadings.size(); ++i) {
        headings[i] = kHeadings[i];
    }
    Emit(headings);
}

LogRow& LogEmitter::Event(std::string_view name, uint32_t stepMin, uint32_t stepMax)
{
    for (auto& field : m_row) {
        field.clear();
    }
    m_clock += m_random.Between(stepMin, stepMax);
    m_row[kNo] = std::to_string(++m_eventNo);
    m_row[kTime] = FormatLogTime(m_clock);
    m_row[kResult] = name;
    return m_row;
}

void LogEmitter::MailStarted(const SampleMail& mail, bool sample)
{
    LogRow& row = Event("Mail Started");
    row[kMailNo] = sample ? "" : std::to_string(mail.mailNo);
    row[kSample] = sample ? "Sample" : "";
    row[kLetterSheets] = std::to_string(mail.letters);
    Flush();
    ++(sample ? m_counts.sampleMails : m_counts.startedMails);
}

void LogEmitter::SheetFeeded(const SampleMail& mail, const SampleSheet& sheet, bool sample)
{
    LogRow& row = Event("Sheet Feeded");
    row[kMailNo] = sample ? "" : std::to_string(mail.mailNo);
    row[kSheet] = std::to_string(sheet.sheetNo);
    row[kFrontPage] = std::to_string(sheet.frontPage);
    row[kBackPage] = sheet.backPage != 0 ? std::to_string(sheet.backPage) : "";
    row[kTray] = sheet.tray;
    row[kSample] = sample ? "Sample" : "";
    Flush();
}

void LogEmitter::SheetStacked(const SampleMail& mail, const SampleSheet& sheet, bool sample)
{
    LogRow& row = Event("Sheet Stacked", 2, 5);
    row[kMailNo] = sample ? "" : std::to_string(mail.mailNo);
    row[kType] = sheet.envelope ? "Envelope" : "Letter";
    row[kSheet] = std::to_string(sheet.sheetNo);
    row[kFrontPage] = std::to_string(sheet.frontPage);
    row[kBackPage] = sheet.backPage != 0 ? std::to_string(sheet.backPage) : "";
    row[kTray] = sheet.tray;
    row[kSample] = sample ? "Sample" : "";
    Flush();
}

void LogEmitter::MailFinished(const SampleMail& mail, bool sample)
{
    LogRow& row = Event("Mail Finished");
    row[kMailNo] = sample ? "" : std::to_string(mail.mailNo);
    row[kSample] = sample ? "Sample" : "";
    row[kLetterSheets] = std::to_string(mail.letters);
    Flush();
    if (!sample) {
        ++m_counts.createdMails;
    }
}

void LogEmitter::Error(const SampleMail* mail)
{
    LogRow& row = Event("Error");
    row[kErrorNo] = std::to_string(m_random.Between(1001, 9899));
    if (mail) {
        row[kMailNo] = std::to_string(mail->mailNo);
    }
    Flush();
    ++m_counts.errors;
}

void LogEmitter::SuspendAndResume()
{
    Simple("Suspended");
    ++m_counts.suspensions;
    Simple("Job Started", 30, 900);
}

// A mail: attempts that fail with an error (each followed by a suspension, as the machine
// stops), then the attempt that finishes, with its own errors and suspensions.
void LogEmitter::Mail(const SampleMail& mail, uint32_t retries, uint32_t suspensions,
                      uint32_t errors)
{
    const auto sheetCount = static_cast<uint32_t>(mail.sheets.size());
    for (uint32_t attempt = 0; attempt < retries; ++attempt) {
        MailStarted(mail, false);
        const uint32_t done = m_random.Below(sheetCount);
        for (uint32_t s = 0; s < done; ++s) {
            SheetFeeded(mail, mail.sheets[s], false);
            SheetStacked(mail, mail.sheets[s], false);
        }
        SheetFeeded(mail, mail.sheets[done], false);
        Error(&mail);
        SuspendAndResume();
    }

    // Where the errors (after a feed) and the suspensions (after a stacked letter) fall.
    std::vector<uint32_t> errorsAt(sheetCount, 0);
    std::vector<uint32_t> suspensionsAt(mail.letters, 0);
    Spread(errorsAt, errors);
    Spread(suspensionsAt, suspensions);

    MailStarted(mail, false);
    for (uint32_t s = 0; s < sheetCount; ++s) {
        SheetFeeded(mail, mail.sheets[s], false);
        for (uint32_t e = 0; e < errorsAt[s]; ++e) {
            Error(&mail);
        }
        SheetStacked(mail, mail.sheets[s], false);
        if (s < suspensionsAt.size()) {
            for (uint32_t k = 0; k < suspensionsAt[s]; ++k) {
                SuspendAndResume();
            }
        }
    }
    MailFinished(mail, false);
}

void LogEmitter::SampleMailRows(const SampleMail& mail)
{
    MailStarted(mail, true);
    for (const SampleSheet& sheet : mail.sheets) {
        SheetFeeded(mail, sheet, true);
        SheetStacked(mail, sheet, true);
    }
    MailFinished(mail, true);
}

void LogEmitter::Interruption()
{
    Simple("Interrupt Started");
    Simple("Interrupt Finished", 20, 300);
}

void LogEmitter::Spread(std::vector<uint32_t>& perSlot, uint32_t count)
{
    if (perSlot.empty()) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        ++perSlot[m_random.Below(static_cast<uint32_t>(perSlot.size()))];
    }
}

JobLogCounts LogEmitter::Run()
{
    const uint32_t mails = m_options.mails;
    Header();
    Simple("Job Started", 0, 0);
    m_counts.startTime = m_row[kTime];

    std::vector<uint32_t> retries(mails, 0);
    std::vector<uint32_t> suspensions(mails, 0);
    std::vector<uint32_t> errors(mails, 0);
    std::vector<uint32_t> samplesBefore(mails + 1, 0);
    std::vector<uint32_t> interruptionsBefore(mails + 1, 0);
    Spread(retries, m_options.retries);
    Spread(suspensions, m_options.suspensions);
    Spread(errors, m_options.errors);
    // Samples come before the first mail or between mails; interruptions likewise.
    Spread(samplesBefore, m_options.sampleMails);
    Spread(interruptionsBefore, m_options.interruptions);

    const bool canceled = m_options.end == JobEnd::Canceled;
    const uint32_t made = canceled ? m_random.Below(mails + 1) : mails;
    const SampleMail sampleOf = PlanMail(m_options, 1);

    for (uint32_t i = 0; i <= made; ++i) {
        for (uint32_t k = 0; k < samplesBefore[i]; ++k) {
            SampleMailRows(sampleOf);
        }
        for (uint32_t k = 0; k < interruptionsBefore[i]; ++k) {
            Interruption();
        }
        if (i < made) {
            Mail(PlanMail(m_options, i + 1), retries[i], suspensions[i], errors[i]);
        }
    }

    if (canceled) {
        // The operator cancels in the middle of the next mail, when there is one.
        if (made < mails) {
            const SampleMail mail = PlanMail(m_options, made + 1);
            MailStarted(mail, false);
            const uint32_t fed = m_random.Below(static_cast<uint32_t>(mail.sheets.size()));
            for (uint32_t s = 0; s < fed; ++s) {
                SheetFeeded(mail, mail.sheets[s], false);
                SheetStacked(mail, mail.sheets[s], false);
            }
        }
        Simple("Job Canceled");
        m_counts.requestedMails = kNoRequestedCount;
        m_counts.result = 2;
    } else {
        LogRow& row = Event("Job Finished");
        row[kMailCount] = std::to_string(mails);
        Flush();
        m_counts.requestedMails = mails;
        m_counts.result = 1;
    }
    m_counts.endTime = m_row[kTime];
    return m_counts;
}

} // namespace

uint32_t SampleMail::FirstPage() const
{
    uint32_t first = 0;
    for (const SampleSheet& sheet : sheets) {
        if (first == 0 || sheet.frontPage < first) {
            first = sheet.frontPage;
        }
    }
    return first;
}

uint32_t SampleMail::LastPage() const
{
    uint32_t last = 0;
    for (const SampleSheet& sheet : sheets) {
        last = std::max({last, sheet.frontPage, sheet.backPage});
    }
    return last;
}

SampleMail PlanMail(const JobLogOptions& options, uint32_t mailNo)
{
    // Each mail prints its letters and then its envelope's address side. Duplex letters
    // carry rising front and back pages; simplex letters come out last page first, so
    // their page numbers fall, the way the finisher stacks them face up.
    const uint32_t letters = options.letters;
    const uint32_t pagesPerMail = (options.duplex ? 2 * letters : letters) + 1;
    const uint32_t base = (mailNo - 1) * pagesPerMail;
    SampleRandom random((options.seed ^ kPlanSalt) + mailNo * 0x2545F4914F6CDD1DULL);
    const std::array<std::string_view, 3> letterTrays = {kTray1, kTray2, FourthTray(options)};
    const std::string_view letterTray = letterTrays[random.Below(3)];

    SampleMail mail;
    mail.mailNo = mailNo;
    mail.letters = letters;
    for (uint32_t s = 1; s <= letters; ++s) {
        SampleSheet sheet;
        sheet.sheetNo = s;
        sheet.tray = letterTray;
        if (options.duplex) {
            sheet.frontPage = base + 2 * s - 1;
            sheet.backPage = base + 2 * s;
        } else {
            sheet.frontPage = base + letters - s + 1;
        }
        mail.sheets.push_back(sheet);
    }
    SampleSheet envelope;
    envelope.sheetNo = letters + 1;
    envelope.frontPage = base + pagesPerMail;
    envelope.tray = kTray3;
    envelope.envelope = true;
    mail.sheets.push_back(envelope);
    return mail;
}

std::vector<SampleMail> PlanMails(const JobLogOptions& options)
{
    std::vector<SampleMail> mails;
    mails.reserve(options.mails);
    for (uint32_t m = 1; m <= options.mails; ++m) {
        mails.push_back(PlanMail(options, m));
    }
    return mails;
}

std::string JobName(const JobLogOptions& options)
{
    if (!options.jobName.empty()) {
        return options.jobName;
    }
    constexpr std::array<std::string_view, 6> kinds = {"Invoices",   "Statements", "Reminders",
                                                       "Newsletter", "Payslips",   "Notices"};
    SampleRandom random(options.seed ^ kNameSalt);
    return std::string(kinds[random.Below(kinds.size())]) + " " +
           std::to_string(random.Between(100, 999));
}

std::string JobId(const JobLogOptions& options)
{
    if (!options.jobId.empty()) {
        return options.jobId;
    }
    SampleRandom random((options.seed ^ kNameSalt) + 1);
    char text[16];
    std::snprintf(text, sizeof text, "J%08u", random.Below(100000000));
    return text;
}

JobLogCounts GenerateJobLog(const JobLogOptions& options, const LogRowSink& sink)
{
    LogEmitter emitter(options, sink);
    return emitter.Run();
}

std::vector<LogRow> MakeJobLogRows(const JobLogOptions& options, JobLogCounts* counts)
{
    std::vector<LogRow> rows;
    JobLogCounts result =
        GenerateJobLog(options, [&rows](const LogRow& row) { rows.push_back(row); });
    if (counts) {
        *counts = result;
    }
    return rows;
}

void AppendLogLine(std::string& text, const LogRow& row, LineEnd lineEnd)
{
    for (size_t i = 0; i < row.size(); ++i) {
        if (i != 0) {
            text += ',';
        }
        text += row[i];
    }
    text += lineEnd == LineEnd::CrLf ? "\r\n" : "\n";
}

std::string RenderJobLog(const std::vector<LogRow>& rows, LineEnd lineEnd, bool byteOrderMark)
{
    std::string text = byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (const LogRow& row : rows) {
        AppendLogLine(text, row, lineEnd);
    }
    return text;
}

std::string MakeJobLogText(const JobLogOptions& options, JobLogCounts* counts)
{
    std::string text = options.byteOrderMark ? "\xEF\xBB\xBF" : "";
    JobLogCounts result = GenerateJobLog(
        options, [&](const LogRow& row) { AppendLogLine(text, row, options.lineEnd); });
    if (counts) {
        *counts = result;
    }
    return text;
}

int WriteJobLogFile(const std::string& path, const JobLogOptions& options, JobLogCounts* counts)
{
    OutputFile out(path);
    if (!out.IsOpen()) {
        return -1;
    }
    if (options.byteOrderMark) {
        out.Write("\xEF\xBB\xBF");
    }
    std::string line;
    JobLogCounts result = GenerateJobLog(options, [&](const LogRow& row) {
        line.clear();
        AppendLogLine(line, row, options.lineEnd);
        out.Write(line);
    });
    if (counts) {
        *counts = result;
    }
    return out.Close();
}

} // namespace samplejob
