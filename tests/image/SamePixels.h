// Whether two 24-bit pictures show the same pixels; row padding is not compared.
#pragma once

#include "formats/image/CBitmapData.h"

#include <cstddef>
#include <cstring>

inline bool SamePixels(const CBitmapData& a, const CBitmapData& b)
{
    if (a.m_nWidth != b.m_nWidth || a.m_nHeight != b.m_nHeight) {
        return false;
    }
    for (int y = 0; y < a.m_nHeight; ++y) {
        if (std::memcmp(a.m_pBits + static_cast<std::size_t>(y) * a.m_nStride,
                        b.m_pBits + static_cast<std::size_t>(y) * b.m_nStride,
                        3 * static_cast<std::size_t>(a.m_nWidth)) != 0) {
            return false;
        }
    }
    return true;
}
