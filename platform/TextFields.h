// A line of text split into its fields, as the passwd format and the installer's records have
// them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The fields between each `separator`, empty ones kept: "a::b" gives "a", "", "b".
inline std::vector<std::string> SplitFields(std::string_view line, char separator)
{
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

} // namespace platform
