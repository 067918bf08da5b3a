// Reading the rows of a package's table by column name.
#pragma once

#include "msipackage/MsiDatabase.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

class RowView
{
public:
    RowView(const msitransform::MsiTable& table, const msitransform::MsiRow& row)
        : m_table(&table), m_row(&row)
    {}

    // The text of a string column, the decimal text of an integer; empty for null.
    std::string Text(std::string_view column) const;
    std::optional<int> Int(std::string_view column) const;
    bool IsNull(std::string_view column) const;

private:
    const msitransform::MsiValue* Cell(std::string_view column) const;

    const msitransform::MsiTable* m_table;
    const msitransform::MsiRow* m_row;
};

// The name a file or folder is installed as, from a name column written "short|long", with
// ":source" for folders: the long target name.
std::string LongName(std::string_view name);

// The rows of `table` (none when the package lacks it).
std::vector<RowView> Rows(const msitransform::MsiDatabase& database, std::string_view table);
// The row whose first key column holds `key`.
std::optional<RowView> FindRow(const msitransform::MsiDatabase& database, std::string_view table,
                               std::string_view key);

} // namespace installer
