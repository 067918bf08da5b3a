// Strict parsing of unsigned decimal and hexadecimal numbers, and page sizes in pixels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Pixels for `tenthsOfMm` at `dotsPerInch`: size times resolution / 254, truncated, then
// rounded up to a multiple of 8. Computed in 64 bits; 0 when either value is negative or
// when the result would not fit in an int (callers treat 0 as an unusable size).
int MmToPixels(int tenthsOfMm, int dotsPerInch);

// True when every character is '0' to '9' (true for the empty text).
bool IsDecimalText(std::string_view text);
// True when every character is '0' to '9' or 'A' to 'F'; lower case fails (true when empty).
bool IsHexText(std::string_view text);

// Removes leading '0's, keeping a leading '-' in front: "-007" -> "-7", "000" -> "", "-0" -> "-".
void StripLeadingZeros(std::string& text);

// 0 and `value` set on success; -1 not a number (empty, or any character but the digits),
// -2 too large. Any number of leading zeros is accepted. `value` is written only on success.
int ParseUInt32(std::string_view text, std::uint32_t& value);
int ParseUInt64(std::string_view text, std::uint64_t& value);
// Upper-case hexadecimal digits only ("00FF" is 255, "ff" is not a number).
int ParseHexUInt64(std::string_view text, std::uint64_t& value);
