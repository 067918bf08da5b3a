// What a sample sub-page shows: its printed page number large in black, the mail number
// small, a frame, and areas and level ramps in every colour plane, so that a decoded
// thumbnail tells at once which page it is and whether each plane arrived.
#pragma once

#include "tools/LevelPlane.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace samplejob {

struct SubPageArtRequest
{
    uint32_t printedPage = 0; // 0: a blank sheet
    uint32_t mailNo = 0;
    int colourPlanes = 3; // 3, or 4 with the spot colour
    int width = 0;        // pixels of the colour planes, as stored
    int height = 0;
    int blackWidth = 0; // pixels of the black plane, as stored
    int blackHeight = 0;
    int rotation = 0;                       // clockwise turn that brings it into reading position
    LevelMode levels = LevelMode::ThreeBit; // of the colour planes
    LevelMode blackLevels = LevelMode::ThreeBit;
    bool numbers = true; // false: everything but the page and mail numbers
};

struct SubPageArt
{
    std::vector<LevelPlane> colour; // planes 0, 1, 2 (and the spot colour 3), as stored
    LevelPlane black;
};

// Where the large page number goes on a plane of that size: its top-left corner and the side
// of one font cell.
struct PageNumberPlacement
{
    int x = 0;
    int y = 0;
    int cell = 1;
};
PageNumberPlacement PlacePageNumber(int width, int height, size_t digits);

// Drawn upright in reading position, then turned back by the rotation, as the printer
// stores a page that the viewer turns for reading.
SubPageArt PaintSubPage(const SubPageArtRequest& request);

} // namespace samplejob
