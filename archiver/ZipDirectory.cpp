// The reading library keeps names only up to a NUL byte, takes them from the local header (or
// its Unicode path field) and finds the directory by its own rules, so the raw names are
// checked here first, every size against the file before it is used, and the directory is
// accepted only where the library's rules and the end record's word give the same place.
#include "archiver/ZipDirectory.h"

#include "archiver/ArchiverApi.h"
#include "archiver/EntryName.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace archiver {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kEnd64Signature = 0x06064b50;
constexpr uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr uint32_t kDirectorySignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint64_t kEndSize = 22;
constexpr uint64_t kEnd64Size = 56;
constexpr uint64_t kEnd64LocatorSize = 20;
constexpr uint64_t kDirectoryRecordSize = 46;
constexpr uint64_t kLocalHeaderSize = 30;
constexpr uint64_t kMaxCommentSize = 0xFFFF;
constexpr uint64_t kMaxDirectoryRecord = kDirectoryRecordSize + 3 * 0xFFFF;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint16_t kUnicodePathExtraId = 0x7075;
constexpr uint16_t kUtf8NameFlag = 1 << 11;
constexpr unsigned kUnixHost = 3;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixFile = 0100000;
constexpr uint32_t kUnixFolder = 0040000;

uint16_t Read16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Read64(const unsigned char* p)
{
    return static_cast<uint64_t>(Read32(p)) | (static_cast<uint64_t>(Read32(p + 4)) << 32);
}

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        table[n] = c;
    }
    return table;
}

uint32_t Crc32(std::string_view bytes)
{
    static constexpr std::array<uint32_t, 256> kTable = MakeCrcTable();
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc = kTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

// Reads exactly `size` bytes at `offset`; false on a short read or an error.
bool ReadAt(int fd, uint64_t offset, unsigned char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        buffer += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

struct Directory
{
    uint64_t entries = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t end = 0; // where the end record (or the ZIP64 end record) starts
};

// The last end record signature in the file's tail, which is the one the reading library
// takes; it must be whole, its comment inside the file.
bool FindEndRecord(int fd, uint64_t fileSize, uint64_t& endOffset, unsigned char* record)
{
    if (fileSize < kEndSize) {
        return false;
    }
    const uint64_t tailSize = std::min(fileSize, kEndSize + kMaxCommentSize);
    std::vector<unsigned char> tail(static_cast<std::size_t>(tailSize));
    if (!ReadAt(fd, fileSize - tailSize, tail.data(), tail.size())) {
        return false;
    }
    for (uint64_t i = tailSize - kEndSize + 1; i-- > 0;) {
        const unsigned char* p = tail.data() + i;
        if (Read32(p) == kEndSignature) {
            endOffset = fileSize - tailSize + i;
            std::memcpy(record, p, kEndSize);
            return i + kEndSize + Read16(p + 20) <= tailSize;
        }
    }
    return false;
}

// A field of the plain end record holds the ZIP64 marker or the same value as the ZIP64 one.
bool Agrees(uint64_t plain, uint64_t marker, uint64_t zip64)
{
    return plain == marker || plain == zip64;
}

// Takes the ZIP64 end record in place of the plain one when its locator stands right before.
bool ReadZip64Place(int fd, uint64_t endOffset, Directory& directory)
{
    unsigned char locator[kEnd64LocatorSize];
    if (endOffset < kEnd64LocatorSize ||
        !ReadAt(fd, endOffset - kEnd64LocatorSize, locator, sizeof locator) ||
        Read32(locator) != kEnd64LocatorSignature) {
        return true;
    }
    const uint64_t end64Offset = Read64(locator + 8);
    unsigned char end64[kEnd64Size];
    if (Read32(locator + 4) != 0 || Read32(locator + 16) != 1 ||
        end64Offset > endOffset - kEnd64LocatorSize ||
        !ReadAt(fd, end64Offset, end64, sizeof end64) || Read32(end64) != kEnd64Signature ||
        Read32(end64 + 16) != 0 || Read32(end64 + 20) != 0 ||
        Read64(end64 + 24) != Read64(end64 + 32)) {
        return false;
    }
    const uint64_t entries = Read64(end64 + 32);
    const uint64_t size = Read64(end64 + 40);
    const uint64_t offset = Read64(end64 + 48);
    if (!Agrees(directory.entries, 0xFFFF, entries) || !Agrees(directory.size, 0xFFFFFFFF, size) ||
        !Agrees(directory.offset, 0xFFFFFFFF, offset)) {
        return false;
    }
    directory = {entries, offset, size, end64Offset};
    return true;
}

bool ReadDirectoryPlace(int fd, uint64_t fileSize, Directory& directory)
{
    uint64_t endOffset = 0;
    unsigned char end[kEndSize];
    if (!FindEndRecord(fd, fileSize, endOffset, end)) {
        return false;
    }
    const uint16_t disk = Read16(end + 4);
    const uint16_t directoryDisk = Read16(end + 6);
    const uint16_t diskEntries = Read16(end + 8);
    directory = {Read16(end + 10), Read32(end + 16), Read32(end + 12), endOffset};
    if (disk != 0 || directoryDisk != 0 || diskEntries != directory.entries) {
        return false; // split archives are not supported
    }
    if (!ReadZip64Place(fd, endOffset, directory)) {
        return false;
    }
    // The library looks for the directory right before its end, not at the declared offset.
    return directory.offset <= directory.end && directory.size == directory.end - directory.offset;
}

// The local header offset, from the ZIP64 extra field when the record holds its marker.
bool LocalHeaderOffset(const unsigned char* record, const unsigned char* extra, uint16_t extraSize,
                       uint64_t& offset)
{
    offset = Read32(record + 42);
    if (offset != 0xFFFFFFFF) {
        return true;
    }
    for (uint32_t pos = 0; pos + 4 <= extraSize;) {
        const uint16_t id = Read16(extra + pos);
        const uint16_t size = Read16(extra + pos + 2);
        if (pos + 4 + size > extraSize) {
            return false;
        }
        if (id == kZip64ExtraId) {
            // The 64-bit values present are those whose 32-bit fields hold the marker, in order.
            uint32_t field = 0;
            field += Read32(record + 24) == 0xFFFFFFFF ? 8 : 0;
            field += Read32(record + 20) == 0xFFFFFFFF ? 8 : 0;
            if (field + 8 > size) {
                return false;
            }
            offset = Read64(extra + pos + 4 + field);
            return true;
        }
        pos += 4 + size;
    }
    return false;
}

// The name the library reports for a local header: the last Unicode path field of its extra
// data whose check value matches the stored name, else the stored name. False when the extra
// data overruns itself, which the library refuses.
bool ReportedName(std::string_view stored, const std::vector<unsigned char>& extra,
                  std::string& reported, bool& fromUnicodeField)
{
    reported.assign(stored);
    fromUnicodeField = false;
    for (std::size_t pos = 0; pos + 4 <= extra.size();) {
        const uint16_t id = Read16(extra.data() + pos);
        const uint16_t size = Read16(extra.data() + pos + 2);
        if (size > extra.size() - pos - 4) {
            return false;
        }
        // Version byte, check value (CRC-32 of the stored name), the name in UTF-8.
        if (id == kUnicodePathExtraId && size >= 5 &&
            Read32(extra.data() + pos + 5) == Crc32(stored)) {
            reported.assign(reinterpret_cast<const char*>(extra.data()) + pos + 9, size - 5u);
            fromUnicodeField = true;
        }
        pos += 4 + size;
    }
    return true;
}

std::string_view WithoutTrailingSlash(std::string_view name)
{
    if (!name.empty() && name.back() == '/') {
        name.remove_suffix(1);
    }
    return name;
}

bool HasSpecialUnixType(const unsigned char* record)
{
    const unsigned host = Read16(record + 4) >> 8;
    const uint32_t type = (Read32(record + 38) >> 16) & kUnixTypeMask;
    return host == kUnixHost && type != 0 && type != kUnixFile && type != kUnixFolder;
}

// Checks one directory record's local header and works out its names; kArchiverOk and
// `reported` (the library's name) and `entry`, or a failure result.
int AuditEntry(int fd, uint64_t fileSize, const unsigned char* record, std::string& reported,
               AuditedEntry& entry)
{
    const uint16_t nameSize = Read16(record + 28);
    const uint16_t extraSize = Read16(record + 30);
    const std::string_view name(reinterpret_cast<const char*>(record) + kDirectoryRecordSize,
                                nameSize);
    if (name.find('\0') != std::string_view::npos) {
        return kArchiverUnsafeEntry;
    }
    uint64_t localOffset = 0;
    unsigned char local[kLocalHeaderSize];
    if (!LocalHeaderOffset(record, record + kDirectoryRecordSize + nameSize, extraSize,
                           localOffset) ||
        localOffset > fileSize || fileSize - localOffset < kLocalHeaderSize ||
        !ReadAt(fd, localOffset, local, sizeof local) || Read32(local) != kLocalSignature) {
        return kArchiverCannotOpen;
    }
    const uint64_t localNameAt = localOffset + kLocalHeaderSize;
    std::vector<unsigned char> localName(Read16(local + 26));
    std::vector<unsigned char> localExtra(Read16(local + 28));
    if (fileSize - localNameAt < localName.size() + localExtra.size() ||
        !ReadAt(fd, localNameAt, localName.data(), localName.size()) ||
        !ReadAt(fd, localNameAt + localName.size(), localExtra.data(), localExtra.size())) {
        return kArchiverCannotOpen;
    }
    if (localName.size() != nameSize ||
        (nameSize > 0 && std::memcmp(localName.data(), name.data(), nameSize) != 0)) {
        return kArchiverUnsafeEntry;
    }
    bool fromUnicodeField = false;
    if (!ReportedName(name, localExtra, reported, fromUnicodeField)) {
        return kArchiverCannotOpen;
    }
    if (fromUnicodeField) {
        if (reported.find('\0') != std::string::npos || !IsUtf8(reported)) {
            return kArchiverUnsafeEntry;
        }
        entry.name = reported;
    } else if (!DecodeEntryName(name, (Read16(record + 8) & kUtf8NameFlag) != 0, entry.name)) {
        return kArchiverUnsafeEntry;
    }
    entry.special = HasSpecialUnixType(record);
    return kArchiverOk;
}

int AuditEntries(int fd, uint64_t fileSize, const Directory& directory, AuditedEntries& entries)
{
    std::vector<unsigned char> records(static_cast<std::size_t>(directory.size));
    if (!ReadAt(fd, directory.offset, records.data(), records.size())) {
        return kArchiverCannotOpen;
    }
    std::set<std::string, std::less<>> names;
    uint64_t pos = 0;
    for (uint64_t i = 0; i < directory.entries; ++i) {
        if (directory.size - pos < kDirectoryRecordSize) {
            return kArchiverCannotOpen;
        }
        const unsigned char* record = records.data() + pos;
        const uint64_t recordSize =
            kDirectoryRecordSize + Read16(record + 28) + Read16(record + 30) + Read16(record + 32);
        if (Read32(record) != kDirectorySignature || directory.size - pos < recordSize) {
            return kArchiverCannotOpen;
        }
        std::string reported;
        AuditedEntry entry;
        if (const int result = AuditEntry(fd, fileSize, record, reported, entry);
            result != kArchiverOk) {
            return result;
        }
        if (!names.emplace(WithoutTrailingSlash(entry.name)).second ||
            !entries.emplace(EntryKey(reported), std::move(entry)).second) {
            return kArchiverUnsafeEntry;
        }
        pos += recordSize;
    }
    // Anything after the counted records would be read by the library as more entries.
    return pos == directory.size ? kArchiverOk : kArchiverCannotOpen;
}

} // namespace

std::string EntryKey(std::string_view reportedName)
{
    std::string key(reportedName);
    std::replace(key.begin(), key.end(), '\\', '/');
    if (!key.empty() && key.back() == '/') {
        key.pop_back();
    }
    return key;
}

int AuditZipDirectory(int fd, uint64_t maxEntries, AuditedEntries& entries)
{
    entries.clear();
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return kArchiverCannotOpen;
    }
    const auto fileSize = static_cast<uint64_t>(info.st_size);
    try {
        Directory directory;
        if (!ReadDirectoryPlace(fd, fileSize, directory)) {
            return kArchiverCannotOpen;
        }
        if (directory.entries > maxEntries) {
            return kArchiverLimitExceeded;
        }
        // Checked against the entry count before the directory is read into memory.
        const uint64_t countBound = std::numeric_limits<uint64_t>::max() / kMaxDirectoryRecord;
        if (directory.size > std::min(directory.entries, countBound) * kMaxDirectoryRecord) {
            return kArchiverCannotOpen;
        }
        return AuditEntries(fd, fileSize, directory, entries);
    } catch (const std::bad_alloc&) {
        return kArchiverInternalError;
    }
}

} // namespace archiver
