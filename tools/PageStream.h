// The printer's page-image stream of a sample job: one page per mail, one sub-page per
// printed side, run-length coded bands in every plane. Beside the bytes the writer reports
// what a reader has to find in them (header values, page spans, sub-pages in display order),
// so that round-trip tests compare against it.
#pragma once

#include "tools/LevelPlane.h"
#include "tools/SampleJobLog.h"
#include "tools/SubPageArt.h"

#include <cstdint>
#include <string>
#include <vector>

namespace samplejob {

enum class StreamDefect
{
    None,
    TruncatedBand, // the file ends inside the first band of the last page
    ShortBand,     // page 1's first sub-page carries a band one byte short of its size
    MissingEnd,    // no final 'E'
};

struct PageStreamOptions
{
    LevelMode levels = LevelMode::ThreeBit;
    bool fivePlanes = false;                    // four colour planes (spot colour) and black
    LevelMode blackLevels = LevelMode::FourBit; // five-plane black: 2- or 4-bit
    uint32_t resolution = 100;                  // dots per inch of the colour planes
    uint32_t blackResolution = 0;               // five-plane black; 0: as `resolution`
    bool orientationPerSubPage = false;         // the 7-parameter job command: 'h' orients
    uint32_t jobKind = 0;                       // with orientationPerSubPage, 1 is the second style
    uint32_t jobOrientation = 0;                // 0..4, the job-wide orientation command
    uint32_t letterOrientation = 1;             // 1..4, for letters when oriented per sub-page
    uint32_t impositionKind = 0;                // 0..4: sub-page order of the printed sheets
    uint32_t copies = 0;                        // 0: no copies command
    bool marks = false;                         // the first side of each mail marked
    bool hiddenSubPages = false;                // a blank separator not shown after each mail
    bool redSpot = false;                       // five-plane: the spot colour leaves red alone
    uint32_t bandLines = 64;
    bool otherCommands = true; // commands with payloads that readers have to skip
    StreamDefect defect = StreamDefect::None;
};

// Words of the job header as a reader derives them from the commands written.
struct StreamHeader
{
    int resolutionX = 0;
    int resolutionY = 0;
    int jobKind = 0;
    int orientation = 0;
    int valueO3 = 0;
    int valueA8 = 0;
    int valueA19 = 0;
    uint64_t firstPageOffset = 0;
    int copies = 0;
    int altResolutionX = 0;
    int altResolutionY = 0;
    int levelMode = 0;
    int altLevelMode = 0;
    int style = 0;
    int zCount = 0;
};

struct StreamSubPage
{
    uint32_t printedPage = 0; // 0: the hidden separator
    uint32_t mailNo = 0;
    int number = 0; // display number; 0 when not shown
    int sequence = 0;
    int pageValue = 0;
    int markValue = 0;
    int mark1Run = 0;
    int mark2Run = 0;
    int width = 0; // tenths of a millimetre, as stored
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    int altPixelWidth = 0;
    int altPixelHeight = 0;
    int orientation = 0;
    int rotation = 0; // clockwise degrees that bring it into reading position
    uint64_t imageOffset = 0;
};

struct StreamPage
{
    uint32_t page = 0;
    uint32_t mailNo = 0;
    uint64_t start = 0;                  // the page command's '?'
    uint64_t length = 0;                 // up to, not including, the page end's letter
    std::vector<StreamSubPage> subPages; // by sequence, hidden ones included
};

struct PageStreamLayout
{
    StreamHeader header;
    int impositionKind = 0;
    std::vector<StreamPage> pages; // complete pages only
    uint64_t endOffset = 0;        // the final 'E' command's '?'; 0 when there is none
    uint64_t fileLength = 0;
};

struct PageSpan
{
    uint32_t page = 0;
    uint64_t start = 0;
    uint64_t length = 0;
};

// MmToPixels as the readers compute it: truncated, then up to a multiple of 8.
int TenthsToPixels(int tenths, int dotsPerInch);

// Writes the stream of the job's mails; 0, or -1 when the options cannot be expressed in
// the stream (3-bit levels need the 10-parameter job command, black has 2 or 4 bits) or the
// file cannot be written.
int WritePageStream(const std::string& path, const JobLogOptions& job,
                    const PageStreamOptions& options, PageStreamLayout* layout = nullptr);
// The same bytes in memory (empty on failure).
std::string MakePageStream(const JobLogOptions& job, const PageStreamOptions& options,
                           PageStreamLayout* layout = nullptr);

// The complete pages as written, in stream order.
std::vector<PageSpan> PageSpans(const PageStreamLayout& layout);
// The page index a scan must build: the pages (or, without any, one record for the whole
// job), then again for every further copy; empty when the scan fails for want of an end.
std::vector<PageSpan> ExpectedPageIndex(const PageStreamLayout& layout);

// The planes the bands of a sub-page carry, as stored (before the turn for reading).
SubPageArt StreamSubPageArt(const PageStreamOptions& options, const StreamSubPage& subPage);

} // namespace samplejob
