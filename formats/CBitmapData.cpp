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

void WritePalette(platform::BitmapInfo& info, int bitCount)
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

void CopyPixel24(std::uint8_t* to, const std::uint8_t* from)
{
    std::memcpy(to, from, 3);
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

    std::unique_ptr<platform::BitmapInfo> info(new (std::nothrow) platform::BitmapInfo{});
    if (!info) {
        return false;
    }
    info->header = {sizeof(platform::BitmapInfoHeader),
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

    platform::PixelBuffer storage = platform::PixelBuffer::Allocate(imageSize);
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

platform::PixelBuffer CBitmapData::Detach()
{
    m_pBits = nullptr;
    m_pInfo.reset();
    return std::move(m_storage);
}

std::unique_ptr<CBitmapData> CBitmapData::RotateRight(platform::ProgressTarget* progress) const
{
    return Rotated(true, progress);
}

std::unique_ptr<CBitmapData> CBitmapData::RotateLeft(platform::ProgressTarget* progress) const
{
    return Rotated(false, progress);
}

std::unique_ptr<CBitmapData> CBitmapData::Rotated(bool clockwise,
                                                  platform::ProgressTarget* progress) const
{
    platform::PostProgress(progress, 0);
    std::unique_ptr<CBitmapData> turned;
    // Three bytes are copied per pixel, so only a 24-bit buffer can be turned.
    if (m_pBits != nullptr && m_nBitCount == 24) {
        turned.reset(new (std::nothrow) CBitmapData);
        if (turned && !turned->Create(m_nHeight, m_nWidth, m_nBitCount)) {
            turned.reset();
        }
    }
    if (turned) {
        platform::PostProgress(progress, 50);
        const int width = m_nWidth;
        const int height = m_nHeight;
        const std::size_t fromStride = m_nStride;
        const std::size_t toStride = turned->m_nStride;
        std::uint8_t* const to = turned->m_pBits;
        // Tiles keep both the source rows and the target rows of a block in the cache.
        for (int y0 = 0; y0 < height; y0 += kTile) {
            const int y1 = std::min(height, y0 + kTile);
            for (int x0 = 0; x0 < width; x0 += kTile) {
                const int x1 = std::min(width, x0 + kTile);
                for (int x = x0; x < x1; ++x) {
                    // Right: (x, y) -> (height - 1 - y, x). Left: (x, y) -> (y, width - 1 - x).
                    std::uint8_t* const row = to + (clockwise ? x : width - 1 - x) * toStride;
                    const std::uint8_t* from = m_pBits + y0 * fromStride + 3 * std::size_t(x);
                    for (int y = y0; y < y1; ++y, from += fromStride) {
                        const int column = clockwise ? height - 1 - y : y;
                        CopyPixel24(row + 3 * std::size_t(column), from);
                    }
                }
            }
        }
        platform::PostProgress(progress, 80);
    }
    platform::PostProgress(progress, 100);
    return turned;
}

bool CBitmapData::Rotate180(platform::ProgressTarget* progress)
{
    platform::PostProgress(progress, 0);
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
        platform::PostProgress(progress, 1);
    }
    if (reversePixels && m_nHeight % 2 == 1) {
        reverseRow(m_pBits + (m_nHeight / 2) * stride);
    }
    platform::PostProgress(progress, 100);
    return true;
}
