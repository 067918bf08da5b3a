// One page of the page index: where its commands lie in the page-image stream.
#pragma once

#include <cstdint>

struct tagDORNPAGEPOS
{
    std::uint32_t nPage = 0;  // from 1 in stream order; 0xFFFFFFFF for a whole job without pages
    std::uint64_t nStart = 0; // the '?' of the page's first command
    std::uint64_t nLength = 0;
};
