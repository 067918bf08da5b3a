#include "formats/pagestream/PlaneComposition.h"

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/PlaneComposer.h"

namespace formats {

void ComposeFourPlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, const CoverageTable* table)
{
    PlaneComposer::FourPlanes(colourPlanes, blackPlane, table)
        .ComposeRows(output, 0, output.m_nHeight);
}

void ComposeFivePlanes(CBitmapData& output, std::span<const CBitmapData* const> colourPlanes,
                       const CBitmapData* blackPlane, int altLevelMode, const CoverageTable* table,
                       int spotSelector)
{
    PlaneComposer::FivePlanes(colourPlanes, blackPlane, altLevelMode, table, spotSelector)
        .ComposeRows(output, 0, output.m_nHeight);
}

} // namespace formats
