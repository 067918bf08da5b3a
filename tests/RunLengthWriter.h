// A test-side writer of the bands' run-length code: repeats of two or more units become repeat
// runs (at most 129 units), everything else literal runs (at most 128 units).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Encodes `plain` in units of `unit` bytes (1, or 3 for eight 3-bit levels); its size must be a
// multiple of the unit.
inline Bytes EncodeRuns(const Bytes& plain, std::size_t unit = 1)
{
    if (unit == 0 || plain.size() % unit != 0) {
        throw std::invalid_argument("size is no multiple of the unit");
    }
    const std::size_t units = plain.size() / unit;
    auto same = [&](std::size_t a, std::size_t b) {
        return std::memcmp(plain.data() + a * unit, plain.data() + b * unit, unit) == 0;
    };
    Bytes coded;
    std::size_t i = 0;
    while (i < units) {
        std::size_t repeat = 1;
        while (i + repeat < units && repeat < 129 && same(i, i + repeat)) {
            ++repeat;
        }
        if (repeat >= 2) {
            coded.push_back(static_cast<std::uint8_t>(257 - repeat));
            coded.insert(coded.end(), plain.begin() + i * unit, plain.begin() + (i + 1) * unit);
            i += repeat;
            continue;
        }
        std::size_t literal = 1;
        while (i + literal < units && literal < 128 &&
               !(i + literal + 1 < units && same(i + literal, i + literal + 1))) {
            ++literal;
        }
        coded.push_back(static_cast<std::uint8_t>(literal - 1));
        coded.insert(coded.end(), plain.begin() + i * unit, plain.begin() + (i + literal) * unit);
        i += literal;
    }
    return coded;
}
