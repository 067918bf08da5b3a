#include "formats/image/PixelBuffer.h"

#include <cstdlib>
#include <sys/mman.h>
#include <utility>

namespace formats {
namespace {

constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer watches only heap blocks: keep every buffer there in checked builds.
constexpr std::size_t kMapThreshold = SIZE_MAX;
#else
// Below this the heap is as quick and wastes no alignment slack.
constexpr std::size_t kMapThreshold = kHugePageSize;
#endif

std::uint8_t* MapAligned(std::size_t length)
{
    // Over-map by one huge page, then trim both ends so the block starts on a boundary.
    const std::size_t padded = length + kHugePageSize;
    void* raw = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::size_t head = aligned - start;
    const std::size_t tail = padded - head - length;
    if (head != 0) {
        ::munmap(raw, head);
    }
    if (tail != 0) {
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    auto* block = reinterpret_cast<std::uint8_t*>(aligned);
    ::madvise(block, length, MADV_HUGEPAGE); // only advice: failure leaves normal pages
    return block;
}

} // namespace

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_mappedLength(std::exchange(other.m_mappedLength, 0))
{}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mappedLength = std::exchange(other.m_mappedLength, 0);
    }
    return *this;
}

PixelBuffer PixelBuffer::Allocate(std::size_t bytes)
{
    PixelBuffer buffer;
    if (bytes == 0) {
        return buffer;
    }
    if (bytes >= kMapThreshold) {
        if (bytes > SIZE_MAX - 2 * kHugePageSize) {
            return buffer;
        }
        const std::size_t length = (bytes + kHugePageSize - 1) & ~(kHugePageSize - 1);
        buffer.m_data = MapAligned(length);
        if (buffer.m_data != nullptr) {
            buffer.m_mappedLength = length;
        }
    } else {
        buffer.m_data = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    }
    if (buffer.m_data != nullptr) {
        buffer.m_size = bytes;
    }
    return buffer;
}

void PixelBuffer::Reset()
{
    if (m_data != nullptr) {
        if (m_mappedLength != 0) {
            ::munmap(m_data, m_mappedLength);
        } else {
            std::free(m_data);
        }
    }
    m_data = nullptr;
    m_size = 0;
    m_mappedLength = 0;
}

} // namespace formats
