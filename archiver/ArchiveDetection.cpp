#include "archiver/ArchiveDetection.h"

#include <archive.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace archiver {
namespace {

struct ArchiveDeleter
{
    void operator()(struct archive* a) const { archive_read_free(a); }
};

// Only filters built into the library: the others would start external programs.
bool SupportKnownKinds(struct archive* a)
{
    using Support = int (*)(struct archive*);
    constexpr Support kSupports[] = {
        archive_read_support_format_zip,     archive_read_support_format_tar,
        archive_read_support_format_7zip,    archive_read_support_format_cpio,
        archive_read_support_format_iso9660, archive_read_support_format_rar,
        archive_read_support_format_rar5,    archive_read_support_format_cab,
        archive_read_support_format_lha,     archive_read_support_format_ar,
        archive_read_support_filter_gzip,    archive_read_support_filter_bzip2,
        archive_read_support_filter_xz,
    };
    for (const Support support : kSupports) {
        if (support(a) != ARCHIVE_OK) {
            return false;
        }
    }
    return true;
}

ArchiveKind DetectOpenFile(int fd)
{
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return ArchiveKind::None;
    }
    const std::unique_ptr<struct archive, ArchiveDeleter> a(archive_read_new());
    if (!a || !SupportKnownKinds(a.get()) ||
        archive_read_open_fd(a.get(), fd, 64 * 1024) != ARCHIVE_OK) {
        return ArchiveKind::None;
    }
    struct archive_entry* entry = nullptr;
    const int header = archive_read_next_header(a.get(), &entry);
    if (header != ARCHIVE_OK && header != ARCHIVE_WARN && header != ARCHIVE_EOF) {
        return ArchiveKind::None;
    }
    const int format = archive_format(a.get()) & ARCHIVE_FORMAT_BASE_MASK;
    if (format == 0) {
        return ArchiveKind::None;
    }
    return format == ARCHIVE_FORMAT_ZIP ? ArchiveKind::Zip : ArchiveKind::Other;
}

} // namespace

ArchiveKind DetectArchiveKind(const std::string& path)
{
    // Regular files only, opened without blocking so that a fifo cannot hang the call.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return ArchiveKind::None;
    }
    const ArchiveKind kind = DetectOpenFile(fd);
    ::close(fd);
    return kind;
}

} // namespace archiver
