// One ink plane of a page as the printer rasterises it: a level (0 = no ink) per pixel, one
// byte each, and its packing into the 2-, 3- and 4-bit lines of the bands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace samplejob {

// Bits per level in a band line; the values are the job header's level modes.
enum class LevelMode
{
    TwoBit = 1,
    ThreeBit = 2,
    FourBit = 3,
};

// The darkest level the mode's coverage ladder has (4, 8 and 12 levels).
uint8_t FullInk(LevelMode mode);

class LevelPlane
{
public:
    LevelPlane() = default;
    LevelPlane(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint8_t At(int x, int y) const { return m_levels[Index(x, y)]; }
    void Set(int x, int y, uint8_t level) { m_levels[Index(x, y)] = level; }
    const std::vector<uint8_t>& Levels() const { return m_levels; }

    // Fills [x0, x1) x [y0, y1), clipped to the plane.
    void Fill(int x0, int y0, int x1, int y1, uint8_t level);
    // A copy turned clockwise by 0, 90, 180 or 270 degrees.
    LevelPlane Rotated(int degrees) const;
    // First and one-past-last column holding ink in rows [y0, y1); equal when none.
    void InkColumns(int y0, int y1, int& first, int& last) const;
    // Appends row y from column x, `count` pixels (a multiple of 8), packed as `mode` lines
    // carry it: 2-bit four levels per byte and 4-bit two per byte, first pixel in the top
    // bits; 3-bit one bit stream, most significant bit first.
    void PackRow(int y, int x, int count, LevelMode mode, std::string& out) const;

private:
    size_t Index(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
    }

    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_levels;
};

} // namespace samplejob
