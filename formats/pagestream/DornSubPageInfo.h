// One sub-page (a printed side) of a page of the page-image stream.
#pragma once

#include <cstddef>
#include <cstdint>

struct tagDORNSUBPAGEINFO
{
    std::int32_t nNumber = 0;    // display number among the kept sub-pages, from 1
    std::int32_t nSequence = 0;  // position among all sub-pages after reordering, from 1
    std::int32_t nPageValue = 0; // 1 marks a sub-page that is not shown
    std::int32_t nMarkValue = 0;
    std::int32_t nWidth = 0; // tenths of a millimetre
    std::int32_t nHeight = 0;
    std::int32_t nPixelWidth = 0; // at the job's resolution
    std::int32_t nPixelHeight = 0;
    std::uint64_t nImageOffset = 0; // the '?' of the sub-page's 'h' or 's' command
    std::int32_t nValueX103 = 0;
    std::int32_t nValueX104 = 0;
    std::int32_t nMark2Run = 0;
    std::int32_t nMark1Run = 0;
    std::int32_t nAltPixelWidth = 0; // at the alternative resolution
    std::int32_t nAltPixelHeight = 0;
    std::int32_t nOrientation = 0; // 1 to 4, or 0
};

// A page holds at most this many sub-pages (real pages hold a handful); beyond it the layout
// fails instead of counting past what its 32-bit numbers can hold.
constexpr std::size_t kMaxSubPages = std::size_t{1} << 20;
