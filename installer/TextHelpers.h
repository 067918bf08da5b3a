// Small text helpers of the installer: GUIDs and property names compared without regard to
// letter case, and property values that list items with ';'.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

inline bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

inline std::string UpperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The non-empty items of a ';'-separated list.
inline std::vector<std::string> SplitList(std::string_view list)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        if (end > start) {
            items.emplace_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return items;
}

} // namespace installer
