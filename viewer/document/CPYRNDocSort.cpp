// The document's sorting and filtering of the mail and sheet lists. Records stay where the log
// keeps them; only the document's vectors of pointers are reordered or rebuilt.
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/DocumentListTexts.h"
#include "viewer/document/ExcludedTextSet.h"
#include "viewer/document/ListComparators.h"
#include "viewer/document/ListSorting.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

template <typename Record>
using Equality = bool (*)(const Record*, const Record*);

// The candidates' equality of each column: values, not texts, where the two differ.
constexpr std::array<Equality<MailRecord>, 6> kMailEquals = {
    [](const MailRecord* a, const MailRecord* b) { return a->nMailNo == b->nMailNo; },
    [](const MailRecord* a, const MailRecord* b) { return a->nKind == b->nKind; },
    MailEqualProgress,
    MailEqualResult,
    MailEqualStart,
    MailEqualEnd,
};

constexpr std::array<Equality<SheetRecord>, 6> kSheetEquals = {
    [](const SheetRecord* a, const SheetRecord* b) { return a->nSheetNo == b->nSheetNo; },
    [](const SheetRecord* a, const SheetRecord* b) { return a->nTray == b->nTray; },
    SheetEqualResult,
    SheetEqualTime,
    [](const SheetRecord* a, const SheetRecord* b) { return a->nFrontPage == b->nFrontPage; },
    [](const SheetRecord* a, const SheetRecord* b) { return a->nBackPage == b->nBackPage; },
};

constexpr bool IsListColumn(int column)
{
    return column >= 0 && column < 6;
}

// Ascending by the column, then each run of adjacent equal entries cut to its first.
template <typename Record, typename Sort>
void CollapseCandidates(std::vector<Record*>& candidates, Sort sort, Equality<Record> equal)
{
    sort(candidates);
    candidates.erase(std::unique(candidates.begin(), candidates.end(), equal), candidates.end());
}

} // namespace

bool CPYRNDoc::SortMailList(int column)
{
    if (!IsListColumn(column)) {
        return true;
    }
    const int hint =
        m_nMailFilterColumn >= 0 ? UpdateHint::kMailListFiltered : UpdateHint::kMailListSorted;
    m_nMailFilterColumn = -1;
    m_pMailFilterCandidates.reset();
    ResetMailFilterState();
    const auto flag = static_cast<std::size_t>(column);
    g_bMailSortAscending[flag] = !g_bMailSortAscending[flag];
    if (m_pMails) {
        SortMailRecords(*m_pMails, column, g_bMailSortAscending[flag]);
    }
    for (std::size_t other = 0; other < g_bMailSortAscending.size(); ++other) {
        if (other != flag) {
            g_bMailSortAscending[other] = true;
        }
    }
    UpdateAllViews(nullptr, hint);
    return g_bMailSortAscending[flag];
}

bool CPYRNDoc::SortSheetList(std::uint32_t mailNo, int column)
{
    if (!IsListColumn(column)) {
        return true;
    }
    m_nSheetFilterColumn = -1;
    m_pSheetFilterCandidates.reset();
    ResetSheetFilterState();
    const auto flag = static_cast<std::size_t>(column);
    g_bSheetSortAscending[flag] = !g_bSheetSortAscending[flag];
    if (SheetPointers* sheets = GetSheetList(mailNo)) {
        SortSheetRecords(*sheets, column, g_bSheetSortAscending[flag]);
    }
    for (std::size_t other = 0; other < g_bSheetSortAscending.size(); ++other) {
        if (other != flag) {
            g_bSheetSortAscending[other] = true;
        }
    }
    UpdateAllViews(nullptr, UpdateHint::kSheetList);
    return g_bSheetSortAscending[flag];
}

void CPYRNDoc::ResetSheetListOrder()
{
    g_bSheetSortAscending = {true, true, true, false, true, true};
    // 0 stands for the first mail.
    SortSheetList(m_nCurrentMailNo != 0 ? m_nCurrentMailNo : m_nFirstMailNo, 3);
}

void CPYRNDoc::BuildMailFilterCandidates(int column)
{
    m_pMailFilterCandidates = std::make_unique<std::vector<MailRecord*>>();
    if (!IsListColumn(column)) {
        return;
    }
    m_nMailFilterColumn = column;
    if (m_pMails) {
        *m_pMailFilterCandidates = *m_pMails;
        CollapseCandidates(
            *m_pMailFilterCandidates,
            [column](std::vector<MailRecord*>& mails) { SortMailRecords(mails, column, true); },
            kMailEquals[static_cast<std::size_t>(column)]);
    }
}

void CPYRNDoc::BuildSheetFilterCandidates(std::uint32_t mailNo, int column)
{
    m_pSheetFilterCandidates = std::make_unique<std::vector<SheetRecord*>>();
    if (!IsListColumn(column)) {
        return;
    }
    m_nSheetFilterColumn = column;
    if (const SheetPointers* sheets = GetSheetList(mailNo)) {
        *m_pSheetFilterCandidates = *sheets;
        CollapseCandidates(
            *m_pSheetFilterCandidates,
            [column](std::vector<SheetRecord*>& list) { SortSheetRecords(list, column, true); },
            kSheetEquals[static_cast<std::size_t>(column)]);
    }
}

void CPYRNDoc::RebuildFilteredMailList()
{
    // The vector is emptied in place: its storage is reused.
    if (!m_pFilteredMails) {
        m_pFilteredMails = std::make_unique<std::vector<MailRecord*>>();
    }
    m_pFilteredMails->clear();
    if (!m_pMails) {
        return;
    }
    // One hash table of the excluded texts: linear in the rows, whatever the number excluded.
    thread_local ExcludedTextSet excluded;
    excluded.Assign(m_pMailExcludedTexts && IsListColumn(m_nMailFilterColumn)
                        ? *m_pMailExcludedTexts
                        : std::vector<QString>());
    if (excluded.IsEmpty()) {
        *m_pFilteredMails = *m_pMails;
    } else {
        m_pFilteredMails->reserve(m_pMails->size());
        const DocumentListTexts texts = DocumentListTexts::Load();
        std::string scratch;
        for (MailRecord* mail : *m_pMails) {
            if (!excluded.Contains(texts.MailFilter(*mail, m_nMailFilterColumn, scratch))) {
                m_pFilteredMails->push_back(mail);
            }
        }
    }
    UpdateAllViews(nullptr, UpdateHint::kMailListFiltered);
}

void CPYRNDoc::ResetMailFilterState()
{
    m_pMailFilterState = std::make_unique<std::vector<int>>();
}

void CPYRNDoc::ResetSheetFilterState()
{
    m_pSheetFilterState = std::make_unique<std::vector<int>>();
}
