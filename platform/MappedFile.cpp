#include "platform/MappedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

MappedFile::~MappedFile()
{
    Release();
}

void MappedFile::Release()
{
    if (m_mapping != nullptr) {
        ::munmap(m_mapping, m_size);
        m_mapping = nullptr;
    }
    m_copy.reset();
    m_data = nullptr;
    m_size = 0;
}

void MappedFile::DropBefore(std::size_t offset)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (m_mapping == nullptr || page == 0) {
        return;
    }
    const std::size_t length = std::min(offset, m_size) / page * page;
    if (length > 0) {
        ::madvise(m_mapping, length, MADV_DONTNEED);
    }
}

bool MappedFile::Load(std::FILE* stream, FileLoad how)
{
    Release();
    if (stream == nullptr) {
        return false;
    }
    const int fd = ::fileno(stream);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uintmax_t>(info.st_size) > std::numeric_limits<std::size_t>::max()) {
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        return true;
    }
    if (how == FileLoad::Map) {
        void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapping != MAP_FAILED) {
            m_mapping = mapping;
            m_data = static_cast<const char*>(mapping);
            m_size = size;
            return true;
        }
    }
    std::unique_ptr<char[]> copy;
    try {
        copy = std::make_unique_for_overwrite<char[]>(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, copy.get() + done, size - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break; // the file shrank since it was measured: keep what is there
        }
        done += static_cast<std::size_t>(got);
    }
    m_copy = std::move(copy);
    m_data = m_copy.get();
    m_size = done;
    return true;
}

} // namespace platform
