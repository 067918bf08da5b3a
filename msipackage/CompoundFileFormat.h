// Constants and little-endian helpers of the compound file format, shared by its reader and
// writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace msitransform::cfb {

inline constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
inline constexpr std::size_t kHeaderDifatEntries = 109;
inline constexpr std::size_t kEntrySize = 128;
inline constexpr std::size_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::size_t kMaxNameUnits = 31; // plus the terminating zero

inline constexpr std::uint8_t kTypeStream = 2;
inline constexpr std::uint8_t kTypeRoot = 5;

inline std::uint16_t Read16(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

inline std::uint32_t Read32(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(Read16(bytes, at)) |
           static_cast<std::uint32_t>(Read16(bytes, at + 2)) << 16;
}

inline void Put16(std::string& out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

inline void Put32(std::string& out, std::size_t at, std::uint32_t value)
{
    Put16(out, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, at + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void Append16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline void Append32(std::string& out, std::uint32_t value)
{
    Append16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Append16(out, static_cast<std::uint16_t>(value >> 16));
}

} // namespace msitransform::cfb
