// The job-level settings of a page-image stream, read before its first page.
#pragma once

#include <cstdint>

struct tagDORNJOBHEADER
{
    std::int32_t nResolutionX = 0; // dots per inch
    std::int32_t nResolutionY = 0;
    std::int32_t nJobKind = 0; // 101 and 102 change the sub-page order
    std::int32_t nValueL1 = 0;
    std::int32_t nOrientation = 0;
    std::int32_t nValueO3 = 0;
    std::int32_t nValueA8 = 0;
    std::int32_t nValueA19 = 0;
    std::int32_t nValueA37 = 0;
    std::int32_t nValueZ = 0;
    std::uint64_t nFirstPageOffset = 0; // the '?' of the first page-level command
    std::int32_t nCopies = 0;
    std::int32_t nAltResolutionX = 0;
    std::int32_t nAltResolutionY = 0;
    std::int32_t nLevelMode = 0; // 1: 2-bit, 2: 3-bit, 3: 4-bit levels; 0: not set
    std::int32_t nAltLevelMode = 0;
    std::int32_t nStyle = 0;
    std::int32_t nZCount = 0; // 5 selects the five-plane decoding
};
