// Text in the Windows code pages that installer string pools use, to and from UTF-8.
#pragma once

#include "msipackage/Outcome.h"

#include <string>
#include <string_view>

namespace msitransform {

// The code pages of the ten installation languages, and 0 (neutral: 7-bit ASCII only).
bool IsKnownCodePage(int codePage);
// Fails when a character has no form in the code page (never substitutes one).
Outcome<std::string> FromUtf8(std::string_view utf8, int codePage);
Outcome<std::string> ToUtf8(std::string_view bytes, int codePage);

} // namespace msitransform
