// The plain way to read the stream, kept as the reference: stdio with a 512-byte buffer, one
// getc per byte and a relative seek over each payload. The buffered reader must give exactly
// what this gives.
#pragma once

#include "formats/pagestream/DornCommand.h"

#include <cstdint>
#include <cstdio>

namespace getc_road {

inline std::FILE* Open(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file != nullptr) {
        std::setvbuf(file, nullptr, _IOFBF, 512);
    }
    return file;
}

inline int ScanCommand(std::FILE* stream, char& letter, DornCommandText& text, int& textLength,
                       std::uint64_t& offset)
{
    text.fill(0);
    letter = 0;
    textLength = 0;
    offset = 0;
    if (std::feof(stream)) {
        return -4;
    }
    bool started = false;
    bool inText = false;
    int readAfter = 0;
    for (;;) {
        const int c = std::getc(stream);
        if (c == EOF) {
            return std::ferror(stream) ? -3 : -4;
        }
        if (!started) {
            if (c == '?') {
                offset = static_cast<std::uint64_t>(::ftello(stream)) - 1;
                text.fill(0);
                textLength = 0;
                started = true;
                readAfter = 0;
            }
            continue;
        }
        const int index = readAfter++;
        if (index == 0 && c == '<') {
            inText = true;
            continue;
        }
        if (inText) {
            if (c == '>') {
                inText = false;
                continue;
            }
            if (textLength == 287) {
                return -5;
            }
            text[static_cast<std::size_t>(textLength++)] = static_cast<char>(c);
            continue;
        }
        if ((c >= 0x40 && c <= 0x7E) || c == '#') {
            letter = static_cast<char>(c);
            return 0;
        }
        return -7;
    }
}

inline bool ReadCommand(std::FILE* stream, tagDORNCOMMAND& command, DornCommandText& text,
                        int& textLength, std::uint64_t& offset, bool keepImage = false)
{
    if (ScanCommand(stream, command.cLetter, text, textLength, offset) != 0) {
        return false;
    }
    int index = -1;
    switch (command.cLetter) {
    case 'B':
    case 'L':
        index = 3;
        break;
    case 'I':
        index = keepImage ? -1 : 3;
        break;
    case 'R':
        index = 1;
        break;
    case 'e':
    case 'n':
        index = 0;
        break;
    default:
        break;
    }
    if (index < 0) {
        return true;
    }
    DornCommandParams params;
    const int count = ParseCommandParams(text.data(), textLength, params);
    if (count == -1 || count <= index) {
        return false;
    }
    const std::int32_t length = params[static_cast<std::size_t>(index)];
    if (length < 0) {
        return false;
    }
    return ::fseeko(stream, length, SEEK_CUR) == 0;
}

} // namespace getc_road
