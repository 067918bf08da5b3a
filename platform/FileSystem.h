// Single paths: what they name, their read-only bit, and where the running program lies.
#pragma once

#include <string>

namespace platform {

enum class PathKind
{
    Missing,
    File,  // anything that is not a folder
    Folder // a folder, or a link that leads to one
};

PathKind GetPathKind(const std::string& path);

// Read-only means the owner may not write.
bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);

bool RemoveEmptyFolder(const std::string& path);

// The absolute path of the running program's file.
bool GetExecutablePath(std::string& path);

} // namespace platform
