#include "formats/image/StretchRegion.h"

#include "formats/image/CBitmapData.h"
#include "formats/image/VectorClones.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace formats {
namespace {

// The source pixels under target pixel t of a line of `from` source pixels stretched onto `to`
// target pixels, weighed as the whole stretch weighs them: in units of 1/to source pixel, t
// spans [t x from, (t + 1) x from) and source pixel i spans [i x to, (i + 1) x to).
struct Span
{
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::uint64_t firstWeight = 0;
    std::uint64_t lastWeight = 0; // 0 when first == last

    bool operator==(const Span&) const = default;
};

// How one target column weighs the source columns under it.
struct ColumnWeights
{
    std::size_t offset = 0;    // of its first source column's values in a row
    std::uint32_t columns = 1; // source columns under it
    bool repeat = false;       // weighs the same as the column before it (enlarged)
    std::uint64_t firstWeight = 0;
    std::uint64_t lastWeight = 0;
};

Span AreaSpan(std::int64_t t, std::int64_t from, std::int64_t to)
{
    const auto unit = static_cast<std::uint64_t>(to);
    const auto low = static_cast<std::uint64_t>(t) * static_cast<std::uint64_t>(from);
    const std::uint64_t high = low + static_cast<std::uint64_t>(from);
    Span span;
    span.first = static_cast<std::int64_t>(low / unit);
    span.last = static_cast<std::int64_t>((high - 1) / unit);
    if (span.first == span.last) {
        span.firstWeight = high - low;
    } else {
        span.firstWeight = static_cast<std::uint64_t>(span.first + 1) * unit - low;
        span.lastWeight = high - static_cast<std::uint64_t>(span.last) * unit;
    }
    return span;
}

// The average is sum x reciprocal / 2^kShift, rounded: the same rounding as the whole stretch.
constexpr int kShift = 55;

// The row loops run in fixed blocks so that the compiler turns them into vector code, in wide
// registers where the processor has them; each sets (first row) or adds to `to` from `from`,
// plainly or times a weight.
constexpr std::size_t kBlock = 32;

template <bool Add, typename To, typename From>
VECTOR_CLONES void Plain(To* __restrict to, const From* __restrict from, std::size_t count)
{
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (std::size_t j = i; j < i + kBlock; ++j) {
            to[j] = static_cast<To>((Add ? to[j] : To{0}) + from[j]);
        }
    }
    for (; i < count; ++i) {
        to[i] = static_cast<To>((Add ? to[i] : To{0}) + from[i]);
    }
}

template <bool Add, typename To, typename From>
VECTOR_CLONES void Weighted(To* __restrict to, const From* __restrict from, To weight,
                            std::size_t count)
{
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (std::size_t j = i; j < i + kBlock; ++j) {
            to[j] = (Add ? to[j] : To{0}) + weight * from[j];
        }
    }
    for (; i < count; ++i) {
        to[i] = (Add ? to[i] : To{0}) + weight * from[i];
    }
}

// The area's stretch, row by row. A target row's source rows become one value per source
// column and channel, the sum of weight x pixel: rows lying wholly in the target row are added
// plainly in 16 bits, the rows cut by its edges weighted, and the two joined as rowUnit x plain
// + weighted. A target pixel then weighs the values of its columns. Every sum is the integer
// that the whole stretch forms, so the rounded averages are the same. `Sum` holds 255 x the
// source height.
template <typename Sum>
class RegionStretcher
{
public:
    RegionStretcher(const CBitmapData& source, std::int64_t targetWidth, std::int64_t targetHeight,
                    const StretchArea& area)
        : m_source(source), m_targetHeight(targetHeight), m_area(area),
          m_rowUnit(static_cast<std::uint64_t>(targetHeight)),
          m_columnUnit(static_cast<std::uint64_t>(targetWidth))
    {
        const auto sourceArea = static_cast<std::uint64_t>(source.m_nWidth) *
                                static_cast<std::uint64_t>(source.m_nHeight);
        m_reciprocal = ((std::uint64_t{1} << kShift) + sourceArea / 2) / sourceArea;
        m_firstColumn = AreaSpan(area.x, source.m_nWidth, targetWidth).first;
        m_columns.resize(static_cast<std::size_t>(area.width));
        Span previous{-1, -1, 0, 0};
        for (std::int32_t i = 0; i < area.width; ++i) {
            const Span span = AreaSpan(area.x + i, source.m_nWidth, targetWidth);
            ColumnWeights& c = m_columns[i];
            c.offset = 3 * static_cast<std::size_t>(span.first - m_firstColumn);
            c.columns = static_cast<std::uint32_t>(span.last - span.first + 1);
            c.repeat = span == previous;
            c.firstWeight = span.firstWeight;
            c.lastWeight = span.lastWeight;
            previous = span;
        }
        m_values = m_columns.back().offset + 3 * std::size_t{m_columns.back().columns};
        m_plain.resize(m_values);
        m_sums.resize(m_values);
    }

    void Run(std::uint8_t* pixels, std::size_t stride)
    {
        Span previous{-1, -1, 0, 0};
        for (std::int32_t row = 0; row < m_area.height; ++row) {
            std::uint8_t* const to = pixels + row * stride;
            const Span span = AreaSpan(m_area.y + row, m_source.m_nHeight, m_targetHeight);
            if (span == previous) {
                // Enlarged: the target rows within one source row are all alike.
                std::memcpy(to, to - stride, 3 * static_cast<std::size_t>(m_area.width));
                continue;
            }
            previous = span;
            SumRows(span);
            WriteRow(to);
        }
    }

private:
    // A row of 16-bit plain sums holds at most this many source rows.
    static constexpr std::uint64_t kPlainLimit = std::numeric_limits<std::uint16_t>::max() / 255;

    const std::uint8_t* SourceRow(std::int64_t j) const
    {
        return m_source.m_pBits + j * std::int64_t{m_source.m_nStride} +
               3 * static_cast<std::size_t>(m_firstColumn);
    }

    void SumRows(const Span& span)
    {
        std::uint16_t* const plain = m_plain.data();
        Sum* const sums = m_sums.data();
        std::uint64_t plainRows = 0;
        bool weighted = false;
        for (std::int64_t j = span.first; j <= span.last; ++j) {
            const std::uint64_t weight = j == span.first  ? span.firstWeight
                                         : j == span.last ? span.lastWeight
                                                          : m_rowUnit;
            const std::uint8_t* const from = SourceRow(j);
            if (weight == m_rowUnit && plainRows < kPlainLimit) {
                plainRows++ == 0 ? Plain<false>(plain, from, m_values)
                                 : Plain<true>(plain, from, m_values);
            } else {
                const auto w = static_cast<Sum>(weight);
                weighted ? Weighted<true>(sums, from, w, m_values)
                         : Weighted<false>(sums, from, w, m_values);
                weighted = true;
            }
        }
        if (plainRows > 0) {
            const auto unit = static_cast<Sum>(m_rowUnit);
            weighted ? Weighted<true>(sums, plain, unit, m_values)
                     : Weighted<false>(sums, plain, unit, m_values);
        }
    }

    void WriteRow(std::uint8_t* to) const
    {
        const Sum* const values = m_sums.data();
        const std::uint64_t reciprocal = m_reciprocal;
        const std::uint64_t unit = m_columnUnit;
        const auto average = [reciprocal](std::uint64_t sum) {
            const std::uint64_t rounded = (sum * reciprocal + (std::uint64_t{1} << (kShift - 1)));
            return static_cast<std::uint8_t>(std::min<std::uint64_t>(rounded >> kShift, 255));
        };
        for (const ColumnWeights& c : m_columns) {
            if (c.repeat) {
                std::memcpy(to, to - 3, 3);
                to += 3;
                continue;
            }
            const Sum* const first = values + c.offset;
            std::uint64_t blue = c.firstWeight * first[0];
            std::uint64_t green = c.firstWeight * first[1];
            std::uint64_t red = c.firstWeight * first[2];
            if (c.columns > 1) {
                const Sum* const last = first + 3 * std::size_t{c.columns - 1};
                std::uint64_t innerBlue = 0;
                std::uint64_t innerGreen = 0;
                std::uint64_t innerRed = 0;
                for (const Sum* column = first + 3; column < last; column += 3) {
                    innerBlue += column[0];
                    innerGreen += column[1];
                    innerRed += column[2];
                }
                blue += unit * innerBlue + c.lastWeight * last[0];
                green += unit * innerGreen + c.lastWeight * last[1];
                red += unit * innerRed + c.lastWeight * last[2];
            }
            to[0] = average(blue);
            to[1] = average(green);
            to[2] = average(red);
            to += 3;
        }
    }

    const CBitmapData& m_source;
    std::int64_t m_targetHeight;
    StretchArea m_area;
    std::uint64_t m_rowUnit;
    std::uint64_t m_columnUnit;
    std::uint64_t m_reciprocal = 0;
    std::vector<ColumnWeights> m_columns;
    std::int64_t m_firstColumn = 0;
    std::size_t m_values = 0;
    std::vector<std::uint16_t> m_plain;
    std::vector<Sum> m_sums; // per source column and channel: sum of weight x pixel
};

template <typename Sum>
bool Stretch(const CBitmapData& source, std::int64_t targetWidth, std::int64_t targetHeight,
             const StretchArea& area, std::uint8_t* pixels, std::size_t stride)
{
    try {
        RegionStretcher<Sum> stretcher(source, targetWidth, targetHeight, area);
        stretcher.Run(pixels, stride);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

bool StretchHalftoneRegion(const CBitmapData& source, std::int64_t targetWidth,
                           std::int64_t targetHeight, const StretchArea& area, std::uint8_t* pixels,
                           std::size_t stride)
{
    // Target pixel positions times source sizes must stay within 64 bits.
    constexpr std::int64_t kMaxTarget = std::int64_t{1} << 31;
    if (source.m_pBits == nullptr || source.m_nBitCount != 24 || source.m_nWidth < 1 ||
        source.m_nHeight < 1 || pixels == nullptr || targetWidth < 1 || targetHeight < 1 ||
        targetWidth > kMaxTarget || targetHeight > kMaxTarget || area.width < 1 ||
        area.height < 1 || area.x < 0 || area.y < 0 || area.x > targetWidth - area.width ||
        area.y > targetHeight - area.height || stride < 3 * static_cast<std::size_t>(area.width)) {
        return false;
    }
    // A column's sum is at most 255 x the source height (the weights add up to it).
    const std::uint64_t columnMax = 255u * static_cast<std::uint64_t>(source.m_nHeight);
    if (columnMax <= std::numeric_limits<std::uint32_t>::max()) {
        return Stretch<std::uint32_t>(source, targetWidth, targetHeight, area, pixels, stride);
    }
    return Stretch<std::uint64_t>(source, targetWidth, targetHeight, area, pixels, stride);
}

} // namespace formats
