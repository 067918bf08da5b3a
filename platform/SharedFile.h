// Opening files with a share mode: readers that deny writers, and writers that deny everyone.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens `path` with the stdio `mode` and keeps writers of this program out while it is open
// (a shared advisory lock). Fails (nullptr) when a writer holds the file, and for anything
// but a plain file: a pipe or a device is refused without waiting on it.
std::FILE* OpenDenyWrite(const std::string& path, const char* mode);

// Opens `path` with the stdio `mode` for writing, refusing while any deny-write reader or
// other writer of this program has it open (an exclusive advisory lock).
std::FILE* OpenExclusive(const std::string& path, const char* mode);

} // namespace platform
