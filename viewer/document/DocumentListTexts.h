#pragma once

#include "formats/joblog/JobRecords.h"

#include <QString>
#include <array>
#include <string>
#include <string_view>

// Texts by which the list sorts and filters order and match kinds, results and trays, taken
// from the current resource module (so their order follows the interface language). Kept as
// UTF-8 beside the log's own texts; a sort or a filter loads them once, not per record.
class DocumentListTexts
{
public:
    static DocumentListTexts Load();

    std::string_view MailKind(const MailRecord& mail) const;
    std::string MailResult(const MailRecord& mail) const;
    std::string SheetResult(const SheetRecord& sheet) const;
    std::string_view Tray(const SheetRecord& sheet) const;
    // The mail's text in column `column` as the mail filter lists and matches it (which differs
    // in places from the sort texts above); empty for a column outside 0-5. The view points
    // into the mail, these texts or `scratch`.
    std::string_view MailFilter(const MailRecord& mail, int column, std::string& scratch) const;

private:
    std::string m_sample;               // 169
    std::string m_standard;             // 168
    std::string m_completed;            // 172
    std::string m_suspend;              // 173
    std::string m_error;                // 174
    std::string m_printed;              // 239
    std::array<std::string, 5> m_trays; // 161-164, 184
};

// The lookups one record at a time, each loading the texts afresh.
QString GetMailKindText(const MailRecord& mail);
QString GetMailResultText(const MailRecord& mail);
QString GetSheetResultText(const SheetRecord& sheet);
QString GetTrayName(const SheetRecord& sheet);
QString MailFilterText(const MailRecord& mail, int column);
