// Which decoding plane a raster band of the page-image stream is drawn into.
#pragma once

namespace formats {

enum class BandPlaneKind
{
    None,   // the band is not drawn
    Black,  // the black plane
    Colour, // colour plane `colourIndex`
};

struct BandPlane
{
    BandPlaneKind kind = BandPlaneKind::None;
    int colourIndex = 0;
    int spotSelector = 0; // the spot selector a decoded band sets, or 0 to leave it
};

// The plane of a band by its plane number, on the four-plane path (three colour planes) or the
// five-plane path (four, plane 3 the spot colour).
constexpr BandPlane PlaneForBand(int planeNumber, bool fivePlanePath)
{
    switch (planeNumber) {
    case 0:
        return {BandPlaneKind::Black, 0, 0};
    case 1:
    case 6:
        return {BandPlaneKind::Colour, 0, 0};
    case 2:
        return {BandPlaneKind::Colour, 1, 0};
    case 3:
        return {BandPlaneKind::Colour, 2, 0};
    case 4:
        return fivePlanePath ? BandPlane{BandPlaneKind::None, 0, 4}
                             : BandPlane{BandPlaneKind::Colour, 1, 0};
    case 7:
        return fivePlanePath ? BandPlane{BandPlaneKind::Colour, 3, 7}
                             : BandPlane{BandPlaneKind::None, 0, 7};
    default: // 5, 8 and above, negative
        return fivePlanePath ? BandPlane{BandPlaneKind::Colour, 3, 0}
                             : BandPlane{BandPlaneKind::None, 0, 0};
    }
}

} // namespace formats
