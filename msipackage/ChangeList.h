// The UTF-8 change list from which a language transform is written, one change a line:
//
//   # a comment
//   Table.Column[Key1/Key2] = new value     (the rest of the line, exactly, is the value)
//   Table[Key1/Key2] +                      (a new row; its cells follow as lines like above)
//   Table[Key1/Key2] -                      (the row is deleted)
//
// Keys cannot contain '/' or ']'. Lines of one row are gathered into one change, in the order
// the rows first appear.
#pragma once

#include "msipackage/Outcome.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace msitransform {

struct RowChange
{
    enum class Action
    {
        Update,
        Insert,
        Delete,
    };
    std::string table;
    std::vector<std::string> keys;
    Action action = Action::Update;
    std::vector<std::pair<std::string, std::string>> cells; // column, value
    int line = 0;                                           // where the row first appears
};

class ChangeList
{
public:
    static Outcome<ChangeList> Parse(std::string_view text);
    const std::vector<RowChange>& Rows() const { return m_rows; }

private:
    std::vector<RowChange> m_rows;
};

} // namespace msitransform
