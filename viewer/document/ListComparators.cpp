#include "viewer/document/ListComparators.h"

#include "viewer/document/DocumentListTexts.h"
#include "viewer/document/ListSorting.h"

#include <string_view>

namespace {

int CompareText(std::string_view a, std::string_view b)
{
    return CompareLogText(a, b);
}

int CompareNumber(std::uint32_t a, std::uint32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The key decides; only equal keys look at the tie-break.
template <typename TieBreak>
bool Less(int key, TieBreak tieBreak)
{
    return key < 0 || (key == 0 && tieBreak() < 0);
}

template <typename TieBreak>
bool Greater(int key, TieBreak tieBreak)
{
    return key > 0 || (key == 0 && tieBreak() > 0);
}

int ByStart(const MailRecord* a, const MailRecord* b)
{
    return CompareMailStartTime(a, b);
}

int ByEnd(const MailRecord* a, const MailRecord* b)
{
    return CompareText(a->strEndTime, b->strEndTime);
}

int ByTime(const SheetRecord* a, const SheetRecord* b)
{
    return CompareSheetTime(a, b);
}

int ByKind(const MailRecord* a, const MailRecord* b)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    return CompareText(texts.MailKind(*a), texts.MailKind(*b));
}

int ByMailResult(const MailRecord* a, const MailRecord* b)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    return CompareText(texts.MailResult(*a), texts.MailResult(*b));
}

int ByTray(const SheetRecord* a, const SheetRecord* b)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    return CompareText(texts.Tray(*a), texts.Tray(*b));
}

int BySheetResult(const SheetRecord* a, const SheetRecord* b)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    return CompareText(texts.SheetResult(*a), texts.SheetResult(*b));
}

} // namespace

int CompareMailStartTime(const MailRecord* a, const MailRecord* b)
{
    return CompareText(a->strStartTime, b->strStartTime);
}

int CompareSheetTime(const SheetRecord* a, const SheetRecord* b)
{
    return CompareText(a->strTime, b->strTime);
}

bool MailLessByNumber(const MailRecord* a, const MailRecord* b)
{
    return Less(CompareNumber(a->nMailNo, b->nMailNo), [&] { return ByStart(a, b); });
}
bool MailLessByKind(const MailRecord* a, const MailRecord* b)
{
    return Less(ByKind(a, b), [&] { return ByStart(a, b); });
}
bool MailLessByProgress(const MailRecord* a, const MailRecord* b)
{
    return Less(CompareText(a->strProgress, b->strProgress), [&] { return ByStart(a, b); });
}
bool MailLessByResult(const MailRecord* a, const MailRecord* b)
{
    return Less(ByMailResult(a, b), [&] { return ByStart(a, b); });
}
bool MailLessByStart(const MailRecord* a, const MailRecord* b)
{
    return Less(ByStart(a, b), [&] { return ByEnd(a, b); });
}
bool MailLessByEnd(const MailRecord* a, const MailRecord* b)
{
    return Less(ByEnd(a, b), [&] { return ByStart(a, b); });
}

bool MailGreaterByNumber(const MailRecord* a, const MailRecord* b)
{
    return Greater(CompareNumber(a->nMailNo, b->nMailNo), [&] { return ByStart(a, b); });
}
bool MailGreaterByKind(const MailRecord* a, const MailRecord* b)
{
    return Greater(ByKind(a, b), [&] { return ByStart(a, b); });
}
bool MailGreaterByProgress(const MailRecord* a, const MailRecord* b)
{
    return Greater(CompareText(a->strProgress, b->strProgress), [&] { return ByStart(a, b); });
}
bool MailGreaterByResult(const MailRecord* a, const MailRecord* b)
{
    return Greater(ByMailResult(a, b), [&] { return ByStart(a, b); });
}
bool MailGreaterByStart(const MailRecord* a, const MailRecord* b)
{
    return Greater(ByStart(a, b), [&] { return ByEnd(a, b); });
}
bool MailGreaterByEnd(const MailRecord* a, const MailRecord* b)
{
    return Greater(ByEnd(a, b), [&] { return ByStart(a, b); });
}

bool MailEqualProgress(const MailRecord* a, const MailRecord* b)
{
    return a->strProgress == b->strProgress;
}
bool MailEqualResult(const MailRecord* a, const MailRecord* b)
{
    return a->nState == b->nState && a->strErrorNo == b->strErrorNo;
}
bool MailEqualStart(const MailRecord* a, const MailRecord* b)
{
    return a->strStartTime == b->strStartTime;
}
bool MailEqualEnd(const MailRecord* a, const MailRecord* b)
{
    return a->strEndTime == b->strEndTime;
}

bool SheetLessByNumber(const SheetRecord* a, const SheetRecord* b)
{
    return Less(CompareNumber(a->nSheetNo, b->nSheetNo), [&] { return ByTime(a, b); });
}
bool SheetLessByTray(const SheetRecord* a, const SheetRecord* b)
{
    return Less(ByTray(a, b), [&] { return ByTime(a, b); });
}
bool SheetLessByResult(const SheetRecord* a, const SheetRecord* b)
{
    return Less(BySheetResult(a, b), [&] { return ByTime(a, b); });
}
bool SheetLessByTime(const SheetRecord* a, const SheetRecord* b)
{
    return Less(ByTime(a, b), [&] { return CompareNumber(a->nSheetNo, b->nSheetNo); });
}
bool SheetLessByFrontPage(const SheetRecord* a, const SheetRecord* b)
{
    return Less(CompareNumber(a->nFrontPage, b->nFrontPage), [&] { return ByTime(a, b); });
}
bool SheetLessByBackPage(const SheetRecord* a, const SheetRecord* b)
{
    return Less(CompareNumber(a->nBackPage, b->nBackPage), [&] { return ByTime(a, b); });
}

bool SheetGreaterByNumber(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(CompareNumber(a->nSheetNo, b->nSheetNo), [&] { return ByTime(a, b); });
}
bool SheetGreaterByTray(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(ByTray(a, b), [&] { return ByTime(a, b); });
}
bool SheetGreaterByResult(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(BySheetResult(a, b), [&] { return ByTime(a, b); });
}
bool SheetGreaterByTime(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(ByTime(a, b), [&] { return CompareNumber(a->nSheetNo, b->nSheetNo); });
}
bool SheetGreaterByFrontPage(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(CompareNumber(a->nFrontPage, b->nFrontPage), [&] { return ByTime(a, b); });
}
bool SheetGreaterByBackPage(const SheetRecord* a, const SheetRecord* b)
{
    return Greater(CompareNumber(a->nBackPage, b->nBackPage), [&] { return ByTime(a, b); });
}

bool SheetEqualResult(const SheetRecord* a, const SheetRecord* b)
{
    return a->nState == b->nState && a->strErrorNo == b->strErrorNo;
}
bool SheetEqualTime(const SheetRecord* a, const SheetRecord* b)
{
    return a->strTime == b->strTime;
}
