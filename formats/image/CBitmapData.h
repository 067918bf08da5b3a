// The image buffer: a top-down bitmap in memory with its header and palette.
#pragma once

#include "formats/common/ProgressTarget.h"
#include "formats/image/PixelBuffer.h"

#include <array>
#include <cstdint>
#include <memory>

namespace formats {

// The 40-byte bitmap header as it is laid out in bitmap files.
struct BitmapInfoHeader
{
    std::uint32_t nSize;
    std::int32_t nWidth;
    std::int32_t nHeight; // negative: rows run top-down
    std::uint16_t nPlanes;
    std::uint16_t nBitCount;
    std::uint32_t nCompression;
    std::uint32_t nSizeImage;
    std::int32_t nXPelsPerMeter;
    std::int32_t nYPelsPerMeter;
    std::uint32_t nClrUsed;
    std::uint32_t nClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct PaletteEntry
{
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t reserved;
};

struct BitmapInfo
{
    BitmapInfoHeader header;
    std::array<PaletteEntry, 256> palette;
};
static_assert(sizeof(BitmapInfo) == 40 + 256 * 4);

} // namespace formats

// Rows start at m_pBits + y * m_nStride, top row first; a 24-bit pixel is blue, green, red; in a
// 4-bit buffer the even pixel of a byte is its high nibble. One thread writes it at a time.
class CBitmapData
{
public:
    CBitmapData() = default;
    virtual ~CBitmapData();
    CBitmapData(const CBitmapData&) = delete;
    CBitmapData& operator=(const CBitmapData&) = delete;

    // Keeps the pixels when the buffer already has this size and bit count; otherwise makes
    // zeroed storage. False, with the buffer empty, for a bit count other than 1, 4, 8 or 24, a
    // size below 1, a row length or total size beyond 32 bits, or storage that cannot be had.
    bool Create(int width, int height, int bitCount);
    void Destroy();
    void Clear();
    // Gives up the storage and header; width, height, bit count and row length stay. The
    // storage goes to the caller, so it is never lost.
    formats::PixelBuffer Detach();

    // Turned copies of a 24-bit buffer (nullptr without storage, for another bit count, or when
    // the copy cannot be made); this buffer is not changed. Progress 0, 50, 80, 100.
    std::unique_ptr<CBitmapData> RotateRight(formats::ProgressTarget* progress) const;
    std::unique_ptr<CBitmapData> RotateLeft(formats::ProgressTarget* progress) const;
    // Turns the buffer half round in place. Progress 0, 1 per exchanged row pair, 100.
    bool Rotate180(formats::ProgressTarget* progress);

    // Place one decoded line of a band into row y of a 4-bit buffer, from byte x / 2 on (an odd
    // x starts at the pixel before it), high nibble first. False, with nothing written, when
    // this is no 4-bit buffer with storage or (x, y) lies outside it.
    // Four 2-bit levels per source byte, filling two bytes; nothing is written past the row.
    bool SetLine2Bit(int x, int y, const std::uint8_t* line, int lineBytes);
    // A bit stream of 3-bit levels, most significant bit first, written two levels to a byte
    // while the pixel position (x, then on by 2) lies below the width. A last level without a
    // partner and bits too few for a level are not written.
    bool SetLine3Bit(int x, int y, const std::uint8_t* line, int lineBytes);
    // The bytes as they are (two levels each), as many as the row holds from byte x / 2 on.
    bool SetLine4Bit(int x, int y, const std::uint8_t* line, int lineBytes);

    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::int32_t m_nBitCount = 1;
    std::int32_t m_nStride = 0;
    std::uint8_t* m_pBits = nullptr;
    std::unique_ptr<formats::BitmapInfo> m_pInfo;

private:
    // Start of the line at (x, y) in a 4-bit buffer, or nullptr when it cannot take one.
    std::uint8_t* LineStart(int x, int y) const;
    std::unique_ptr<CBitmapData> Rotated(bool clockwise, formats::ProgressTarget* progress) const;

    formats::PixelBuffer m_storage; // owns m_pBits
};
