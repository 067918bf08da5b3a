// Why: decoded band lines land in the 4-bit planes through these; a misplaced nibble shows as
// a wrong colour, a write past a row corrupts the next one or the heap.
#include "formats/image/CBitmapData.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// All rows of a plane as bytes, row length included.
Bytes Rows(const CBitmapData& plane)
{
    return Bytes(plane.m_pBits, plane.m_pBits + plane.m_nStride * plane.m_nHeight);
}

// A plane of `width` x 2 pixels whose every byte is 0xEE, so untouched bytes show.
CBitmapData& Filled(CBitmapData& plane, int width)
{
    EXPECT_TRUE(plane.Create(width, 2, 4));
    std::fill(plane.m_pBits, plane.m_pBits + plane.m_nStride * 2, 0xEE);
    return plane;
}

enum class Mode
{
    TwoBit,
    ThreeBit,
    FourBit
};

bool Place(CBitmapData& plane, Mode mode, int x, int y, const Bytes& line)
{
    const int count = static_cast<int>(line.size());
    switch (mode) {
    case Mode::TwoBit:
        return plane.SetLine2Bit(x, y, line.data(), count);
    case Mode::ThreeBit:
        return plane.SetLine3Bit(x, y, line.data(), count);
    case Mode::FourBit:
        return plane.SetLine4Bit(x, y, line.data(), count);
    }
    return false;
}

struct LineCase
{
    std::string name;
    Mode mode;
    int width; // of a plane 2 rows high; rows 4 bytes long for widths up to 8
    int x;
    Bytes line;
    Bytes row0; // expected first row; the second must stay 0xEE
};

TEST(CBitmapDataSetLineTest, PlacesLinesHighNibbleFirstAndCutsThemAtTheRow)
{
    const std::vector<LineCase> cases = {
        {"4-bit bytes as they are", Mode::FourBit, 8, 0, {0x12, 0x34}, {0x12, 0x34, 0xEE, 0xEE}},
        {"odd x starts at the pixel before", Mode::FourBit, 8, 3, {0x12}, {0xEE, 0x12, 0xEE, 0xEE}},
        {"4-bit line cut at the row length", Mode::FourBit, 5, 4, {1, 2, 3, 4}, {0xEE, 0xEE, 1, 2}},
        {"2-bit levels from the top bits down",
         Mode::TwoBit,
         8,
         0,
         {0x1B, 0xE4},
         {0x01, 0x23, 0x32, 0x10}},
        {"2-bit line cut at the row length",
         Mode::TwoBit,
         8,
         4,
         {0x1B, 0xFF, 0xFF},
         {0xEE, 0xEE, 0x01, 0x23}},
        {"2-bit line cut within a source byte",
         Mode::TwoBit,
         8,
         2,
         {0x1B, 0xE4},
         {0xEE, 0x01, 0x23, 0x32}},
        // Levels 1..7, 0 as one bit stream: 001 010 011 100 101 110 111 000.
        {"3-bit levels as a bit stream",
         Mode::ThreeBit,
         8,
         0,
         {0x29, 0xCB, 0xB8},
         {0x12, 0x34, 0x56, 0x70}},
        {"3-bit line stops at the width",
         Mode::ThreeBit,
         5,
         0,
         {0x29, 0xCB, 0xB8},
         {0x12, 0x34, 0x56, 0xEE}},
        {"3-bit line from an odd x stops at the width",
         Mode::ThreeBit,
         5,
         3,
         {0x29, 0xCB, 0xB8},
         {0xEE, 0x12, 0xEE, 0xEE}},
        // Two bytes hold five levels: the fifth has no partner, the last bit is left over.
        {"3-bit odd level count leaves the last level",
         Mode::ThreeBit,
         8,
         0,
         {0x29, 0xCB},
         {0x12, 0x34, 0xEE, 0xEE}},
        {"3-bit single byte holds too few levels for a pair",
         Mode::ThreeBit,
         8,
         0,
         {0xFF},
         {0x77, 0xEE, 0xEE, 0xEE}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBitmapData plane;
        Filled(plane, c.width);
        ASSERT_EQ(plane.m_nStride, 4);
        EXPECT_TRUE(Place(plane, c.mode, c.x, 0, c.line));
        Bytes expected = c.row0;
        expected.insert(expected.end(), 4, 0xEE);
        EXPECT_EQ(Rows(plane), expected);
    }
}

TEST(CBitmapDataSetLineTest, LongThreeBitLinesMatchTheBitStream)
{
    // Long enough for the three-byte groups and a tail; levels counting 0..7 over and over.
    CBitmapData plane;
    ASSERT_TRUE(plane.Create(64, 1, 4));
    Bytes line(3 * 7 + 2, 0);
    const int levels = static_cast<int>(line.size()) * 8 / 3;
    for (int i = 0; i < levels; ++i) {
        for (int b = 0; b < 3; ++b) {
            if ((i % 8) >> (2 - b) & 1) {
                const int bit = 3 * i + b;
                line[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
            }
        }
    }
    ASSERT_TRUE(plane.SetLine3Bit(0, 0, line.data(), static_cast<int>(line.size())));
    for (int x = 0; x < 64; ++x) {
        const int written = levels / 2 * 2;
        const int level = x % 2 == 0 ? plane.m_pBits[x / 2] >> 4 : plane.m_pBits[x / 2] & 0x0F;
        EXPECT_EQ(level, x < written ? x % 8 : 0) << "pixel " << x;
    }
}

TEST(CBitmapDataSetLineTest, RefusesLinesOutsideThePlaneWithoutWriting)
{
    for (Mode mode : {Mode::TwoBit, Mode::ThreeBit, Mode::FourBit}) {
        CBitmapData plane;
        Filled(plane, 6);
        const Bytes before = Rows(plane);
        const Bytes line = {0x12, 0x34, 0x56};
        EXPECT_FALSE(Place(plane, mode, 6, 0, line));
        EXPECT_FALSE(Place(plane, mode, 0, 2, line));
        EXPECT_FALSE(Place(plane, mode, -1, 0, line));
        EXPECT_FALSE(Place(plane, mode, 0, -1, line));
        EXPECT_EQ(Rows(plane), before);
        EXPECT_TRUE(Place(plane, mode, 5, 1, line)); // the last pixel still takes a line

        CBitmapData page;
        ASSERT_TRUE(page.Create(6, 2, 24));
        EXPECT_FALSE(Place(page, mode, 0, 0, line));
        CBitmapData empty;
        EXPECT_FALSE(Place(empty, mode, 0, 0, line));
    }
}

} // namespace
