// Whole-image stretches between image buffers.
#pragma once

#include <functional>

class CBitmapData;

namespace formats {

// Stretches all of a 24-bit `source` onto all of a 24-bit `target`: each target pixel is the
// average, channel by channel, of the source area that it covers (partly covered source pixels
// count by the part covered), rounded to the nearest value. False, with the target unchanged,
// when either is not a 24-bit buffer with storage or work memory cannot be had.
bool StretchHalftone(const CBitmapData& source, CBitmapData& target);

// Writes source rows [firstRow, firstRow + count) into the first `count` rows of `band`.
using BandMaker = std::function<void(int firstRow, int count, CBitmapData& band)>;

// StretchHalftone of a 24-bit source of `sourceWidth` x `sourceHeight` that never exists whole:
// `makeBand` makes it a band of rows at a time, each row once and in order, into a band of a
// few hundred kilobytes. The target gets exactly the pixels StretchHalftone gives. False, with
// the target unchanged, when the target is not a 24-bit buffer with storage, the source is
// empty or the band cannot be had.
bool StretchHalftoneBands(int sourceWidth, int sourceHeight, const BandMaker& makeBand,
                          CBitmapData& target);

// Stretches the top-left `sourceWidth` x `sourceHeight` pixels of a 4-bit `source` onto all
// of a 4-bit `target`. Where the target is smaller, the source pixels that fall on one target
// pixel are combined by OR, so no ink is lost; where it is larger, pixels are repeated. False,
// with the target unchanged, when either is not a 4-bit buffer with storage, the area is empty
// or not inside the source, or work memory cannot be had.
bool StretchWhiteOnBlack(const CBitmapData& source, int sourceWidth, int sourceHeight,
                         CBitmapData& target);

} // namespace formats
