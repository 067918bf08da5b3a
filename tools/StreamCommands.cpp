#include "tools/StreamCommands.h"

#include "tools/RunLengthCoding.h"

#include <algorithm>

namespace samplejob {

std::string StreamCommand(char letter, std::initializer_list<int64_t> params)
{
    std::string text = "?";
    if (params.size() != 0) {
        text += '<';
        bool first = true;
        for (int64_t value : params) {
            if (!first) {
                text += ';';
            }
            first = false;
            text += std::to_string(value);
        }
        text += '>';
    }
    text += letter;
    return text;
}

int BandBytesPerLine(LevelMode mode, int pixels)
{
    switch (mode) {
    case LevelMode::TwoBit:
        return pixels / 4;
    case LevelMode::ThreeBit:
        return pixels * 3 / 8;
    case LevelMode::FourBit:
        return pixels / 2;
    }
    return 0;
}

void EncodeBandData(const std::string& raw, LevelMode mode, std::string& coded)
{
    const auto* data = reinterpret_cast<const uint8_t*>(raw.data());
    if (mode == LevelMode::ThreeBit) {
        EncodeRun24(data, raw.size(), coded);
    } else {
        EncodeRunBytes(data, raw.size(), coded);
    }
}

std::vector<EncodedBand> EncodePlaneBands(int planeNo, const LevelPlane& plane, LevelMode mode,
                                          int bandLines)
{
    std::vector<EncodedBand> bands;
    bandLines = std::max(bandLines, 1);
    std::string raw;
    std::string coded;
    for (int y0 = 0; y0 < plane.Height(); y0 += bandLines) {
        const int lines = std::min(bandLines, plane.Height() - y0);
        int first = 0;
        int last = 0;
        plane.InkColumns(y0, y0 + lines, first, last);
        if (last <= first) {
            continue; // the planes start clear: blank rows need no band
        }
        const int x0 = first / 8 * 8;
        const int x1 = std::min((last + 7) / 8 * 8, (plane.Width() + 7) / 8 * 8);
        raw.clear();
        for (int i = 0; i < lines; ++i) {
            plane.PackRow(y0 + i, x0, x1 - x0, mode, raw);
        }
        coded.clear();
        EncodeBandData(raw, mode, coded);
        EncodedBand band;
        band.x = x0;
        band.y = y0;
        band.bytes = StreamCommand('I', {planeNo, BandBytesPerLine(mode, x1 - x0), lines,
                                         static_cast<int64_t>(coded.size())});
        band.commandLength = band.bytes.size();
        band.bytes += coded;
        bands.push_back(std::move(band));
    }
    return bands;
}

void AppendBand(std::string& out, BandOrigin& origin, const EncodedBand& band, int dx, int dy)
{
    const int x = band.x + dx;
    const int y = band.y + dy;
    if (x != origin.x || y != origin.y) {
        out += StreamCommand('X', {x, y});
        origin = {x, y};
    }
    out += band.bytes;
}

} // namespace samplejob
