// One decoded page image, as the page decoder hands it over and the page-image cache keeps it.
#pragma once

#include "formats/image/CBitmapData.h"

#include <cstdint>
#include <memory>

struct tagDORNPAGEIMGINFO
{
    // 24 bits per pixel, in reading orientation and, for thumbnails, reduced
    std::unique_ptr<CBitmapData> pBitmap;
    std::int32_t nRotation = 0; // clockwise degrees the user added later; 0 when decoded
    // Tenths of a millimetre, exchanged when the decoder turned the page by 90 or 270 degrees;
    // later turns by the user change only nRotation.
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    bool bMarked = false; // the sub-page closes a run of mark value 1
};
