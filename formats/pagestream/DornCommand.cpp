#include "formats/pagestream/DornCommand.h"

#include <algorithm>
#include <string_view>

namespace {

int ReadFailure(const platform::BufferedReader& stream)
{
    return stream.Error() ? kDornScanReadError : kDornScanEndOfFile;
}

bool IsCommandLetter(int c)
{
    return (c >= 0x40 && c <= 0x7E) || c == '#';
}

std::int32_t ConvertToken(std::string_view token)
{
    if (token.empty()) {
        return kDornParamEmpty;
    }
    const bool negative = token.front() == '-';
    std::string_view digits = negative ? token.substr(1) : token;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return kDornParamInvalid;
        }
    }
    // Leading zeros carry no magnitude, so any number of them is fine.
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    digits = firstSignificant == std::string_view::npos ? std::string_view()
                                                        : digits.substr(firstSignificant);
    if (digits.size() > 7) {
        return kDornParamTooLarge;
    }
    std::int32_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The parameter that gives the payload length of `letter`, or -1 when it has no payload.
int PayloadParamIndex(char letter, bool keepImage)
{
    switch (letter) {
    case 'I':
        return keepImage ? -1 : 3;
    case 'B':
    case 'L':
        return 3;
    case 'R':
        return 1;
    case 'e':
    case 'n':
        return 0;
    default:
        return -1;
    }
}

bool ReadCommandImpl(platform::BufferedReader& stream, tagDORNCOMMAND& command,
                     DornCommandText& text, int& textLength, std::uint64_t& offset, bool keepImage)
{
    const int result = ScanCommand(stream, command.cLetter, text, textLength, offset);
    if (result != 0) {
        return false;
    }
    const int index = PayloadParamIndex(command.cLetter, keepImage);
    if (index < 0) {
        return true;
    }
    DornCommandParams params;
    const int count = ParseCommandParams(text.data(), textLength, params);
    if (count <= index) {
        return false;
    }
    const std::int32_t length = params[static_cast<std::size_t>(index)];
    if (length < 0) {
        return false;
    }
    // Special values are large and positive: they carry the position past the end, so the
    // next scan ends with kDornScanEndOfFile.
    return stream.Skip(static_cast<std::uint64_t>(length));
}

} // namespace

int ScanCommand(platform::BufferedReader& stream, char& letter, DornCommandText& text,
                int& textLength, std::uint64_t& offset)
{
    text.fill(0);
    letter = 0;
    textLength = 0;
    offset = 0;
    if (stream.AtEnd()) {
        return kDornScanEndOfFile;
    }
    if (stream.SkipPast('?') < 0) {
        return ReadFailure(stream);
    }
    offset = stream.Tell() - 1;

    int c = stream.GetByte();
    if (c < 0) {
        return ReadFailure(stream);
    }
    if (c == '<') {
        // Inside the text '?' and '<' are ordinary bytes; the first '>' ends it.
        std::size_t length = 0;
        for (;;) {
            c = stream.GetByte();
            if (c < 0) {
                return ReadFailure(stream);
            }
            if (c == '>') {
                break;
            }
            if (length == text.size()) {
                return kDornScanTextTooLong;
            }
            text[length++] = static_cast<char>(c);
            textLength = static_cast<int>(length);
        }
        c = stream.GetByte();
        if (c < 0) {
            return ReadFailure(stream);
        }
    }
    if (!IsCommandLetter(c)) {
        return kDornScanBadLetter;
    }
    letter = static_cast<char>(c);
    return 0;
}

int ParseCommandParams(const char* text, int textLength, DornCommandParams& values)
{
    values.fill(0);
    if (textLength < 0) {
        return 0;
    }
    const std::string_view all(text, static_cast<std::size_t>(textLength));
    int count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(all.find(';', start), all.size());
        if (count == kDornMaxParams) {
            return -1;
        }
        values[static_cast<std::size_t>(count++)] = ConvertToken(all.substr(start, end - start));
        if (end == all.size()) {
            return count;
        }
        start = end + 1;
    }
}

bool ReadCommand(platform::BufferedReader& stream, tagDORNCOMMAND& command, DornCommandText& text,
                 int& textLength, std::uint64_t& offset)
{
    return ReadCommandImpl(stream, command, text, textLength, offset, false);
}

bool ReadCommandKeepImage(platform::BufferedReader& stream, tagDORNCOMMAND& command,
                          DornCommandText& text, int& textLength, std::uint64_t& offset)
{
    return ReadCommandImpl(stream, command, text, textLength, offset, true);
}
