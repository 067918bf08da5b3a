#include "formats/joblog/TrayNames.h"

#include "formats/joblog/LogVocabulary.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::int32_t kUnknownTray = 6;

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// From the end: the names of the feed trays differ only in their last character.
bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.rbegin(), a.rend(), b.rbegin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

} // namespace

std::int32_t TrayNameToNumber(std::string_view name)
{
    constexpr std::array<std::string_view, 5> trays = {kLogKeyFeedTray1, kLogKeyFeedTray2,
                                                       kLogKeyFeedTray3, kLogKeyStandardTray,
                                                       kLogKeyHighCapacityFeeder};
    for (std::size_t i = 0; i < trays.size(); ++i) {
        if (EqualsIgnoringCase(name, trays[i])) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return kUnknownTray;
}
