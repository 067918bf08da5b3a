// The page reader's geometry and composition: thin members over the pixel code, fed from the
// job header and the planes.
#include "formats/image/CBitmapData.h"
#include "formats/image/PageGeometry.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PlaneComposer.h"
#include "formats/pagestream/PlaneComposition.h"

#include <array>
#include <cstddef>

namespace {

// The first `count` colour planes, missing ones as none.
template <std::size_t count>
std::array<const CBitmapData*, count>
ColourPlanes(const std::vector<std::unique_ptr<CBitmapData>>& planes)
{
    std::array<const CBitmapData*, count> colour{};
    for (std::size_t i = 0; i < count && i < planes.size(); ++i) {
        colour[i] = planes[i].get();
    }
    return colour;
}

} // namespace

int CDornComFile::ScaleToFit(const CBitmapData* source, int box,
                             std::unique_ptr<CBitmapData>& result) const
{
    if (source == nullptr) {
        return -1;
    }
    const int resolutionX = m_pJobHeader ? m_pJobHeader->nResolutionX : 0;
    const int resolutionY = m_pJobHeader ? m_pJobHeader->nResolutionY : 0;
    return formats::ScaleIntoBox(*source, box, resolutionX, resolutionY, result);
}

int CDornComFile::GetPageRotation(const tagDORNSUBPAGEINFO* subPage, bool firstMarked) const
{
    if (subPage == nullptr) {
        return 0;
    }
    formats::PageRotationWords words;
    if (m_pJobHeader) {
        words.nStyle = m_pJobHeader->nStyle;
        words.nOrientation = m_pJobHeader->nOrientation;
        words.nValueO3 = m_pJobHeader->nValueO3;
        words.nValueA37 = m_pJobHeader->nValueA37;
        words.nValueZ = m_pJobHeader->nValueZ;
    }
    words.nPageOrientation = subPage->nOrientation;
    words.nSequence = subPage->nSequence;
    words.nMarkValue = subPage->nMarkValue;
    words.nWidth = subPage->nWidth;
    words.nHeight = subPage->nHeight;
    words.nValueX103 = subPage->nValueX103;
    words.nValueX104 = subPage->nValueX104;
    words.nMark2Run = subPage->nMark2Run;
    words.nMark1Run = subPage->nMark1Run;
    words.bFirstMarked = firstMarked;
    return formats::PageRotation(words);
}

void CDornComFile::ComposePlanes(CBitmapData* output, const formats::CoverageTable* table) const
{
    if (output != nullptr) {
        formats::ComposeFourPlanes(*output, ColourPlanes<3>(m_pColorPlanes), m_pBlackPlane.get(),
                                   table);
    }
}

void CDornComFile::ComposePlanes5(CBitmapData* output, const formats::CoverageTable* table) const
{
    if (output != nullptr) {
        const int altLevelMode = m_pJobHeader ? m_pJobHeader->nAltLevelMode : 0;
        formats::ComposeFivePlanes(*output, ColourPlanes<4>(m_pColorPlanes), m_pBlackPlane.get(),
                                   altLevelMode, table, formats::GetSpotSelector());
    }
}

formats::PlaneComposer CDornComFile::PlaneComposerFor(const formats::CoverageTable* table) const
{
    if (m_pJobHeader && m_pJobHeader->nZCount == 5) {
        return formats::PlaneComposer::FivePlanes(ColourPlanes<4>(m_pColorPlanes),
                                                  m_pBlackPlane.get(), m_pJobHeader->nAltLevelMode,
                                                  table, formats::GetSpotSelector());
    }
    return formats::PlaneComposer::FourPlanes(ColourPlanes<3>(m_pColorPlanes), m_pBlackPlane.get(),
                                              table);
}
