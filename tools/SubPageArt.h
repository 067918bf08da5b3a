// What a sample sub-page shows: its printed page number large in black, the mail number
// small, a frame, and areas and level ramps in every colour plane, so that a decoded
// thumbnail tells at once which page it is and whether each plane arrived.
#pragma once

#include "tools/LevelPlane.h"

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
};

struct SubPageArt
{
    std::vector<LevelPlane> colour; // planes 0, 1, 2 (and the spot colour 3), as stored
    LevelPlane black;
};

// Drawn upright in reading position, then turned back by the rotation, as the printer
// stores a page that the viewer turns for reading.
SubPageArt PaintSubPage(const SubPageArtRequest& request);

} // namespace samplejob
