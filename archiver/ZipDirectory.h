// A structural check of a ZIP file's directory before anything reads its entries.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace archiver {

// What the audit found out about one entry of the directory.
struct AuditedEntry
{
    std::string name;       // the name to extract under, in UTF-8, as stored ('/' separated)
    bool special = false;   // a stored Unix type other than file or folder (fifo, device, link):
                            // the reading library shows some of them as plain files
    bool delivered = false; // the reading library has handed the entry over
};

// The audited entries, keyed by EntryKey() of the name that the reading library reports.
using AuditedEntries = std::map<std::string, AuditedEntry, std::less<>>;

// The reading library turns backslashes into '/' and adds a '/' to folder names; the key of a
// name is the same with or without either change.
std::string EntryKey(std::string_view reportedName);

// Reads the end record and the central directory of the ZIP file open as `fd`, and each
// entry's local header, the way the reading library finds them, and refuses what it could
// read otherwise: the directory must end right at the end record (or its ZIP64 record), hold
// exactly the entries that record counts and nothing else, and a ZIP64 record must agree with
// the plain one. kArchiverOk and `entries`, or: kArchiverCannotOpen (no readable directory,
// a directory placed otherwise, a split archive), kArchiverLimitExceeded (more than
// `maxEntries` entries), kArchiverUnsafeEntry (a name holding a NUL byte or not decodable, a
// local name that differs from the directory's, or a name that occurs twice),
// kArchiverInternalError (out of memory).
int AuditZipDirectory(int fd, uint64_t maxEntries, AuditedEntries& entries);

} // namespace archiver
