// The page-image stream road on any bytes, as the viewer walks it: open, job header, page
// index, the layout of the pages, then every sub-page decoded at full size and as a thumbnail.
// Every reader gives its result and keeps what it promises.
#include "FuzzScratch.h"
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

// Copies repeat the bytes of the first pages, so only so many distinct pages are laid out.
constexpr std::size_t kMaxPagesLaidOut = 16;
// Millions of copies cost the fuzzer a second each and add nothing new after the first few;
// the bound on the index's size has its own hostile inputs (copies-*.prn).
constexpr std::int32_t kMaxCopies = 1000;
// Pages as large as the reader accepts (bitmaps up to 2 GiB) take seconds and gigabytes each;
// the fuzzer decodes pages up to this many pixels per plane, far beyond what it finds anyway.
constexpr std::int64_t kMaxPixelsDecoded = std::int64_t{1} << 20;
constexpr int kThumbnailBox = 120;
// A thumbnail grows by the quotient of the job's two resolutions; thumbnails of 11022 x 12 dpi
// jobs take the fuzzer tens of seconds each, so they are left out beyond this quotient.
constexpr std::int64_t kMaxResolutionQuotient = 16;

bool ThumbnailSmallEnough(const tagDORNJOBHEADER& header)
{
    const std::int64_t low = std::max(1, std::min(header.nResolutionX, header.nResolutionY));
    const std::int64_t high = std::max(header.nResolutionX, header.nResolutionY);
    return high / low <= kMaxResolutionQuotient;
}

bool SmallEnoughToDecode(const CDornComFile& stream)
{
    return std::int64_t{stream.m_nMaxWidth} * stream.m_nMaxHeight <= kMaxPixelsDecoded &&
           std::int64_t{stream.m_nMaxAltWidth} * stream.m_nMaxAltHeight <= kMaxPixelsDecoded;
}

// `angle`: the turn the decoder gives the sub-page.
void CheckImage(const tagDORNPAGEIMGINFO& image, const tagDORNSUBPAGEINFO& subPage, int box,
                int angle)
{
    const CBitmapData* bitmap = image.pBitmap.get();
    if (bitmap == nullptr || bitmap->m_pBits == nullptr || bitmap->m_nBitCount != 24 ||
        bitmap->m_nWidth < 1 || bitmap->m_nHeight < 1) {
        FuzzFailure("a decoded page without a 24-bit bitmap");
    }
    const bool turned = angle == 90 || angle == 270;
    if (image.nRotation != 0 || image.bMarked != (subPage.nMark1Run != 0) ||
        image.nWidth != (turned ? subPage.nHeight : subPage.nWidth) ||
        image.nHeight != (turned ? subPage.nWidth : subPage.nHeight)) {
        FuzzFailure("the page record does not match its sub-page");
    }
    const int width = turned ? bitmap->m_nHeight : bitmap->m_nWidth;
    const int height = turned ? bitmap->m_nWidth : bitmap->m_nHeight;
    if (box == -1 && (width != subPage.nPixelWidth || height != subPage.nPixelHeight)) {
        FuzzFailure("a full-size page is not the sub-page's pixel size");
    }
}

// Decodes every sub-page of the loaded page, full size and as a thumbnail.
void DecodeSubPages(CDornComFile& stream)
{
    if (!SmallEnoughToDecode(stream)) {
        return;
    }
    const std::uint32_t page = stream.m_nLoadedPage;
    const std::vector<tagDORNSUBPAGEINFO> subPages = *stream.m_pSubPages;
    const bool firstMarked = !subPages.empty() && subPages.front().nMarkValue == 1;
    for (const tagDORNSUBPAGEINFO& subPage : subPages) {
        const int angle = stream.GetPageRotation(&subPage, firstMarked);
        for (const int box : {-1, kThumbnailBox}) {
            if (box != -1 && !ThumbnailSmallEnough(*stream.m_pJobHeader)) {
                continue;
            }
            const std::unique_ptr<tagDORNPAGEIMGINFO> image = stream.ReadPageImage(
                page, static_cast<std::uint32_t>(subPage.nNumber), box, nullptr);
            if (image) {
                CheckImage(*image, subPage, box, angle);
            }
            if (stream.m_nLoadedPage != page) {
                FuzzFailure("a decode changed the loaded page");
            }
        }
    }
    // A sub-page that is not in the layout, and page 0, give nothing.
    if (stream.ReadPageImage(page, static_cast<std::uint32_t>(subPages.size()) + 1, -1, nullptr) ||
        stream.ReadPageImage(0, 1, -1, nullptr)) {
        FuzzFailure("a page that is not in the layout was decoded");
    }
}

void CheckLayout(const CDornComFile& stream, std::uint32_t page)
{
    if (stream.m_nLoadedPage != page || stream.m_pSubPages == nullptr) {
        FuzzFailure("a loaded layout is not the page asked for");
    }
    std::int32_t number = 1;
    for (const tagDORNSUBPAGEINFO& subPage : *stream.m_pSubPages) {
        if (subPage.nNumber != number++ || subPage.nPageValue == 1) {
            FuzzFailure("sub-pages are not numbered 1 to n, or a dropped one stayed");
        }
        if (subPage.nPixelWidth > stream.m_nMaxWidth ||
            subPage.nPixelHeight > stream.m_nMaxHeight) {
            FuzzFailure("a sub-page is larger than the maxima");
        }
    }
}

void LayOutPages(CDornComFile& stream)
{
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    for (const tagDORNPAGEPOS& record : *stream.m_pPageIndex) {
        if (seen.size() == kMaxPagesLaidOut) {
            break;
        }
        if (!seen.emplace(record.nStart, record.nLength).second) {
            continue;
        }
        const std::uint32_t before = stream.m_nLoadedPage;
        const int result = stream.LoadPageLayout(record.nPage);
        if (result == 0) {
            CheckLayout(stream, record.nPage);
            DecodeSubPages(stream);
        } else if (result != -1 || stream.m_nLoadedPage != before) {
            FuzzFailure("a failed layout changed the loaded page");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_stream");
    const std::string path = scratch.Write("Job.prn", data, size);

    CDornComFile stream;
    if (stream.Open(path) != 0) {
        FuzzFailure("a plain file did not open");
    }
    const int header = stream.ReadJobHeader();
    if (header != 0 && header != -1) {
        FuzzFailure("ReadJobHeader gave neither 0 nor -1");
    }
    if ((header == 0) != (stream.m_pJobHeader != nullptr)) {
        FuzzFailure("the job header does not match the result");
    }
    if (header != 0) {
        return 0;
    }
    if (stream.m_pJobHeader->nCopies > kMaxCopies) {
        stream.m_pJobHeader->nCopies = kMaxCopies;
    }
    const int index = stream.BuildPageIndex();
    if (index == -1) {
        if (stream.m_pPageIndex != nullptr) {
            FuzzFailure("a failed index build left an index");
        }
        return 0;
    }
    if (index != 0 || stream.m_pPageIndex == nullptr || stream.m_pPageIndex->empty()) {
        FuzzFailure("BuildPageIndex gave neither -1 nor 0 with pages");
    }
    LayOutPages(stream);
    return 0;
}
