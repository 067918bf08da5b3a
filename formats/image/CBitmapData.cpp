#include "formats/image/CBitmapData.h"

#include "formats/image/RunInBands.h"

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

// Writes target rows [rowBegin, rowEnd) of `to` (the turned `from`) in tiles, each target row
// from left to right. Clockwise, target pixel (c, r) is source pixel (r, height - 1 - c);
// counter-clockwise it is (width - 1 - r, c). Four-byte moves are used except where they would read
// past the source (its last column) or write into the next target row (the target's last column).
template <bool clockwise>
void TurnQuarter(const CBitmapData& from, CBitmapData& to, int rowBegin, int rowEnd)
{
    const int rows = to.m_nHeight;   // = from.m_nWidth
    const int columns = to.m_nWidth; // = from.m_nHeight
    const std::ptrdiff_t fromStride = from.m_nStride;
    const std::ptrdiff_t step = clockwise ? -fromStride : fromStride; // per target column
    const int narrowRow = clockwise ? rows - 1 : 0; // reads the source's last column
    for (int r0 = rowBegin; r0 < rowEnd; r0 += kTile) {
        const int r1 = std::min(rowEnd, r0 + kTile);
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
        // Bands of one tile's target rows on several threads: the copy is bound by memory, and
        // the first writes, which fault in the fresh storage, are spread over them too.
        CBitmapData& to = *turned;
        formats::RunInBands(to.m_nHeight, kTile, [&](int top, int bottom) {
            clockwise ? TurnQuarter<true>(*this, to, top, bottom)
                      : TurnQuarter<false>(*this, to, top, bottom);
            return true;
        });
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

std::uint8_t* CBitmapData::LineStart(int x, int y) const
{
    if (m_pBits == nullptr || m_nBitCount != 4 || x < 0 || y < 0 || x >= m_nWidth ||
        y >= m_nHeight) {
        return nullptr;
    }
    return m_pBits + static_cast<std::size_t>(y) * m_nStride + x / 2;
}

bool CBitmapData::SetLine2Bit(int x, int y, const std::uint8_t* line, int lineBytes)
{
    std::uint8_t* const to = LineStart(x, y);
    if (to == nullptr) {
        return false;
    }
    if (line == nullptr || lineBytes <= 0) {
        return true;
    }
    const std::size_t room = static_cast<std::size_t>(m_nStride - x / 2);
    const std::size_t whole = std::min(static_cast<std::size_t>(lineBytes), room / 2);
    // Levels a b c d (top bits first) become the bytes ab and cd.
    auto first = [](unsigned s) {
        return static_cast<std::uint8_t>((s >> 2 & 0x30) | (s >> 4 & 0x03));
    };
    auto second = [](unsigned s) {
        return static_cast<std::uint8_t>((s << 2 & 0x30) | (s & 0x03));
    };
    for (std::size_t i = 0; i < whole; ++i) {
        to[2 * i] = first(line[i]);
        to[2 * i + 1] = second(line[i]);
    }
    // An odd room leaves space for the first half of one more source byte.
    if (whole < static_cast<std::size_t>(lineBytes) && 2 * whole < room) {
        to[2 * whole] = first(line[whole]);
    }
    return true;
}

bool CBitmapData::SetLine3Bit(int x, int y, const std::uint8_t* line, int lineBytes)
{
    std::uint8_t* const to = LineStart(x, y);
    if (to == nullptr) {
        return false;
    }
    if (line == nullptr || lineBytes <= 0) {
        return true;
    }
    const std::size_t levels = static_cast<std::size_t>(lineBytes) * 8 / 3;
    // One byte per pair of levels, while the pixel position x + 2 k is below the width.
    const std::size_t bytes = std::min(levels / 2, static_cast<std::size_t>(m_nWidth - x + 1) / 2);
    std::size_t k = 0;
    // Three source bytes hold eight levels, four target bytes.
    for (const std::uint8_t* from = line; k + 4 <= bytes; k += 4, from += 3) {
        const std::uint32_t bits =
            std::uint32_t{from[0]} << 16 | std::uint32_t{from[1]} << 8 | from[2];
        for (std::size_t j = 0; j < 4; ++j) {
            const unsigned shift = 18 - 6 * static_cast<unsigned>(j);
            to[k + j] =
                static_cast<std::uint8_t>((bits >> (shift + 3) & 7) << 4 | (bits >> shift & 7));
        }
    }
    auto level = [line](std::size_t index) {
        const std::size_t bit = 3 * index; // first bit, counted from the top of byte 0
        const std::size_t at = bit / 8;
        // The second byte only when the level reaches into it: it may be past the line.
        const unsigned pair = unsigned{line[at]} << 8 | ((bit + 2) / 8 != at ? line[at + 1] : 0u);
        return pair >> (13 - bit % 8) & 7;
    };
    for (; k < bytes; ++k) {
        to[k] = static_cast<std::uint8_t>(level(2 * k) << 4 | level(2 * k + 1));
    }
    return true;
}

bool CBitmapData::SetLine4Bit(int x, int y, const std::uint8_t* line, int lineBytes)
{
    std::uint8_t* const to = LineStart(x, y);
    if (to == nullptr) {
        return false;
    }
    if (line == nullptr || lineBytes <= 0) {
        return true;
    }
    const std::size_t room = static_cast<std::size_t>(m_nStride - x / 2);
    std::memcpy(to, line, std::min(static_cast<std::size_t>(lineBytes), room));
    return true;
}
