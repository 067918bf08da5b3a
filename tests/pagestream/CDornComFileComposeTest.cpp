// Why: the page decoder reaches composition, fitting and turning through the reader, which
// must feed them from its own job header and planes.
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PixelConversion.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<CBitmapData> NewPlane()
{
    auto plane = std::make_unique<CBitmapData>();
    EXPECT_TRUE(plane->Create(4, 1, 4));
    return plane;
}

// Blue, green and red of pixel x as one number 0xBBGGRR.
int Pixel(const CBitmapData& bitmap, int x)
{
    const std::uint8_t* p = bitmap.m_pBits + 3 * x;
    return p[0] << 16 | p[1] << 8 | p[2];
}

TEST(CDornComFileComposeTest, ComposesTheReadersPlanesWithItsHeader)
{
    BuildCoverageTable8();
    CDornComFile reader;
    reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    reader.m_pJobHeader->nAltLevelMode = 3;
    CBitmapData output;
    ASSERT_TRUE(output.Create(4, 1, 24));
    const formats::CoverageTable* table = formats::CoverageTableForLevelMode(2);
    reader.ComposePlanes(&output, table); // no planes yet: no ink
    EXPECT_EQ(Pixel(output, 3), 0xFFFFFF);

    for (int i = 0; i < 4; ++i) {
        reader.m_pColorPlanes.push_back(NewPlane());
    }
    reader.m_pBlackPlane = NewPlane();
    reader.m_pColorPlanes[3]->m_pBits[0] = 0x20; // pixel 0: spot level 2
    reader.m_pBlackPlane->m_pBits[1] = 0x30;     // pixel 2: 12-level black 3, 8-level 2
    reader.ComposePlanes(&output, table);        // black in the table's own scale
    EXPECT_EQ(Pixel(output, 2), 0x5E5E5E);       // T[0][3] = 94
    formats::SetSpotSelector(4);
    reader.ComposePlanes5(&output, table);
    EXPECT_EQ(Pixel(output, 0), 0x7878FF);
    EXPECT_EQ(Pixel(output, 2), 0x787878); // 255 - L[2]
    formats::SetSpotSelector(7);
    reader.ComposePlanes5(&output, table);
    EXPECT_EQ(Pixel(output, 0), 0x787878);
    FreeCoverageTables();
}

TEST(CDornComFileComposeTest, FitAndRotationReadTheHeader)
{
    CDornComFile reader;
    reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    reader.m_pJobHeader->nResolutionX = 600;
    reader.m_pJobHeader->nResolutionY = 300;
    CBitmapData page;
    ASSERT_TRUE(page.Create(400, 600, 24));
    std::unique_ptr<CBitmapData> thumb;
    ASSERT_EQ(reader.ScaleToFit(&page, 120, thumb), 0);
    EXPECT_EQ(std::pair(thumb->m_nWidth, thumb->m_nHeight), std::pair(80, 240));
    std::unique_ptr<CBitmapData> none;
    EXPECT_EQ(reader.ScaleToFit(nullptr, 120, none), -1);

    tagDORNSUBPAGEINFO subPage;
    subPage.nMarkValue = 1;
    reader.m_pJobHeader->nValueZ = 101;
    EXPECT_EQ(reader.GetPageRotation(&subPage, false), 180);
    EXPECT_EQ(reader.GetPageRotation(&subPage, true), 0);
    reader.m_pJobHeader->nStyle = 1;
    subPage.nOrientation = 4;
    EXPECT_EQ(reader.GetPageRotation(&subPage, true), 90);
}

} // namespace
