// UTF-8 text: validation and the one ordering that sorts UTF-8 as UTF-16 code units would.
#pragma once

#include <string_view>

namespace platform {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// True when `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogate halves, nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

// Orders UTF-8 texts as their UTF-16 forms compare unit by unit (characters above U+FFFF sort
// before U+E000..U+FFFF there). Bytes that are not UTF-8 sort after every character, by value.
// Negative, zero or positive like strcmp.
int CompareUtf16Order(std::string_view a, std::string_view b);

} // namespace platform
