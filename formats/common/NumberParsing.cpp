#include "formats/common/NumberParsing.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kPixelAlignment = 8;
constexpr std::int64_t kTenthsOfMmPerInch = 254;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsUpperHexDigit(char c)
{
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}

std::uint64_t DigitValue(char c)
{
    return IsDigit(c) ? static_cast<std::uint64_t>(c - '0')
                      : static_cast<std::uint64_t>(c - 'A' + 10);
}

std::string_view WithoutLeadingZeros(std::string_view text)
{
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The digits of `text` in `base`, refusing anything else, with overflow found exactly.
int ParseDigits(std::string_view text, std::uint64_t base, bool (*isDigit)(char),
                std::uint64_t& value)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit)) {
        return -1;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t result = 0;
    for (const char c : WithoutLeadingZeros(text)) {
        const std::uint64_t digit = DigitValue(c);
        if (result > (kMax - digit) / base) {
            return -2;
        }
        result = result * base + digit;
    }
    value = result;
    return 0;
}

} // namespace

int MmToPixels(int tenthsOfMm, int dotsPerInch)
{
    if (tenthsOfMm < 0 || dotsPerInch < 0) {
        return 0;
    }
    std::int64_t pixels = std::int64_t{tenthsOfMm} * dotsPerInch / kTenthsOfMmPerInch;
    pixels = (pixels + kPixelAlignment - 1) / kPixelAlignment * kPixelAlignment;
    return pixels > std::numeric_limits<int>::max() ? 0 : static_cast<int>(pixels);
}

bool IsDecimalText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsHexText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsUpperHexDigit);
}

void StripLeadingZeros(std::string& text)
{
    const std::size_t start = (!text.empty() && text.front() == '-') ? 1 : 0;
    const std::size_t first = text.find_first_not_of('0', start);
    text.erase(start, (first == std::string::npos ? text.size() : first) - start);
}

int ParseUInt64(std::string_view text, std::uint64_t& value)
{
    return ParseDigits(text, 10, IsDigit, value);
}

int ParseHexUInt64(std::string_view text, std::uint64_t& value)
{
    return ParseDigits(text, 16, IsUpperHexDigit, value);
}

int ParseUInt32(std::string_view text, std::uint32_t& value)
{
    // A job log parses several fields of every row: one pass, no division.
    if (text.empty()) {
        return -1;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t result = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return -1;
        }
        // Once past the limit it stays past it (and the digits are still checked).
        result = std::min(result * 10 + static_cast<std::uint64_t>(c - '0'), kMax + 1);
    }
    if (result > kMax) {
        return -2;
    }
    value = static_cast<std::uint32_t>(result);
    return 0;
}
