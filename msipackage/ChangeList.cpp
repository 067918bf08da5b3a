#include "msipackage/ChangeList.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <map>

namespace msitransform {

namespace {

Failure LineError(int line, const std::string& what)
{
    return Failure{"change list line " + std::to_string(line) + ": " + what};
}

std::vector<std::string> SplitKeys(std::string_view keys)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = keys.find('/', start);
        parts.emplace_back(keys.substr(start, slash - start));
        if (slash == std::string_view::npos) {
            return parts;
        }
        start = slash + 1;
    }
}

bool IsName(std::string_view name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.';
    });
}

} // namespace

Outcome<ChangeList> ChangeList::Parse(std::string_view text)
{
    if (text.starts_with(platform::kUtf8ByteOrderMark)) {
        text.remove_prefix(platform::kUtf8ByteOrderMark.size());
    }
    if (!platform::IsValidUtf8(text)) {
        return Failure{"change list is not UTF-8"};
    }
    ChangeList list;
    std::map<std::pair<std::string, std::vector<std::string>>, std::size_t> rowIndex;
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::any_of(line.begin(), line.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            return LineError(lineNumber, "control character");
        }
        const std::size_t open = line.find('[');
        const std::size_t close = line.find(']', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            return LineError(lineNumber, "expected Table.Column[keys] = value");
        }
        const std::string_view head = line.substr(0, open);
        const std::string_view rest = line.substr(close + 1);
        const std::size_t dot = head.find('.');
        const std::string table(head.substr(0, dot));
        const std::string column(dot == std::string_view::npos ? "" : head.substr(dot + 1));
        std::vector<std::string> keys = SplitKeys(line.substr(open + 1, close - open - 1));
        if (!IsName(table) || (dot != std::string_view::npos && !IsName(column))) {
            return LineError(lineNumber, "bad table or column name");
        }

        RowChange::Action action = RowChange::Action::Update;
        std::string value;
        if (dot == std::string_view::npos && (rest == " +" || rest == " -")) {
            action = rest == " +" ? RowChange::Action::Insert : RowChange::Action::Delete;
        } else if (dot != std::string_view::npos && (rest == " =" || rest.starts_with(" = "))) {
            value = std::string(rest.substr(std::min<std::size_t>(3, rest.size())));
        } else {
            return LineError(lineNumber, "expected ' = value' after a cell or ' +' or ' -' "
                                         "after a row");
        }

        auto key = std::make_pair(table, keys);
        auto [found, added] = rowIndex.try_emplace(key, list.m_rows.size());
        if (added) {
            list.m_rows.push_back(
                RowChange{table, std::move(keys), RowChange::Action::Update, {}, lineNumber});
        }
        RowChange& row = list.m_rows[found->second];
        if (action != RowChange::Action::Update) {
            if (row.action != RowChange::Action::Update) {
                return LineError(lineNumber, "the row is inserted or deleted twice");
            }
            row.action = action;
        } else {
            const bool repeated =
                std::any_of(row.cells.begin(), row.cells.end(),
                            [&](const auto& cell) { return cell.first == column; });
            if (repeated) {
                return LineError(lineNumber, "the cell " + column + " is changed twice");
            }
            row.cells.emplace_back(column, std::move(value));
        }
        if (row.action == RowChange::Action::Delete && !row.cells.empty()) {
            return LineError(lineNumber, "a deleted row cannot have cells");
        }
    }
    return list;
}

} // namespace msitransform
