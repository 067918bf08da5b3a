// Single paths: what they name, their read-only bit, and where the running program lies.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class PathKind
{
    Missing,
    File,  // anything that is not a folder
    Folder // a folder, or a link that leads to one
};

PathKind GetPathKind(const std::string& path);

// True for a plain file (links followed): devices and pipes could block or never end.
bool IsRegularFile(const std::string& path);

// Read-only means the owner may not write.
bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);

bool RemoveEmptyFolder(const std::string& path);

// The whole of `path` when it is a regular file of at most `limit` bytes, read to its end.
// Opened without blocking, so a pipe or device planted under the name cannot hang the reader;
// with `followLinks` false a link is refused.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         bool followLinks = true);

// Writes `path` through `write` into a temporary file beside it (a short name of its own, so
// that any name the folder allows can be replaced), which takes the path's place only when
// every byte reached the disk: a failed write leaves what was there before. A link is written
// through; a file that exists keeps its permissions and is refused when its owner may not
// write it (root too) or the caller may not; a new one gets 0644.
bool ReplaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write);
bool ReplaceFile(const std::string& path, std::string_view bytes);

// The absolute path of the running program's file.
bool GetExecutablePath(std::string& path);

} // namespace platform
