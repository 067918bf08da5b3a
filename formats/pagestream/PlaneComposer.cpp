#include "formats/pagestream/PlaneComposer.h"

#include "formats/image/CBitmapData.h"

#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace formats {
namespace {

using PlaneReader = PlaneComposer::PlaneReader;

template <std::size_t N>
using Rows = std::array<const std::uint8_t*, N>;

// Each 4-bit level clamped below the level count.
std::array<int, 16> ClampedLevels(int levels)
{
    std::array<int, 16> clamped{};
    for (int level = 0; level < 16; ++level) {
        clamped[level] = level < levels ? level : levels - 1;
    }
    return clamped;
}

bool IsUsable(const CoverageTable* table)
{
    return table != nullptr && table->nLevels >= 1 && table->nLevels <= kMaxLevels;
}

void FillWhite(CBitmapData& output, int count)
{
    for (int y = 0; y < count; ++y) {
        std::memset(output.m_pBits + y * std::size_t(output.m_nStride), 0xFF,
                    3 * std::size_t(output.m_nWidth));
    }
}

int Saturate(int sum)
{
    return sum > 255 ? 255 : sum;
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

template <typename T>
std::vector<T> TryTable(std::size_t entries)
{
    try {
        return std::vector<T>(entries);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Runs over page rows [firstRow, firstRow + count), written to the output's first rows:
// `block(rows, pairs, out)` may do a leading run of pixel pairs of a row that all planes cover
// and returns how many it did, `pair(rows, i)` gives the six output bytes of each further pair
// of such a row, and `pixel(x, y, out)` does every other pixel (y a page row).
template <std::size_t N, typename Block, typename Pair, typename Pixel>
void ForEachRow(CBitmapData& output, int firstRow, int count,
                const std::array<PlaneReader, N>& planes, bool fast, Block block, Pair pair,
                Pixel pixel)
{
    const int width = output.m_nWidth;
    const int pairs = width / 2;
    for (int row = 0; row < count; ++row) {
        const int y = firstRow + row;
        std::uint8_t* const out = output.m_pBits + row * std::size_t(output.m_nStride);
        bool covered = fast && pairs > 0;
        for (const PlaneReader& plane : planes) {
            covered = covered && plane.CoversRow(y, width);
        }
        int x = 0;
        if (covered) {
            Rows<N> rows;
            for (std::size_t i = 0; i < N; ++i) {
                rows[i] = planes[i].Row(y);
            }
            for (int i = block(rows, pairs, out); i < pairs; ++i) {
                StorePair(out + 6 * std::size_t(i), pair(rows, i), i + 1 < pairs);
            }
            x = 2 * pairs;
        }
        for (; x < width; ++x) {
            pixel(x, y, out + 3 * std::size_t(x));
        }
    }
}

// Six output bytes of the four-plane composition for pixel pair i.
inline std::uint64_t FourPair(const std::uint32_t* pair, const Rows<4>& rows, int i)
{
    const unsigned k = rows[3][i];
    return std::uint64_t{pair[rows[2][i] << 8 | k]} |
           std::uint64_t{pair[rows[1][i] << 8 | k]} << 8 |
           std::uint64_t{pair[rows[0][i] << 8 | k]} << 16;
}

#if defined(__x86_64__) || defined(__i386__)

// Byte shuffles that interleave 16 blue, 16 green and 16 red bytes into 48 bytes of pixels:
// kInterleave[part][channel] picks that channel's bytes of output bytes 16 x part on.
constexpr std::array<std::array<std::array<std::int8_t, 16>, 3>, 3> MakeInterleave()
{
    std::array<std::array<std::array<std::int8_t, 16>, 3>, 3> masks{};
    for (int part = 0; part < 3; ++part) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int j = 0; j < 16; ++j) {
                const int at = 16 * part + j;
                masks[part][channel][j] =
                    static_cast<std::int8_t>(at % 3 == channel ? at / 3 : -128);
            }
        }
    }
    return masks;
}
constexpr auto kInterleave = MakeInterleave();

// kGreySpread[part] gives output byte 16 x part + j grey byte (16 x part + j) / 3: one grey
// channel spread over all three.
constexpr std::array<std::array<std::int8_t, 16>, 3> MakeGreySpread()
{
    std::array<std::array<std::int8_t, 16>, 3> masks{};
    for (int part = 0; part < 3; ++part) {
        for (int j = 0; j < 16; ++j) {
            masks[part][j] = static_cast<std::int8_t>((16 * part + j) / 3);
        }
    }
    return masks;
}
constexpr auto kGreySpread = MakeGreySpread();

bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Levels of 32 pixels of a row: [0] pixels 0-15, [1] pixels 16-31; the high nibble comes first.
struct Levels32
{
    __m128i half[2];
};

__attribute__((target("ssse3"))) inline Levels32 LoadLevels(const std::uint8_t* row)
{
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
    const __m128i low = _mm_and_si128(bytes, nibble);
    return {{_mm_unpacklo_epi8(high, low), _mm_unpackhi_epi8(high, low)}};
}

// The shuffles of kInterleave in registers, loaded once per row, and those that spread one
// grey channel over all three.
struct Interleave
{
    __m128i mask[3][3];
    __m128i grey[3];
};

__attribute__((target("ssse3"))) inline Interleave LoadInterleave()
{
    Interleave loaded{};
    for (int part = 0; part < 3; ++part) {
        for (int c = 0; c < 3; ++c) {
            loaded.mask[part][c] =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(kInterleave[part][c].data()));
        }
        loaded.grey[part] =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kGreySpread[part].data()));
    }
    return loaded;
}

// Interleaves 16 blue, 16 green and 16 red bytes into the 48 bytes of 16 pixels at `to`.
__attribute__((target("ssse3"))) inline void
StoreInterleaved(std::uint8_t* to, const __m128i (&channel)[3], const Interleave& interleave)
{
    for (int part = 0; part < 3; ++part) {
        __m128i bytes = _mm_setzero_si128();
        for (int c = 0; c < 3; ++c) {
            bytes = _mm_or_si128(bytes, _mm_shuffle_epi8(channel[c], interleave.mask[part][c]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * part), bytes);
    }
}

// 16 grey pixels, each channel the same byte, at `to`.
__attribute__((target("ssse3"))) inline void StoreGrey(std::uint8_t* to, __m128i grey,
                                                       const Interleave& interleave)
{
    for (int part = 0; part < 3; ++part) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * part),
                         _mm_shuffle_epi8(grey, interleave.grey[part]));
    }
}

__attribute__((target("ssse3"))) bool AllZero(__m128i bytes)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) == 0xFFFF;
}

// The four-plane composition of 32 pixels at a time where either the black or all colour
// planes carry no ink (a letter's colour areas, its text, its white): the intensities then
// depend on one level only and are a 16-byte shuffle table. Other blocks go pair by pair.
__attribute__((target("ssse3"))) int FourBlocks(const Rows<4>& rows, int pairs, std::uint8_t* out,
                                                const std::array<std::uint8_t, 256>& intensity,
                                                const std::uint32_t* pair)
{
    std::array<std::uint8_t, 16> byColour{}; // black level 0
    std::array<std::uint8_t, 16> byBlack{};  // colour levels 0
    for (int level = 0; level < 16; ++level) {
        byColour[level] = intensity[level << 4];
        byBlack[level] = intensity[level];
    }
    const __m128i colourTable = _mm_loadu_si128(reinterpret_cast<const __m128i*>(byColour.data()));
    const __m128i blackTable = _mm_loadu_si128(reinterpret_cast<const __m128i*>(byBlack.data()));
    const __m128i white = _mm_set1_epi8(static_cast<char>(intensity[0]));
    const Interleave interleave = LoadInterleave();
    int i = 0;
    for (; i + 16 <= pairs; i += 16) {
        const auto load = [&](int plane) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[plane] + i));
        };
        const bool noBlack = AllZero(load(3));
        const bool noColour = AllZero(_mm_or_si128(_mm_or_si128(load(0), load(1)), load(2)));
        std::uint8_t* const to = out + 6 * std::size_t(i);
        if (noBlack && noColour) {
            for (int part = 0; part < 6; ++part) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * part), white);
            }
        } else if (noBlack) {
            const Levels32 c0 = LoadLevels(rows[0] + i);
            const Levels32 c1 = LoadLevels(rows[1] + i);
            const Levels32 c2 = LoadLevels(rows[2] + i);
            for (int half = 0; half < 2; ++half) {
                const __m128i channel[3] = {_mm_shuffle_epi8(colourTable, c2.half[half]),
                                            _mm_shuffle_epi8(colourTable, c1.half[half]),
                                            _mm_shuffle_epi8(colourTable, c0.half[half])};
                StoreInterleaved(to + 48 * half, channel, interleave);
            }
        } else if (noColour) {
            const Levels32 k = LoadLevels(rows[3] + i);
            for (int half = 0; half < 2; ++half) {
                StoreGrey(to + 48 * half, _mm_shuffle_epi8(blackTable, k.half[half]), interleave);
            }
        } else {
            for (int j = i; j < i + 16; ++j) {
                StorePair(out + 6 * std::size_t(j), FourPair(pair, rows, j), j + 1 < pairs);
            }
        }
    }
    return i;
}

// The five-plane composition of 32 pixels at a time: the level lists are 16-byte shuffle
// tables, the sums saturating byte additions.
__attribute__((target("ssse3"))) int FiveBlocks(const Rows<5>& rows, int pairs, std::uint8_t* out,
                                                const std::array<std::uint8_t, 16>& colour,
                                                const std::array<std::uint8_t, 16>& black,
                                                bool spotOnRed)
{
    const __m128i colourTable = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colour.data()));
    const __m128i blackTable = _mm_loadu_si128(reinterpret_cast<const __m128i*>(black.data()));
    const __m128i ones = _mm_set1_epi8(-1);
    const Interleave interleave = LoadInterleave();
    int i = 0;
    for (; i + 16 <= pairs; i += 16) {
        const Levels32 c0 = LoadLevels(rows[0] + i);
        const Levels32 c1 = LoadLevels(rows[1] + i);
        const Levels32 c2 = LoadLevels(rows[2] + i);
        const Levels32 s = LoadLevels(rows[3] + i);
        const Levels32 k = LoadLevels(rows[4] + i);
        for (int half = 0; half < 2; ++half) {
            const __m128i b = _mm_shuffle_epi8(blackTable, k.half[half]);
            const __m128i spotAndBlack =
                _mm_adds_epu8(_mm_shuffle_epi8(colourTable, s.half[half]), b);
            const __m128i redExtra = spotOnRed ? spotAndBlack : b;
            const __m128i channel[3] = {
                _mm_xor_si128(
                    _mm_adds_epu8(_mm_shuffle_epi8(colourTable, c2.half[half]), spotAndBlack),
                    ones),
                _mm_xor_si128(
                    _mm_adds_epu8(_mm_shuffle_epi8(colourTable, c1.half[half]), spotAndBlack),
                    ones),
                _mm_xor_si128(_mm_adds_epu8(_mm_shuffle_epi8(colourTable, c0.half[half]), redExtra),
                              ones)};
            StoreInterleaved(out + 6 * std::size_t(i) + 48 * half, channel, interleave);
        }
    }
    return i;
}

#endif

} // namespace

PlaneComposer::PlaneReader::PlaneReader(const CBitmapData* plane)
{
    if (plane != nullptr && plane->m_pBits != nullptr && plane->m_nBitCount == 4) {
        bits = plane->m_pBits;
        stride = static_cast<std::size_t>(plane->m_nStride);
        width = plane->m_nWidth;
        height = plane->m_nHeight;
    }
}

PlaneComposer PlaneComposer::FourPlanes(std::span<const CBitmapData* const> colourPlanes,
                                        const CBitmapData* blackPlane, const CoverageTable* table)
{
    PlaneComposer composer;
    if (!IsUsable(table)) {
        return composer;
    }
    composer.m_kind = Kind::Four;
    for (std::size_t i = 0; i < 3; ++i) {
        composer.m_planes[i] = PlaneReader(i < colourPlanes.size() ? colourPlanes[i] : nullptr);
    }
    composer.m_planes[3] = PlaneReader(blackPlane);

    const std::array<int, 16> clamp = ClampedLevels(table->nLevels);
    std::array<std::uint8_t, 256>& intensity = composer.m_intensity;
    for (int c = 0; c < 16; ++c) {
        for (int k = 0; k < 16; ++k) {
            intensity[c << 4 | k] =
                static_cast<std::uint8_t>(table->entries[clamp[c]][clamp[k]] & 0xFF);
        }
    }
    composer.m_pairs = TryTable<std::uint32_t>(65536);
    for (std::size_t index = 0; index < composer.m_pairs.size(); ++index) {
        const std::size_t c = index >> 8;
        const std::size_t k = index & 0xFF;
        composer.m_pairs[index] = std::uint32_t{intensity[(c & 0xF0) | k >> 4]} |
                                  std::uint32_t{intensity[(c & 0x0F) << 4 | (k & 0x0F)]} << 24;
    }
    return composer;
}

PlaneComposer PlaneComposer::FivePlanes(std::span<const CBitmapData* const> colourPlanes,
                                        const CBitmapData* blackPlane, int altLevelMode,
                                        const CoverageTable* table, int spotSelector)
{
    PlaneComposer composer;
    if (!IsUsable(table)) {
        return composer;
    }
    composer.m_kind = Kind::Five;
    for (std::size_t i = 0; i < 4; ++i) {
        composer.m_planes[i] = PlaneReader(i < colourPlanes.size() ? colourPlanes[i] : nullptr);
    }
    composer.m_planes[4] = PlaneReader(blackPlane);
    const bool spotOnRed = spotSelector != 4;
    composer.m_spotOnRed = spotOnRed;

    const std::array<int, 16> clamp = ClampedLevels(table->nLevels);
    std::array<std::uint8_t, 16>& colour = composer.m_colour;
    std::array<std::uint8_t, 16>& black = composer.m_black;
    for (int level = 0; level < 16; ++level) {
        colour[level] = table->byteLevels[clamp[level]];
        auto mapped = static_cast<std::uint8_t>(level);
        RemapLevel(altLevelMode, mapped, table);
        black[level] = table->byteLevels[clamp[mapped]];
    }
    composer.m_spotAndBlack = TryTable<std::uint64_t>(65536);
    for (std::size_t index = 0; index < composer.m_spotAndBlack.size(); ++index) {
        const std::size_t s = index >> 8;
        const std::size_t k = index & 0xFF;
        const std::uint64_t even = Saturate(colour[s >> 4] + black[k >> 4]);
        const std::uint64_t odd = Saturate(colour[s & 0x0F] + black[k & 0x0F]);
        const std::uint64_t evenRed = spotOnRed ? even : black[k >> 4];
        const std::uint64_t oddRed = spotOnRed ? odd : black[k & 0x0F];
        composer.m_spotAndBlack[index] =
            even | even << 8 | evenRed << 16 | odd << 24 | odd << 32 | oddRed << 40;
    }
    for (std::size_t index = 0; index < 256; ++index) {
        for (int channel = 0; channel < 3; ++channel) {
            composer.m_colourPairs[channel][index] =
                std::uint64_t{colour[index >> 4]} << (8 * channel) |
                std::uint64_t{colour[index & 0x0F]} << (8 * channel + 24);
        }
    }
    return composer;
}

void PlaneComposer::ComposeRows(CBitmapData& output, int firstRow, int count) const
{
    if (output.m_pBits == nullptr || output.m_nBitCount != 24 || firstRow < 0 || count < 0 ||
        count > output.m_nHeight) {
        return;
    }
    switch (m_kind) {
    case Kind::White:
        FillWhite(output, count);
        break;
    case Kind::Four:
        ComposeFour(output, firstRow, count);
        break;
    case Kind::Five:
        ComposeFive(output, firstRow, count);
        break;
    }
}

void PlaneComposer::ComposeFour(CBitmapData& output, int firstRow, int count) const
{
    const std::array<PlaneReader, 4> planes = {m_planes[0], m_planes[1], m_planes[2], m_planes[3]};
    const std::uint32_t* const pair = m_pairs.data();
    const std::array<std::uint8_t, 256>& intensity = m_intensity;
    const auto pairOf = [pair](const Rows<4>& rows, int i) { return FourPair(pair, rows, i); };
    // Sixteen pixels without ink in any plane: the table's white for level 0, stored at once.
    std::array<std::uint8_t, 48> blank{};
    blank.fill(intensity[0]);
    ForEachRow(
        output, firstRow, count, planes, !m_pairs.empty(),
        [&](const Rows<4>& rows, int pairs, std::uint8_t* out) {
#if defined(__x86_64__) || defined(__i386__)
            if (HasSsse3()) {
                return FourBlocks(rows, pairs, out, intensity, pair);
            }
#endif
            // Stops before the last pair, so that every pair may be stored eight bytes wide.
            int i = 0;
            for (; i + 8 < pairs; i += 8) {
                std::uint64_t ink = 0;
                for (const std::uint8_t* row : rows) {
                    std::uint64_t bytes = 0;
                    std::memcpy(&bytes, row + i, sizeof bytes);
                    ink |= bytes;
                }
                if (ink == 0) {
                    std::memcpy(out + 6 * std::size_t(i), blank.data(), blank.size());
                    continue;
                }
                for (int j = i; j < i + 8; ++j) {
                    StorePair(out + 6 * std::size_t(j), pairOf(rows, j), true);
                }
            }
            return i;
        },
        pairOf,
        [&](int x, int y, std::uint8_t* out) {
            const int k = planes[3].Level(x, y);
            out[0] = intensity[planes[2].Level(x, y) << 4 | k];
            out[1] = intensity[planes[1].Level(x, y) << 4 | k];
            out[2] = intensity[planes[0].Level(x, y) << 4 | k];
        });
}

void PlaneComposer::ComposeFive(CBitmapData& output, int firstRow, int count) const
{
    const std::array<PlaneReader, 5>& planes = m_planes;
    const std::array<std::uint8_t, 16>& colour = m_colour;
    const std::array<std::uint8_t, 16>& black = m_black;
    const bool spotOnRed = m_spotOnRed;
    const std::uint64_t* const joined = m_spotAndBlack.data();
    const auto& colourPairs = m_colourPairs;
    ForEachRow(
        output, firstRow, count, planes, !m_spotAndBlack.empty(),
        [&](const Rows<5>& rows, int pairs, std::uint8_t* out) {
#if defined(__x86_64__) || defined(__i386__)
            if (HasSsse3()) {
                return FiveBlocks(rows, pairs, out, colour, black, spotOnRed);
            }
#endif
            (void)rows, (void)pairs, (void)out;
            return 0;
        },
        [&, joined](const Rows<5>& rows, int i) {
            const std::uint64_t ink = colourPairs[0][rows[2][i]] | colourPairs[1][rows[1][i]] |
                                      colourPairs[2][rows[0][i]];
            return ~AddSaturated(ink, joined[rows[3][i] << 8 | rows[4][i]]);
        },
        [&](int x, int y, std::uint8_t* out) {
            const int s = colour[planes[3].Level(x, y)];
            const int b = black[planes[4].Level(x, y)];
            out[0] = static_cast<std::uint8_t>(
                255 - Saturate(Saturate(colour[planes[2].Level(x, y)] + s) + b));
            out[1] = static_cast<std::uint8_t>(
                255 - Saturate(Saturate(colour[planes[1].Level(x, y)] + s) + b));
            const int red = colour[planes[0].Level(x, y)] + (spotOnRed ? s : 0);
            out[2] = static_cast<std::uint8_t>(255 - Saturate(Saturate(red) + b));
        });
}

} // namespace formats
