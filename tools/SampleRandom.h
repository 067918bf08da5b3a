// A small deterministic random source: the same seed gives the same job on every machine.
#pragma once

#include <cstdint>

namespace samplejob {

// splitmix64; unlike the standard distributions its output is fixed by the seed alone.
class SampleRandom
{
public:
    explicit SampleRandom(uint64_t seed) : m_state(seed) {}

    uint64_t Next();
    // Uniform in [0, count); 0 when count is 0.
    uint32_t Below(uint32_t count);
    // Uniform in [low, high]; low when high < low.
    uint32_t Between(uint32_t low, uint32_t high);
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    uint64_t m_state;
};

} // namespace samplejob
