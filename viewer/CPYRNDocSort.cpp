// The document's sorting and filtering of the mail and sheet lists. Records stay where the log
// keeps them; only the document's vectors of pointers are reordered or rebuilt.
#include "platform/Utf8.h"
#include "viewer/CPYRNDoc.h"
#include "viewer/DocumentListTexts.h"
#include "viewer/ListComparators.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_set>

namespace {

template <typename Record>
using Order = bool (*)(const Record*, const Record*);

template <typename Record>
struct ColumnOrders
{
    Order<Record> less;
    Order<Record> greater;
    Order<Record> equal; // the candidates' equality
};

constexpr std::array<ColumnOrders<MailRecord>, 6> kMailColumns = {{
    {MailLessByNumber, MailGreaterByNumber,
     [](const MailRecord* a, const MailRecord* b) { return a->nMailNo == b->nMailNo; }},
    {MailLessByKind, MailGreaterByKind,
     [](const MailRecord* a, const MailRecord* b) { return a->nKind == b->nKind; }},
    {MailLessByProgress, MailGreaterByProgress, MailEqualProgress},
    {MailLessByResult, MailGreaterByResult, MailEqualResult},
    {MailLessByStart, MailGreaterByStart, MailEqualStart},
    {MailLessByEnd, MailGreaterByEnd, MailEqualEnd},
}};

constexpr std::array<ColumnOrders<SheetRecord>, 6> kSheetColumns = {{
    {SheetLessByNumber, SheetGreaterByNumber,
     [](const SheetRecord* a, const SheetRecord* b) { return a->nSheetNo == b->nSheetNo; }},
    {SheetLessByTray, SheetGreaterByTray,
     [](const SheetRecord* a, const SheetRecord* b) { return a->nTray == b->nTray; }},
    {SheetLessByResult, SheetGreaterByResult, SheetEqualResult},
    {SheetLessByTime, SheetGreaterByTime, SheetEqualTime},
    {SheetLessByFrontPage, SheetGreaterByFrontPage,
     [](const SheetRecord* a, const SheetRecord* b) { return a->nFrontPage == b->nFrontPage; }},
    {SheetLessByBackPage, SheetGreaterByBackPage,
     [](const SheetRecord* a, const SheetRecord* b) { return a->nBackPage == b->nBackPage; }},
}};

constexpr bool IsListColumn(int column)
{
    return column >= 0 && column < 6;
}

// Sorts by a text taken from the resource module: each record's key is made once, then the
// order is that of the column's comparators (key, then the tie-break).
template <typename Record, typename KeyOf>
void SortByTextKey(std::vector<Record*>& records, bool ascending, KeyOf keyOf,
                   int (*tieBreak)(const Record*, const Record*))
{
    using Key = std::invoke_result_t<KeyOf, const Record&>;
    struct Entry
    {
        std::string_view key;
        Record* record;
    };
    std::vector<std::string> storage; // made keys; never grows past its reserve
    std::vector<Entry> entries;
    entries.reserve(records.size());
    if constexpr (std::is_same_v<Key, std::string>) {
        storage.reserve(records.size());
    }
    for (Record* record : records) {
        if constexpr (std::is_same_v<Key, std::string>) {
            storage.push_back(keyOf(*record));
            entries.push_back({storage.back(), record});
        } else {
            entries.push_back({keyOf(*record), record});
        }
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        int order = platform::CompareUtf16Order(a.key, b.key);
        if (order == 0) {
            order = tieBreak(a.record, b.record);
        }
        return ascending ? order < 0 : order > 0;
    });
    std::transform(entries.begin(), entries.end(), records.begin(),
                   [](const Entry& entry) { return entry.record; });
}

void SortMails(std::vector<MailRecord*>& mails, int column, bool ascending)
{
    if (column == 1 || column == 3) {
        const DocumentListTexts texts = DocumentListTexts::Load();
        if (column == 1) {
            SortByTextKey(
                mails, ascending, [&](const MailRecord& mail) { return texts.MailKind(mail); },
                CompareMailStartTime);
        } else {
            SortByTextKey(
                mails, ascending, [&](const MailRecord& mail) { return texts.MailResult(mail); },
                CompareMailStartTime);
        }
        return;
    }
    const auto& orders = kMailColumns[static_cast<std::size_t>(column)];
    std::sort(mails.begin(), mails.end(), ascending ? orders.less : orders.greater);
}

void SortSheets(std::vector<SheetRecord*>& sheets, int column, bool ascending)
{
    if (column == 1 || column == 2) {
        const DocumentListTexts texts = DocumentListTexts::Load();
        if (column == 1) {
            SortByTextKey(
                sheets, ascending, [&](const SheetRecord& sheet) { return texts.Tray(sheet); },
                CompareSheetTime);
        } else {
            SortByTextKey(
                sheets, ascending,
                [&](const SheetRecord& sheet) { return texts.SheetResult(sheet); },
                CompareSheetTime);
        }
        return;
    }
    const auto& orders = kSheetColumns[static_cast<std::size_t>(column)];
    std::sort(sheets.begin(), sheets.end(), ascending ? orders.less : orders.greater);
}

// Ascending by the column, then each run of adjacent equal entries cut to its first.
template <typename Record, typename Sort>
void CollapseCandidates(std::vector<Record*>& candidates, Sort sort, Order<Record> equal)
{
    sort(candidates);
    candidates.erase(std::unique(candidates.begin(), candidates.end(), equal), candidates.end());
}

struct TextHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        return std::hash<std::string_view>{}(text);
    }
};

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
        SortMails(*m_pMails, column, g_bMailSortAscending[flag]);
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
        SortSheets(*sheets, column, g_bSheetSortAscending[flag]);
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
            [column](std::vector<MailRecord*>& mails) { SortMails(mails, column, true); },
            kMailColumns[static_cast<std::size_t>(column)].equal);
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
            [column](std::vector<SheetRecord*>& list) { SortSheets(list, column, true); },
            kSheetColumns[static_cast<std::size_t>(column)].equal);
    }
}

void CPYRNDoc::RebuildFilteredMailList()
{
    m_pFilteredMails = std::make_unique<std::vector<MailRecord*>>();
    if (!m_pMails) {
        return;
    }
    // One hash set of the excluded texts: linear in the rows, whatever the number excluded.
    std::unordered_set<std::string, TextHash, std::equal_to<>> excluded;
    if (m_pMailExcludedTexts && IsListColumn(m_nMailFilterColumn)) {
        excluded.reserve(m_pMailExcludedTexts->size());
        for (const QString& text : *m_pMailExcludedTexts) {
            excluded.insert(text.toStdString());
        }
    }
    m_pFilteredMails->reserve(m_pMails->size());
    if (excluded.empty()) {
        *m_pFilteredMails = *m_pMails;
    } else {
        const DocumentListTexts texts = DocumentListTexts::Load();
        std::string scratch;
        for (MailRecord* mail : *m_pMails) {
            if (!excluded.contains(texts.MailFilter(*mail, m_nMailFilterColumn, scratch))) {
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
