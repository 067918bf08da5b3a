// Composition of 4-bit ink planes into 24-bit rows, any band of rows at a time: the look-up
// tables are made once per page, so a page can be composed in pieces that fit the cache and
// never exist whole.
#pragma once

#include "formats/pagestream/PixelConversion.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class CBitmapData;

namespace formats {

class PlaneComposer
{
public:
    // Colour planes 0 to 2 and a black plane in the table's level mode:
    // blue = T[c2][k], green = T[c1][k], red = T[c0][k].
    static PlaneComposer FourPlanes(std::span<const CBitmapData* const> colourPlanes,
                                    const CBitmapData* blackPlane, const CoverageTable* table);
    // Colour planes 0 to 2, the spot plane 3 and a black plane whose levels are in
    // `altLevelMode` and are mapped onto the table's scale. Each channel is 255 minus the
    // saturated sum of the byte levels of its colour, the spot and the black; with spot
    // selector 4 the spot leaves red out.
    static PlaneComposer FivePlanes(std::span<const CBitmapData* const> colourPlanes,
                                    const CBitmapData* blackPlane, int altLevelMode,
                                    const CoverageTable* table, int spotSelector);

    // Composes page rows [firstRow, firstRow + count) into the first `count` rows of the 24-bit
    // `output`, over its width. Anything but a 24-bit buffer with storage that holds `count`
    // rows is left alone.
    void ComposeRows(CBitmapData& output, int firstRow, int count) const;

    // One plane as the compositions read it: a level of 0 wherever it has no pixel.
    struct PlaneReader
    {
        const std::uint8_t* bits = nullptr;
        std::size_t stride = 0;
        int width = 0;
        int height = 0;

        PlaneReader() = default;
        explicit PlaneReader(const CBitmapData* plane);
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

private:
    enum class Kind
    {
        White, // no usable table
        Four,
        Five,
    };

    void ComposeFour(CBitmapData& output, int firstRow, int count) const;
    void ComposeFive(CBitmapData& output, int firstRow, int count) const;

    Kind m_kind = Kind::White;
    // colour planes 0 to 2, then (five planes) the spot plane, then the black plane
    std::array<PlaneReader, 5> m_planes{};
    // four planes: T over all 4-bit levels, clamped, as intensity[c << 4 | k]; by colour byte and
    // black byte (two pixels each) the even pixel's intensity in bits 0-7, the odd one's in bits
    // 24-31, so that shifts by 8 and 16 put them in the places of green and red
    std::array<std::uint8_t, 256> m_intensity{};
    std::vector<std::uint32_t> m_pairs;
    // five planes: byte levels over all 4-bit levels (colour and spot clamped, black mapped,
    // then clamped); by spot byte and black byte their saturated sums for both pixels in the six
    // output places; by colour byte the byte levels of both pixels in the places of one channel
    bool m_spotOnRed = true;
    std::array<std::uint8_t, 16> m_colour{};
    std::array<std::uint8_t, 16> m_black{};
    std::vector<std::uint64_t> m_spotAndBlack;
    std::array<std::array<std::uint64_t, 256>, 3> m_colourPairs{};
};

} // namespace formats
