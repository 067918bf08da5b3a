// Test-side pieces of page-image streams that the generator will not write: commands with
// any parameter text, origins anywhere, and raster bands of any plane number whose lines are
// written as level digits ("12F0": one level per hexadecimal digit).
#pragma once

#include "tools/RunLengthCoding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The generator's run-length code over a byte vector, in units of one or three bytes.
inline Bytes EncodeRuns(const Bytes& plain, std::size_t unit = 1)
{
    std::string coded;
    if (unit == 3) {
        samplejob::EncodeRun24(plain.data(), plain.size(), coded);
    } else {
        samplejob::EncodeRunBytes(plain.data(), plain.size(), coded);
    }
    return Bytes(coded.begin(), coded.end());
}

inline std::string Command(std::string_view params, char letter)
{
    return "?<" + std::string(params) + ">" + letter;
}

inline std::string Origin(int x, int y)
{
    return Command(std::to_string(x) + ";" + std::to_string(y), 'X');
}

// Packs level digits at `bits` bits per level (2, 3 or 4), most significant bit first; the
// last byte is filled with zero bits.
inline Bytes PackLevels(std::string_view levels, int bits)
{
    Bytes packed;
    int used = 8;
    for (const char digit : levels) {
        const int level = std::stoi(std::string(1, digit), nullptr, 16);
        for (int b = bits - 1; b >= 0; --b) {
            if (used == 8) {
                packed.push_back(0);
                used = 0;
            }
            packed.back() |= static_cast<std::uint8_t>((level >> b & 1) << (7 - used++));
        }
    }
    return packed;
}

// An 'I' command with its data as it stands (for broken bands).
inline std::string RawBand(int plane, int bytesPerLine, int lines, const Bytes& data)
{
    return Command(std::to_string(plane) + ";" + std::to_string(bytesPerLine) + ";" +
                       std::to_string(lines) + ";" + std::to_string(data.size()),
                   'I') +
           std::string(data.begin(), data.end());
}

// A band of equally long lines at `bits` bits per level, run-length coded in units of three
// bytes for 3-bit levels, else of one byte.
inline std::string Band(int plane, const std::vector<std::string>& lines, int bits = 4)
{
    Bytes plain;
    int bytesPerLine = 0;
    for (const std::string& line : lines) {
        const Bytes packed = PackLevels(line, bits);
        bytesPerLine = static_cast<int>(packed.size());
        plain.insert(plain.end(), packed.begin(), packed.end());
    }
    return RawBand(plane, bytesPerLine, static_cast<int>(lines.size()),
                   EncodeRuns(plain, bits == 3 ? 3 : 1));
}
