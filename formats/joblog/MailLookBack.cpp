#include "formats/joblog/MailLookBack.h"

#include <algorithm>

void MailLookBack::NoteMailStarted(std::uint32_t row, bool sample, int mailNoParse,
                                   std::uint32_t mailNo)
{
    if (sample) {
        m_lastSampleStart = static_cast<int>(row);
    }
    if (mailNoParse == 0) {
        m_lastStartByNumber.Set(mailNo, row);
    } else {
        m_lastUnreadableStart = static_cast<int>(row);
    }
}

void MailLookBack::NoteSuspended(std::uint32_t row)
{
    m_lastSuspended = static_cast<int>(row);
}

LookBackEnd MailLookBack::FromSampleRow() const
{
    if (m_lastSuspended < 0 && m_lastSampleStart < 0) {
        return LookBackEnd::None;
    }
    return m_lastSuspended > m_lastSampleStart ? LookBackEnd::Suspended : LookBackEnd::MailStarted;
}

LookBackEnd MailLookBack::FromNormalRow(std::uint32_t number) const
{
    const int started = m_lastStartByNumber.Find(number);
    const int nearest = std::max({m_lastSuspended, started, m_lastUnreadableStart});
    if (nearest < 0) {
        return LookBackEnd::None;
    }
    if (nearest == m_lastSuspended) {
        return LookBackEnd::Suspended;
    }
    return nearest == started ? LookBackEnd::MailStarted : LookBackEnd::Unreadable;
}
