// The latest position (record index or row) kept for each number, for finders that would
// otherwise scan a whole vector for its last match.
#pragma once

#include "formats/joblog/FlatMap.h"

#include <cstdint>

class NumberIndex
{
public:
    void Set(std::uint32_t number, std::uint32_t position)
    {
        m_positions.FindOrInsert(number, position) = position;
    }
    // The position last set for `number`, or -1.
    int Find(std::uint32_t number) const
    {
        const std::uint32_t* position = m_positions.Find(number);
        return position != nullptr ? static_cast<int>(*position) : -1;
    }

private:
    FlatMap<std::uint32_t, std::uint32_t, NumberHash> m_positions;
};
