// The lexical layer of the page-image stream: finding the next command, parsing its
// parameters and passing over its binary payload. Every reader of the stream shares it.
#pragma once

#include "platform/BufferedReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A command's parameter text holds at most this many bytes.
constexpr std::size_t kDornCommandTextSize = 287;
// At most this many parameters per command.
constexpr int kDornMaxParams = 32;

using DornCommandText = std::array<char, kDornCommandTextSize>;
using DornCommandParams = std::array<std::int32_t, kDornMaxParams>;

// Parameter values that are not numbers.
constexpr std::int32_t kDornParamEmpty = 0x7FFFFFFF;    // empty token
constexpr std::int32_t kDornParamInvalid = 0x7FFFFFFE;  // not a number
constexpr std::int32_t kDornParamTooLarge = 0x7FFFFFFD; // magnitude above kDornParamMax
constexpr std::int32_t kDornParamMax = 9999999;

// Results of ScanCommand besides 0.
constexpr int kDornScanReadError = -3;
constexpr int kDornScanEndOfFile = -4;
constexpr int kDornScanTextTooLong = -5;
constexpr int kDornScanBadLetter = -7;

// One scanned command.
struct tagDORNCOMMAND
{
    char cLetter = 0;
    DornCommandParams nParams{};        // entries beyond the parsed count are 0
    int nParamCount = 0;                // -1 when the text had more than kDornMaxParams tokens
    std::vector<std::uint8_t> pPayload; // a payload that a reader keeps; empty otherwise
};

// Finds the next command from the stream's position, passing over every byte before its '?'.
// Gives 0, or kDornScanReadError, kDornScanEndOfFile, kDornScanTextTooLong, kDornScanBadLetter.
// `offset` is the position of the command's '?'; all outputs are cleared first. On success the
// stream stands right after the letter, where a payload starts.
int ScanCommand(platform::BufferedReader& stream, char& letter, DornCommandText& text,
                int& textLength, std::uint64_t& offset);

// Splits the text at ';' into values (see the kDornParam constants). Gives the number of tokens
// (1 to kDornMaxParams), -1 for more tokens, 0 for a negative length. Zeroes `values` first.
int ParseCommandParams(const char* text, int textLength, DornCommandParams& values);

// Scans one command and skips its payload ('B', 'I', 'L', 'R', 'e', 'n'). Sets only the
// record's letter; callers parse the text themselves. False when the scan fails or the
// payload length is missing or negative.
bool ReadCommand(platform::BufferedReader& stream, tagDORNCOMMAND& command, DornCommandText& text,
                 int& textLength, std::uint64_t& offset);

// As ReadCommand, but leaves the stream at the payload of 'I' for the page decoder to read.
bool ReadCommandKeepImage(platform::BufferedReader& stream, tagDORNCOMMAND& command,
                          DornCommandText& text, int& textLength, std::uint64_t& offset);
