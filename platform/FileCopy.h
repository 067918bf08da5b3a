// Copying one file's bytes to another path, as CopyFile and a cross-device MoveFileEx do.
#pragma once

#include <string>

namespace platform {

// Copies the regular file `from` to `to`, replacing a file there (never a link: the copy
// is refused). With `writeThrough` the copy is on disk before the call returns. A failed
// copy leaves no partial file behind.
bool CopyRegularFile(const std::string& from, const std::string& to, bool writeThrough);

// Moves `from` to `to`, replacing a file there: renamed where possible, else copied (on
// disk before the original goes) and the original deleted.
bool MoveFileReplacing(const std::string& from, const std::string& to);

} // namespace platform
