#include "installer/ProductVersion.h"

#include <array>
#include <charconv>

namespace installer {

std::optional<ProductVersion> ProductVersion::Parse(std::string_view text)
{
    constexpr std::array<int, 4> kLimits = {255, 255, 65535, 65535};
    std::array<int, 4> fields = {0, 0, 0, 0};
    std::size_t count = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        int value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (count == fields.size() || part.empty() || error != std::errc() ||
            end != part.data() + part.size() || value < 0 || value > kLimits[count]) {
            return std::nullopt;
        }
        fields[count++] = value;
        if (dot == std::string_view::npos) {
            break;
        }
        text.remove_prefix(dot + 1);
    }
    return ProductVersion{fields[0], fields[1], fields[2]};
}

} // namespace installer
