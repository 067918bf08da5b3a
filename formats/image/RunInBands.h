// Work on an image split into bands of rows, one band per processor.
#pragma once

#include <functional>

namespace formats {

// Splits rows [0, rows) into consecutive bands of at least `minBandRows` rows each (one band
// when there are fewer), at most one per processor and no more than eight, and calls
// `work(top, bottom)` once per band: all but the first band on threads of their own, the first
// on the caller, which waits for every band. A band whose thread cannot be had runs on the
// caller. The bands must touch disjoint memory. True when every band's work returned true.
bool RunInBands(int rows, int minBandRows, const std::function<bool(int top, int bottom)>& work);

} // namespace formats
