#include "formats/image/PixelBuffer.h"

#include "platform/MappedFile.h"

#include <cstdlib>
#include <sys/mman.h>
#include <utility>

namespace formats {
namespace {

constexpr std::size_t kHugePageSize = platform::kHugePageSize;
#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer watches only heap blocks: keep every buffer there in checked builds.
constexpr std::size_t kMapThreshold = SIZE_MAX;
#else
// Below this the heap is as quick and wastes no alignment slack.
constexpr std::size_t kMapThreshold = kHugePageSize;
#endif

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
        buffer.m_data = static_cast<std::uint8_t*>(platform::MapHugePageBlock(length));
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
