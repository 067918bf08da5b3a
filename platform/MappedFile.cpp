#include "platform/MappedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// glibc's own top pad, which AdviseHeapGrowth sets back.
constexpr int kDefaultTopPad = 128 << 10;

std::size_t RoundUp(std::size_t size)
{
    return (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
}

} // namespace

void* MapHugePageBlock(std::size_t length)
{
    // Over-map by one huge page, then trim both ends so the block starts on a boundary.
    void* raw = ::mmap(nullptr, length + kHugePageSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::size_t head = RoundUp(start) - start;
    char* block = static_cast<char*>(raw) + head;
    if (head != 0) {
        ::munmap(raw, head);
    }
    ::munmap(block + length, kHugePageSize - head);
    ::madvise(block, length, MADV_HUGEPAGE); // only advice: failure leaves normal pages
    return block;
}

void AdviseHeapGrowth(std::size_t bytes)
{
    // The sanitizer's allocator has a heap of its own.
    if (kAddressSanitizer || bytes < kHugePageSize) {
        return;
    }
    const std::size_t most = (bytes + kHeapGrowthPiece - 1) / kHeapGrowthPiece + 1;
    std::vector<void*> pieces;
    try {
        pieces.reserve(most);
    } catch (const std::bad_alloc&) {
        return;
    }
    // With the pad, the first piece that the free memory cannot hold grows the heap by all of
    // `bytes` at once, and only the allocator's headers touch the new memory before the advice.
    const int pad = static_cast<int>(std::min<std::size_t>(bytes, std::numeric_limits<int>::max()));
    auto* const before = static_cast<char*>(::sbrk(0));
    char* after = before;
    ::mallopt(M_TOP_PAD, pad);
    while (after == before && pieces.size() < most) {
        void* piece = std::malloc(kHeapGrowthPiece);
        if (piece == nullptr) {
            break;
        }
        pieces.push_back(piece);
        after = static_cast<char*>(::sbrk(0));
    }
    ::mallopt(M_TOP_PAD, kDefaultTopPad);
    if (after > before) {
        const std::uintptr_t start = RoundUp(reinterpret_cast<std::uintptr_t>(before));
        const std::uintptr_t end =
            reinterpret_cast<std::uintptr_t>(after) / kHugePageSize * kHugePageSize;
        if (start < end) {
            ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        }
    }
    for (void* piece : pieces) {
        std::free(piece);
    }
}

MappedFile::~MappedFile()
{
    Release();
}

void MappedFile::StopPrefault()
{
    m_stopPrefault = true;
    if (m_prefault.joinable()) {
        m_prefault.join();
    }
}

void MappedFile::Release()
{
    StopPrefault();
    if (m_region != nullptr) {
        ::munmap(m_region, m_regionSize);
    }
    m_region = nullptr;
    m_regionSize = 0;
    m_heap.reset();
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
            std::numeric_limits<std::size_t>::max() - 2 * kHugePageSize) {
        return false;
    }
    m_size = static_cast<std::size_t>(info.st_size);
    if (m_size == 0) {
        return true;
    }
    m_fd = fd;
    // Small files gain nothing from a huge page. The sanitizer watches heap blocks only: there
    // it sees every read past the bytes.
    if (kAddressSanitizer || m_size < kHugePageSize) {
        m_heap.reset(new (std::nothrow) char[m_size]);
        m_data = m_heap.get();
    } else {
        m_regionSize = RoundUp(m_size);
        m_region = MapHugePageBlock(m_regionSize);
        m_data = static_cast<char*>(m_region);
        // The last, partly used huge page would hold up to 2 MiB of nothing.
        const std::size_t whole = m_size / kHugePageSize * kHugePageSize;
        if (m_data != nullptr && whole < m_regionSize) {
            ::madvise(m_data + whole, m_regionSize - whole, MADV_NOHUGEPAGE);
        }
        // The blocks are read next. Their first touches cost more than reading into them: they
        // are taken on a thread of their own beside the reads, a block at a time, until the
        // reading ends or fails. Prefaulting changes no byte.
        if (m_data != nullptr) {
            m_stopPrefault = false;
            try {
                m_prefault = std::thread([data = m_data, size = m_size, stop = &m_stopPrefault] {
                    for (std::size_t at = 0; at < size && !*stop; at += kBlockSize) {
                        ::madvise(data + at, std::min(kBlockSize, size - at), MADV_POPULATE_WRITE);
                    }
                });
            } catch (const std::system_error&) {
                // Then the reads fault the pages in themselves.
            }
        }
    }
    if (m_data == nullptr) {
        Release();
        return false;
    }
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
            StopPrefault();
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    m_read += done;
    if (m_read == m_size) {
        StopPrefault();
        m_fd = -1;
        if (m_region != nullptr) {
            ::mprotect(m_region, m_regionSize, PROT_READ);
        }
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
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t length = page > 0 ? std::min(offset, m_read) / page * page : 0;
    if (m_region != nullptr && length > 0) {
        ::madvise(m_region, length, MADV_DONTNEED);
    }
}

} // namespace platform
