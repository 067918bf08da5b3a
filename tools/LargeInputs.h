// Large inputs for the benchmarks, written quickly to files rather than kept in the tree.
#pragma once

#include "tools/PageStream.h"
#include "tools/SampleJobLog.h"

#include <cstdint>
#include <string>

namespace samplejob {

// One job of two-letter duplex mails with an error, a suspension, a sample mail and an
// interruption now and then, of about `rows` rows (header included).
JobLogOptions LargeJobLogOptions(uint64_t rows, uint64_t seed = 1);
int WriteLargeJobLog(const std::string& path, uint64_t rows, uint64_t seed = 1,
                     JobLogCounts* counts = nullptr);

struct LargeStreamOptions
{
    uint32_t pages = 10000;
    uint32_t subPagesPerPage = 1;       // A4 sides
    uint32_t resolution = 300;          // dots per inch, 4-bit levels
    uint64_t bytes = uint64_t{1} << 30; // about; noise in yellow pads small pages up to it
};

// A stream of legible pages (page number, frame, colour areas) whose bands are encoded once
// and repeated, so that a gigabyte takes about as long as writing it. 0, or -1.
int WriteLargePageStream(const std::string& path, const LargeStreamOptions& options,
                         PageStreamLayout* layout = nullptr);

} // namespace samplejob
