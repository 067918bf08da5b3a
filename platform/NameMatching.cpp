#include "platform/NameMatching.h"

#include <cstddef>

namespace platform {
namespace {

constexpr unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

constexpr bool IsContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the character that starts at `pos`: '?' stands for a whole UTF-8 sequence.
std::size_t CharacterLength(std::string_view text, std::size_t pos)
{
    std::size_t end = pos + 1;
    while (end < text.size() && IsContinuationByte(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    return end - pos;
}

// Greedy match with one remembered star: linear in practice, never exponential.
bool MatchWildcards(std::string_view name, std::string_view mask)
{
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            n += CharacterLength(name, n);
            ++m;
        } else if (m < mask.size() && FoldCase(static_cast<unsigned char>(mask[m])) ==
                                          FoldCase(static_cast<unsigned char>(name[n]))) {
            ++n;
            ++m;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            starName += CharacterLength(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (MatchWildcards(name, mask)) {
        return true;
    }
    constexpr std::string_view anyExtension = ".*";
    return mask.ends_with(anyExtension) &&
           MatchWildcards(name, mask.substr(0, mask.size() - anyExtension.size()));
}

int CompareFolderNames(std::string_view a, std::string_view b)
{
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

} // namespace platform
