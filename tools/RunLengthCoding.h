// The run-length code of the page bands: a control byte c opens each run; c <= 0x7F copies
// the c + 1 units that follow, c >= 0x80 repeats the one unit that follows 257 - c times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace samplejob {

// Units of one byte (2-bit and 4-bit levels). Appends the coded `data` to `out`.
void EncodeRunBytes(const uint8_t* data, size_t size, std::string& out);
// Units of three bytes (3-bit levels); `size` must be a multiple of 3 (a last partial unit is
// dropped).
void EncodeRun24(const uint8_t* data, size_t size, std::string& out);

} // namespace samplejob
