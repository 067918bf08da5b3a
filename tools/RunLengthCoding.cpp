#include "tools/RunLengthCoding.h"

#include <cstring>

namespace samplejob {
namespace {

constexpr size_t kMaxLiteral = 128;
constexpr size_t kMaxRepeat = 129;

// Greedy coder over units of `unit` bytes: runs of three or more equal units repeat, the rest
// go out as literals.
void Encode(const uint8_t* data, size_t units, size_t unit, std::string& out)
{
    auto same = [&](size_t a, size_t b) {
        return std::memcmp(data + a * unit, data + b * unit, unit) == 0;
    };
    auto repeatLength = [&](size_t at) {
        size_t length = 1;
        while (at + length < units && length < kMaxRepeat && same(at, at + length)) {
            ++length;
        }
        return length;
    };
    size_t i = 0;
    while (i < units) {
        const size_t repeat = repeatLength(i);
        if (repeat >= 3 || (repeat == 2 && i + 2 == units)) {
            out += static_cast<char>(257 - repeat);
            out.append(reinterpret_cast<const char*>(data + i * unit), unit);
            i += repeat;
            continue;
        }
        size_t literal = 0;
        while (i + literal < units && literal < kMaxLiteral &&
               (literal == 0 || repeatLength(i + literal) < 3)) {
            ++literal;
        }
        out += static_cast<char>(literal - 1);
        out.append(reinterpret_cast<const char*>(data + i * unit), literal * unit);
        i += literal;
    }
}

} // namespace

void EncodeRunBytes(const uint8_t* data, size_t size, std::string& out)
{
    Encode(data, size, 1, out);
}

void EncodeRun24(const uint8_t* data, size_t size, std::string& out)
{
    Encode(data, size / 3, 3, out);
}

} // namespace samplejob
