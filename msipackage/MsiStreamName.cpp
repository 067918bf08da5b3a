#include "msipackage/MsiStreamName.h"

namespace msitransform {

namespace {

constexpr char16_t kTableMarker = 0x4840;
constexpr char16_t kPairBase = 0x3800;   // two packed characters
constexpr char16_t kSingleBase = 0x4800; // one packed character
constexpr std::string_view kAlphabet =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz._";

int Code(char c)
{
    const std::size_t at = kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

std::u16string EncodeTableStreamName(std::string_view table)
{
    std::u16string stored(1, kTableMarker);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int first = Code(table[i]);
        if (first < 0) {
            stored.push_back(static_cast<char16_t>(static_cast<unsigned char>(table[i])));
            continue;
        }
        const int second = i + 1 < table.size() ? Code(table[i + 1]) : -1;
        if (second < 0) {
            stored.push_back(static_cast<char16_t>(kSingleBase + first));
            continue;
        }
        stored.push_back(static_cast<char16_t>(kPairBase + first + (second << 6)));
        ++i;
    }
    return stored;
}

std::optional<std::string> DecodeTableStreamName(std::u16string_view stored)
{
    if (stored.empty() || stored.front() != kTableMarker) {
        return std::nullopt;
    }
    std::string table;
    for (const char16_t unit : stored.substr(1)) {
        if (unit >= kPairBase && unit < kSingleBase) {
            table.push_back(kAlphabet[(unit - kPairBase) & 0x3F]);
            table.push_back(kAlphabet[((unit - kPairBase) >> 6) & 0x3F]);
        } else if (unit >= kSingleBase && unit < kSingleBase + 0x40) {
            table.push_back(kAlphabet[unit - kSingleBase]);
        } else if (unit > 0 && unit < 0x80) {
            table.push_back(static_cast<char>(unit));
        } else {
            return std::nullopt;
        }
    }
    return table;
}

} // namespace msitransform
