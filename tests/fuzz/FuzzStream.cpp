// The page-image stream road on any bytes, as the viewer walks it: open, job header, page
// index, then the layout of the pages. Every reader gives 0 or -1 and keeps what it promises.
#include "FuzzScratch.h"
#include "formats/CDornComFile.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>

namespace {

// Copies repeat the bytes of the first pages, so only so many distinct pages are laid out.
constexpr std::size_t kMaxPagesLaidOut = 16;
// Millions of copies cost the fuzzer a second each and add nothing new after the first few;
// the bound on the index's size has its own hostile inputs (copies-*.prn).
constexpr std::int32_t kMaxCopies = 1000;

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
