#include "platform/MappedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Fresh memory costs most at its first touch; in huge pages that is several times cheaper.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t size)
{
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

MappedFile::~MappedFile()
{
    Release();
}

void MappedFile::Release()
{
    if (m_region != nullptr) {
        ::munmap(m_region, m_regionSize);
    }
    m_region = nullptr;
    m_regionSize = 0;
    m_data = nullptr;
    m_size = 0;
    m_read = 0;
    m_fd = -1;
    m_failed = false;
}

bool MappedFile::Open(std::FILE* stream)
{
    Release();
    const int fd = stream != nullptr ? ::fileno(stream) : -1;
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uintmax_t>(info.st_size) >
            std::numeric_limits<std::size_t>::max() - 2 * kHugePage) {
        return false;
    }
    m_size = static_cast<std::size_t>(info.st_size);
    if (m_size == 0) {
        return true;
    }
    m_fd = fd;
    // Address space for all of it, aligned to a huge page; memory comes only as it is read.
    const std::size_t length = RoundUp(m_size);
    void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) {
        Release();
        return false;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::size_t head = RoundUp(start) - start;
    char* aligned = static_cast<char*>(raw) + head;
    if (head > 0) {
        ::munmap(raw, head);
    }
    ::munmap(aligned + length, kHugePage - head);
    m_region = aligned;
    m_regionSize = length;
    ::madvise(m_region, m_regionSize, MADV_HUGEPAGE);
    m_data = aligned;
    return true;
}

bool MappedFile::ReadBlock(std::size_t most)
{
    if (m_fd < 0 || m_failed || m_read >= m_size) {
        return false;
    }
    const std::size_t want = std::min(std::max<std::size_t>(most, 1), m_size - m_read);
    std::size_t done = 0;
    while (done < want) {
        const ssize_t got =
            ::pread(m_fd, m_data + m_read + done, want - done, static_cast<off_t>(m_read + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_failed = true; // a read error, or the file shrank since it was measured
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    m_read += done;
    if (m_read == m_size) {
        m_fd = -1;
        ::mprotect(m_region, m_regionSize, PROT_READ);
    }
    return true;
}

bool MappedFile::Load(std::FILE* stream)
{
    if (!Open(stream)) {
        return false;
    }
    while (ReadBlock()) {
    }
    if (!IsComplete()) {
        Release();
        return false;
    }
    return true;
}

bool MappedFile::HasSizeOf(std::FILE* stream) const
{
    struct stat info = {};
    return stream != nullptr && ::fstat(::fileno(stream), &info) == 0 &&
           static_cast<std::uintmax_t>(info.st_size) == m_size;
}

void MappedFile::DropBefore(std::size_t offset)
{
    const std::size_t length = std::min(offset, m_read) / kHugePage * kHugePage;
    if (m_region != nullptr && length > 0) {
        ::madvise(m_region, length, MADV_DONTNEED);
    }
}

} // namespace platform
