// The page decoder: one sub-page's raster bands into the reader's 4-bit planes, then composed,
// fitted and turned into a finished page.
#include "formats/common/NumberParsing.h"
#include "formats/image/CBitmapData.h"
#include "formats/image/PageGeometry.h"
#include "formats/image/Stretch.h"
#include "formats/pagestream/BandPlanes.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornCommand.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "formats/pagestream/PixelConversion.h"
#include "formats/pagestream/PlaneComposer.h"
#include "formats/pagestream/RunLengthDecoding.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

constexpr std::int32_t kMaxOrigin = 0x7FFF;

// The coverage tables and the spot selector are process-wide, so two decodes must never
// overlap. The viewer runs one worker at a time; this lock keeps the rule for any caller and
// costs that one worker nothing.
std::mutex g_decodeLock;

// The coverage tables of one decode: built at its start, freed at its end.
class CoverageTablesInUse
{
public:
    CoverageTablesInUse()
    {
        BuildCoverageTable8();
        BuildCoverageTable4();
        BuildCoverageTable12();
    }
    ~CoverageTablesInUse() { FreeCoverageTables(); }
    CoverageTablesInUse(const CoverageTablesInUse&) = delete;
    CoverageTablesInUse& operator=(const CoverageTablesInUse&) = delete;
};

// A work buffer that only grows. Its bytes are not cleared: the decoders write every byte
// that is read afterwards, so memory is touched only as far as a band fills it.
class WorkBuffer
{
public:
    // At least `size` bytes; false when they cannot be had.
    bool Reserve(std::size_t size)
    {
        size = std::max<std::size_t>(size, 1); // never a null buffer, even for no bytes
        if (size > m_size) {
            try {
                m_bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
                m_size = size;
            } catch (const std::bad_alloc&) {
                m_bytes.reset();
                m_size = 0;
                return false;
            }
        }
        return true;
    }
    std::uint8_t* Data() const { return m_bytes.get(); }

private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_size = 0;
};

// An upper bound of what `length` bytes of run-length data decode to in units of `unit` bytes:
// at best every 1 + unit bytes form a repeat run of 129 units. So no band, however large it
// claims to be, makes the decoder take more than about 100 bytes per byte of its data.
std::int64_t MostDecodedBytes(std::int64_t length, std::int64_t unit)
{
    return (length / (1 + unit) + 1) * 129 * unit;
}

// Reads and draws the bands of one sub-page, keeping its buffers from one band to the next.
class BandDecoder
{
public:
    BandDecoder(CDornComFile& reader, const tagDORNJOBHEADER& header)
        : m_reader(reader), m_fivePlanePath(header.nZCount == 5), m_levelMode(header.nLevelMode),
          m_altLevelMode(header.nAltLevelMode)
    {}

    // One 'I' command of four parameters (plane number, bytes per line, lines, data length)
    // whose data the stream stands at, drawn with its first line at (x, y). A band that
    // cannot be decoded to exactly its size is dropped; the sub-page goes on.
    void Decode(const DornCommandParams& params, int x, int y)
    {
        const std::int32_t planeNumber = params[0];
        const std::int32_t bytesPerLine = params[1];
        const std::int32_t lines = params[2];
        const std::int32_t length = params[3];
        platform::BufferedReader& stream = *m_reader.m_pFile;
        if (length < 0) {
            return; // no buffer for such data: it is not read
        }
        const std::uint64_t position = stream.Tell();
        const std::uint64_t remaining =
            m_reader.m_nFileLength > position ? m_reader.m_nFileLength - position : 0;
        // Special values, which are no lengths, carry the position past the end as well.
        if (static_cast<std::uint64_t>(length) > remaining || length > kDornParamMax) {
            // Cut short by the end of the stream: dropped, and the next command read fails.
            stream.Skip(static_cast<std::uint64_t>(length));
            return;
        }

        const int levelMode = m_fivePlanePath && planeNumber == 0 ? m_altLevelMode : m_levelMode;
        const std::int64_t unit = levelMode == 2 ? 3 : 1;
        const std::int64_t size = std::int64_t{bytesPerLine} * lines;
        // A size the data cannot reach is dropped without making room for it.
        const bool decodable = levelMode >= 1 && levelMode <= 3 && size >= 0 &&
                               size <= std::numeric_limits<int>::max() &&
                               size <= MostDecodedBytes(length, unit);
        if (!m_data.Reserve(static_cast<std::size_t>(length)) ||
            (decodable && !m_lines.Reserve(static_cast<std::size_t>(size)))) {
            return; // no buffers: the data is not read
        }
        if (stream.Read(m_data.Data(), static_cast<std::size_t>(length)) !=
                static_cast<std::size_t>(length) ||
            !decodable) {
            return;
        }
        const int capacity = static_cast<int>(size);
        const int decoded = unit == 3
                                ? DecodeRun24(m_lines.Data(), capacity, m_data.Data(), length)
                                : DecodeRunBytes(m_lines.Data(), capacity, m_data.Data(), length);
        if (decoded != capacity || lines < 1) {
            return;
        }

        const formats::BandPlane target = formats::PlaneForBand(planeNumber, m_fivePlanePath);
        if (target.spotSelector != 0) {
            formats::SetSpotSelector(target.spotSelector);
        }
        CBitmapData* plane = nullptr;
        if (target.kind == formats::BandPlaneKind::Black) {
            plane = m_reader.m_pBlackPlane.get();
        } else if (target.kind == formats::BandPlaneKind::Colour &&
                   static_cast<std::size_t>(target.colourIndex) < m_reader.m_pColorPlanes.size()) {
            plane = m_reader.m_pColorPlanes[static_cast<std::size_t>(target.colourIndex)].get();
        }
        if (plane == nullptr || bytesPerLine < 1) {
            return;
        }
        // Lines below the plane cannot be placed; stop at its last row.
        const int last = std::min<std::int64_t>(lines, std::int64_t{plane->m_nHeight} - y);
        for (int i = 0; i < last; ++i) {
            const std::uint8_t* line = m_lines.Data() + std::size_t(i) * std::size_t(bytesPerLine);
            switch (levelMode) {
            case 1:
                plane->SetLine2Bit(x, y + i, line, bytesPerLine);
                break;
            case 2:
                plane->SetLine3Bit(x, y + i, line, bytesPerLine);
                break;
            default:
                plane->SetLine4Bit(x, y + i, line, bytesPerLine);
                break;
            }
        }
    }

private:
    CDornComFile& m_reader;
    const bool m_fivePlanePath;
    const int m_levelMode;
    const int m_altLevelMode;
    WorkBuffer m_data;  // the band's run-length data
    WorkBuffer m_lines; // its decoded lines
};

// The largest page the printer can print: its largest sheet, 330 x 488 mm (13 x 19.2 in), with
// a tenth more each way, at the highest resolution the job header gives (main or alternative),
// counted at most 1,200 dpi. Either way round: at 600 dpi 8,576 x 12,688 pixels, at 1,200 dpi
// 17,152 x 25,376 (1.3 GB as a 24-bit page). Beyond it no page, no plane is made.
constexpr int kLargestSheetShortSide = 3630; // tenths of a millimetre
constexpr int kLargestSheetLongSide = 5370;
constexpr int kHighestResolution = 1200; // dots per inch

bool IsPrintable(const tagDORNJOBHEADER* header, std::int32_t width, std::int32_t height)
{
    int resolution = 0;
    if (header != nullptr) {
        resolution = std::max({header->nResolutionX, header->nResolutionY, header->nAltResolutionX,
                               header->nAltResolutionY});
    }
    if (resolution <= 0 || resolution > kHighestResolution) {
        resolution = kHighestResolution;
    }
    return std::min(width, height) <= MmToPixels(kLargestSheetShortSide, resolution) &&
           std::max(width, height) <= MmToPixels(kLargestSheetLongSide, resolution);
}

std::unique_ptr<CBitmapData> NewBitmap(int width, int height, int bitCount)
{
    std::unique_ptr<CBitmapData> bitmap(new (std::nothrow) CBitmapData);
    if (bitmap && !bitmap->Create(width, height, bitCount)) {
        bitmap.reset();
    }
    return bitmap;
}

// The steps of a decode up to the finished record; nullptr on any failure.
std::unique_ptr<tagDORNPAGEIMGINFO> DecodeSubPage(CDornComFile& reader, std::uint32_t page,
                                                  std::uint32_t number, int box,
                                                  formats::ProgressTarget* progress)
{
    tagDORNCOMMAND command;
    DornCommandText text{};
    int textLength = 0;
    std::uint64_t offset = 0;

    if (page == 0 || page != reader.m_nLoadedPage || !reader.m_pSubPages || !reader.m_pJobHeader ||
        !reader.m_pFile) {
        return nullptr;
    }
    const std::vector<tagDORNSUBPAGEINFO>& subPages = *reader.m_pSubPages;
    const auto found = std::find_if(subPages.begin(), subPages.end(), [number](const auto& s) {
        return static_cast<std::uint32_t>(s.nNumber) == number;
    });
    if (found == subPages.end()) {
        return nullptr;
    }
    const tagDORNSUBPAGEINFO subPage = *found;
    const bool firstMarked = subPages.front().nMarkValue == 1;
    const tagDORNJOBHEADER header = *reader.m_pJobHeader;
    const bool fivePlanePath = header.nZCount == 5;

    formats::PostProgress(progress, 0);
    // Sizes no printer makes, of the page or of its thumbnail, fail before any memory is taken.
    int thumbnailWidth = 0;
    int thumbnailHeight = 0;
    if (!IsPrintable(&header, subPage.nPixelWidth, subPage.nPixelHeight) ||
        !IsPrintable(&header, subPage.nAltPixelWidth, subPage.nAltPixelHeight) ||
        (box != -1 &&
         !formats::FitToBox(subPage.nPixelWidth, subPage.nPixelHeight, box, header.nResolutionX,
                            header.nResolutionY, thumbnailWidth, thumbnailHeight))) {
        return nullptr;
    }
    if (!reader.AllocatePlanes()) {
        return nullptr;
    }
    reader.ClearPlanes();

    platform::BufferedReader& stream = *reader.m_pFile;
    if (!stream.Seek(subPage.nImageOffset)) {
        return nullptr;
    }
    formats::PostProgress(progress, 10);

    int x = 0;
    int y = 0;
    BandDecoder bands(reader, header);
    for (;;) {
        if (!ReadCommandKeepImage(stream, command, text, textLength, offset)) {
            return nullptr;
        }
        const char letter = command.cLetter;
        if (letter == 'P') {
            break;
        }
        if (letter != 'X' && letter != 'I') {
            continue;
        }
        command.nParamCount = ParseCommandParams(text.data(), textLength, command.nParams);
        const DornCommandParams& p = command.nParams;
        if (command.nParamCount == -1) {
            return nullptr;
        }
        if (letter == 'X') {
            if (command.nParamCount == 2 && p[0] >= 0 && p[0] <= kMaxOrigin && p[1] >= 0 &&
                p[1] <= kMaxOrigin) {
                x = p[0];
                y = p[1];
            }
        } else if (command.nParamCount == 4) {
            bands.Decode(p, x, y);
        } // an 'I' of another count is passed over; its data is read as commands
    }

    formats::PostProgress(progress, 60);
    // A thumbnail is averaged from the composed page a band of rows at a time, so the page
    // never exists whole at full size; the page window's page is composed whole.
    std::unique_ptr<CBitmapData> bitmap =
        box == -1 ? NewBitmap(subPage.nPixelWidth, subPage.nPixelHeight, 24)
                  : NewBitmap(thumbnailWidth, thumbnailHeight, 24);
    if (!bitmap) {
        return nullptr;
    }
    const formats::CoverageTable* table = formats::CoverageTableForLevelMode(header.nLevelMode);
    if (fivePlanePath && subPage.nAltPixelWidth != subPage.nPixelWidth) {
        // The black bands came at the alternative resolution: bring them to the page's.
        // An empty alternative size has no black to bring; the new plane stays blank.
        std::unique_ptr<CBitmapData> black =
            NewBitmap(subPage.nPixelWidth, subPage.nPixelHeight, 4);
        const bool hasArea = subPage.nAltPixelWidth > 0 && subPage.nAltPixelHeight > 0;
        if (!black || !reader.m_pBlackPlane ||
            (hasArea && !formats::StretchWhiteOnBlack(*reader.m_pBlackPlane, subPage.nAltPixelWidth,
                                                      subPage.nAltPixelHeight, *black))) {
            return nullptr;
        }
        reader.m_pBlackPlane = std::move(black);
    }
    if (box != -1) {
        const formats::PlaneComposer composer = reader.PlaneComposerFor(table);
        if (!formats::StretchHalftoneBands(
                subPage.nPixelWidth, subPage.nPixelHeight,
                [&composer](int first, int count, CBitmapData& band) {
                    composer.ComposeRows(band, first, count);
                },
                *bitmap)) {
            return nullptr;
        }
    } else if (fivePlanePath) {
        reader.ComposePlanes5(bitmap.get(), table);
    } else {
        reader.ComposePlanes(bitmap.get(), table);
    }
    if (fivePlanePath && (header.nStyle == 1 || header.nStyle == 2) && reader.m_pBlackPlane) {
        reader.m_pBlackPlane->Create(reader.m_nMaxAltWidth, reader.m_nMaxAltHeight, 4);
        reader.m_pBlackPlane->Clear();
    }
    formats::PostProgress(progress, 70);
    formats::PostProgress(progress, 80);
    const int angle = reader.GetPageRotation(&subPage, firstMarked);
    if (RotateBitmap(bitmap, angle, nullptr) != 0) {
        return nullptr;
    }
    formats::PostProgress(progress, 90);

    std::unique_ptr<tagDORNPAGEIMGINFO> record(new (std::nothrow) tagDORNPAGEIMGINFO);
    if (!record) {
        return nullptr;
    }
    const bool turned = angle == 90 || angle == 270;
    record->pBitmap = std::move(bitmap);
    record->nRotation = 0;
    record->nWidth = turned ? subPage.nHeight : subPage.nWidth;
    record->nHeight = turned ? subPage.nWidth : subPage.nHeight;
    record->bMarked = subPage.nMark1Run != 0;
    return record;
}

} // namespace

std::unique_ptr<tagDORNPAGEIMGINFO> CDornComFile::ReadPageImage(std::uint32_t page,
                                                                std::uint32_t subPage, int box,
                                                                formats::ProgressTarget* progress)
{
    const std::lock_guard<std::mutex> lock(g_decodeLock);
    std::unique_ptr<tagDORNPAGEIMGINFO> record;
    {
        const CoverageTablesInUse tables;
        try {
            record = DecodeSubPage(*this, page, subPage, box, progress);
        } catch (const std::bad_alloc&) {
            record.reset();
        }
    }
    formats::PostProgress(progress, 100);
    return record;
}

bool CDornComFile::AllocatePlanes()
{
    const bool fivePlanePath = m_pJobHeader && m_pJobHeader->nZCount == 5;
    const std::size_t count = fivePlanePath ? 4 : 3;
    // Makes `plane` at least `width` x `height`, keeping it when it is large enough.
    auto fit = [](std::unique_ptr<CBitmapData>& plane, int width, int height) {
        if (!plane) {
            plane.reset(new (std::nothrow) CBitmapData);
            if (!plane) {
                return false;
            }
        }
        if (plane->m_pBits != nullptr && plane->m_nBitCount == 4 && plane->m_nWidth >= width &&
            plane->m_nHeight >= height) {
            return true;
        }
        // New storage starts cleared.
        return plane->Create(width, height, 4);
    };
    // A page beyond what the printer prints, a sibling of the page decoded included, would
    // still get planes of gigabytes, cleared at every decode; such maxima fail here at once.
    bool made = IsPrintable(m_pJobHeader.get(), m_nMaxWidth, m_nMaxHeight) &&
                IsPrintable(m_pJobHeader.get(), m_nMaxAltWidth, m_nMaxAltHeight);
    try {
        // Also when a new job header asks for more planes than an earlier decode made.
        if (made && m_pColorPlanes.size() < count) {
            m_pColorPlanes.resize(count);
        }
    } catch (const std::bad_alloc&) {
        made = false;
    }
    for (std::size_t i = 0; made && i < count; ++i) {
        made = fit(m_pColorPlanes[i], m_nMaxWidth, m_nMaxHeight);
    }
    made = made && fit(m_pBlackPlane, m_nMaxAltWidth, m_nMaxAltHeight);
    if (!made) {
        m_pColorPlanes.clear();
        m_pBlackPlane.reset();
    }
    return made;
}

void CDornComFile::ClearPlanes()
{
    const bool fivePlanePath = m_pJobHeader && m_pJobHeader->nZCount == 5;
    const std::size_t count = std::min<std::size_t>(fivePlanePath ? 4 : 3, m_pColorPlanes.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (m_pColorPlanes[i]) {
            m_pColorPlanes[i]->Clear();
        }
    }
    if (m_pBlackPlane) {
        m_pBlackPlane->Clear();
    }
}
