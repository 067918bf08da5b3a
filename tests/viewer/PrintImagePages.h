// Pages for the page window's tests and benchmark: a synthetic one made in memory, and one
// decoded from a sample page-image stream as the viewer decodes it.
#pragma once

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tools/LargeInputs.h"

#include <cstdint>
#include <memory>
#include <string>

// An A4 page (2100 x 2970 tenths of a millimetre) of `width` x `height` pixels whose colour
// changes from pixel to pixel, so a misplaced or differently averaged pixel shows.
inline std::unique_ptr<tagDORNPAGEIMGINFO> MakeSyntheticPage(int width, int height)
{
    auto page = std::make_unique<tagDORNPAGEIMGINFO>();
    page->pBitmap = std::make_unique<CBitmapData>();
    if (!page->pBitmap->Create(width, height, 24)) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = page->pBitmap->m_pBits + y * page->pBitmap->m_nStride;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x * 7 + y);
            row[3 * x + 1] = static_cast<std::uint8_t>((x / 16 + y / 16) % 2 ? 230 : 40);
            row[3 * x + 2] = static_cast<std::uint8_t>(y * 3 - x);
        }
    }
    page->nWidth = 2100;
    page->nHeight = 2970;
    return page;
}

// Page 1, sub-page 1 of a one-page stream written to `path` at `resolution` dots per inch,
// decoded at full size; null when it cannot be written or read.
inline std::unique_ptr<tagDORNPAGEIMGINFO> DecodeSamplePage(const std::string& path,
                                                            std::uint32_t resolution)
{
    samplejob::LargeStreamOptions options;
    options.pages = 1;
    options.resolution = resolution;
    options.bytes = 0;
    CDornComFile file;
    if (samplejob::WriteLargePageStream(path, options) != 0 || file.Open(path) != 0 ||
        file.ReadJobHeader() != 0 || file.BuildPageIndex() != 0 || file.LoadPageLayout(1) != 0) {
        return nullptr;
    }
    auto page = file.ReadPageImage(1, 1, -1, nullptr);
    file.Close();
    return page;
}
