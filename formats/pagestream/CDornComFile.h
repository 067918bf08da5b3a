// Reader of one page-image stream: the open stream and everything read from it (job header,
// page index, the loaded page's layout and the decoding planes). The document's worker threads
// use it, one at a time; it has no locking of its own.
#pragma once

#include "formats/common/ProgressTarget.h"
#include "formats/pagestream/DornJobHeader.h"
#include "formats/pagestream/DornPagePos.h"
#include "formats/pagestream/DornSubPageInfo.h"
#include "platform/BufferedReader.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CBitmapData;
struct tagDORNPAGEIMGINFO; // formats/DornPageImageInfo.h
namespace formats {
struct CoverageTable;
class PlaneComposer;
} // namespace formats

class CDornComFile
{
public:
    // Out of line: the planes' type is complete only in the sources.
    CDornComFile();
    virtual ~CDornComFile();
    CDornComFile(const CDornComFile&) = delete;
    CDornComFile& operator=(const CDornComFile&) = delete;

    // Opens the stream for reading, keeping writers out while it is open. 0 or -1. A successful
    // open first releases everything read from a stream opened before.
    int Open(std::string_view path);

    // Releases everything; the object can be opened again.
    void Close();

    // Reads the job-level commands from the stream's position (its start after Open) up to the
    // first page-level command. 0, with m_pJobHeader replaced; -1, with it unchanged.
    int ReadJobHeader();

    // Scans the stream from the job header's first-page offset to its end command: 'x' opens a
    // page, 'y' closes it; a stream without pages gives one whole-job record. The pages are then
    // repeated for the copies. 0, with m_pPageIndex replaced; -1, with it unchanged, also when
    // the index would exceed kMaxPageIndexRecords.
    int BuildPageIndex();

    // Takes the page index from an index file (ReadPageOffsetFile). 0, with m_pPageIndex
    // replaced; -1, with it unchanged.
    int LoadPageIndexFile(std::string_view path);

    // Reads the sub-pages of `page` from its commands, without its raster data, then orders,
    // drops and numbers them (ReorderSubPages) and sets the maxima (ComputeMaxPageSize).
    // 0, with m_pSubPages and m_nLoadedPage replaced; -1, with the previous layout kept.
    int LoadPageLayout(std::uint32_t page);

    // Puts m_pSubPages into display order for the job's imposition, drops the sub-pages that
    // are not shown and gives the others their display numbers.
    void ReorderSubPages();

    // 0 to 4, from the job header's layout settings (0 without a header).
    int GetImpositionKind() const;

    // The largest pixel sizes (and alternative pixel sizes) of m_pSubPages; 0 when empty.
    void ComputeMaxPageSize();

    // A new area-averaged copy of a 24-bit page fitted into a square box, corrected for unequal
    // resolutions of the job header. 0, with `result` set; -1, with nothing handed back.
    int ScaleToFit(const CBitmapData* source, int box, std::unique_ptr<CBitmapData>& result) const;
    // Clockwise angle (0, 90, 180, 270) that brings a sub-page into reading orientation;
    // `firstMarked`: the loaded page's first sub-page has mark value 1.
    int GetPageRotation(const tagDORNSUBPAGEINFO* subPage, bool firstMarked) const;
    // Compose the planes into a 24-bit page with the coverage table of the job's level mode
    // (or none): three colour planes and the black plane, or four and the black plane.
    void ComposePlanes(CBitmapData* output, const formats::CoverageTable* table) const;
    void ComposePlanes5(CBitmapData* output, const formats::CoverageTable* table) const;
    // The composition of the job's path (five planes when nZCount is 5) over the planes as they
    // stand, for composing a page a band of rows at a time.
    formats::PlaneComposer PlaneComposerFor(const formats::CoverageTable* table) const;

    // Decodes the sub-page numbered `subPage` of the loaded page `page` into a 24-bit page in
    // reading orientation, fitted into a `box` x `box` square unless box is -1. Progress 0, 10,
    // 60, 70, 80, 90 as it goes and 100 at the end, also after a failure; nullptr on failure.
    // Runs on a worker thread; decodes share process-wide tables, so one waits for another.
    std::unique_ptr<tagDORNPAGEIMGINFO> ReadPageImage(std::uint32_t page, std::uint32_t subPage,
                                                      int box, formats::ProgressTarget* progress);
    // Makes the planes for the loaded page, keeping those that are large enough. False, with
    // all planes deleted, when one cannot be made.
    bool AllocatePlanes();
    // Sets every level of every plane to 0.
    void ClearPlanes();

    // All readers share this stream and its position; each positions it before reading, except
    // ReadJobHeader.
    std::unique_ptr<platform::BufferedReader> m_pFile;
    std::uint64_t m_nFileLength = 0;
    std::unique_ptr<tagDORNJOBHEADER> m_pJobHeader;
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> m_pPageIndex;
    std::uint32_t m_nLoadedPage = 0; // 0: no layout loaded
    std::unique_ptr<std::vector<tagDORNSUBPAGEINFO>> m_pSubPages;
    std::int32_t m_nMaxWidth = 0;
    std::int32_t m_nMaxHeight = 0;
    std::vector<std::unique_ptr<CBitmapData>> m_pColorPlanes;
    std::unique_ptr<CBitmapData> m_pBlackPlane;
    std::int32_t m_nMaxAltWidth = 0;
    std::int32_t m_nMaxAltHeight = 0;
};
