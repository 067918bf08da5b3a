#include "msipackage/TransformWriter.h"

#include "msipackage/CodePage.h"
#include "msipackage/CompoundFileFormat.h"
#include "msipackage/CompoundFileWriter.h"
#include "msipackage/MsiStreamName.h"
#include "msipackage/StringPool.h"
#include "msipackage/SummaryInformation.h"
#include "msipackage/TransformFormat.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <optional>

namespace msitransform {

using namespace transform;

namespace {

// One row of a table's stream before encoding: its mask and, per column, the stored number
// (string reference or offset integer) when the column is written.
struct StoredRow
{
    std::uint16_t mask = 0;
    std::vector<std::optional<std::uint32_t>> cells;
};

Failure LineError(const RowChange& change, const std::string& what)
{
    return Failure{"change list line " + std::to_string(change.line) + " (" + change.table +
                   "): " + what};
}

std::size_t CodePoints(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

Outcome<MsiValue> ParseValue(const MsiColumn& column, const std::string& text)
{
    if (column.kind == ColumnKind::Stream) {
        return Failure{"binary column " + column.name + " cannot be changed"};
    }
    if (text.empty()) {
        if (!column.nullable) {
            return Failure{"column " + column.name + " cannot be empty"};
        }
        return MsiValue{};
    }
    if (column.kind == ColumnKind::String) {
        if (column.width > 0 && CodePoints(text) > static_cast<std::size_t>(column.width)) {
            return Failure{"text longer than the " + std::to_string(column.width) +
                           " characters of column " + column.name};
        }
        return MsiValue::Str(text);
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const std::int32_t limit =
        column.width == 2 ? 0x7FFF : std::numeric_limits<std::int32_t>::max();
    if (error != std::errc() || end != text.data() + text.size() || value > limit ||
        value < -limit) {
        return Failure{"not an integer for column " + column.name + ": " + text};
    }
    return MsiValue::Int(value);
}

// The stored number of `value` in `column`, its string entering the pool.
Outcome<std::uint32_t> Store(const MsiColumn& column, const MsiValue& value, StringPool& pool)
{
    if (column.kind == ColumnKind::String) {
        return pool.Add(value.text);
    }
    return EncodeInteger(value.IsNull(), value.integer, column.width);
}

Outcome<std::optional<StoredRow>> StoreChange(const MsiTable& table, const RowChange& change,
                                              StringPool& pool)
{
    const std::vector<MsiColumn>& columns = table.Columns();
    if (change.keys.size() != table.KeyCount()) {
        return LineError(change, "the table has " + std::to_string(table.KeyCount()) + " keys");
    }
    std::vector<MsiValue> values(columns.size());
    std::vector<bool> given(columns.size(), false);
    for (std::size_t i = 0; i < change.keys.size(); ++i) {
        auto key = ParseValue(columns[i], change.keys[i]);
        if (!key || key.Value().IsNull()) {
            return LineError(change, key ? "an empty key" : key.Error());
        }
        values[i] = key.Take();
        given[i] = true;
    }
    const std::optional<std::size_t> existing = table.FindRow(values);
    if ((change.action == RowChange::Action::Insert) == existing.has_value()) {
        return LineError(change, existing ? "the row is there already" : "no such row");
    }

    StoredRow row;
    for (const auto& [name, text] : change.cells) {
        const std::optional<std::size_t> index = table.ColumnIndex(name);
        if (!index || columns[*index].key) {
            return LineError(change, index ? "keys go in the brackets" : "no column " + name);
        }
        auto value = ParseValue(columns[*index], text);
        if (!value) {
            return LineError(change, value.Error());
        }
        // An update writes only the cells that change.
        if (existing && table.Rows()[*existing][*index] == value.Value()) {
            continue;
        }
        if (*index >= kMaxMaskedColumns) {
            return LineError(change, "column " + name + " is beyond the row mask");
        }
        values[*index] = value.Take();
        given[*index] = true;
        row.mask = static_cast<std::uint16_t>(row.mask | (1U << *index));
    }

    if (change.action == RowChange::Action::Insert) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (!columns[i].nullable && values[i].IsNull()) {
                return LineError(change, "a new row needs column " + columns[i].name);
            }
        }
        std::fill(given.begin(), given.end(), true);
        row.mask = static_cast<std::uint16_t>(columns.size() << 8 | kFullRow);
    } else if (change.action == RowChange::Action::Delete) {
        row.mask = 0;
    } else if (row.mask == 0) {
        return std::optional<StoredRow>(); // nothing changes
    }

    row.cells.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (given[i]) {
            auto stored = Store(columns[i], values[i], pool);
            if (!stored) {
                return LineError(change, stored.Error());
            }
            row.cells[i] = stored.Value();
        }
    }
    return std::optional<StoredRow>(std::move(row));
}

std::string EncodeRows(const MsiTable& table, const std::vector<StoredRow>& rows,
                       std::size_t referenceBytes)
{
    std::string stream;
    for (const StoredRow& row : rows) {
        cfb::Append16(stream, row.mask);
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            if (!row.cells[i]) {
                continue;
            }
            const std::uint32_t stored = *row.cells[i];
            const MsiColumn& column = table.Columns()[i];
            const std::size_t bytes = column.kind == ColumnKind::String
                                          ? referenceBytes
                                          : static_cast<std::size_t>(column.width);
            for (std::size_t b = 0; b < bytes; ++b) {
                stream.push_back(static_cast<char>((stored >> (8 * b)) & 0xFF));
            }
        }
    }
    return stream;
}

std::string RevisionNumber(const MsiDatabase& base)
{
    const std::string product =
        base.Property("ProductCode").value_or("") + base.Property("ProductVersion").value_or("");
    return product + ";" + product + ";" + base.Property("UpgradeCode").value_or("");
}

} // namespace

Outcome<std::string> WriteTransform(const MsiDatabase& base, const ChangeList& changes, int lcid,
                                    int codePage)
{
    if (!IsKnownCodePage(codePage)) {
        return Failure{"unknown code page " + std::to_string(codePage)};
    }
    StringPool pool(codePage);
    std::map<std::string, std::vector<StoredRow>> tables;
    for (const RowChange& change : changes.Rows()) {
        const MsiTable* table = base.FindTable(change.table);
        if (table == nullptr) {
            return LineError(change, "no such table");
        }
        auto row = StoreChange(*table, change, pool);
        if (!row) {
            return row.TakeFailure();
        }
        if (row.Value()) {
            tables[change.table].push_back(std::move(*row.Value()));
        }
    }

    CompoundFileWriter file(kClassId);
    file.AddStream(EncodeTableStreamName("_StringPool"), pool.PoolStream());
    file.AddStream(EncodeTableStreamName("_StringData"), pool.DataStream());
    for (const auto& [name, rows] : tables) {
        file.AddStream(EncodeTableStreamName(name),
                       EncodeRows(*base.FindTable(name), rows, pool.BytesPerReference()));
    }

    const std::string& baseTemplate = base.Summary().templateText;
    SummaryInformation summary;
    summary.SetShort(SummaryProperty::CodePage, static_cast<std::int16_t>(codePage));
    summary.SetString(SummaryProperty::Title, "Transform");
    summary.SetString(SummaryProperty::Template, baseTemplate);
    summary.SetString(SummaryProperty::LastAuthor,
                      baseTemplate.substr(0, baseTemplate.find(';')) + ";" + std::to_string(lcid));
    summary.SetString(SummaryProperty::RevisionNumber, RevisionNumber(base));
    summary.SetInt(SummaryProperty::PageCount, base.Summary().minimumInstaller);
    const std::uint32_t ignored = codePage != base.CodePage() ? kIgnoreChangeCodePage : 0;
    const std::uint32_t validation = kValidateLanguage | kValidateProduct | kValidateUpgradeCode;
    summary.SetInt(SummaryProperty::CharCount,
                   static_cast<std::int32_t>(validation << 16 | ignored));
    file.AddStream(SummaryInformation::StreamName(), summary.Write());
    return file.Write();
}

} // namespace msitransform
