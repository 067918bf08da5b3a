#pragma once

#include "formats/joblog/JobRecords.h"

#include <QString>

// Texts by which the list sorts and filters order and match kinds, results and trays, from the
// current resource module (so their order follows the interface language).
QString GetMailKindText(const MailRecord& mail);
QString GetMailResultText(const MailRecord& mail);
QString GetSheetResultText(const SheetRecord& sheet);
QString GetTrayName(const SheetRecord& sheet);

// The text of `mail` in mail-list column `column` as the mail filter dialog lists it and the
// filtered list matches it; empty for a column outside 0-5.
QString MailFilterText(const MailRecord& mail, int column);
