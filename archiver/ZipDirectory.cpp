// The reading library keeps names only up to a NUL byte and takes them from either header, so
// the raw names are checked here first, every size against the file before it is used.
#include "archiver/ZipDirectory.h"

#include "archiver/ArchiverApi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
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
};

// Finds the last end record whose comment fits in the file.
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
        if (Read32(p) == kEndSignature && i + kEndSize + Read16(p + 20) <= tailSize) {
            endOffset = fileSize - tailSize + i;
            std::memcpy(record, p, kEndSize);
            return true;
        }
    }
    return false;
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
    directory.entries = Read16(end + 10);
    directory.size = Read32(end + 12);
    directory.offset = Read32(end + 16);
    if (disk != 0 || directoryDisk != 0 || diskEntries != directory.entries) {
        return false; // split archives are not supported
    }

    unsigned char locator[kEnd64LocatorSize];
    if (endOffset >= kEnd64LocatorSize &&
        ReadAt(fd, endOffset - kEnd64LocatorSize, locator, sizeof locator) &&
        Read32(locator) == kEnd64LocatorSignature) {
        const uint64_t end64Offset = Read64(locator + 8);
        unsigned char end64[kEnd64Size];
        if (Read32(locator + 4) != 0 || Read32(locator + 16) > 1 || end64Offset > endOffset ||
            !ReadAt(fd, end64Offset, end64, sizeof end64) || Read32(end64) != kEnd64Signature ||
            Read32(end64 + 16) != 0 || Read32(end64 + 20) != 0 ||
            Read64(end64 + 24) != Read64(end64 + 32)) {
            return false;
        }
        directory.entries = Read64(end64 + 32);
        directory.size = Read64(end64 + 40);
        directory.offset = Read64(end64 + 48);
    }
    return directory.offset <= fileSize && directory.size <= fileSize - directory.offset;
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

int AuditEntries(int fd, uint64_t fileSize, const Directory& directory,
                 std::set<std::string>& specialNames)
{
    std::vector<unsigned char> records(static_cast<std::size_t>(directory.size));
    if (!ReadAt(fd, directory.offset, records.data(), records.size())) {
        return kArchiverCannotOpen;
    }
    std::set<std::string, std::less<>> names;
    std::vector<unsigned char> localName;
    uint64_t pos = 0;
    for (uint64_t i = 0; i < directory.entries; ++i) {
        if (directory.size - pos < kDirectoryRecordSize) {
            return kArchiverCannotOpen;
        }
        const unsigned char* record = records.data() + pos;
        const uint16_t nameSize = Read16(record + 28);
        const uint16_t extraSize = Read16(record + 30);
        const uint16_t commentSize = Read16(record + 32);
        const uint64_t recordSize = kDirectoryRecordSize + nameSize + extraSize + commentSize;
        if (Read32(record) != kDirectorySignature || directory.size - pos < recordSize) {
            return kArchiverCannotOpen;
        }
        const std::string_view name(reinterpret_cast<const char*>(record) + kDirectoryRecordSize,
                                    nameSize);
        if (name.find('\0') != std::string_view::npos) {
            return kArchiverUnsafeEntry;
        }

        uint64_t localOffset = 0;
        unsigned char local[kLocalHeaderSize];
        if (!LocalHeaderOffset(record, record + kDirectoryRecordSize + nameSize, extraSize,
                               localOffset) ||
            localOffset > fileSize || fileSize - localOffset < kLocalHeaderSize + nameSize ||
            !ReadAt(fd, localOffset, local, sizeof local) || Read32(local) != kLocalSignature) {
            return kArchiverCannotOpen;
        }
        localName.resize(Read16(local + 26));
        if (localName.size() != nameSize ||
            !ReadAt(fd, localOffset + kLocalHeaderSize, localName.data(), localName.size()) ||
            !std::equal(localName.begin(), localName.end(), name.begin())) {
            return kArchiverUnsafeEntry;
        }
        if (!names.emplace(WithoutTrailingSlash(name)).second) {
            return kArchiverUnsafeEntry;
        }
        if (HasSpecialUnixType(record)) {
            specialNames.emplace(name);
        }
        pos += recordSize;
    }
    return kArchiverOk;
}

} // namespace

int AuditZipDirectory(int fd, uint64_t maxEntries, std::set<std::string>& specialNames)
{
    specialNames.clear();
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
        return AuditEntries(fd, fileSize, directory, specialNames);
    } catch (const std::bad_alloc&) {
        return kArchiverInternalError;
    }
}

} // namespace archiver
