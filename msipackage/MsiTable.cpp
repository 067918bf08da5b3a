#include "msipackage/MsiTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace msitransform {

std::optional<MsiColumn> MsiColumn::FromTypeText(std::string name, std::string_view type, bool key)
{
    if (type.size() < 2) {
        return std::nullopt;
    }
    MsiColumn column;
    column.name = std::move(name);
    column.key = key;
    const char letter = type.front();
    column.nullable = std::isupper(static_cast<unsigned char>(letter)) != 0;
    switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'i':
    case 'j':
        column.kind = ColumnKind::Integer;
        break;
    case 's':
    case 'l':
    case 'g':
        column.kind = ColumnKind::String;
        break;
    case 'v':
        column.kind = ColumnKind::Stream;
        break;
    default:
        return std::nullopt;
    }
    const std::string_view digits = type.substr(1);
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), column.width);
    if (error != std::errc() || end != digits.data() + digits.size() ||
        (column.kind == ColumnKind::Integer && column.width != 2 && column.width != 4)) {
        return std::nullopt;
    }
    return column;
}

MsiTable::MsiTable(std::string name, std::vector<MsiColumn> columns)
    : m_name(std::move(name)), m_columns(std::move(columns))
{
    m_keyCount = static_cast<std::size_t>(std::count_if(m_columns.begin(), m_columns.end(),
                                                        [](const MsiColumn& c) { return c.key; }));
}

std::optional<std::size_t> MsiTable::ColumnIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == name) {
            return i;
        }
    }
    return std::nullopt;
}

std::string MsiTable::IndexKey(const std::vector<MsiValue>& keys, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count && i < keys.size(); ++i) {
        const MsiValue& value = keys[i];
        text += static_cast<char>('0' + static_cast<int>(value.kind));
        text += value.kind == MsiValue::Kind::Integer ? std::to_string(value.integer) : value.text;
        text += '\x1F';
    }
    return text;
}

std::optional<std::size_t> MsiTable::FindRow(const std::vector<MsiValue>& keys) const
{
    if (keys.size() < m_keyCount) {
        return std::nullopt;
    }
    const auto found = m_index.find(IndexKey(keys, m_keyCount));
    return found == m_index.end() ? std::nullopt : std::optional<std::size_t>(found->second);
}

const MsiValue* MsiTable::Cell(const std::vector<MsiValue>& keys, std::string_view column) const
{
    const std::optional<std::size_t> row = FindRow(keys);
    const std::optional<std::size_t> index = ColumnIndex(column);
    return row && index ? &m_rows[*row][*index] : nullptr;
}

void MsiTable::InsertRow(MsiRow row)
{
    m_index.emplace(IndexKey(row, m_keyCount), m_rows.size());
    m_rows.push_back(std::move(row));
}

void MsiTable::SetCell(std::size_t row, std::size_t column, MsiValue value)
{
    m_rows[row][column] = std::move(value);
}

void MsiTable::DeleteRow(std::size_t row)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    Reindex();
}

void MsiTable::Reindex()
{
    m_index.clear();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_index.emplace(IndexKey(m_rows[i], m_keyCount), i);
    }
}

} // namespace msitransform
