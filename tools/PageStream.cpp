#include "tools/PageStream.h"

#include "tools/SampleFiles.h"
#include "tools/StreamCommands.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace samplejob {
namespace {

// Sheet sizes in tenths of a millimetre: A4 letters, DL envelopes.
constexpr int kLetterWidth = 2100;
constexpr int kLetterHeight = 2970;
constexpr int kEnvelopeLong = 2200;
constexpr int kEnvelopeShort = 1100;

// Payloads that hold command-like bytes: a reader that does not skip them misreads the
// stream at once.
constexpr std::string_view kHeaderPayload = "?<0>E!";
constexpr std::string_view kHeaderPayload2 = "?<0>y";
constexpr std::string_view kPagePayload = "?<0>P";

int BitsOf(LevelMode mode)
{
    return mode == LevelMode::TwoBit ? 2 : 4;
}

int ReadingRotation(const StreamHeader& header, const StreamSubPage& subPage)
{
    const int code = header.style != 0 ? subPage.orientation : header.orientation;
    const int base = code == 2 ? 270 : code == 3 ? 180 : code == 4 ? 90 : 0;
    if (header.style != 0) {
        return base;
    }
    // Second sides of duplex sheets come out turned half round. The writer sets none of the
    // other commands that take part in the turn.
    const bool portrait = subPage.width < subPage.height;
    const bool even = subPage.sequence % 2 == 0;
    bool flip = false;
    if (header.valueO3 == 1 && even) {
        flip = portrait;
    }
    if (header.valueO3 == 2 && even && !portrait) {
        flip = true;
    }
    return flip ? (base + 180) % 360 : base;
}

// Collects the stream, handing it to the file in large pieces; remembers its position.
class StreamBytes
{
public:
    explicit StreamBytes(OutputFile* file) : m_file(file) {}

    void Write(std::string_view bytes)
    {
        if (m_stopped) {
            return;
        }
        m_buffer += bytes;
        if (m_file && m_buffer.size() >= (1u << 20)) {
            Flush();
        }
    }
    uint64_t Position() const { return m_flushed + m_buffer.size(); }
    void Stop() { m_stopped = true; }
    bool Stopped() const { return m_stopped; }
    void Flush()
    {
        if (m_file) {
            m_file->Write(m_buffer);
            m_flushed += m_buffer.size();
            m_buffer.clear();
        }
    }
    std::string& Buffer() { return m_buffer; }

private:
    OutputFile* m_file;
    std::string m_buffer;
    uint64_t m_flushed = 0;
    bool m_stopped = false;
};

struct Imposition
{
    int valueA8;
    int valueA19;
    int valueO3;
};

// Commands that select each kind of sub-page order.
constexpr Imposition kImpositions[5] = {{0, 0, 0}, {1, 1, 1}, {2, 0, 2}, {4, 1, 1}, {1, 0, 1}};

int ImpositionKindOf(const StreamHeader& header)
{
    const bool special = header.jobKind == 101 || header.jobKind == 102;
    if (header.valueO3 == 0) {
        return 0;
    }
    if (header.valueA8 == 1 && header.valueA19 == 1 && !special) {
        return 1;
    }
    if (header.valueA8 == 2 && header.valueA19 == 0 && !special) {
        return 2;
    }
    if (header.valueA8 == 4 && header.valueA19 == 1) {
        return 3;
    }
    if (header.valueA8 == 1 && header.valueA19 == 0 && special) {
        return 4;
    }
    return 0;
}

class StreamWriter
{
public:
    StreamWriter(const JobLogOptions& job, const PageStreamOptions& options, StreamBytes& bytes)
        : m_job(job), m_options(options), m_bytes(bytes)
    {}

    int Run(PageStreamLayout& layout);

private:
    int Header();
    void Page(const SampleMail& mail, uint32_t pageNo, bool last);
    void SubPage(StreamSubPage& subPage, bool useSizeCommand, bool firstOfStream, bool lastPage);
    // Where the sub-page written at stream position i ends up after the reader's reordering.
    size_t FinalPosition(size_t i, size_t count) const;

    const JobLogOptions& m_job;
    const PageStreamOptions& m_options;
    StreamBytes& m_bytes;
    PageStreamLayout m_layout;
};

int StreamWriter::Header()
{
    const PageStreamOptions& o = m_options;
    const bool threeBit = o.levels == LevelMode::ThreeBit;
    if ((threeBit && o.orientationPerSubPage) ||
        (o.fivePlanes && o.blackLevels == LevelMode::ThreeBit) || o.impositionKind > 4 ||
        o.jobOrientation > 4 || o.letterOrientation < 1 || o.letterOrientation > 4 ||
        o.resolution < 1 || o.resolution > 2400 || o.blackResolution > 2400 || o.bandLines < 1 ||
        o.copies > 9999) {
        return -1;
    }
    StreamHeader& h = m_layout.header;
    const Imposition& imposition = kImpositions[o.impositionKind];
    int jobKind = static_cast<int>(std::min<uint32_t>(o.jobKind, 9999999));
    if (o.impositionKind == 4 && jobKind != 101 && jobKind != 102) {
        jobKind = 101;
    }

    if (o.otherCommands) {
        m_bytes.Write(StreamCommand('L', {0, 0, 0, static_cast<int64_t>(kHeaderPayload.size())}));
        m_bytes.Write(kHeaderPayload);
    }
    const int res = static_cast<int>(o.resolution);
    if (o.orientationPerSubPage) {
        m_bytes.Write(StreamCommand('#', {0, 0, 0, 0, 0, 0, jobKind}));
        h.style = jobKind == 1 ? 2 : 1;
    } else {
        m_bytes.Write(StreamCommand('#', {0, 0, 0, 0, 0, res, res, 0, 3, jobKind}));
        h.resolutionX = h.resolutionY = res;
        h.levelMode = static_cast<int>(LevelMode::ThreeBit);
    }
    h.jobKind = jobKind;

    auto z = [&](int selector, int dpi, LevelMode mode) {
        m_bytes.Write(StreamCommand('z', {selector, dpi, dpi, BitsOf(mode), 0}));
        if (selector != 0) {
            h.resolutionX = h.resolutionY = dpi;
            h.levelMode = static_cast<int>(mode);
        } else {
            h.altResolutionX = h.altResolutionY = dpi;
            h.altLevelMode = static_cast<int>(mode);
            if (h.resolutionX == 0 && h.resolutionY == 0) {
                h.resolutionX = h.resolutionY = dpi;
                h.levelMode = static_cast<int>(mode);
            }
        }
        ++h.zCount;
    };
    if (o.fivePlanes) {
        // One command for the black plane, four for the colour planes; 3-bit colour is only
        // set by the job command, so then all five describe the black plane.
        const int blackDpi =
            static_cast<int>(o.blackResolution != 0 ? o.blackResolution : o.resolution);
        z(0, blackDpi, o.blackLevels);
        for (int plane = 1; plane <= 4; ++plane) {
            if (threeBit) {
                z(0, blackDpi, o.blackLevels);
            } else {
                z(plane, res, o.levels);
            }
        }
    } else if (!threeBit) {
        z(1, res, o.levels);
    }

    if (!o.orientationPerSubPage && o.jobOrientation != 0) {
        m_bytes.Write(StreamCommand('l', {2, 0, static_cast<int>(o.jobOrientation)}));
        h.orientation = static_cast<int>(o.jobOrientation);
    }
    if (o.impositionKind != 0) {
        m_bytes.Write(StreamCommand('a', {8, 0, imposition.valueA8}));
        m_bytes.Write(StreamCommand('a', {19, 0, imposition.valueA19}));
        m_bytes.Write(StreamCommand('O', {3, 0, imposition.valueO3}));
        h.valueA8 = imposition.valueA8;
        h.valueA19 = imposition.valueA19;
        h.valueO3 = imposition.valueO3;
    }
    m_layout.impositionKind = ImpositionKindOf(h);
    if (m_layout.impositionKind != static_cast<int>(o.impositionKind)) {
        return -1; // the job kind asked for contradicts the imposition
    }
    if (o.copies != 0) {
        m_bytes.Write(StreamCommand('c', {static_cast<int>(o.copies)}));
        h.copies = static_cast<int>(o.copies);
    }
    if (o.otherCommands) {
        m_bytes.Write(StreamCommand('e', {static_cast<int64_t>(kHeaderPayload2.size())}));
        m_bytes.Write(kHeaderPayload2);
    }
    m_bytes.Write("\r\n");
    h.firstPageOffset = m_bytes.Position();
    return 0;
}

size_t StreamWriter::FinalPosition(size_t i, size_t count) const
{
    const int kind = m_layout.impositionKind;
    size_t position = i;
    if (kind == 1 || kind == 2) {
        position = count - 1 - position;
    }
    if (kind != 0 && m_layout.header.style == 0) {
        if (position % 2 == 1) {
            position -= 1;
        } else if (position + 1 < count) {
            position += 1;
        }
    }
    return position;
}

void StreamWriter::SubPage(StreamSubPage& subPage, bool useSizeCommand, bool firstOfStream,
                           bool lastPage)
{
    const PageStreamOptions& o = m_options;
    subPage.imageOffset = m_bytes.Position();
    if (useSizeCommand) {
        m_bytes.Write(StreamCommand('s', {subPage.width, subPage.height}));
    } else {
        m_bytes.Write(
            StreamCommand('h', {subPage.width, subPage.height, 0, 0, 0, subPage.orientation}));
    }
    if (o.marks) {
        m_bytes.Write(StreamCommand('t', {subPage.markValue}));
    }

    const LevelMode blackMode = o.fivePlanes ? o.blackLevels : o.levels;
    if (firstOfStream && o.defect == StreamDefect::ShortBand) {
        // One unit short of one line of 16 pixels; drawn, it would show at the top left.
        const int bytesPerLine = BandBytesPerLine(blackMode, 16);
        const int unit = blackMode == LevelMode::ThreeBit ? 3 : 1;
        std::string raw(static_cast<size_t>(bytesPerLine - unit), '\xFF');
        std::string coded;
        EncodeBandData(raw, blackMode, coded);
        m_bytes.Write(StreamCommand('I', {0, bytesPerLine, 1, static_cast<int64_t>(coded.size())}));
        m_bytes.Write(coded);
    }
    if (o.fivePlanes && o.redSpot && subPage.printedPage != 0) {
        // An empty plane-4 line: draws nothing, selects the spot colour that spares red.
        std::string raw(static_cast<size_t>(BandBytesPerLine(o.levels, 8)), '\0');
        std::string coded;
        EncodeBandData(raw, o.levels, coded);
        m_bytes.Write(StreamCommand(
            'I', {4, BandBytesPerLine(o.levels, 8), 1, static_cast<int64_t>(coded.size())}));
        m_bytes.Write(coded);
    }

    if (subPage.printedPage != 0) {
        const SubPageArt art = StreamSubPageArt(o, subPage);
        // Each plane under either of its numbers, so that readers map both.
        const bool alternate = subPage.printedPage % 2 == 0;
        std::vector<std::pair<int, const LevelPlane*>> planes;
        planes.push_back({0, &art.black});
        planes.push_back({alternate ? 6 : 1, &art.colour[0]});
        planes.push_back({alternate && !o.fivePlanes ? 4 : 2, &art.colour[1]});
        planes.push_back({3, &art.colour[2]});
        if (o.fivePlanes) {
            planes.push_back({o.redSpot ? 5 : 7, &art.colour[3]});
        }
        const int bandLines = static_cast<int>(std::min<uint32_t>(o.bandLines, 4096));
        BandOrigin origin;
        std::string piece;
        for (const auto& [planeNo, plane] : planes) {
            const LevelMode mode = planeNo == 0 ? blackMode : o.levels;
            for (const EncodedBand& band : EncodePlaneBands(planeNo, *plane, mode, bandLines)) {
                piece.clear();
                AppendBand(piece, origin, band);
                if (lastPage && o.defect == StreamDefect::TruncatedBand) {
                    // The first band of the last page: the file ends half way into its data.
                    const size_t data = band.bytes.size() - band.commandLength;
                    m_bytes.Write(std::string_view(piece).substr(0, piece.size() - data / 2));
                    m_bytes.Stop();
                    return;
                }
                m_bytes.Write(piece);
            }
        }
    }
    m_bytes.Write(StreamCommand('P', {subPage.pageValue}));
}

void StreamWriter::Page(const SampleMail& mail, uint32_t pageNo, bool last)
{
    const PageStreamOptions& o = m_options;
    const StreamHeader& h = m_layout.header;
    // Display order: the printed pages ascending, the hidden separator after them.
    std::vector<StreamSubPage> final;
    const uint32_t envelopePage = mail.sheets.empty() ? 0 : mail.sheets.back().frontPage;
    for (uint32_t p = mail.FirstPage(); p != 0 && p <= mail.LastPage(); ++p) {
        StreamSubPage sub;
        sub.printedPage = p;
        sub.mailNo = mail.mailNo;
        const bool envelope = p == envelopePage;
        if (o.orientationPerSubPage) {
            // Envelopes run short edge first and are turned for reading.
            sub.width = envelope ? kEnvelopeShort : kLetterWidth;
            sub.height = envelope ? kEnvelopeLong : kLetterHeight;
            sub.orientation = envelope ? 4 : static_cast<int>(o.letterOrientation);
        } else {
            sub.width = envelope ? kEnvelopeLong : kLetterWidth;
            sub.height = envelope ? kEnvelopeShort : kLetterHeight;
        }
        final.push_back(sub);
    }
    if (o.hiddenSubPages) {
        StreamSubPage sub;
        sub.mailNo = mail.mailNo;
        sub.width = kLetterWidth;
        sub.height = kLetterHeight;
        sub.orientation = o.orientationPerSubPage ? 1 : 0;
        sub.pageValue = 1;
        final.push_back(sub);
    }
    int shown = 0;
    for (size_t q = 0; q < final.size(); ++q) {
        StreamSubPage& sub = final[q];
        sub.sequence = static_cast<int>(q) + 1;
        sub.number = sub.pageValue == 1 ? 0 : ++shown;
        sub.pixelWidth = TenthsToPixels(sub.width, h.resolutionX);
        sub.pixelHeight = TenthsToPixels(sub.height, h.resolutionY);
        if (h.zCount == 5) {
            sub.altPixelWidth = TenthsToPixels(sub.width, h.altResolutionX);
            sub.altPixelHeight = TenthsToPixels(sub.height, h.altResolutionY);
        } else {
            sub.altPixelWidth = sub.pixelWidth;
            sub.altPixelHeight = sub.pixelHeight;
        }
        sub.rotation = ReadingRotation(h, sub);
        if (o.marks) {
            sub.markValue = q == 0 && sub.pageValue == 0 ? 1 : 2;
        }
    }

    StreamPage page;
    page.page = pageNo;
    page.mailNo = mail.mailNo;
    page.start = m_bytes.Position();
    m_bytes.Write(StreamCommand('x', {1, pageNo, static_cast<int64_t>(final.size())}));
    if (o.otherCommands) {
        m_bytes.Write(StreamCommand('R', {2, static_cast<int64_t>(kPagePayload.size())}));
        m_bytes.Write(kPagePayload);
    }
    int mark1Run = 0;
    int mark2Run = 0;
    const StreamSubPage* previous = nullptr;
    for (size_t i = 0; i < final.size() && !m_bytes.Stopped(); ++i) {
        StreamSubPage& sub = final[FinalPosition(i, final.size())];
        if (o.marks) {
            mark1Run = sub.markValue == 1 ? mark1Run + 1 : 0;
            mark2Run = sub.markValue == 2 ? mark2Run + 1 : 0;
            sub.mark1Run = sub.pageValue == 1 ? 0 : mark1Run;
            sub.mark2Run = sub.pageValue == 1 ? 0 : mark2Run;
        }
        // The size-only command keeps what the last full one set, so it serves only when
        // that was the same.
        const bool sameAsPrevious = previous && previous->width == sub.width &&
                                    previous->height == sub.height &&
                                    previous->orientation == sub.orientation;
        SubPage(sub, sameAsPrevious, pageNo == 1 && i == 0, last);
        previous = &sub;
    }
    if (m_bytes.Stopped()) {
        return;
    }
    const std::string end = StreamCommand('y', {0});
    page.length = m_bytes.Position() + end.size() - 1 - page.start;
    m_bytes.Write(end);
    m_bytes.Write("\r\n");
    page.subPages = std::move(final);
    m_layout.pages.push_back(std::move(page));
}

int StreamWriter::Run(PageStreamLayout& layout)
{
    if (Header() != 0) {
        return -1;
    }
    const uint32_t mails = m_job.mails;
    for (uint32_t m = 1; m <= mails && !m_bytes.Stopped(); ++m) {
        Page(PlanMail(m_job, m), m, m == mails);
    }
    if (m_options.defect != StreamDefect::MissingEnd && !m_bytes.Stopped()) {
        m_layout.endOffset = m_bytes.Position();
        m_bytes.Write(StreamCommand('E', {0}));
    }
    m_layout.fileLength = m_bytes.Position();
    layout = std::move(m_layout);
    return 0;
}

} // namespace

int TenthsToPixels(int tenths, int dotsPerInch)
{
    const int64_t pixels = int64_t{tenths} * dotsPerInch / 254;
    return static_cast<int>((pixels + 7) / 8 * 8);
}

int WritePageStream(const std::string& path, const JobLogOptions& job,
                    const PageStreamOptions& options, PageStreamLayout* layout)
{
    OutputFile file(path);
    if (!file.IsOpen()) {
        return -1;
    }
    StreamBytes bytes(&file);
    PageStreamLayout result;
    StreamWriter writer(job, options, bytes);
    const int status = writer.Run(result);
    bytes.Flush();
    if (file.Close() != 0 || status != 0) {
        std::remove(path.c_str());
        return -1;
    }
    if (layout) {
        *layout = std::move(result);
    }
    return 0;
}

std::string MakePageStream(const JobLogOptions& job, const PageStreamOptions& options,
                           PageStreamLayout* layout)
{
    StreamBytes bytes(nullptr);
    PageStreamLayout result;
    StreamWriter writer(job, options, bytes);
    if (writer.Run(result) != 0) {
        return {};
    }
    if (layout) {
        *layout = std::move(result);
    }
    return std::move(bytes.Buffer());
}

std::vector<PageSpan> PageSpans(const PageStreamLayout& layout)
{
    std::vector<PageSpan> spans;
    for (const StreamPage& page : layout.pages) {
        spans.push_back({page.page, page.start, page.length});
    }
    return spans;
}

std::vector<PageSpan> ExpectedPageIndex(const PageStreamLayout& layout)
{
    if (layout.endOffset == 0) {
        return {};
    }
    std::vector<PageSpan> index = PageSpans(layout);
    if (index.empty()) {
        // No page commands: one record from the first page offset up to the end's letter.
        const std::string end = StreamCommand('E', {0});
        const uint64_t start = layout.header.firstPageOffset;
        index.push_back({0xFFFFFFFFu, start, layout.endOffset + end.size() - 1 - start});
    }
    const size_t count = index.size();
    for (int copy = 2; copy <= layout.header.copies; ++copy) {
        for (size_t i = 0; i < count; ++i) {
            PageSpan span = index[i];
            // Page numbers wrap at 32 bits, as a reader's do.
            span.page += static_cast<uint32_t>(static_cast<uint64_t>(copy - 1) * count);
            index.push_back(span);
        }
    }
    return index;
}

SubPageArt StreamSubPageArt(const PageStreamOptions& options, const StreamSubPage& subPage)
{
    SubPageArtRequest request;
    request.printedPage = subPage.printedPage;
    request.mailNo = subPage.mailNo;
    request.colourPlanes = options.fivePlanes ? 4 : 3;
    request.width = subPage.pixelWidth;
    request.height = subPage.pixelHeight;
    request.blackWidth = options.fivePlanes ? subPage.altPixelWidth : subPage.pixelWidth;
    request.blackHeight = options.fivePlanes ? subPage.altPixelHeight : subPage.pixelHeight;
    request.rotation = subPage.rotation;
    request.levels = options.levels;
    request.blackLevels = options.fivePlanes ? options.blackLevels : options.levels;
    return PaintSubPage(request);
}

} // namespace samplejob
