// Folder entry names as the viewer expects them: wildcard masks that ignore letter case, and
// one fixed listing order, so that every listing comes out the same on every machine.
#pragma once

#include <string_view>

namespace platform {

// True when `name` matches `mask` as a whole. '*' stands for any run of characters, '?' for
// exactly one; letters match without regard to case (ASCII letters; other characters match
// exactly). A mask ending in ".*" also matches names without that dotted tail, so "*.*"
// matches every name.
bool MatchesMask(std::string_view name, std::string_view mask);

// The listing order: names compared without regard to ASCII letter case, ties broken by
// their bytes. Negative, zero or positive like strcmp.
int CompareFolderNames(std::string_view a, std::string_view b);

} // namespace platform
