// A structural check of a ZIP file's directory before anything reads its entries.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace archiver {

// Reads the end record and the central directory of the ZIP file open as `fd`, and each
// entry's local header name. kArchiverOk, or: kArchiverCannotOpen (no readable directory,
// split archive), kArchiverLimitExceeded (more than `maxEntries` entries),
// kArchiverUnsafeEntry (a name holding a NUL byte, a local name that differs from the
// directory's, or a name that occurs twice), kArchiverInternalError (out of memory).
// `specialNames` receives the names whose stored Unix type is neither file nor folder: the
// reading library shows some of them (fifos) as plain files.
int AuditZipDirectory(int fd, uint64_t maxEntries, std::set<std::string>& specialNames);

} // namespace archiver
