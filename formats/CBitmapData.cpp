#include "formats/CBitmapData.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr std::int64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();
constexpr int kTile = 64; // pixels per side of a rotation tile; two tiles stay in L1

// Row length in bytes, a multiple of 4, or -1 for a bit count we do not make.
std::int64_t RowLength(std::int64_t width, int bitCount)
{
    std::int64_t bytes = 0;
    switch (bitCount) {
    case 1:
        bytes = (width + 7) / 8;
        break;
    case 4:
        bytes = (width + 1) / 2;
        break;
    case 8:
        bytes = width;
        break;
    case 24:
        bytes = 3 * width;
        break;
    default:
        return -1;
    }
    return (bytes + 3) / 4 * 4;
}

void WritePalette(formats::BitmapInfo& info, int bitCount)
{
    info.palette = {};
    if (bitCount == 1) {
        info.palette[1] = {255, 255, 255, 0};
        return;
    }
    for (int i = 0; i < 256; ++i) {
        const auto grey = static_cast<std::uint8_t>(255 - i);
        info.palette[i] = {grey, grey, grey, 0};
    }
}

// Copies a pixel with one four-byte move; the byte after it is overwritten with whatever
// follows the source pixel, so the caller writes pixels from left to right.
inline void CopyPixelWide(std::uint8_t* to, const std::uint8_t* from)
{
    std::uint32_t value;
    std::memcpy(&value, from, 4);
    std::memcpy(to, &value, 4);
}

// Writes `to` (the turned `from`) in tiles, each target row from left to right. Clockwise,
// target pixel (c, r) is source pixel (r, height - 1 - c); counter-clockwise it is
// (width - 1 - r, c). Four-byte moves are used except where they would read past the source
// (its last column) or write into the next target row (the target's last column).
template <bool clockwise>
void TurnQuarter(const CBitmapData& from, CBitmapData& to)
{
    const int rows = to.m_nHeight;   // = from.m_nWidth
    const int columns = to.m_nWidth; // = from.m_nHeight
    const std::ptrdiff_t fromStride = from.m_nStride;
    const std::ptrdiff_t step = clockwise ? -fromStride : fromStride; // per target column
    const int narrowRow = clockwise ? rows - 1 : 0; // reads the source's last column
    for (int r0 = 0; r0 < rows; r0 += kTile) {
        const int r1 = std::min(rows, r0 + kTile);
        for (int c0 = 0; c0 < columns; c0 += kTile) {
            const int c1 = std::min(columns, c0 + kTile);
            const int wideEnd = c1 == columns ? c1 - 1 : c1;
            for (int r = r0; r < r1; ++r) {
                std::uint8_t* target = to.m_pBits + r * std::ptrdiff_t{to.m_nStride} + 3 * c0;
                const int x = clockwise ? r : from.m_nWidth - 1 - r;
                const int y = clockwise ? from.m_nHeight - 1 - c0 : c0;
                const std::uint8_t* source = from.m_pBits + y * fromStride + 3 * x;
                int c = c0;
                if (r != narrowRow) {
                    for (; c < wideEnd; ++c, target += 3, source += step) {
                        CopyPixelWide(target, source);
                    }
                }
                for (; c < c1; ++c, target += 3, source += step) {
                    std::memcpy(target, source, 3);
                }
            }
        }
    }
}

} // namespace

CBitmapData::~CBitmapData()
{
    Destroy();
}

bool CBitmapData::Create(int width, int height, int bitCount)
{
    if (m_pBits != nullptr && m_nBitCount == bitCount && m_nWidth == width && m_nHeight == height) {
        return true;
    }
    Destroy();
    if (width < 1 || height < 1) {
        return false;
    }
    const std::int64_t stride = RowLength(width, bitCount);
    if (stride < 0 || stride > kMaxBytes || stride * height > kMaxBytes) {
        return false;
    }
    const auto imageSize = static_cast<std::uint32_t>(stride * height);

    std::unique_ptr<formats::BitmapInfo> info(new (std::nothrow) formats::BitmapInfo{});
    if (!info) {
        return false;
    }
    info->header = {sizeof(formats::BitmapInfoHeader),
                    width,
                    -height,
                    1,
                    static_cast<std::uint16_t>(bitCount),
                    0,
                    imageSize,
                    0,
                    0,
                    0,
                    0};
    WritePalette(*info, bitCount);

    formats::PixelBuffer storage = formats::PixelBuffer::Allocate(imageSize);
    if (storage.Empty()) {
        return false;
    }
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = bitCount;
    m_nStride = static_cast<std::int32_t>(stride);
    m_pBits = storage.Data();
    m_pInfo = std::move(info);
    m_storage = std::move(storage);
    return true;
}

void CBitmapData::Destroy()
{
    m_storage.Reset();
    m_pInfo.reset();
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
    m_nBitCount = 1;
    m_nStride = 0;
}

void CBitmapData::Clear()
{
    if (m_pBits != nullptr) {
        std::memset(m_pBits, 0, static_cast<std::size_t>(m_nStride) * m_nHeight);
    }
}

formats::PixelBuffer CBitmapData::Detach()
{
    m_pBits = nullptr;
    m_pInfo.reset();
    return std::move(m_storage);
}

std::unique_ptr<CBitmapData> CBitmapData::RotateRight(formats::ProgressTarget* progress) const
{
    return Rotated(true, progress);
}

std::unique_ptr<CBitmapData> CBitmapData::RotateLeft(formats::ProgressTarget* progress) const
{
    return Rotated(false, progress);
}

std::unique_ptr<CBitmapData> CBitmapData::Rotated(bool clockwise,
                                                  formats::ProgressTarget* progress) const
{
    formats::PostProgress(progress, 0);
    std::unique_ptr<CBitmapData> turned;
    // Three bytes are copied per pixel, so only a 24-bit buffer can be turned.
    if (m_pBits != nullptr && m_nBitCount == 24) {
        turned.reset(new (std::nothrow) CBitmapData);
        if (turned && !turned->Create(m_nHeight, m_nWidth, m_nBitCount)) {
            turned.reset();
        }
    }
    if (turned) {
        formats::PostProgress(progress, 50);
        if (clockwise) {
            TurnQuarter<true>(*this, *turned);
        } else {
            TurnQuarter<false>(*this, *turned);
        }
        formats::PostProgress(progress, 80);
    }
    formats::PostProgress(progress, 100);
    return turned;
}

bool CBitmapData::Rotate180(formats::ProgressTarget* progress)
{
    formats::PostProgress(progress, 0);
    if (m_pBits == nullptr) {
        return false;
    }
    const std::size_t stride = m_nStride;
    const bool reversePixels = m_nBitCount == 24;
    const int width = m_nWidth;
    auto reverseRow = [width](std::uint8_t* row) {
        for (int i = 0, j = width - 1; i < j; ++i, --j) {
            std::swap_ranges(row + 3 * i, row + 3 * i + 3, row + 3 * j);
        }
    };
    for (int y = 0, other = m_nHeight - 1; y < other; ++y, --other) {
        std::uint8_t* const top = m_pBits + y * stride;
        std::uint8_t* const bottom = m_pBits + other * stride;
        if (reversePixels) {
            // Exchange and reverse in one pass: top pixel i meets bottom pixel width - 1 - i.
            for (int i = 0; i < width; ++i) {
                std::swap_ranges(top + 3 * i, top + 3 * i + 3, bottom + 3 * (width - 1 - i));
            }
        } else {
            std::swap_ranges(top, top + stride, bottom);
        }
        formats::PostProgress(progress, 1);
    }
    if (reversePixels && m_nHeight % 2 == 1) {
        reverseRow(m_pBits + (m_nHeight / 2) * stride);
    }
    formats::PostProgress(progress, 100);
    return true;
}
