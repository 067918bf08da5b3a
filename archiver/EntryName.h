// Which entry names may become paths below the destination folder, and how a stored name
// becomes the UTF-8 name that is extracted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace archiver {

// A log archive holds two files and no folder; these bounds leave room for folders of any
// sensible archive while keeping the work of one entry small, whatever its stored name says.
inline constexpr std::size_t kMaxEntryDepth = 8;       // components of one name
inline constexpr std::size_t kMaxEntryNameSize = 1024; // bytes of one name, in UTF-8
inline constexpr std::size_t kMaxComponentSize = 255;  // bytes of one component

// Splits an entry name into its folder and file components. Refuses (false) an empty name,
// an absolute name, empty, "." or ".." components, backslashes, colons (drive letters,
// alternate streams) and control characters anywhere, so no name can reach outside the
// destination on this system or the one that wrote it, and names beyond the bounds above.
// One trailing '/' (a folder entry) is allowed.
bool SplitEntryName(std::string_view name, std::vector<std::string>& components);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates, or code points past
// U+10FFFF).
bool IsUtf8(std::string_view text);

// The UTF-8 name of an entry stored as `stored`. A name flagged as UTF-8 must be well-formed
// (false otherwise). An unflagged name is taken as UTF-8 when it is well-formed, as many
// writers store it so, and else as code page 437, the format's own default.
bool DecodeEntryName(std::string_view stored, bool utf8Flag, std::string& name);

} // namespace archiver
