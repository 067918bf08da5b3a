// Product versions as the installer compares them: "major.minor.build" with major and minor
// up to 255 and build up to 65535; a fourth field is ignored.
#pragma once

#include <compare>
#include <optional>
#include <string_view>

namespace installer {

struct ProductVersion
{
    int major = 0;
    int minor = 0;
    int build = 0;

    auto operator<=>(const ProductVersion&) const = default;

    static std::optional<ProductVersion> Parse(std::string_view text);
};

} // namespace installer
