#include "tools/LargeInputs.h"

#include "tools/DigitFont.h"
#include "tools/SampleFiles.h"
#include "tools/SampleRandom.h"
#include "tools/StreamCommands.h"
#include "tools/SubPageArt.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace samplejob {
namespace {

constexpr int kLetterWidth = 2100;
constexpr int kLetterHeight = 2970;
constexpr LevelMode kLevels = LevelMode::FourBit;
constexpr int kBandLines = 64;

// The bands every sub-page shares, the digit glyphs, and the padding noise.
class StreamTemplate
{
public:
    StreamTemplate(int width, int height);
    // Pads every sub-page with noise up to about `bytes`.
    void PadTo(uint64_t bytes) { m_target = bytes; }
    // Appends one sub-page's bands, with `page` drawn large in black.
    void AppendSubPage(std::string& out, uint32_t page);

private:
    const std::vector<EncodedBand>& Glyph(int cell, int digit);
    EncodedBand MakeNoise(uint64_t have) const;

    int m_width;
    int m_height;
    std::string m_common;
    BandOrigin m_commonEnd;
    uint64_t m_target = 0;
    std::map<size_t, EncodedBand> m_noise; // by the number of digits, which the size depends on
    std::map<std::pair<int, int>, std::vector<EncodedBand>> m_glyphs;
};

StreamTemplate::StreamTemplate(int width, int height) : m_width(width), m_height(height)
{
    SubPageArtRequest request;
    request.width = request.blackWidth = width;
    request.height = request.blackHeight = height;
    request.levels = request.blackLevels = kLevels;
    request.printedPage = 1;
    request.numbers = false;
    const SubPageArt art = PaintSubPage(request);
    const std::array<std::pair<int, const LevelPlane*>, 4> planes = {
        {{0, &art.black}, {1, &art.colour[0]}, {2, &art.colour[1]}, {3, &art.colour[2]}}};
    for (const auto& [planeNo, plane] : planes) {
        for (const EncodedBand& band : EncodePlaneBands(planeNo, *plane, kLevels, kBandLines)) {
            AppendBand(m_common, m_commonEnd, band);
        }
    }
}

EncodedBand StreamTemplate::MakeNoise(uint64_t have) const
{
    EncodedBand noise;
    if (m_target <= have) {
        return noise;
    }
    // Noise in plane 3 (yellow) from a seventh of the page down: literal runs, about 129
    // coded bytes for 128.
    const int bytesPerLine = BandBytesPerLine(kLevels, m_width);
    const uint64_t wanted = (m_target - have) * 128 / 129 / static_cast<uint64_t>(bytesPerLine);
    const int lines = static_cast<int>(std::min<uint64_t>(wanted, m_height * 2 / 5));
    if (lines <= 0) {
        return noise;
    }
    SampleRandom random(0x6E6F697365ULL);
    std::string raw(static_cast<size_t>(bytesPerLine) * static_cast<size_t>(lines), '\0');
    for (char& byte : raw) {
        // Levels up to the darkest the ladder has, two a byte.
        byte = static_cast<char>(random.Below(12) << 4 | random.Below(12));
    }
    std::string coded;
    EncodeBandData(raw, kLevels, coded);
    noise.y = m_height / 7;
    noise.bytes = StreamCommand('I', {3, bytesPerLine, lines, static_cast<int64_t>(coded.size())});
    noise.commandLength = noise.bytes.size();
    noise.bytes += coded;
    return noise;
}

const std::vector<EncodedBand>& StreamTemplate::Glyph(int cell, int digit)
{
    auto& bands = m_glyphs[{cell, digit}];
    if (bands.empty()) {
        LevelPlane plane((kGlyphColumns * cell + 7) / 8 * 8, kGlyphRows * cell);
        DrawDigits(plane, std::string(1, static_cast<char>('0' + digit)), 0, 0, cell,
                   FullInk(kLevels));
        bands = EncodePlaneBands(0, plane, kLevels, kBandLines);
    }
    return bands;
}

void StreamTemplate::AppendSubPage(std::string& out, uint32_t page)
{
    const size_t start = out.size();
    out += m_common;
    BandOrigin origin = m_commonEnd;
    const std::string digits = std::to_string(page);
    const PageNumberPlacement placement = PlacePageNumber(m_width, m_height, digits.size());
    for (size_t i = 0; i < digits.size(); ++i) {
        // Glyphs start on a byte of 8 pixels, as bands do.
        const int x =
            (placement.x + static_cast<int>(i) * (kGlyphColumns + 1) * placement.cell) / 8 * 8;
        for (const EncodedBand& band : Glyph(placement.cell, digits[i] - '0')) {
            AppendBand(out, origin, band, x, placement.y);
        }
    }
    auto noise = m_noise.find(digits.size());
    if (noise == m_noise.end()) {
        // with the sub-page's own commands and an origin command
        const uint64_t have = out.size() - start + 64;
        noise = m_noise.emplace(digits.size(), MakeNoise(have)).first;
    }
    if (!noise->second.bytes.empty()) {
        AppendBand(out, origin, noise->second);
    }
}

} // namespace

JobLogOptions LargeJobLogOptions(uint64_t rows, uint64_t seed)
{
    // About 8.06 rows a mail: eight for the mail, and the occasional extra event.
    JobLogOptions options;
    options.seed = seed;
    options.letters = 2;
    const uint64_t mails = rows > 10 ? (rows - 10) * 100 / 806 : 0;
    options.mails = static_cast<uint32_t>(std::min<uint64_t>(mails, 100000000));
    options.errors = options.mails / 50;
    options.suspensions = options.mails / 100;
    options.sampleMails = options.mails / 500;
    options.interruptions = options.mails / 500;
    return options;
}

int WriteLargeJobLog(const std::string& path, uint64_t rows, uint64_t seed, JobLogCounts* counts)
{
    return WriteJobLogFile(path, LargeJobLogOptions(rows, seed), counts);
}

int WriteLargePageStream(const std::string& path, const LargeStreamOptions& options,
                         PageStreamLayout* layout)
{
    if (options.pages == 0 || options.subPagesPerPage == 0 || options.subPagesPerPage > 1000 ||
        options.resolution < 1 || options.resolution > 2400) {
        return -1;
    }
    OutputFile file(path);
    if (!file.IsOpen()) {
        return -1;
    }
    const int dpi = static_cast<int>(options.resolution);
    PageStreamLayout result;
    StreamHeader& header = result.header;
    std::string out = StreamCommand('#', {0, 0, 0, 0, 0, dpi, dpi, 0, 3, 0});
    out += StreamCommand('z', {1, dpi, dpi, 4, 0});
    out += "\r\n";
    header.resolutionX = header.resolutionY = dpi;
    header.levelMode = static_cast<int>(kLevels);
    header.zCount = 1;
    header.firstPageOffset = out.size();

    const int width = TenthsToPixels(kLetterWidth, dpi);
    const int height = TenthsToPixels(kLetterHeight, dpi);
    const uint64_t subPages = uint64_t{options.pages} * options.subPagesPerPage;
    StreamTemplate art(width, height);
    art.PadTo(options.bytes / subPages);

    uint64_t written = 0;
    uint32_t printed = 0;
    for (uint32_t p = 1; p <= options.pages; ++p) {
        StreamPage page;
        page.page = p;
        page.mailNo = p;
        page.start = written + out.size();
        out += StreamCommand('x', {1, p, options.subPagesPerPage});
        for (uint32_t s = 1; s <= options.subPagesPerPage; ++s) {
            StreamSubPage sub;
            sub.printedPage = ++printed;
            sub.mailNo = p;
            sub.number = sub.sequence = static_cast<int>(s);
            sub.width = kLetterWidth;
            sub.height = kLetterHeight;
            sub.pixelWidth = sub.altPixelWidth = width;
            sub.pixelHeight = sub.altPixelHeight = height;
            sub.imageOffset = written + out.size();
            out += s == 1 ? StreamCommand('h', {kLetterWidth, kLetterHeight, 0, 0, 0, 0})
                          : StreamCommand('s', {kLetterWidth, kLetterHeight});
            art.AppendSubPage(out, sub.printedPage);
            out += StreamCommand('P', {0});
            if (layout) {
                page.subPages.push_back(sub);
            }
        }
        const std::string end = StreamCommand('y', {0});
        page.length = written + out.size() + end.size() - 1 - page.start;
        out += end;
        out += "\r\n";
        if (layout) {
            result.pages.push_back(std::move(page));
        }
        if (out.size() >= (4u << 20)) {
            file.Write(out);
            written += out.size();
            out.clear();
        }
    }
    result.endOffset = written + out.size();
    out += StreamCommand('E', {0});
    file.Write(out);
    written += out.size();
    result.fileLength = written;
    if (file.Close() != 0) {
        std::remove(path.c_str());
        return -1;
    }
    if (layout) {
        *layout = std::move(result);
    }
    return 0;
}

} // namespace samplejob
