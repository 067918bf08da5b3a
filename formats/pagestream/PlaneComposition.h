// Composition of 4-bit ink planes into a 24-bit page.
#pragma once

#include "formats/pagestream/PixelConversion.h"

#include <span>

class CBitmapData;

namespace formats {

// Both compositions cover the output's width and height; the output must be a 24-bit buffer
// with storage (anything else is left alone). Levels are read from 4-bit planes; where a plane
// is missing or does not reach a pixel, that pixel's level is 0. A level at or above the
// table's level count counts as the table's last level, so no table is read past its end.
// Without a table the output is white. They run on the page decoder's worker thread.

// Colour planes 0 to 2 and a black plane in the table's level mode:
// blue = T[c2][k], green = T[c1][k], red = T[c0][k].
void ComposeFourPlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, const CoverageTable* table);

// Colour planes 0 to 2, the spot plane 3 and a black plane whose levels are in
// `altLevelMode` and are mapped onto the table's scale. Each channel is 255 minus the saturated
// sum of the byte levels of its colour, the spot and the black; with spot selector 4 the spot
// leaves red out.
void ComposeFivePlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, int altLevelMode, const CoverageTable* table,
                       int spotSelector);

} // namespace formats
