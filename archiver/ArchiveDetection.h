// Recognising archive files by their content.
#pragma once

#include "archiver/ArchiverApi.h"

#include <string>

namespace archiver {

// The kind of archive in `path`: Zip, Other for the further kinds the reading library knows
// (tar, possibly compressed, 7z, cpio, ISO images and the like), None for anything else.
ArchiveKind DetectArchiveKind(const std::string& path);

} // namespace archiver
