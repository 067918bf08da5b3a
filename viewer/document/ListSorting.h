// The sorts of the mail and sheet lists. Each record's key and tie-break key are made once
// per sort, a text's first bytes held in the entry itself, so a sort compares contiguous
// memory and decodes a text only where two keys differ in a byte that is not ASCII. The order
// is exactly that of the column's comparators (ListComparators.h).
#pragma once

#include "formats/joblog/JobRecords.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// Sorts by column 0-5, ascending or descending, as the column's comparators order.
void SortMailRecords(std::vector<MailRecord*>& mails, int column, bool ascending);
void SortSheetRecords(std::vector<SheetRecord*>& sheets, int column, bool ascending);

// Texts of the log and of the resource module by UTF-16 code units (CompareUtf16Order), with
// a byte-wise path for the common prefix and ASCII. Negative, zero or positive.
int CompareLogText(std::string_view a, std::string_view b);

struct TextKey
{
    static constexpr std::size_t kHead = 24;

    TextKey() = default;
    explicit TextKey(std::string_view whole);

    std::array<unsigned char, kHead> head{}; // the first bytes, zero after the text
    std::string_view text;                   // the whole text; must outlive the sort
};

int CompareKeys(const TextKey& a, const TextKey& b);

inline int CompareKeys(std::uint32_t a, std::uint32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}
