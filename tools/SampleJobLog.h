// Job logs made up from a seed: the rows of one job, its mails with their printed pages, and
// the counts that a reader of the log must arrive at.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace samplejob {

enum class JobEnd
{
    Finished,
    Canceled,
};

enum class LineEnd
{
    Lf,
    CrLf,
};

struct JobLogOptions
{
    uint64_t seed = 1;
    uint32_t mails = 6;         // mails requested, numbered from 1 (all pages within 32 bits)
    uint32_t letters = 2;       // letter sheets per mail; each mail also has one envelope
    bool duplex = true;         // letters printed on both sides
    uint32_t retries = 0;       // mail attempts given up after an error and made again
    uint32_t suspensions = 0;   // "Suspended" then "Job Started" after a stacked letter
    uint32_t errors = 0;        // errors between a sheet's feed and its stacking
    uint32_t sampleMails = 0;   // sample mails between the numbered ones
    uint32_t interruptions = 0; // interruptions between mails
    JobEnd end = JobEnd::Finished;
    int commas = 13; // 12 or 13 per line
    LineEnd lineEnd = LineEnd::CrLf;
    bool byteOrderMark = false;
    bool highCapacityFeeder = false; // key of the fourth tray row
    std::string jobName;             // empty: made from the seed
    std::string jobId;               // empty: made from the seed
};

struct SampleSheet
{
    uint32_t sheetNo = 0;
    uint32_t frontPage = 0;
    uint32_t backPage = 0; // 0: the sheet has no back page
    std::string tray;      // tray name as the log writes it
    bool envelope = false;
};

// One mail number: its sheets, letters first and the envelope last. Its printed pages are
// FirstPage() .. LastPage(); the page-image stream holds them as one page of sub-pages.
struct SampleMail
{
    uint32_t mailNo = 0;
    uint32_t letters = 0;
    std::vector<SampleSheet> sheets;

    uint32_t FirstPage() const;
    uint32_t LastPage() const;
};

// What the log says, as a reader's job summary has to show it.
struct JobLogCounts
{
    uint64_t rows = 0; // header rows included
    uint32_t startedMails = 0;
    uint32_t createdMails = 0;
    uint32_t sampleMails = 0;
    uint32_t errors = 0;
    uint32_t suspensions = 0;
    uint32_t requestedMails = 0; // 0xFFFFFFFF for a canceled job
    int result = 0;              // 1 finished, 2 canceled
    std::string startTime;
    std::string endTime;
};

using LogRow = std::vector<std::string>;
using LogRowSink = std::function<void(const LogRow&)>;

inline constexpr uint32_t kNoRequestedCount = 0xFFFFFFFF;

// The job's mails with their sheets and pages, mail numbers 1 .. options.mails.
std::vector<SampleMail> PlanMails(const JobLogOptions& options);
SampleMail PlanMail(const JobLogOptions& options, uint32_t mailNo);
std::string JobName(const JobLogOptions& options);
std::string JobId(const JobLogOptions& options);

// Hands every row of the log to `sink`, in file order, and returns what the rows add up to.
JobLogCounts GenerateJobLog(const JobLogOptions& options, const LogRowSink& sink);

// All rows at once, for tests that change a row before writing the text.
std::vector<LogRow> MakeJobLogRows(const JobLogOptions& options, JobLogCounts* counts = nullptr);
std::string RenderJobLog(const std::vector<LogRow>& rows, LineEnd lineEnd, bool byteOrderMark);
void AppendLogLine(std::string& text, const LogRow& row, LineEnd lineEnd);
std::string MakeJobLogText(const JobLogOptions& options, JobLogCounts* counts = nullptr);

// Writes the log without holding it in memory; 0, or -1 when the file cannot be written.
int WriteJobLogFile(const std::string& path, const JobLogOptions& options,
                    JobLogCounts* counts = nullptr);

} // namespace samplejob
