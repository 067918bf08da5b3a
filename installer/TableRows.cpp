#include "installer/TableRows.h"

namespace installer {

using msitransform::MsiValue;

const MsiValue* RowView::Cell(std::string_view column) const
{
    const std::optional<std::size_t> index = m_table->ColumnIndex(column);
    return index && *index < m_row->size() ? &(*m_row)[*index] : nullptr;
}

std::string RowView::Text(std::string_view column) const
{
    const MsiValue* value = Cell(column);
    if (value == nullptr) {
        return {};
    }
    return value->kind == MsiValue::Kind::Integer ? std::to_string(value->integer) : value->text;
}

std::optional<int> RowView::Int(std::string_view column) const
{
    const MsiValue* value = Cell(column);
    if (value == nullptr || value->kind != MsiValue::Kind::Integer) {
        return std::nullopt;
    }
    return value->integer;
}

bool RowView::IsNull(std::string_view column) const
{
    const MsiValue* value = Cell(column);
    return value == nullptr || value->IsNull();
}

std::string LongName(std::string_view name)
{
    name = name.substr(0, name.find(':'));
    const std::size_t bar = name.find('|');
    return std::string(bar == std::string_view::npos ? name : name.substr(bar + 1));
}

std::vector<RowView> Rows(const msitransform::MsiDatabase& database, std::string_view table)
{
    std::vector<RowView> rows;
    if (const msitransform::MsiTable* found = database.FindTable(table)) {
        rows.reserve(found->Rows().size());
        for (const msitransform::MsiRow& row : found->Rows()) {
            rows.emplace_back(*found, row);
        }
    }
    return rows;
}

std::optional<RowView> FindRow(const msitransform::MsiDatabase& database, std::string_view table,
                               std::string_view key)
{
    const msitransform::MsiTable* found = database.FindTable(table);
    if (found == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::size_t> row = found->FindRow({MsiValue::Str(std::string(key))});
    if (!row) {
        return std::nullopt;
    }
    return RowView(*found, found->Rows()[*row]);
}

} // namespace installer
