#include "platform/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

constexpr std::uint32_t kNotUtf8 = 0xFFFFFFFF;

// Decodes the sequence at `pos`, moves `pos` past it; kNotUtf8 (one byte consumed) when the
// bytes there are not well-formed.
std::uint32_t DecodeAt(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kNotUtf8;
    }
    if (text.size() - pos < length) {
        ++pos;
        return kNotUtf8;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kNotUtf8;
        }
        value = (value << 6) | (c & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kNotUtf8;
    }
    pos += length;
    return value;
}

// Sort key of one character in UTF-16 order: U+E000..U+FFFF move above the supplementary
// planes, whose surrogate units sort below them.
std::uint64_t Utf16Key(std::uint32_t codePoint, unsigned char rawByte)
{
    if (codePoint == kNotUtf8) {
        return 0x300000u + rawByte;
    }
    if (codePoint >= 0xE000 && codePoint <= 0xFFFF) {
        return codePoint + 0x200000u;
    }
    return codePoint;
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Plain ASCII dominates job logs: test eight bytes at a time.
        while (text.size() - pos >= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + pos, sizeof word);
            if ((word & 0x8080808080808080ull) != 0) {
                break;
            }
            pos += 8;
        }
        if (pos >= text.size()) {
            break;
        }
        if (DecodeAt(text, pos) == kNotUtf8) {
            return false;
        }
    }
    return true;
}

int CompareUtf16Order(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned char rawA = static_cast<unsigned char>(a[i]);
        const unsigned char rawB = static_cast<unsigned char>(b[j]);
        const std::uint64_t keyA = Utf16Key(DecodeAt(a, i), rawA);
        const std::uint64_t keyB = Utf16Key(DecodeAt(b, j), rawB);
        if (keyA != keyB) {
            return keyA < keyB ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

} // namespace platform
