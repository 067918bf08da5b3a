// Which entry names may become paths below the destination folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace archiver {

// Splits an entry name into its folder and file components. Refuses (false) an empty name,
// an absolute name, empty, "." or ".." components, components longer than 255 bytes, and
// backslashes, colons (drive letters, alternate streams) and control characters anywhere,
// so no name can reach outside the destination on this system or the one that wrote it.
// One trailing '/' (a folder entry) is allowed.
bool SplitEntryName(std::string_view name, std::vector<std::string>& components);

} // namespace archiver
