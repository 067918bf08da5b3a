// What the record build needs to know about the mail records without scanning them: the
// last record of each mail number, the last sample record, and the records that may still
// be open, by the events that close them.
#pragma once

#include "formats/joblog/JobRecords.h"
#include "formats/joblog/NumberIndex.h"

#include <cstdint>
#include <string_view>
#include <vector>

class MailIndex
{
public:
    // `record` was just appended to the mails at `index`.
    void Added(const MailRecord& record, std::uint32_t index);

    // Index of the last record with nMailNo `number`, or -1.
    int LastByNumber(std::uint32_t number) const { return m_byNumber.Find(number); }
    // Index of the last record of kind sample, or -1.
    int LastSample() const { return m_lastSample; }

    // Every open record in state error ends at `time`.
    void CloseErrors(MailList& mails, std::string_view time);
    // Every open record not in state error ends at `time`, suspended.
    void SuspendOpen(MailList& mails, std::string_view time);
    // Every open interruption ends at `time`.
    void FinishInterruptions(MailList& mails, std::string_view time);

private:
    NumberIndex m_byNumber;
    int m_lastSample = -1;
    // Records that were open when added. A record once closed stays closed, so each list
    // is emptied whenever its event has closed what was still open in it.
    std::vector<std::uint32_t> m_openErrors;
    std::vector<std::uint32_t> m_openOthers;
    std::vector<std::uint32_t> m_openInterruptions;
};
