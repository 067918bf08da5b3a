// The plain records that a job log turns into: the job's summary, one record per mail attempt,
// error and interruption, and one per sheet entry of a mail. Their owners hold them by
// pointer and free them; a record itself owns nothing but its texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// "No number": a mail number, sheet number or page that the row does not give.
inline constexpr std::uint32_t kNoNumber = 0xFFFFFFFF;
// The job's result before its end row, and the tray of an error entry.
inline constexpr std::int32_t kNotSet = 0x7FFFFFFF;

// JobSummary::nResult
inline constexpr std::int32_t kJobFinished = 1;
inline constexpr std::int32_t kJobCanceled = 2;

// MailRecord::nKind
inline constexpr std::int32_t kMailKindError = 0;
inline constexpr std::int32_t kMailKindSample = 1;
inline constexpr std::int32_t kMailKindNormal = 2;
inline constexpr std::int32_t kMailKindInterruption = 3;

// MailRecord::nState
inline constexpr std::int32_t kMailRunning = 0;
inline constexpr std::int32_t kMailFinished = 1;
inline constexpr std::int32_t kMailSuspended = 2;
inline constexpr std::int32_t kMailError = 3;

// SheetRecord::nState
inline constexpr std::int32_t kSheetFed = 0;
inline constexpr std::int32_t kSheetStacked = 1;
inline constexpr std::int32_t kSheetSuspended = 2;
inline constexpr std::int32_t kSheetError = 3;

// The job as a whole. Times are kept as the log writes them.
struct JobSummary
{
    std::string strJobName;
    std::string strJobId;
    std::int32_t nResult = kNotSet; // kJobFinished or kJobCanceled once the end row was read
    std::uint32_t nErrorCount = 0;
    std::uint32_t nSuspendCount = 0;
    std::string strStartTime;
    std::string strEndTime;
    std::uint32_t nRequestedMails = 0; // kNoNumber for a canceled job
    std::uint32_t nCreatedMails = 0;   // normal mails finished
    std::uint32_t nSampleMails = 0;    // sample mails started
    std::uint32_t nRecreatedMails = 0; // started minus requested, for a finished job
    std::string strTray1;
    std::string strTray2;
    std::string strTray3;
    std::string strTray4;
    std::uint32_t nStartedMails = 0; // normal mails started
};

// One attempt at a mail, one error or one interruption. Open while strEndTime is empty.
struct MailRecord
{
    std::uint32_t nMailNo = kNoNumber; // kNoNumber for samples, errors and interruptions
    std::int32_t nKind = kMailKindError;
    std::string strProgress; // "stacked / expected", set when the mail finishes
    std::int32_t nStacked = 0;
    std::int32_t nExpected = 0;
    std::int32_t nState = kMailRunning;
    std::string strStartTime;
    std::string strEndTime;
    std::string strErrorNo;
    std::int32_t bEnvelope = 0; // 1 once an envelope of the mail was stacked
};

// One sheet entry of a mail, or an error entry (sheet and pages kNoNumber, tray kNotSet).
struct SheetRecord
{
    std::uint32_t nSheetNo = 0;
    std::int32_t nTray = 0; // TrayNameToNumber
    std::int32_t nState = kSheetFed;
    std::string strTime; // empty while the sheet is only fed
    std::uint32_t nFrontPage = 0;
    std::uint32_t nBackPage = 0; // kNoNumber when the sheet has no back page
    std::string strErrorNo;
};

using MailList = std::vector<std::unique_ptr<MailRecord>>;
// A mail's sheets, held in place: a log has several per mail, and once it is loaded their
// addresses stay fixed.
using SheetList = std::vector<SheetRecord>;
