#include "viewer/document/ListSorting.h"

#include "platform/Utf8.h"
#include "viewer/document/DocumentListTexts.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

constexpr unsigned char kAsciiEnd = 0x80;

// One record with its column's key and tie-break key, made once per sort.
template <typename Record, typename Key, typename Tie>
struct SortEntry
{
    Key key;
    Tie tie;
    Record* record;
};

// Sorts `records` as the column's comparators would (key, then the tie-break), comparing keys
// made once: `entryOf` gives each record's entry, `storage` holds the texts it makes.
template <typename Record, typename EntryOf>
void SortByKeys(std::vector<Record*>& records, bool ascending, EntryOf entryOf)
{
    using Entry = std::invoke_result_t<EntryOf, Record*>;
    // Kept from sort to sort: fresh memory costs more in first-touch faults than the sort.
    thread_local std::vector<Entry> entries;
    entries.clear();
    entries.reserve(records.size());
    for (Record* record : records) {
        entries.push_back(entryOf(record));
    }
    std::sort(entries.begin(), entries.end(), [ascending](const Entry& a, const Entry& b) {
        int order = CompareKeys(a.key, b.key);
        if (order == 0) {
            order = CompareKeys(a.tie, b.tie);
        }
        return ascending ? order < 0 : order > 0;
    });
    std::transform(entries.begin(), entries.end(), records.begin(),
                   [](const Entry& entry) { return entry.record; });
}

// Texts made for a sort (result texts); kept until the sort ends, never moved.
class MadeTexts
{
public:
    explicit MadeTexts(std::size_t count) : m_texts(Storage())
    {
        m_texts.clear();
        m_texts.reserve(count);
    }
    MadeTexts(const MadeTexts&) = delete;
    MadeTexts& operator=(const MadeTexts&) = delete;

    std::string_view Add(std::string text)
    {
        m_texts.push_back(std::move(text));
        return m_texts.back();
    }

private:
    // Kept from sort to sort, as the entries are.
    static std::vector<std::string>& Storage()
    {
        thread_local std::vector<std::string> texts;
        return texts;
    }

    std::vector<std::string>& m_texts;
};

template <typename Key>
using MailEntry = SortEntry<MailRecord, Key, TextKey>;
template <typename Key>
using SheetEntry = SortEntry<SheetRecord, Key, TextKey>;

} // namespace

void SortMailRecords(std::vector<MailRecord*>& mails, int column, bool ascending)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    MadeTexts made(column == 3 ? mails.size() : 0);
    const auto byText = [&](auto keyOf) {
        SortByKeys(mails, ascending, [&](MailRecord* mail) {
            return MailEntry<TextKey>{TextKey(keyOf(*mail)), TextKey(mail->strStartTime), mail};
        });
    };
    switch (column) {
    case 0:
        SortByKeys(mails, ascending, [](MailRecord* mail) {
            return MailEntry<std::uint32_t>{mail->nMailNo, TextKey(mail->strStartTime), mail};
        });
        break;
    case 1:
        byText([&](const MailRecord& mail) { return texts.MailKind(mail); });
        break;
    case 2:
        byText([](const MailRecord& mail) { return std::string_view(mail.strProgress); });
        break;
    case 3:
        byText([&](const MailRecord& mail) { return made.Add(texts.MailResult(mail)); });
        break;
    case 4:
        SortByKeys(mails, ascending, [](MailRecord* mail) {
            return MailEntry<TextKey>{TextKey(mail->strStartTime), TextKey(mail->strEndTime), mail};
        });
        break;
    default:
        byText([](const MailRecord& mail) { return std::string_view(mail.strEndTime); });
        break;
    }
}

void SortSheetRecords(std::vector<SheetRecord*>& sheets, int column, bool ascending)
{
    const DocumentListTexts texts = DocumentListTexts::Load();
    MadeTexts made(column == 2 ? sheets.size() : 0);
    const auto byNumber = [&](auto numberOf) {
        SortByKeys(sheets, ascending, [&](SheetRecord* sheet) {
            return SheetEntry<std::uint32_t>{numberOf(*sheet), TextKey(sheet->strTime), sheet};
        });
    };
    switch (column) {
    case 0:
        byNumber([](const SheetRecord& sheet) { return sheet.nSheetNo; });
        break;
    case 1:
        SortByKeys(sheets, ascending, [&](SheetRecord* sheet) {
            return SheetEntry<TextKey>{TextKey(texts.Tray(*sheet)), TextKey(sheet->strTime), sheet};
        });
        break;
    case 2:
        SortByKeys(sheets, ascending, [&](SheetRecord* sheet) {
            return SheetEntry<TextKey>{TextKey(made.Add(texts.SheetResult(*sheet))),
                                       TextKey(sheet->strTime), sheet};
        });
        break;
    case 3:
        SortByKeys(sheets, ascending, [](SheetRecord* sheet) {
            return SortEntry<SheetRecord, TextKey, std::uint32_t>{TextKey(sheet->strTime),
                                                                  sheet->nSheetNo, sheet};
        });
        break;
    case 4:
        byNumber([](const SheetRecord& sheet) { return sheet.nFrontPage; });
        break;
    default:
        byNumber([](const SheetRecord& sheet) { return sheet.nBackPage; });
        break;
    }
}

// Equal bytes up to the first difference decode alike in both texts; where both differing
// bytes are ASCII (or one text ends before an ASCII byte) they decide as UTF-16 would.
int CompareLogText(std::string_view a, std::string_view b)
{
    const auto [atA, atB] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    const bool endA = atA == a.end();
    const bool endB = atB == b.end();
    if (endA && endB) {
        return 0;
    }
    const auto byteA = endA ? 0 : static_cast<unsigned char>(*atA);
    const auto byteB = endB ? 0 : static_cast<unsigned char>(*atB);
    if (byteA < kAsciiEnd && byteB < kAsciiEnd) {
        if (endA || endB) {
            return endA ? -1 : 1;
        }
        return byteA < byteB ? -1 : 1;
    }
    return platform::CompareUtf16Order(a, b);
}

TextKey::TextKey(std::string_view whole) : text(whole)
{
    if (!whole.empty()) {
        std::memcpy(head.data(), whole.data(), std::min(whole.size(), kHead));
    }
}

int CompareKeys(const TextKey& a, const TextKey& b)
{
    const int order = std::memcmp(a.head.data(), b.head.data(), TextKey::kHead);
    if (order == 0) {
        // Equal heads: equal texts when both fit, else the whole texts decide (a zero byte
        // in a text looks like the padding).
        const bool fit = a.text.size() <= TextKey::kHead && b.text.size() <= TextKey::kHead;
        return fit && a.text.size() == b.text.size() ? 0 : CompareLogText(a.text, b.text);
    }
    std::size_t at = 0;
    while (a.head[at] == b.head[at]) {
        ++at;
    }
    const bool endA = at >= a.text.size();
    const bool endB = at >= b.text.size();
    const unsigned char byteA = a.head[at];
    const unsigned char byteB = b.head[at];
    if (!endA && !endB && byteA < kAsciiEnd && byteB < kAsciiEnd) {
        return byteA < byteB ? -1 : 1;
    }
    if (endA != endB && (endA ? byteB : byteA) < kAsciiEnd) {
        return endA ? -1 : 1;
    }
    return CompareLogText(a.text, b.text);
}
