#include "tools/SubPageArt.h"

#include "tools/DigitFont.h"

#include <algorithm>
#include <string>

namespace samplejob {
namespace {

// Areas in thousandths of the plane's width and height, so that planes of different
// resolutions line up.
struct Area
{
    int x0, y0, x1, y1;
};

constexpr Area kColourAreas[4] = {
    {60, 60, 940, 120},   // plane 0: the title bar
    {100, 660, 500, 800}, // plane 1: a block lower left
    {400, 700, 900, 840}, // plane 2: a block lower right, overlapping plane 1
    {600, 140, 900, 240}, // plane 3 (spot colour): a block upper right
};

void FillArea(LevelPlane& plane, const Area& area, uint8_t level)
{
    const int w = plane.Width();
    const int h = plane.Height();
    plane.Fill(w * area.x0 / 1000, h * area.y0 / 1000, w * area.x1 / 1000, h * area.y1 / 1000,
               level);
}

// Every level of the plane's ladder once, lightest first, in the plane's own strip.
void FillRamp(LevelPlane& plane, int index, int planes, uint8_t full)
{
    const int strip = 70 / planes;
    const int y0 = 860 + index * strip;
    for (int level = 1; level <= full; ++level) {
        const int x0 = 60 + (level - 1) * 880 / full;
        const int x1 = 60 + level * 880 / full;
        FillArea(plane, {x0, y0, x1, y0 + strip * 4 / 5}, static_cast<uint8_t>(level));
    }
}

void PaintBlack(LevelPlane& plane, const SubPageArtRequest& request)
{
    const int w = plane.Width();
    const int h = plane.Height();
    const uint8_t full = FullInk(request.blackLevels);
    const int margin = std::min(w, h) * 30 / 1000;
    const int line = std::max(1, std::min(w, h) * 6 / 1000);
    plane.Fill(margin, margin, w - margin, margin + line, full);
    plane.Fill(margin, h - margin - line, w - margin, h - margin, full);
    plane.Fill(margin, margin, margin + line, h - margin, full);
    plane.Fill(w - margin - line, margin, w - margin, h - margin, full);
    if (!request.numbers) {
        return;
    }

    const std::string page = std::to_string(request.printedPage);
    const PageNumberPlacement placement = PlacePageNumber(w, h, page.size());
    DrawDigits(plane, page, placement.x, placement.y, placement.cell, full);

    const int small = std::max(1, h * 12 / 1000);
    DrawDigits(plane, std::to_string(request.mailNo), w * 60 / 1000, h * 140 / 1000, small, full);
}

} // namespace

PageNumberPlacement PlacePageNumber(int width, int height, size_t digits)
{
    const int cells = std::max(TextCells(std::string(std::max<size_t>(digits, 1), '0')), 1);
    PageNumberPlacement placement;
    placement.cell =
        std::max(1, std::min(width * 700 / 1000 / cells, height * 350 / 1000 / kGlyphRows));
    placement.x = (width - cells * placement.cell) / 2;
    placement.y = height * 450 / 1000 - kGlyphRows * placement.cell / 2;
    return placement;
}

SubPageArt PaintSubPage(const SubPageArtRequest& request)
{
    const bool quarter = request.rotation == 90 || request.rotation == 270;
    // Reading position: the stored size turned by the rotation.
    auto reading = [quarter](int width, int height) {
        return quarter ? LevelPlane(height, width) : LevelPlane(width, height);
    };
    const int back = (360 - request.rotation) % 360;

    SubPageArt art;
    for (int c = 0; c < request.colourPlanes; ++c) {
        LevelPlane plane = reading(request.width, request.height);
        if (request.printedPage != 0) {
            const uint8_t full = FullInk(request.levels);
            FillArea(plane, kColourAreas[c], full);
            FillRamp(plane, c, request.colourPlanes, full);
        }
        art.colour.push_back(plane.Rotated(back));
    }
    LevelPlane black = reading(request.blackWidth, request.blackHeight);
    if (request.printedPage != 0) {
        PaintBlack(black, request);
    }
    art.black = black.Rotated(back);
    return art;
}

} // namespace samplejob
