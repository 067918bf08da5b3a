// File modes in the package's cabinet: a payload file that must install as an executable
// carries the cabinet's "execute" attribute (0x40), which Windows ignores and our installer
// turns into mode 0755. wixl writes no such attribute, so the cabinet is written again.
#pragma once

#include "msipackage/Outcome.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace msitransform {

inline constexpr std::uint32_t kCabinetExecutable = 0x40;

// The same cabinet (names, order, contents, dates, compression) with the execute attribute set
// exactly on the entries named in `executables`.
Outcome<std::string> MarkExecutables(std::string_view cabinet,
                                     const std::set<std::string>& executables);
// Each entry's attributes by its name.
Outcome<std::map<std::string, std::uint32_t>> ReadCabinetAttributes(std::string_view cabinet);

} // namespace msitransform
