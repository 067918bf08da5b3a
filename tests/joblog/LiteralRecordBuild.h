// The record build done the plain way, as a reference for the indexed one: every finder
// scans its whole vector and keeps the last match, every "every open record" touches all
// records, every look-back walks back over the rows, and "Suspended" resets the counter of
// every earlier row's Mail No. text. Quadratic, so only for small logs.
#pragma once

#include "formats/common/NumberParsing.h"
#include "formats/joblog/JobRecords.h"
#include "formats/joblog/TrayNames.h"
#include "tests/joblog/JobLogBuilder.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

struct LiteralDetail
{
    std::uint32_t nMailNo = 0;
    std::string strProgress;
    std::int32_t nExpected = -1;
    std::vector<SheetRecord> sheets;
};

class LiteralRecordBuild
{
public:
    explicit LiteralRecordBuild(const LogRows& rows) : m_rows(rows) {}

    // 0, or -1 for a refused log.
    int Run()
    {
        if (m_rows.size() < 9) {
            return -1;
        }
        summary.strJobName = m_rows[1][1];
        summary.strJobId = m_rows[2][1];
        const std::string& fourth = m_rows[6][0];
        if (m_rows[3][0] != "Feed Tray 1" || m_rows[4][0] != "Feed Tray 2" ||
            m_rows[5][0] != "Feed Tray 3" ||
            (fourth != "Standard Tray" && fourth != "High Capacity Feeder")) {
            return -1;
        }
        summary.strTray1 = m_rows[3][1];
        summary.strTray2 = m_rows[4][1];
        summary.strTray3 = m_rows[5][1];
        summary.strTray4 = m_rows[6][1];
        bool ended = false;
        for (std::size_t i = 8; i < m_rows.size(); ++i) {
            const bool sample = m_rows[i][10] == "Sample";
            int current = -1;
            if (sample) {
                current = LastIndex(mails, [](const MailRecord& m) { return m.nKind == 1; });
            } else {
                std::uint32_t number = 0;
                if (!m_rows[i][4].empty() && ParseUInt32(m_rows[i][4], number) != 0) {
                    return -1;
                }
                current =
                    LastIndex(mails, [&](const MailRecord& m) { return m.nMailNo == number; });
            }
            if (Count(i, ended) != 0 || Mails(i, current) != 0 ||
                (!sample && Details(i, current) != 0)) {
                return -1;
            }
        }
        if (!ended) {
            return -1;
        }
        for (MailRecord& mail : mails) {
            if (mail.strProgress.empty()) {
                mail.nStacked = -1;
                mail.nExpected = -1;
            }
        }
        return 0;
    }

    JobSummary summary;
    std::vector<MailRecord> mails;
    std::vector<LiteralDetail> details;

private:
    template <class T, class Match>
    static int LastIndex(const std::vector<T>& items, Match match)
    {
        int found = -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (match(items[i])) {
                found = static_cast<int>(i);
            }
        }
        return found;
    }
    int Detail(std::uint32_t number) const
    {
        return LastIndex(details, [&](const LiteralDetail& d) { return d.nMailNo == number; });
    }
    static std::string Progress(int a, int b)
    {
        return std::to_string(a) + " / " + std::to_string(b);
    }
    int& C(std::size_t row) { return m_counters[m_rows[row][4]]; }
    const std::string& F(std::size_t row, std::size_t field) const { return m_rows[row][field]; }

    int Count(std::size_t i, bool& ended)
    {
        const std::string& event = F(i, 2);
        const bool sample = F(i, 10) == "Sample";
        if (event == "Mail Started") {
            ++(sample ? summary.nSampleMails : summary.nStartedMails);
        } else if (event == "Mail Finished" && !sample) {
            ++summary.nCreatedMails;
        } else if (event == "Suspended") {
            ++summary.nSuspendCount;
        } else if (event == "Error") {
            ++summary.nErrorCount;
        } else if (event == "Job Started" && summary.strStartTime.empty()) {
            summary.strStartTime = F(i, 1);
        } else if (event == "Job Finished" || event == "Job Canceled") {
            if (ended) {
                return -1;
            }
            ended = true;
            if (event == "Job Finished") {
                if (ParseUInt32(F(i, 12), summary.nRequestedMails) != 0 ||
                    summary.nStartedMails < summary.nRequestedMails) {
                    return -1;
                }
                summary.nRecreatedMails = summary.nStartedMails - summary.nRequestedMails;
            } else {
                summary.nRequestedMails = 0xFFFFFFFF;
            }
            summary.strEndTime = F(i, 1);
            summary.nResult = event == "Job Finished" ? 1 : 2;
        }
        return 0;
    }

    int Mails(std::size_t i, int current)
    {
        const std::string& event = F(i, 2);
        const std::string& time = F(i, 1);
        const bool sample = F(i, 10) == "Sample";
        if (event == "Sheet Feeded") {
            if (F(i, 6) == "1") {
                C(i) = 0;
                return 0;
            }
            if (current < 0) {
                return -1;
            }
            if (mails[current].nStacked == 0) {
                mails[current].nStacked = C(i);
            }
        } else if (event == "Sheet Stacked") {
            std::uint32_t sheet = 0;
            if (ParseUInt32(F(i, 6), sheet) != 0 || current < 0) {
                return -1;
            }
            MailRecord& record = mails[current];
            if ((record.strEndTime.empty() || record.nState == 2) && F(i, 5) == "Letter") {
                C(i) += 1;
                record.nStacked = C(i);
            }
            if (F(i, 5) == "Envelope") {
                record.bEnvelope = 1;
            }
        } else if (event == "Mail Started") {
            MailRecord record;
            std::uint32_t expected = 0;
            if (ParseUInt32(F(i, 11), expected) != 0) {
                return -1;
            }
            record.nExpected = static_cast<std::int32_t>(expected);
            record.strStartTime = time;
            record.nKind = sample ? 1 : 2;
            record.nMailNo = 0xFFFFFFFF;
            if (!sample && ParseUInt32(F(i, 4), record.nMailNo) != 0) {
                return -1;
            }
            record.nState = 0;
            mails.push_back(record);
            C(i) = 0;
            CloseErrors(time);
        } else if (event == "Job Started" && i > 8) {
            CloseErrors(time);
        } else if (event == "Mail Finished") {
            if (current < 0) {
                return -1;
            }
            bool copy = false;
            MailRecord kept;
            {
                const MailRecord& record = mails[current];
                if (record.nState == 2 &&
                    (record.nStacked != record.nExpected || record.bEnvelope == 0)) {
                    copy = true;
                    kept.nMailNo = record.nMailNo;
                    kept.nKind = record.nKind;
                    kept.strStartTime = record.strStartTime;
                    kept.strEndTime = record.strEndTime;
                    kept.nState = 2;
                }
            }
            MailRecord& record = mails[current];
            record.strProgress = Progress(C(i), record.nExpected);
            record.nState = 1;
            record.strEndTime = time;
            std::uint32_t number = 0;
            if (!sample && ParseUInt32(F(i, 4), number) != 0) {
                return -1;
            }
            for (std::size_t j = i + 1; j-- > 8;) {
                const std::string& back = F(j, 2);
                if (sample && back == "Mail Started" && F(j, 10) == "Sample") {
                    C(i) = 0;
                    break;
                }
                if (!sample && back == "Mail Started") {
                    std::uint32_t started = 0;
                    if (ParseUInt32(F(j, 4), started) != 0) {
                        return -1;
                    }
                    if (started == number) {
                        break;
                    }
                }
                if (back == "Suspended") {
                    record.strProgress = Progress(record.nExpected, record.nExpected);
                    break;
                }
            }
            if (copy) {
                mails.push_back(kept);
            }
        } else if (event == "Suspended") {
            for (MailRecord& record : mails) {
                if (record.strEndTime.empty() && record.nState != 3) {
                    record.strEndTime = time;
                    record.nState = 2;
                }
            }
            for (std::size_t j = 0; j <= i; ++j) {
                C(j) = 0;
            }
        } else if (event == "Error") {
            MailRecord record;
            record.nMailNo = 0xFFFFFFFF;
            record.nKind = 0;
            record.nState = 3;
            record.strStartTime = time;
            record.strErrorNo = F(i, 3);
            mails.push_back(record);
        } else if (event == "Interrupt Started") {
            MailRecord record;
            record.nMailNo = 0xFFFFFFFF;
            record.nKind = 3;
            record.nState = 0;
            record.strStartTime = time;
            mails.push_back(record);
        } else if (event == "Interrupt Finished") {
            for (MailRecord& record : mails) {
                if (record.strEndTime.empty() && record.nKind == 3) {
                    record.strEndTime = time;
                }
            }
        }
        return 0;
    }

    void CloseErrors(const std::string& time)
    {
        for (MailRecord& record : mails) {
            if (record.strEndTime.empty() && record.nState == 3) {
                record.strEndTime = time;
            }
        }
    }

    int Details(std::size_t i, int current)
    {
        const std::string& event = F(i, 2);
        const std::string& time = F(i, 1);
        if (event == "Sheet Feeded") {
            std::uint32_t number = 0;
            if (ParseUInt32(F(i, 4), number) != 0) {
                return -1;
            }
            const int d = Detail(number);
            if (d < 0) {
                return -1;
            }
            SheetRecord sheet;
            if (ParseUInt32(F(i, 6), sheet.nSheetNo) != 0 ||
                ParseUInt32(F(i, 7), sheet.nFrontPage) != 0) {
                return -1;
            }
            sheet.nBackPage = 0xFFFFFFFF;
            if (!F(i, 8).empty() && ParseUInt32(F(i, 8), sheet.nBackPage) != 0) {
                return -1;
            }
            sheet.nTray = TrayNameToNumber(F(i, 9));
            sheet.nState = 0;
            details[d].sheets.push_back(sheet);
        } else if (event == "Sheet Stacked") {
            std::uint32_t sheetNo = 0;
            std::uint32_t number = 0;
            if (ParseUInt32(F(i, 6), sheetNo) != 0 || ParseUInt32(F(i, 4), number) != 0) {
                return -1;
            }
            const int d = Detail(number);
            if (d < 0) {
                return -1;
            }
            std::vector<SheetRecord>& sheets = details[d].sheets;
            const int open = LastIndex(sheets, [&](const SheetRecord& s) {
                return s.nSheetNo == sheetNo && s.strTime.empty();
            });
            if (open >= 0) {
                for (SheetRecord& sheet : sheets) {
                    if (sheet.nSheetNo == sheetNo && sheet.nState == 0) {
                        sheet.nState = 1;
                        sheet.strTime = time;
                    }
                }
            } else {
                const auto first =
                    std::find_if(sheets.begin(), sheets.end(), [&](const SheetRecord& s) {
                        return s.nSheetNo == sheetNo && s.nState != 3;
                    });
                if (first != sheets.end()) {
                    SheetRecord again;
                    again.nSheetNo = first->nSheetNo;
                    again.nTray = first->nTray;
                    again.nFrontPage = first->nFrontPage;
                    again.nBackPage = first->nBackPage;
                    again.nState = 1;
                    again.strTime = time;
                    sheets.push_back(again);
                }
            }
        } else if (event == "Mail Started") {
            if (current != -1) {
                return 0;
            }
            LiteralDetail detail;
            if (ParseUInt32(F(i, 4), detail.nMailNo) != 0) {
                return -1;
            }
            details.push_back(detail);
            std::uint32_t expected = 0;
            if (ParseUInt32(F(i, 11), expected) != 0) {
                return -1;
            }
            details.back().nExpected = static_cast<std::int32_t>(expected);
        } else if (event == "Mail Finished") {
            const MailRecord& record = mails[current];
            const int finished = Detail(record.nMailNo);
            if (finished < 0) {
                return -1;
            }
            details[finished].strProgress = record.strProgress;
            std::uint32_t number = 0;
            if (ParseUInt32(F(i, 4), number) != 0) {
                return -1;
            }
            for (std::size_t j = i + 1; j-- > 8;) {
                if (F(j, 2) == "Mail Started") {
                    std::uint32_t started = 0;
                    if (ParseUInt32(F(j, 4), started) != 0) {
                        return -1;
                    }
                    if (started == number) {
                        break;
                    }
                }
                if (F(j, 2) == "Suspended") {
                    std::vector<SheetRecord>& sheets = details[Detail(number)].sheets;
                    std::erase_if(sheets, [](const SheetRecord& s) { return s.nState == 2; });
                    for (SheetRecord& sheet : sheets) {
                        if (sheet.nState == 0) {
                            sheet.nState = 1;
                            sheet.strTime = time;
                        }
                    }
                    break;
                }
            }
        } else if (event == "Suspended") {
            for (LiteralDetail& detail : details) {
                if (detail.strProgress.empty()) {
                    for (SheetRecord& sheet : detail.sheets) {
                        if (sheet.nState == 0) {
                            sheet.nState = 2;
                            sheet.strTime = time;
                        }
                    }
                }
            }
        } else if (event == "Error") {
            for (LiteralDetail& detail : details) {
                if (detail.strProgress.empty()) {
                    SheetRecord entry;
                    entry.nSheetNo = 0xFFFFFFFF;
                    entry.nTray = 0x7FFFFFFF;
                    entry.nState = 3;
                    entry.strTime = time;
                    entry.strErrorNo = F(i, 3);
                    entry.nFrontPage = 0xFFFFFFFF;
                    entry.nBackPage = 0xFFFFFFFF;
                    detail.sheets.push_back(entry);
                }
            }
        }
        return 0;
    }

    const LogRows& m_rows;
    std::map<std::string, int> m_counters;
};
