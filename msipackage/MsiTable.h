// One table of an installer database held in memory: its columns as the database declares them
// and its rows, found by their primary key through an index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace msitransform {

enum class ColumnKind
{
    Integer,
    String,
    Stream, // binary data kept in a stream of its own
};

struct MsiColumn
{
    std::string name;
    ColumnKind kind = ColumnKind::String;
    int width = 0; // bytes of an integer, characters of a string (0: unlimited)
    bool nullable = false;
    bool key = false;

    // From a column type as the database's tools write it: "s72", "I2", "L0", "v0", ...
    static std::optional<MsiColumn> FromTypeText(std::string name, std::string_view type, bool key);
};

struct MsiValue
{
    enum class Kind
    {
        Null,
        Integer,
        String, // UTF-8
        Stream, // present, contents not held here
    };
    Kind kind = Kind::Null;
    std::int32_t integer = 0;
    std::string text;

    static MsiValue Int(std::int32_t value) { return {Kind::Integer, value, {}}; }
    static MsiValue Str(std::string value)
    {
        // An empty string is the database's null.
        return value.empty() ? MsiValue{} : MsiValue{Kind::String, 0, std::move(value)};
    }
    bool IsNull() const { return kind == Kind::Null; }
    bool operator==(const MsiValue&) const = default;
};

using MsiRow = std::vector<MsiValue>;

class MsiTable
{
public:
    MsiTable(std::string name, std::vector<MsiColumn> columns);

    const std::string& Name() const { return m_name; }
    const std::vector<MsiColumn>& Columns() const { return m_columns; }
    std::size_t KeyCount() const { return m_keyCount; }
    std::optional<std::size_t> ColumnIndex(std::string_view name) const;
    const std::vector<MsiRow>& Rows() const { return m_rows; }

    // `keys`: the values of the key columns, in order.
    std::optional<std::size_t> FindRow(const std::vector<MsiValue>& keys) const;
    // The cell of the row with `keys`, or nothing when there is no such row or column.
    const MsiValue* Cell(const std::vector<MsiValue>& keys, std::string_view column) const;

    // The row must hold one value per column and its keys must be new.
    void InsertRow(MsiRow row);
    void SetCell(std::size_t row, std::size_t column, MsiValue value);
    void DeleteRow(std::size_t row);

private:
    static std::string IndexKey(const std::vector<MsiValue>& keys, std::size_t count);
    void Reindex();

    std::string m_name;
    std::vector<MsiColumn> m_columns;
    std::size_t m_keyCount = 0;
    std::vector<MsiRow> m_rows;
    std::unordered_map<std::string, std::size_t> m_index;
};

} // namespace msitransform
