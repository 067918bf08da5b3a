// One page of the page index: where its commands lie in the page-image stream.
#pragma once

#include <cstddef>
#include <cstdint>

struct tagDORNPAGEPOS
{
    std::uint32_t nPage = 0;  // from 1 in stream order; 0xFFFFFFFF for a whole job without pages
    std::uint64_t nStart = 0; // the '?' of the page's first command
    std::uint64_t nLength = 0;
};

// The page number of the one record that stands for a whole job without page commands.
constexpr std::uint32_t kWholeJobPage = 0xFFFFFFFF;

// A page index holds at most this many records: a copy count from the stream (which may be a
// special parameter value) must not multiply the index without limit.
constexpr std::size_t kMaxPageIndexRecords = std::size_t{1} << 24;
