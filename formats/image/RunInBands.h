// Work on an image split into bands of rows, spread over the processors.
#pragma once

#include <functional>

namespace formats {

// Splits rows [0, rows) into consecutive bands of `bandRows` rows (the last may be shorter) and
// calls `work(top, bottom)` once per band. The caller and up to seven threads of their own, no
// more than there are processors or bands, take the bands in order, each the next one left
// when it is done, so a thread that the machine holds back delays the whole by one band at
// most. The caller returns when every band is done; when no thread can be had it does them all.
// The bands must touch disjoint memory. True when every band's work returned true.
bool RunInBands(int rows, int bandRows, const std::function<bool(int top, int bottom)>& work);

} // namespace formats
