#include "formats/image/StretchRegion.h"

#include "formats/image/CBitmapData.h"

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

// The area's stretch, row by row. Whole source rows of a target row are added plainly in
// 16 bits (8 lanes a vector), the two cut by its edges weighted in `Partial`; a column's sum is
// rowUnit x whole + partial, the same integer as the whole stretch forms, so the rounded
// averages are the same.
template <typename Partial>
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
        m_columns.resize(static_cast<std::size_t>(area.width));
        for (std::int32_t i = 0; i < area.width; ++i) {
            m_columns[i] = AreaSpan(area.x + i, source.m_nWidth, targetWidth);
        }
        m_firstColumn = m_columns.front().first;
        const std::int64_t lastColumn = m_columns.back().last;
        m_values = 3 * static_cast<std::size_t>(lastColumn - m_firstColumn + 1);
        m_whole.resize(m_values);
        m_partial.resize(m_values);
        // A row of 16-bit plain sums holds at most this many source rows.
        m_wholeLimit = std::numeric_limits<std::uint16_t>::max() / 255;
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
    const std::uint8_t* SourceRow(std::int64_t j) const
    {
        return m_source.m_pBits + j * std::int64_t{m_source.m_nStride} +
               3 * static_cast<std::size_t>(m_firstColumn);
    }

    void SumRows(const Span& span)
    {
        std::fill(m_whole.begin(), m_whole.end(), std::uint16_t{0});
        std::fill(m_partial.begin(), m_partial.end(), Partial{0});
        std::uint64_t wholeRows = 0;
        for (std::int64_t j = span.first; j <= span.last; ++j) {
            const std::uint64_t weight = j == span.first  ? span.firstWeight
                                         : j == span.last ? span.lastWeight
                                                          : m_rowUnit;
            const std::uint8_t* const from = SourceRow(j);
            if (weight == m_rowUnit && wholeRows < m_wholeLimit) {
                ++wholeRows;
                AddRow(from);
            } else {
                AddWeightedRow(from, static_cast<Partial>(weight));
            }
        }
    }

    void AddRow(const std::uint8_t* __restrict from)
    {
        std::uint16_t* __restrict sums = m_whole.data();
        for (std::size_t i = 0; i < m_values; ++i) {
            sums[i] = static_cast<std::uint16_t>(sums[i] + from[i]);
        }
    }

    void AddWeightedRow(const std::uint8_t* __restrict from, Partial weight)
    {
        Partial* __restrict sums = m_partial.data();
        for (std::size_t i = 0; i < m_values; ++i) {
            sums[i] += weight * from[i];
        }
    }

    std::uint64_t ColumnValue(std::int64_t column, int channel) const
    {
        const std::size_t at = 3 * static_cast<std::size_t>(column - m_firstColumn) + channel;
        return m_rowUnit * m_whole[at] + m_partial[at];
    }

    void WriteRow(std::uint8_t* to) const
    {
        for (std::int32_t x = 0; x < m_area.width; ++x) {
            const Span& c = m_columns[x];
            if (x > 0 && c == m_columns[x - 1]) {
                std::memcpy(to + 3 * x, to + 3 * (x - 1), 3);
                continue;
            }
            for (int channel = 0; channel < 3; ++channel) {
                std::uint64_t sum = c.firstWeight * ColumnValue(c.first, channel);
                if (c.last != c.first) {
                    std::uint64_t inner = 0;
                    for (std::int64_t i = c.first + 1; i < c.last; ++i) {
                        inner += ColumnValue(i, channel);
                    }
                    sum += m_columnUnit * inner + c.lastWeight * ColumnValue(c.last, channel);
                }
                const std::uint64_t average =
                    (sum * m_reciprocal + (std::uint64_t{1} << (kShift - 1))) >> kShift;
                to[3 * x + channel] =
                    static_cast<std::uint8_t>(std::min<std::uint64_t>(average, 255));
            }
        }
    }

    const CBitmapData& m_source;
    std::int64_t m_targetHeight;
    StretchArea m_area;
    std::uint64_t m_rowUnit;
    std::uint64_t m_columnUnit;
    std::uint64_t m_reciprocal = 0;
    std::uint64_t m_wholeLimit = 0;
    std::vector<Span> m_columns;
    std::int64_t m_firstColumn = 0;
    std::size_t m_values = 0;
    std::vector<std::uint16_t> m_whole;
    std::vector<Partial> m_partial;
};

template <typename Partial>
bool Stretch(const CBitmapData& source, std::int64_t targetWidth, std::int64_t targetHeight,
             const StretchArea& area, std::uint8_t* pixels, std::size_t stride)
{
    try {
        RegionStretcher<Partial> stretcher(source, targetWidth, targetHeight, area);
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
    // A weighted row sum is at most 255 x the source height (the weights add up to it).
    const std::uint64_t partialMax = 255u * static_cast<std::uint64_t>(source.m_nHeight);
    if (partialMax <= std::numeric_limits<std::uint32_t>::max()) {
        return Stretch<std::uint32_t>(source, targetWidth, targetHeight, area, pixels, stride);
    }
    return Stretch<std::uint64_t>(source, targetWidth, targetHeight, area, pixels, stride);
}

} // namespace formats
