#include "archiver/ZipReader.h"

#include "archiver/ArchiverApi.h"
#include "archiver/ZipDirectory.h"

#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <clocale>
#include <fcntl.h>
#include <locale.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace archiver {
namespace {

constexpr std::size_t kReadBlockSize = 64 * 1024;

// Entry names flagged as UTF-8 are converted to the current locale; in the "C" locale that
// fails for every non-ASCII name. This thread reads in a UTF-8 locale while the call runs.
class ScopedUtf8Locale
{
public:
    ScopedUtf8Locale()
    {
        m_locale = ::newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (m_locale != static_cast<locale_t>(nullptr)) {
            m_previous = ::uselocale(m_locale);
        }
    }
    ~ScopedUtf8Locale()
    {
        if (m_locale != static_cast<locale_t>(nullptr)) {
            ::uselocale(m_previous);
            ::freelocale(m_locale);
        }
    }
    ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
    ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

private:
    locale_t m_locale{};
    locale_t m_previous{};
};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

struct ArchiveDeleter
{
    void operator()(struct archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<struct archive, ArchiveDeleter>;

EntryType TypeOf(struct archive_entry* entry)
{
    if (archive_entry_hardlink(entry) != nullptr) {
        return EntryType::Link;
    }
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
        return EntryType::File;
    case AE_IFDIR:
        return EntryType::Directory;
    case AE_IFLNK:
        return EntryType::Link;
    default:
        return EntryType::Special;
    }
}

// Reads the current entry to its end; the library checks the CRC (and the authentication
// code of AES entries) only there, so a wrong password shows at the latest at the end.
// Data beyond the entry's declared size is refused at once: the library would go on
// inflating a bomb that understates its size until the total bound.
int ReadEntryData(struct archive* a, bool encrypted, std::optional<uint64_t> declared,
                  const Limits& limits, uint64_t& total, std::array<char, kReadBlockSize>& block,
                  EntryVisitor& visitor)
{
    uint64_t entryBytes = 0;
    for (;;) {
        const la_ssize_t n = archive_read_data(a, block.data(), block.size());
        if (n == 0) {
            return kArchiverOk;
        }
        if (n < 0) {
            return encrypted ? kArchiverPasswordError : kArchiverDamagedData;
        }
        const auto size = static_cast<uint64_t>(n);
        if (declared.has_value() && size > *declared - entryBytes) {
            // With a wrong key the data inflates to anything.
            return encrypted ? kArchiverPasswordError : kArchiverDamagedData;
        }
        entryBytes += size;
        if (size > limits.maxTotalBytes - total) {
            return kArchiverLimitExceeded;
        }
        total += size;
        if (const int result = visitor.WriteData(block.data(), static_cast<std::size_t>(n));
            result != kArchiverOk) {
            return result;
        }
    }
}

// Hands over the entry the library reports as `name` under its audited name; the audit has
// seen every entry the library reads, so an unknown or repeated one means the two disagree.
int TakeAuditedEntry(AuditedEntries& audited, struct archive_entry* entry, EntryInfo& info)
{
    const char* name = archive_entry_pathname(entry);
    if (name == nullptr) {
        return kArchiverUnsafeEntry;
    }
    const auto found = audited.find(EntryKey(name));
    if (found == audited.end() || found->second.delivered) {
        return kArchiverCannotOpen;
    }
    found->second.delivered = true;
    info = {found->second.name, found->second.special ? EntryType::Special : TypeOf(entry)};
    return kArchiverOk;
}

int ReadEntries(struct archive* a, bool havePassword, const Limits& limits, AuditedEntries& audited,
                EntryVisitor& visitor)
{
    auto block = std::make_unique<std::array<char, kReadBlockSize>>();
    uint64_t entries = 0;
    uint64_t total = 0;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int header = archive_read_next_header(a, &entry);
        if (header == ARCHIVE_EOF) {
            return entries == audited.size() ? kArchiverOk : kArchiverCannotOpen;
        }
        if (header != ARCHIVE_OK && header != ARCHIVE_WARN) {
            return kArchiverCannotOpen;
        }
        if (++entries > limits.maxEntries) {
            return kArchiverLimitExceeded;
        }
        EntryInfo info;
        if (const int result = TakeAuditedEntry(audited, entry, info); result != kArchiverOk) {
            return result;
        }
        const bool encrypted = archive_entry_is_encrypted(entry) != 0;
        if (encrypted && !havePassword) {
            return kArchiverPasswordError;
        }
        std::optional<uint64_t> declared;
        if (archive_entry_size_is_set(entry) != 0) {
            // A 64-bit size beyond the signed range arrives negative: too large as well.
            declared = static_cast<uint64_t>(archive_entry_size(entry));
            if (*declared > limits.maxTotalBytes - total) {
                return kArchiverLimitExceeded;
            }
        }
        if (const int result = visitor.BeginEntry(info); result != kArchiverOk) {
            return result;
        }
        if (const int result =
                ReadEntryData(a, encrypted, declared, limits, total, *block, visitor);
            result != kArchiverOk) {
            return result;
        }
        if (const int result = visitor.EndEntry(); result != kArchiverOk) {
            return result;
        }
    }
}

} // namespace

int ReadZipArchive(const std::string& path, const std::optional<std::string>& password,
                   const Limits& limits, EntryVisitor& visitor)
{
    // Non-blocking, so a fifo in place of the archive cannot hang the call; the audit then
    // refuses everything but a regular file, where the flag changes nothing.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        return kArchiverCannotOpen;
    }
    AuditedEntries audited;
    if (const int audit = AuditZipDirectory(file.Get(), limits.maxEntries, audited);
        audit != kArchiverOk) {
        return audit;
    }

    const ScopedUtf8Locale utf8;
    ArchivePtr a(archive_read_new());
    if (!a || archive_read_support_format_zip_seekable(a.get()) != ARCHIVE_OK) {
        return kArchiverInternalError;
    }
    // The library refuses an empty passphrase; such a password opens no encrypted entry.
    const bool havePassword = password.has_value() && !password->empty();
    if (havePassword && archive_read_add_passphrase(a.get(), password->c_str()) != ARCHIVE_OK) {
        return kArchiverInternalError;
    }
    // The audit left the descriptor at offset 0 (it reads with pread).
    if (archive_read_open_fd(a.get(), file.Get(), kReadBlockSize) != ARCHIVE_OK) {
        return kArchiverCannotOpen;
    }
    return ReadEntries(a.get(), havePassword, limits, audited, visitor);
}

} // namespace archiver
