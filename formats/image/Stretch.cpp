#include "formats/image/Stretch.h"

#include "formats/image/CBitmapData.h"
#include "formats/image/VectorClones.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace formats {
namespace {

// Which source pixels a target pixel covers, on a line of `from` source pixels stretched onto
// `to` target pixels. In units of 1/to source pixel, target pixel t spans [t x from,
// (t + 1) x from) and source pixel i spans [i x to, (i + 1) x to); the weights are the
// overlaps, so those of one target pixel add up to `from`.
struct Span
{
    std::int64_t first = 0; // first source pixel
    std::int64_t last = 0;  // last source pixel
    std::uint64_t firstWeight = 0;
    std::uint64_t lastWeight = 0; // 0 when first == last
};

std::vector<Span> AreaSpans(std::int64_t from, std::int64_t to)
{
    std::vector<Span> spans(static_cast<std::size_t>(to));
    const auto unit = static_cast<std::uint64_t>(to);
    for (std::int64_t t = 0; t < to; ++t) {
        const auto low = static_cast<std::uint64_t>(t * from);
        const auto high = static_cast<std::uint64_t>((t + 1) * from);
        Span& span = spans[t];
        span.first = static_cast<std::int64_t>(low / unit);
        span.last = static_cast<std::int64_t>((high - 1) / unit);
        if (span.first == span.last) {
            span.firstWeight = high - low;
        } else {
            span.firstWeight = (span.first + 1) * unit - low;
            span.lastWeight = high - span.last * unit;
        }
    }
    return spans;
}

bool IsBuffer(const CBitmapData& bitmap, int bitCount)
{
    return bitmap.m_pBits != nullptr && bitmap.m_nBitCount == bitCount && bitmap.m_nWidth > 0 &&
           bitmap.m_nHeight > 0;
}

// The row loops run in fixed blocks so that the compiler turns them into vector code.
constexpr std::size_t kBlock = 32;

template <typename Column>
VECTOR_CLONES void AddRow(Column* __restrict sums, const std::uint8_t* __restrict from,
                          std::size_t count)
{
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            sums[i + j] += from[i + j];
        }
    }
    for (; i < count; ++i) {
        sums[i] += from[i];
    }
}

template <typename Column>
VECTOR_CLONES void AddWeightedRow(Column* __restrict sums, const std::uint8_t* __restrict from,
                                  std::size_t count, Column weight)
{
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            sums[i + j] += weight * from[i + j];
        }
    }
    for (; i < count; ++i) {
        sums[i] += weight * from[i];
    }
}

// Sum = sum of weight x pixel over an area of `area` weight units; the average is
// Sum x kReciprocal / 2^kShift, one multiplication per channel instead of a division. With
// area < 2^31 and Sum <= 255 x area the product stays below 2^64 and the result is exact to
// well under half a step.
constexpr int kShift = 55;

// `row(j)` gives source row j, 3 x sourceWidth bytes; rows are asked for in rising order, each
// as often as target rows cover it.
template <typename Whole, typename Column, typename SourceRow>
bool Halftone(std::int64_t sourceWidth, std::int64_t sourceHeight, SourceRow&& row,
              CBitmapData& target)
{
    const std::int64_t targetWidth = target.m_nWidth;
    const std::int64_t targetHeight = target.m_nHeight;
    const auto area = static_cast<std::uint64_t>(sourceWidth * sourceHeight);
    const std::uint64_t reciprocal = ((std::uint64_t{1} << kShift) + area / 2) / area;
    const std::uint64_t rowUnit = static_cast<std::uint64_t>(targetHeight);
    const std::uint64_t columnUnit = static_cast<std::uint64_t>(targetWidth);
    const std::size_t values = 3 * static_cast<std::size_t>(sourceWidth);

    std::vector<Span> rows;
    std::vector<Span> columns;
    std::vector<Whole> whole;    // plain sums of the source rows that lie wholly in the target row
    std::vector<Column> partial; // weighted sums of the rows cut by its edges
    try {
        rows = AreaSpans(sourceHeight, targetHeight);
        columns = AreaSpans(sourceWidth, targetWidth);
        whole.resize(values);
        partial.resize(values);
    } catch (const std::bad_alloc&) {
        return false;
    }

    for (std::int64_t y = 0; y < targetHeight; ++y) {
        const Span& span = rows[y];
        std::fill(whole.begin(), whole.end(), Whole{0});
        std::fill(partial.begin(), partial.end(), Column{0});
        for (std::int64_t j = span.first; j <= span.last; ++j) {
            const std::uint8_t* const from = row(j);
            const std::uint64_t weight = j == span.first  ? span.firstWeight
                                         : j == span.last ? span.lastWeight
                                                          : rowUnit;
            if (weight == rowUnit) {
                AddRow(whole.data(), from, values);
            } else {
                AddWeightedRow(partial.data(), from, values, static_cast<Column>(weight));
            }
        }

        std::uint8_t* const to = target.m_pBits + y * std::int64_t{target.m_nStride};
        auto columnValue = [&](std::int64_t i, int channel) {
            const std::size_t at = 3 * static_cast<std::size_t>(i) + channel;
            return rowUnit * whole[at] + partial[at];
        };
        for (std::int64_t x = 0; x < targetWidth; ++x) {
            const Span& c = columns[x];
            for (int channel = 0; channel < 3; ++channel) {
                std::uint64_t sum = c.firstWeight * columnValue(c.first, channel);
                if (c.last != c.first) {
                    std::uint64_t inner = 0;
                    for (std::int64_t i = c.first + 1; i < c.last; ++i) {
                        inner += columnValue(i, channel);
                    }
                    sum += columnUnit * inner + c.lastWeight * columnValue(c.last, channel);
                }
                const std::uint64_t average =
                    (sum * reciprocal + (std::uint64_t{1} << (kShift - 1))) >> kShift;
                to[3 * x + channel] =
                    static_cast<std::uint8_t>(std::min<std::uint64_t>(average, 255));
            }
        }
    }
    return true;
}

// A band of the banded stretch: small enough to stay in the cache until it is averaged.
constexpr std::int64_t kBandBytes = 256 * 1024;

// A column sums at most 255 x source height (weights of one target row add up to it); the
// rows lying wholly in one target row, at most source height / target height, add up in 16
// bits while 255 times their count fits, which halves the work of the widest loop.
template <typename SourceRow>
bool HalftoneRows(std::int64_t sourceWidth, std::int64_t sourceHeight, SourceRow&& row,
                  CBitmapData& target)
{
    const bool narrowWhole =
        255 * (sourceHeight / target.m_nHeight + 1) <= std::numeric_limits<std::uint16_t>::max();
    if (255u * static_cast<std::uint64_t>(sourceHeight) <=
        std::numeric_limits<std::uint32_t>::max()) {
        return narrowWhole
                   ? Halftone<std::uint16_t, std::uint32_t>(sourceWidth, sourceHeight, row, target)
                   : Halftone<std::uint32_t, std::uint32_t>(sourceWidth, sourceHeight, row, target);
    }
    return narrowWhole
               ? Halftone<std::uint16_t, std::uint64_t>(sourceWidth, sourceHeight, row, target)
               : Halftone<std::uint64_t, std::uint64_t>(sourceWidth, sourceHeight, row, target);
}

} // namespace

bool StretchHalftone(const CBitmapData& source, CBitmapData& target)
{
    if (!IsBuffer(source, 24) || !IsBuffer(target, 24)) {
        return false;
    }
    return HalftoneRows(
        source.m_nWidth, source.m_nHeight,
        [&source](std::int64_t j) { return source.m_pBits + j * std::int64_t{source.m_nStride}; },
        target);
}

bool StretchHalftoneBands(int sourceWidth, int sourceHeight, const BandMaker& makeBand,
                          CBitmapData& target)
{
    if (sourceWidth < 1 || sourceHeight < 1 || !IsBuffer(target, 24) || !makeBand) {
        return false;
    }
    const std::int64_t rowBytes = 3 * std::int64_t{sourceWidth};
    const int bandRows =
        static_cast<int>(std::clamp<std::int64_t>(kBandBytes / rowBytes, 1, sourceHeight));
    CBitmapData band;
    if (!band.Create(sourceWidth, bandRows, 24)) {
        return false;
    }
    // Rows are asked for in rising order: a row outside the band starts the next band there.
    std::int64_t first = 0;
    std::int64_t count = 0;
    const auto row = [&](std::int64_t j) -> const std::uint8_t* {
        if (j < first || j >= first + count) {
            first = j;
            count = std::min<std::int64_t>(bandRows, sourceHeight - j);
            makeBand(static_cast<int>(first), static_cast<int>(count), band);
        }
        return band.m_pBits + (j - first) * std::int64_t{band.m_nStride};
    };
    return HalftoneRows(sourceWidth, sourceHeight, row, target);
}

bool StretchWhiteOnBlack(const CBitmapData& source, int sourceWidth, int sourceHeight,
                         CBitmapData& target)
{
    if (!IsBuffer(source, 4) || !IsBuffer(target, 4) || sourceWidth < 1 || sourceHeight < 1 ||
        sourceWidth > source.m_nWidth || sourceHeight > source.m_nHeight) {
        return false;
    }
    const std::int64_t targetWidth = target.m_nWidth;
    const std::int64_t targetHeight = target.m_nHeight;
    // Source pixels [start(t), end(t)) fall on target pixel t: a partition of the source line
    // when it is reduced, one repeated pixel when it is enlarged.
    auto start = [](std::int64_t t, std::int64_t from, std::int64_t to) { return t * from / to; };
    std::vector<std::int32_t> columnStart;
    std::vector<std::uint8_t> merged; // the source rows of one target row, combined by OR
    const std::size_t sourceBytes = (static_cast<std::size_t>(sourceWidth) + 1) / 2;
    try {
        columnStart.resize(static_cast<std::size_t>(targetWidth) + 1);
        merged.resize(sourceBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t t = 0; t <= targetWidth; ++t) {
        columnStart[t] = static_cast<std::int32_t>(start(t, sourceWidth, targetWidth));
    }

    for (std::int64_t y = 0; y < targetHeight; ++y) {
        const std::int64_t first = start(y, sourceHeight, targetHeight);
        const std::int64_t end = std::max(first + 1, start(y + 1, sourceHeight, targetHeight));
        std::memcpy(merged.data(), source.m_pBits + first * std::int64_t{source.m_nStride},
                    sourceBytes);
        for (std::int64_t j = first + 1; j < end; ++j) {
            const std::uint8_t* const from = source.m_pBits + j * std::int64_t{source.m_nStride};
            for (std::size_t i = 0; i < sourceBytes; ++i) {
                merged[i] |= from[i];
            }
        }
        if (sourceWidth % 2 == 1) {
            merged[sourceBytes - 1] &= 0xF0; // the pixel beyond the area
        }

        std::uint8_t* const to = target.m_pBits + y * std::int64_t{target.m_nStride};
        std::memset(to, 0, (static_cast<std::size_t>(targetWidth) + 1) / 2);
        for (std::int64_t x = 0; x < targetWidth; ++x) {
            const std::int32_t from = columnStart[x];
            const std::int32_t until = std::max(from + 1, columnStart[x + 1]);
            unsigned level = 0;
            for (std::int32_t i = from; i < until; ++i) {
                const std::uint8_t pair = merged[i / 2];
                level |= i % 2 == 0 ? pair >> 4 : pair & 0x0F;
            }
            to[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? level << 4 : level);
        }
    }
    return true;
}

} // namespace formats
