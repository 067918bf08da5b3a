// Page index records as (page, start, length) tuples, so that a whole index compares and
// prints at once.
#pragma once

#include "formats/pagestream/DornPagePos.h"

#include <cstdint>
#include <tuple>
#include <vector>

using Index = std::vector<std::tuple<std::uint32_t, std::uint64_t, std::uint64_t>>;

inline Index Flatten(const std::vector<tagDORNPAGEPOS>& records)
{
    Index flat;
    for (const tagDORNPAGEPOS& record : records) {
        flat.emplace_back(record.nPage, record.nStart, record.nLength);
    }
    return flat;
}
