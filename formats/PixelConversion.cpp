#include "formats/PixelConversion.h"

#include "formats/CBitmapData.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using platform::CoverageTable;
using platform::kMaxLevels;

// Percent coverage of each level, level 0 first.
constexpr int kLadder4[] = {0, 25, 50, 100};
constexpr int kLadder8[] = {0, 12, 25, 37, 50, 62, 75, 100};
constexpr int kLadder12[] = {0, 8, 16, 25, 33, 41, 50, 58, 66, 75, 83, 100};

CoverageTable g_storage[3];
const CoverageTable* g_tables[3] = {nullptr, nullptr, nullptr}; // by level mode - 1
std::atomic<int> g_spotSelector{7};

void BuildTable(int slot, std::span<const int> ladder)
{
    CoverageTable& table = g_storage[slot];
    table = CoverageTable{};
    table.nLevels = static_cast<int>(ladder.size());
    for (int i = 0; i < table.nLevels; ++i) {
        const double power = std::pow(ladder[i] / 100.0, 0.45454545454545453);
        table.coverage[i] = static_cast<int>(100.0 * power);
        table.byteLevels[i] = static_cast<std::uint8_t>(255 * table.coverage[i] / 100);
    }
    for (int i = 0; i < table.nLevels; ++i) {
        for (int j = 0; j < table.nLevels; ++j) {
            const int gi = table.coverage[i];
            const int m = std::min(10000, table.coverage[j] * (100 - gi) + 100 * gi);
            table.entries[i][j] = static_cast<std::uint32_t>(((10000 - m) / 10000.0) * 255.0);
        }
    }
    g_tables[slot] = &table;
}

// The fixed black-level mappings, by source scale onto target scale.
constexpr std::uint8_t k8To4[] = {0, 1, 1, 2, 2, 3, 3, 3};
constexpr std::uint8_t k12To4[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3};
constexpr std::uint8_t k4To8[] = {0, 2, 4, 7};
constexpr std::uint8_t k12To8[] = {0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 7, 7};
constexpr std::uint8_t k4To12[] = {0, 3, 6, 11};
constexpr std::uint8_t k8To12[] = {0, 2, 3, 5, 6, 8, 9, 11};

std::span<const std::uint8_t> Mapping(int fromLevels, int toLevels)
{
    switch (fromLevels * 100 + toLevels) {
    case 804:
        return k8To4;
    case 1204:
        return k12To4;
    case 408:
        return k4To8;
    case 1208:
        return k12To8;
    case 412:
        return k4To12;
    case 812:
        return k8To12;
    default:
        return {};
    }
}

int LevelsOfMode(int levelMode)
{
    switch (levelMode) {
    case 1:
        return 4;
    case 2:
        return 8;
    case 3:
        return 12;
    default:
        return 0;
    }
}

// ---- composition ----

// One plane as the compositions read it: a level of 0 wherever it has no pixel.
struct PlaneReader
{
    const std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;

    explicit PlaneReader(const CBitmapData* plane)
    {
        if (plane != nullptr && plane->m_pBits != nullptr && plane->m_nBitCount == 4) {
            bits = plane->m_pBits;
            stride = static_cast<std::size_t>(plane->m_nStride);
            width = plane->m_nWidth;
            height = plane->m_nHeight;
        }
    }
    // True when row y holds every pixel of an output row `outWidth` wide.
    bool CoversRow(int y, int outWidth) const { return y < height && width >= outWidth; }
    const std::uint8_t* Row(int y) const { return bits + y * stride; }
    int Level(int x, int y) const
    {
        if (x >= width || y >= height) {
            return 0;
        }
        const std::uint8_t pair = bits[y * stride + x / 2];
        return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
    }
};

// A level clamped below the level count, by 4-bit level.
std::array<int, 16> ClampedLevels(int levels)
{
    std::array<int, 16> clamped{};
    for (int level = 0; level < 16; ++level) {
        clamped[level] = level < levels ? level : levels - 1;
    }
    return clamped;
}

void FillWhite(CBitmapData& output)
{
    for (int y = 0; y < output.m_nHeight; ++y) {
        std::memset(output.m_pBits + y * std::size_t(output.m_nStride), 0xFF,
                    3 * std::size_t(output.m_nWidth));
    }
}

bool IsComposable(const CBitmapData& output)
{
    return output.m_pBits != nullptr && output.m_nBitCount == 24;
}

// Writes the low six bytes of `pixels` (blue, green, red of two pixels) at `to`; `wide` allows
// an eight-byte store whose last two bytes the next pair overwrites.
inline void StorePair(std::uint8_t* to, std::uint64_t pixels, bool wide)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(to, &pixels, wide ? 8 : 6);
    } else {
        for (int i = 0; i < 6; ++i) {
            to[i] = static_cast<std::uint8_t>(pixels >> (8 * i));
        }
    }
}

// Byte-wise saturating addition of eight lanes.
inline std::uint64_t AddSaturated(std::uint64_t x, std::uint64_t y)
{
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::uint64_t low = (x & ~kHigh) + (y & ~kHigh);
    const std::uint64_t sum = low ^ ((x ^ y) & kHigh);
    const std::uint64_t carry = ((x & y) | ((x | y) & ~sum)) & kHigh;
    return sum | ((carry >> 7) * 0xFF);
}

// Pair tables are indexed by two plane bytes (two pixels each) and hold the value of the even
// pixel in bits 0-7 and of the odd pixel in bits 24-31, so that shifting by 8 or 16 puts both
// at the places of green or red in six bytes of output.
constexpr std::uint32_t PairValue(int even, int odd)
{
    return static_cast<std::uint32_t>(even) | static_cast<std::uint32_t>(odd) << 24;
}

// Runs `pairKernel(rows, pairIndex, out)` over the pixel pairs of each row whose planes all
// cover it, and `pixel(x, y, out)` for every other pixel.
template <std::size_t N, typename PairKernel, typename Pixel>
void ForEachRow(CBitmapData& output, const std::array<PlaneReader, N>& planes, bool fast,
                PairKernel pairKernel, Pixel pixel)
{
    const int width = output.m_nWidth;
    const int pairs = width / 2;
    for (int y = 0; y < output.m_nHeight; ++y) {
        std::uint8_t* const out = output.m_pBits + y * std::size_t(output.m_nStride);
        bool covered = fast;
        for (const PlaneReader& plane : planes) {
            covered = covered && plane.CoversRow(y, width);
        }
        int x = 0;
        if (covered && pairs > 0) {
            std::array<const std::uint8_t*, N> rows;
            for (std::size_t i = 0; i < N; ++i) {
                rows[i] = planes[i].Row(y);
            }
            for (int i = 0; i < pairs - 1; ++i) {
                StorePair(out + 6 * std::size_t(i), pairKernel(rows, i), true);
            }
            StorePair(out + 6 * std::size_t(pairs - 1), pairKernel(rows, pairs - 1), false);
            x = 2 * pairs;
        }
        for (; x < width; ++x) {
            pixel(x, y, out + 3 * std::size_t(x));
        }
    }
}

template <typename T>
std::vector<T> TryTable(std::size_t entries)
{
    try {
        return std::vector<T>(entries);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace

namespace platform {

const CoverageTable* CoverageTableForLevelMode(int levelMode)
{
    return levelMode >= 1 && levelMode <= 3 ? g_tables[levelMode - 1] : nullptr;
}

int GetSpotSelector()
{
    return g_spotSelector.load(std::memory_order_relaxed);
}

void SetSpotSelector(int selector)
{
    g_spotSelector.store(selector, std::memory_order_relaxed);
}

void ComposeFourPlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, const CoverageTable* table)
{
    if (!IsComposable(output)) {
        return;
    }
    if (table == nullptr || table->nLevels < 1 || table->nLevels > kMaxLevels) {
        FillWhite(output);
        return;
    }
    const std::array<PlaneReader, 4> planes = {
        PlaneReader(colourPlanes.size() > 0 ? colourPlanes[0] : nullptr),
        PlaneReader(colourPlanes.size() > 1 ? colourPlanes[1] : nullptr),
        PlaneReader(colourPlanes.size() > 2 ? colourPlanes[2] : nullptr), PlaneReader(blackPlane)};

    // T over all 4-bit levels, clamped: intensity[c << 4 | k].
    const std::array<int, 16> clamp = ClampedLevels(table->nLevels);
    std::array<std::uint8_t, 256> intensity{};
    for (int c = 0; c < 16; ++c) {
        for (int k = 0; k < 16; ++k) {
            intensity[c << 4 | k] =
                static_cast<std::uint8_t>(table->entries[clamp[c]][clamp[k]] & 0xFF);
        }
    }
    std::vector<std::uint32_t> pairs = TryTable<std::uint32_t>(65536);
    for (std::size_t index = 0; index < pairs.size(); ++index) {
        const std::size_t c = index >> 8;
        const std::size_t k = index & 0xFF;
        pairs[index] =
            PairValue(intensity[(c & 0xF0) | k >> 4], intensity[(c & 0x0F) << 4 | (k & 0x0F)]);
    }
    const std::uint32_t* const pair = pairs.data();

    ForEachRow(
        output, planes, !pairs.empty(),
        [pair](const std::array<const std::uint8_t*, 4>& rows, int i) {
            const unsigned k = rows[3][i];
            return std::uint64_t{pair[rows[2][i] << 8 | k]} |
                   std::uint64_t{pair[rows[1][i] << 8 | k]} << 8 |
                   std::uint64_t{pair[rows[0][i] << 8 | k]} << 16;
        },
        [&](int x, int y, std::uint8_t* out) {
            const int k = planes[3].Level(x, y);
            out[0] = intensity[planes[2].Level(x, y) << 4 | k];
            out[1] = intensity[planes[1].Level(x, y) << 4 | k];
            out[2] = intensity[planes[0].Level(x, y) << 4 | k];
        });
}

void ComposeFivePlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, int altLevelMode, const CoverageTable* table,
                       int spotSelector)
{
    if (!IsComposable(output)) {
        return;
    }
    if (table == nullptr || table->nLevels < 1 || table->nLevels > kMaxLevels) {
        FillWhite(output);
        return;
    }
    const std::array<PlaneReader, 5> planes = {
        PlaneReader(colourPlanes.size() > 0 ? colourPlanes[0] : nullptr),
        PlaneReader(colourPlanes.size() > 1 ? colourPlanes[1] : nullptr),
        PlaneReader(colourPlanes.size() > 2 ? colourPlanes[2] : nullptr),
        PlaneReader(colourPlanes.size() > 3 ? colourPlanes[3] : nullptr), PlaneReader(blackPlane)};
    const bool spotOnRed = spotSelector != 4;

    // Byte levels over all 4-bit levels: colour and spot clamped, black mapped then clamped.
    const std::array<int, 16> clamp = ClampedLevels(table->nLevels);
    std::array<int, 16> colour{};
    std::array<int, 16> black{};
    for (int level = 0; level < 16; ++level) {
        colour[level] = table->byteLevels[clamp[level]];
        auto mapped = static_cast<std::uint8_t>(level);
        RemapLevel(altLevelMode, mapped, table);
        black[level] = table->byteLevels[clamp[mapped]];
    }
    auto saturate = [](int sum) { return sum > 255 ? 255 : sum; };

    // With spot: min(255, L[c] + L[s]) by colour byte and spot byte. Without: L[c] by colour
    // byte. Black: L[k] of both pixels in all three channels.
    std::vector<std::uint32_t> withSpot = TryTable<std::uint32_t>(65536);
    for (std::size_t index = 0; index < withSpot.size(); ++index) {
        const std::size_t c = index >> 8;
        const std::size_t s = index & 0xFF;
        withSpot[index] = PairValue(saturate(colour[c >> 4] + colour[s >> 4]),
                                    saturate(colour[c & 0x0F] + colour[s & 0x0F]));
    }
    std::array<std::uint32_t, 256> withoutSpot{};
    std::array<std::uint64_t, 256> blackPairs{};
    for (std::size_t index = 0; index < 256; ++index) {
        withoutSpot[index] = PairValue(colour[index >> 4], colour[index & 0x0F]);
        blackPairs[index] = std::uint64_t(black[index >> 4]) * 0x010101u |
                            std::uint64_t(black[index & 0x0F]) * 0x010101u << 24;
    }
    const std::uint32_t* const spot = withSpot.data();

    ForEachRow(
        output, planes, !withSpot.empty(),
        [&, spot](const std::array<const std::uint8_t*, 5>& rows, int i) {
            const unsigned s = rows[3][i];
            const std::uint32_t red =
                spotOnRed ? spot[rows[0][i] << 8 | s] : withoutSpot[rows[0][i]];
            const std::uint64_t ink = std::uint64_t{spot[rows[2][i] << 8 | s]} |
                                      std::uint64_t{spot[rows[1][i] << 8 | s]} << 8 |
                                      std::uint64_t{red} << 16;
            return ~AddSaturated(ink, blackPairs[rows[4][i]]);
        },
        [&](int x, int y, std::uint8_t* out) {
            const int s = colour[planes[3].Level(x, y)];
            const int b = black[planes[4].Level(x, y)];
            out[0] = static_cast<std::uint8_t>(
                255 - saturate(saturate(colour[planes[2].Level(x, y)] + s) + b));
            out[1] = static_cast<std::uint8_t>(
                255 - saturate(saturate(colour[planes[1].Level(x, y)] + s) + b));
            const int red = colour[planes[0].Level(x, y)] + (spotOnRed ? s : 0);
            out[2] = static_cast<std::uint8_t>(255 - saturate(saturate(red) + b));
        });
}

} // namespace platform

void BuildCoverageTable4()
{
    BuildTable(0, kLadder4);
}

void BuildCoverageTable8()
{
    BuildTable(1, kLadder8);
}

void BuildCoverageTable12()
{
    BuildTable(2, kLadder12);
}

void FreeCoverageTables()
{
    for (int slot = 0; slot < 3; ++slot) {
        g_tables[slot] = nullptr;
        g_storage[slot] = CoverageTable{};
    }
}

void RemapLevel(int blackLevelMode, std::uint8_t& level, const platform::CoverageTable* table)
{
    if (table == nullptr) {
        return;
    }
    const std::span<const std::uint8_t> mapping =
        Mapping(LevelsOfMode(blackLevelMode), table->nLevels);
    if (level < mapping.size()) {
        level = mapping[level];
    }
}
