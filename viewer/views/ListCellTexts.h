#pragma once

#include "formats/joblog/JobRecords.h"

#include <QString>
#include <array>

// The texts that the mail list and the sheet list show in their cells, with the words taken
// once from the current resource module. A sheet's cell texts are also the texts by which the
// sheet filter lists and matches it.
class ListCellTexts
{
public:
    static ListCellTexts Load();

    // A mail's cell in column 0-5 of the mail list; empty for any other column.
    QString Mail(const MailRecord& mail, int column) const;
    // A sheet's cell in column 0-5 of the sheet list; empty for any other column.
    QString Sheet(const SheetRecord& sheet, int column) const;

    // The result texts of the rows that keep the default colour.
    const QString& Completed() const { return m_completed; }
    const QString& Printed() const { return m_printed; }

private:
    QString ErrorText(const std::string& errorNo) const;

    QString m_sample;               // 169
    QString m_standard;             // 168
    QString m_interrupted;          // 240
    QString m_completed;            // 172
    QString m_suspend;              // 173
    QString m_error;                // 174
    QString m_printed;              // 239
    std::array<QString, 5> m_trays; // 161-164, 184
};
