// Answers the look-back of a "Mail Finished" row (which of "Suspended" and "Mail Started"
// comes first going back from it) without going back over the rows: the build notes each
// such row as it passes, keeping only the latest rows that can end a look.
#pragma once

#include "formats/joblog/NumberIndex.h"

#include <cstdint>

enum class LookBackEnd
{
    None,        // no row ends the look before row 8
    Suspended,   // a "Suspended" row comes first
    MailStarted, // the "Mail Started" row looked for comes first
    Unreadable   // a "Mail Started" row whose Mail No. is not a number comes first
};

class MailLookBack
{
public:
    // A "Mail Started" row at `row`; `mailNoParse` is ParseUInt32's result for its Mail No.
    void NoteMailStarted(std::uint32_t row, bool sample, int mailNoParse, std::uint32_t mailNo);
    void NoteSuspended(std::uint32_t row);

    // For a sample row: the nearest of a "Suspended" and a sample "Mail Started" row.
    LookBackEnd FromSampleRow() const;
    // For a normal row of mail `number`: the nearest of a "Suspended" row and any "Mail
    // Started" row, which ends the look when its Mail No. is `number` and refuses the log
    // when it is not a number.
    LookBackEnd FromNormalRow(std::uint32_t number) const;

private:
    int m_lastSuspended = -1;
    int m_lastSampleStart = -1;
    int m_lastUnreadableStart = -1;
    NumberIndex m_lastStartByNumber;
};
