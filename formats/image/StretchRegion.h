// One rectangle of an area-average stretch, made without the rest of the stretched image.
#pragma once

#include <cstddef>
#include <cstdint>

class CBitmapData;

namespace formats {

// A rectangle of a stretch's target, in target pixels.
struct StretchArea
{
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Writes the pixels inside `area` of the stretch of all of a 24-bit `source` onto a target of
// `targetWidth` x `targetHeight` pixels: exactly the values that StretchHalftone gives there, so
// a page can be drawn zoomed piece by piece while only the pieces are ever made. The rows go to
// `pixels`, `stride` bytes apart, three bytes (blue, green, red) a pixel. Work grows with the
// area and the source pixels under it, never with the target. False, with nothing written,
// when the source is no 24-bit buffer with storage, the area is empty or not inside the target,
// the stride is too short for a row, or work memory cannot be had.
bool StretchHalftoneRegion(const CBitmapData& source, std::int64_t targetWidth,
                           std::int64_t targetHeight, const StretchArea& area, std::uint8_t* pixels,
                           std::size_t stride);

} // namespace formats
