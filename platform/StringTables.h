// String tables by language id. Each language's table is an embedded resource of type
// "RT_STRING" whose id is the language id: UTF-8 lines "<string id>=<text>", where "\n" in the
// text stands for a line break and "\\" for a backslash.
#pragma once

#include <string>

namespace platform {

inline constexpr unsigned kNeutralLanguageId = 0;
inline constexpr unsigned kEnglishLanguageId = 0x0409;

// String `id` in language `languageId`: empty when that language has no table or its table no
// such string (no other language is tried). The neutral language id 0 reads the English table.
std::string LoadLanguageString(unsigned id, unsigned languageId);

} // namespace platform
