// Page geometry: turning a page into reading orientation and fitting it into a box.
#pragma once

#include "formats/common/ProgressTarget.h"

#include <memory>

class CBitmapData;

namespace formats {

// The words of the job header and of one sub-page from which the reading orientation follows.
struct PageRotationWords
{
    // job header
    int nStyle = 0;
    int nOrientation = 0;
    int nValueO3 = 0;
    int nValueA37 = 0;
    int nValueZ = 0;
    // sub-page
    int nPageOrientation = 0;
    int nSequence = 0;
    int nMarkValue = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nValueX103 = 0;
    int nValueX104 = 0;
    int nMark2Run = 0;
    int nMark1Run = 0;
    // the first sub-page of the loaded page in display order has mark value 1
    bool bFirstMarked = false;
};

// Clockwise angle (0, 90, 180 or 270) that brings the sub-page into reading orientation.
int PageRotation(const PageRotationWords& words);

// How far unequal resolutions may stretch a thumbnail: at most this many boxes on a side.
inline constexpr int kThumbnailBoxesAtMost = 8;

// The size of a `width` x `height` page fitted into a square `box`, each side at least 1 and at
// most the box, then widened (or heightened) by the whole ratio of unequal resolutions, which
// may take it beyond the box. A resolution below 1 corrects nothing. False for an empty page or
// a corrected side beyond kThumbnailBoxesAtMost boxes (a ratio of 1 x 5,000,000 dpi would
// make a thumbnail gigabytes large).
bool FitToBox(int width, int height, int box, int resolutionX, int resolutionY, int& fittedWidth,
              int& fittedHeight);

// A new buffer of the fitted size with an area-averaged copy of the 24-bit `source`; 0, or -1
// (nothing handed back) when the source is not a 24-bit buffer or the copy cannot be made.
int ScaleIntoBox(const CBitmapData& source, int box, int resolutionX, int resolutionY,
                 std::unique_ptr<CBitmapData>& result);

} // namespace formats

// Turns a 24-bit bitmap clockwise by 0, 90, 180 or 270 degrees, replacing `bitmap` for 90 and
// 270. -1, with the bitmap unchanged, for another angle, another bit count, no bitmap, or a turn
// that fails; else 0.
int RotateBitmap(std::unique_ptr<CBitmapData>& bitmap, int angle,
                 formats::ProgressTarget* progress);
