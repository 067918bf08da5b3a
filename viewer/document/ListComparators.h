#pragma once

#include "formats/joblog/JobRecords.h"

// Orders of the mail and sheet lists by column. Each compares the column's key and, only when
// the keys are equal, its tie-break. The "Greater" orders are not negated "Less" orders: equal
// keys with equal tie-breaks give false both ways. Texts compare by UTF-16 code units, numbers
// as unsigned.
// Three-way tie-breaks (negative, zero, positive), for sorts that make their keys beforehand.
int CompareMailStartTime(const MailRecord* a, const MailRecord* b);
int CompareSheetTime(const SheetRecord* a, const SheetRecord* b);

bool MailLessByNumber(const MailRecord* a, const MailRecord* b);
bool MailLessByKind(const MailRecord* a, const MailRecord* b);
bool MailLessByProgress(const MailRecord* a, const MailRecord* b);
bool MailLessByResult(const MailRecord* a, const MailRecord* b);
bool MailLessByStart(const MailRecord* a, const MailRecord* b);
bool MailLessByEnd(const MailRecord* a, const MailRecord* b);
bool MailGreaterByNumber(const MailRecord* a, const MailRecord* b);
bool MailGreaterByKind(const MailRecord* a, const MailRecord* b);
bool MailGreaterByProgress(const MailRecord* a, const MailRecord* b);
bool MailGreaterByResult(const MailRecord* a, const MailRecord* b);
bool MailGreaterByStart(const MailRecord* a, const MailRecord* b);
bool MailGreaterByEnd(const MailRecord* a, const MailRecord* b);
bool MailEqualProgress(const MailRecord* a, const MailRecord* b);
bool MailEqualResult(const MailRecord* a, const MailRecord* b);
bool MailEqualStart(const MailRecord* a, const MailRecord* b);
bool MailEqualEnd(const MailRecord* a, const MailRecord* b);

bool SheetLessByNumber(const SheetRecord* a, const SheetRecord* b);
bool SheetLessByTray(const SheetRecord* a, const SheetRecord* b);
bool SheetLessByResult(const SheetRecord* a, const SheetRecord* b);
bool SheetLessByTime(const SheetRecord* a, const SheetRecord* b);
bool SheetLessByFrontPage(const SheetRecord* a, const SheetRecord* b);
bool SheetLessByBackPage(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByNumber(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByTray(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByResult(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByTime(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByFrontPage(const SheetRecord* a, const SheetRecord* b);
bool SheetGreaterByBackPage(const SheetRecord* a, const SheetRecord* b);
bool SheetEqualResult(const SheetRecord* a, const SheetRecord* b);
bool SheetEqualTime(const SheetRecord* a, const SheetRecord* b);
