// Building blocks of the page-image stream: commands with their parameter text, and the
// bands ('X' origin, 'I' with run-length coded data) that carry one plane.
#pragma once

#include "tools/LevelPlane.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace samplejob {

// "?<p0;p1;...>L", or "?L" without parameters.
std::string StreamCommand(char letter, std::initializer_list<int64_t> params);
int BandBytesPerLine(LevelMode mode, int pixels);
void EncodeBandData(const std::string& raw, LevelMode mode, std::string& coded);

// One band: its origin and its 'I' command followed by the coded data.
struct EncodedBand
{
    int x = 0;
    int y = 0;
    std::string bytes;
    size_t commandLength = 0; // of the 'I' command; the data follows
};

// The bands of a plane, `bandLines` rows each, cut to the columns that hold ink (in steps of
// 8 pixels); rows without ink get no band.
std::vector<EncodedBand> EncodePlaneBands(int planeNo, const LevelPlane& plane, LevelMode mode,
                                          int bandLines);

struct BandOrigin
{
    int x = 0;
    int y = 0;
};

// Appends the origin command when the band starts elsewhere (shifted by dx, dy), then the band.
void AppendBand(std::string& out, BandOrigin& origin, const EncodedBand& band, int dx = 0,
                int dy = 0);

} // namespace samplejob
