#include "tools/LevelPlane.h"

#include <algorithm>

namespace samplejob {

uint8_t FullInk(LevelMode mode)
{
    switch (mode) {
    case LevelMode::TwoBit:
        return 3;
    case LevelMode::ThreeBit:
        return 7;
    case LevelMode::FourBit:
        // 4-bit levels reach 15, but the ladder has 12 steps: keep to those.
        return 11;
    }
    return 0;
}

LevelPlane::LevelPlane(int width, int height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_levels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0)
{}

void LevelPlane::Fill(int x0, int y0, int x1, int y1, uint8_t level)
{
    x0 = std::clamp(x0, 0, m_width);
    x1 = std::clamp(x1, 0, m_width);
    y0 = std::clamp(y0, 0, m_height);
    y1 = std::clamp(y1, 0, m_height);
    for (int y = y0; y < y1; ++y) {
        std::fill_n(m_levels.begin() + static_cast<std::ptrdiff_t>(Index(x0, y)),
                    std::max(x1 - x0, 0), level);
    }
}

LevelPlane LevelPlane::Rotated(int degrees) const
{
    degrees = ((degrees % 360) + 360) % 360;
    if (degrees == 0) {
        return *this;
    }
    const bool quarter = degrees == 90 || degrees == 270;
    LevelPlane out(quarter ? m_height : m_width, quarter ? m_width : m_height);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const uint8_t level = At(x, y);
            if (degrees == 90) {
                out.Set(m_height - 1 - y, x, level);
            } else if (degrees == 180) {
                out.Set(m_width - 1 - x, m_height - 1 - y, level);
            } else {
                out.Set(y, m_width - 1 - x, level);
            }
        }
    }
    return out;
}

void LevelPlane::InkColumns(int y0, int y1, int& first, int& last) const
{
    first = m_width;
    last = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, m_height); ++y) {
        const uint8_t* row = m_levels.data() + Index(0, y);
        int x = 0;
        while (x < first && row[x] == 0) {
            ++x;
        }
        first = std::min(first, x);
        int end = m_width;
        while (end > last && row[end - 1] == 0) {
            --end;
        }
        last = std::max(last, end);
    }
    if (last <= first) {
        first = last = 0;
    }
}

void LevelPlane::PackRow(int y, int x, int count, LevelMode mode, std::string& out) const
{
    auto level = [&](int i) -> unsigned {
        const int column = x + i;
        return column < m_width ? At(column, y) : 0;
    };
    switch (mode) {
    case LevelMode::TwoBit:
        for (int i = 0; i < count; i += 4) {
            out += static_cast<char>((level(i) & 3) << 6 | (level(i + 1) & 3) << 4 |
                                     (level(i + 2) & 3) << 2 | (level(i + 3) & 3));
        }
        break;
    case LevelMode::ThreeBit:
        for (int i = 0; i < count; i += 8) {
            uint32_t bits = 0;
            for (int k = 0; k < 8; ++k) {
                bits = bits << 3 | (level(i + k) & 7);
            }
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
        }
        break;
    case LevelMode::FourBit:
        for (int i = 0; i < count; i += 2) {
            out += static_cast<char>((level(i) & 15) << 4 | (level(i + 1) & 15));
        }
        break;
    }
}

} // namespace samplejob
