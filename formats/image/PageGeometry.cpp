#include "formats/image/PageGeometry.h"

#include "formats/image/CBitmapData.h"
#include "formats/image/Stretch.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace formats {

int PageRotation(const PageRotationWords& words)
{
    const int code = words.nStyle != 0 ? words.nPageOrientation : words.nOrientation;
    int base = 0;
    switch (code) {
    case 2:
        base = 270;
        break;
    case 3:
        base = 180;
        break;
    case 4:
        base = 90;
        break;
    default:
        break;
    }
    if (words.nStyle != 0) {
        return base;
    }

    const bool portrait = words.nWidth < words.nHeight;
    const bool sequenceEven = words.nSequence % 2 == 0;
    const bool run2Even = words.nMark2Run % 2 == 0;
    const bool run1Even = words.nMark1Run % 2 == 0;
    const bool zFlips = words.nValueZ == 101 || words.nValueZ == 103;
    // Whether a value of 1 asks for portrait and 2 for landscape pages, as the x words do.
    auto matches = [portrait](int value) {
        return (value == 1 && portrait) || (value == 2 && !portrait);
    };
    bool flip = false;

    if (words.nValueO3 == 1 && !zFlips && sequenceEven) {
        flip = portrait;
    }
    if (words.nValueO3 == 2 && !zFlips && sequenceEven && !portrait) {
        flip = true;
    }
    if (words.nValueZ == 101) {
        if (words.nMarkValue == 1) {
            flip = true;
        }
        if (words.nMarkValue == 2 && run2Even && matches(words.nValueX103)) {
            flip = true;
        }
    }
    if (words.nValueZ == 103 && sequenceEven && matches(words.nValueX104)) {
        flip = true;
    }
    if (words.nValueA37 == 1 && words.nMarkValue == 1) {
        flip = !flip;
    }
    if (words.nValueA37 == 0 && words.nValueZ == 101 && words.bFirstMarked) {
        flip = !flip;
    }
    if (words.nValueZ == 101 && words.nMarkValue == 1 && run1Even && matches(words.nValueX104)) {
        flip = !flip;
    }
    return flip ? (base + 180) % 360 : base;
}

bool FitToBox(int width, int height, int box, int resolutionX, int resolutionY, int& fittedWidth,
              int& fittedHeight)
{
    if (width < 1 || height < 1) {
        return false;
    }
    const double factor =
        std::min(static_cast<double>(box) / width, static_cast<double>(box) / height);
    auto limit = [box](double side) {
        if (box < 1) {
            return 1;
        }
        // Bounded before the conversion, so no value outside int is ever converted.
        return std::max(1, static_cast<int>(std::min(side, static_cast<double>(box))));
    };
    std::int64_t newWidth = limit(width * factor);
    std::int64_t newHeight = limit(height * factor);
    // A zero resolution would divide by zero; such a header corrects nothing.
    if (resolutionX > 0 && resolutionY > 0) {
        if (resolutionX < resolutionY) {
            newWidth *= resolutionY / resolutionX;
        } else if (resolutionX > resolutionY) {
            newHeight *= resolutionX / resolutionY;
        }
    }
    // Unequal resolutions widen a thumbnail, but never past a few boxes.
    const std::int64_t most = std::int64_t{kThumbnailBoxesAtMost} * std::max(box, 1);
    if (newWidth > most || newHeight > most) {
        return false;
    }
    fittedWidth = static_cast<int>(newWidth);
    fittedHeight = static_cast<int>(newHeight);
    return true;
}

int ScaleIntoBox(const CBitmapData& source, int box, int resolutionX, int resolutionY,
                 std::unique_ptr<CBitmapData>& result)
{
    int width = 0;
    int height = 0;
    if (source.m_pBits == nullptr || source.m_nBitCount != 24 ||
        !FitToBox(source.m_nWidth, source.m_nHeight, box, resolutionX, resolutionY, width,
                  height)) {
        return -1;
    }
    std::unique_ptr<CBitmapData> scaled(new (std::nothrow) CBitmapData);
    if (!scaled || !scaled->Create(width, height, source.m_nBitCount) ||
        !StretchHalftone(source, *scaled)) {
        return -1;
    }
    result = std::move(scaled);
    return 0;
}

} // namespace formats

int RotateBitmap(std::unique_ptr<CBitmapData>& bitmap, int angle, formats::ProgressTarget* progress)
{
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270) {
        return -1;
    }
    if (!bitmap || bitmap->m_nBitCount != 24) {
        return -1;
    }
    switch (angle) {
    case 0:
        formats::PostProgress(progress, 0);
        formats::PostProgress(progress, 100);
        return 0;
    case 180:
        return bitmap->Rotate180(progress) ? 0 : -1;
    default: {
        std::unique_ptr<CBitmapData> turned =
            angle == 90 ? bitmap->RotateRight(progress) : bitmap->RotateLeft(progress);
        if (!turned) {
            return -1;
        }
        bitmap = std::move(turned);
        return 0;
    }
    }
}
