// The run-length code of raster bands in the page-image stream. A control byte c opens each run:
// 0x00-0x7F copies the c + 1 units that follow, 0x80-0xFF repeats the one unit that follows
// 257 - c times (0x80 gives 129 copies, 0xFF two).
#pragma once

#include <cstdint>

// Decodes runs of one-byte units. The number of bytes written, or -1 when a run would end
// beyond `capacity` or needs more data than `length` bytes hold (nothing past the data is read
// and nothing past the capacity written; a run that ends exactly at the capacity is accepted).
// Empty data gives 0.
int DecodeRunBytes(std::uint8_t* output, int capacity, const std::uint8_t* data, int length);

// The same with three-byte units (eight 3-bit levels each).
int DecodeRun24(std::uint8_t* output, int capacity, const std::uint8_t* data, int length);
