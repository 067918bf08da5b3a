// Zero-filled storage for pixel buffers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace formats {

// Owns a block of zeroed bytes. Large blocks are mapped on 2 MiB boundaries and advised for
// transparent huge pages: the first write to fresh memory costs far more than the pixel work,
// and huge pages cut that cost several times over.
class PixelBuffer
{
public:
    PixelBuffer() = default;
    ~PixelBuffer() { Reset(); }
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    // `bytes` zeroed bytes, or an empty buffer when they cannot be had (or `bytes` is 0).
    static PixelBuffer Allocate(std::size_t bytes);

    std::uint8_t* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_data == nullptr; }
    void Reset();

private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_mappedLength = 0; // 0 when the block came from the heap
};

} // namespace formats
