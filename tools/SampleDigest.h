// The digest file of a job log: its MD5 as 16 raw bytes, or a deliberately bad one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace samplejob {

enum class DigestKind
{
    Correct,
    Wrong,   // 16 bytes, one bit off
    HexText, // the right digest, but as 32 hexadecimal characters
    Short,   // the first 15 bytes only
};

using Md5Digest = std::array<uint8_t, 16>;

// MD5 of `bytes`; all zero when the digest cannot be computed.
Md5Digest Md5Of(std::string_view bytes);
std::string DigestFileBytes(std::string_view log, DigestKind kind = DigestKind::Correct);

} // namespace samplejob
