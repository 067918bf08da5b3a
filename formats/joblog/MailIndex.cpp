#include "formats/joblog/MailIndex.h"

void MailIndex::Added(const MailRecord& record, std::uint32_t index)
{
    m_byNumber.Set(record.nMailNo, index);
    if (record.nKind == kMailKindSample) {
        m_lastSample = static_cast<int>(index);
    }
    if (!record.strEndTime.empty()) {
        return;
    }
    if (record.nState == kMailError) {
        m_openErrors.push_back(index);
    } else {
        m_openOthers.push_back(index);
    }
    if (record.nKind == kMailKindInterruption) {
        m_openInterruptions.push_back(index);
    }
}

void MailIndex::CloseErrors(MailList& mails, std::string_view time)
{
    for (const std::uint32_t index : m_openErrors) {
        MailRecord& record = *mails[index];
        if (record.strEndTime.empty() && record.nState == kMailError) {
            record.strEndTime = time;
        }
    }
    m_openErrors.clear();
}

void MailIndex::SuspendOpen(MailList& mails, std::string_view time)
{
    // An open record leaves state error only by closing, so no error record is missed here.
    for (const std::uint32_t index : m_openOthers) {
        MailRecord& record = *mails[index];
        if (record.strEndTime.empty() && record.nState != kMailError) {
            record.strEndTime = time;
            record.nState = kMailSuspended;
        }
    }
    m_openOthers.clear();
}

void MailIndex::FinishInterruptions(MailList& mails, std::string_view time)
{
    for (const std::uint32_t index : m_openInterruptions) {
        MailRecord& record = *mails[index];
        if (record.strEndTime.empty() && record.nKind == kMailKindInterruption) {
            record.strEndTime = time;
        }
    }
    m_openInterruptions.clear();
}
