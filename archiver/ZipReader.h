// Reads every entry of a ZIP archive to its end, decrypting and verifying it, and hands the
// entries and their data to a visitor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace archiver {

// Bounds against archives that would fill the disk or run for ever. A job log archive holds
// two files, the largest logs are some hundred megabytes.
struct Limits
{
    uint64_t maxEntries = 256;
    uint64_t maxTotalBytes = uint64_t{1} << 30; // 1 GiB of extracted data in all
};

enum class EntryType
{
    File,
    Directory,
    Link,    // symbolic or hard link
    Special, // device, fifo, socket
};

struct EntryInfo
{
    std::string_view name; // in UTF-8, components separated by '/' as stored
    EntryType type = EntryType::File;
};

// Any non-zero result of a visitor call stops the read and becomes its result.
class EntryVisitor
{
public:
    virtual ~EntryVisitor() = default;
    virtual int BeginEntry(const EntryInfo& entry) = 0;
    virtual int WriteData(const void* data, std::size_t size) = 0;
    // Called once the entry was read to its end and passed its CRC or authentication check.
    virtual int EndEntry() = 0;
};

// kArchiverOk when every entry was read and verified; kArchiverPasswordError when an entry is
// encrypted and `password` is missing, empty or wrong; other ArchiverCommandFn results else.
int ReadZipArchive(const std::string& path, const std::optional<std::string>& password,
                   const Limits& limits, EntryVisitor& visitor);

} // namespace archiver
