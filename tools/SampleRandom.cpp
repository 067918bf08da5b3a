#include "tools/SampleRandom.h"

namespace samplejob {

uint64_t SampleRandom::Next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint32_t SampleRandom::Below(uint32_t count)
{
    if (count == 0) {
        return 0;
    }
    // The high bits are the better ones; the bias of a 64-bit modulo is negligible here.
    return static_cast<uint32_t>((Next() >> 11) % count);
}

uint32_t SampleRandom::Between(uint32_t low, uint32_t high)
{
    if (high < low) {
        return low;
    }
    return low + Below(high - low + 1);
}

} // namespace samplejob
