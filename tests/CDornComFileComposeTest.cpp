// Why: the page decoder reaches composition, fitting and turning through the reader, which
// feeds them from its job header and planes.
#include "formats/CBitmapData.h"
#include "formats/CDornComFile.h"
#include "formats/PixelConversion.h"

#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace {

using Pixel = std::tuple<int, int, int>;

CBitmapDataPtr NewPlane(int width, int height)
{
    CBitmapDataPtr plane(new CBitmapData, [](CBitmapData* p) { delete p; });
    EXPECT_TRUE(plane->Create(width, height, 4));
    return plane;
}

Pixel At(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return {p[0], p[1], p[2]};
}

class CDornComFileComposeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BuildCoverageTable8();
        BuildCoverageTable4();
        BuildCoverageTable12();
        m_reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    }
    void TearDown() override { FreeCoverageTables(); }

    void MakePlanes(int colourCount)
    {
        for (int i = 0; i < colourCount; ++i) {
            m_reader.m_pColorPlanes.push_back(NewPlane(4, 2));
        }
        m_reader.m_pBlackPlane = NewPlane(4, 2);
    }

    CDornComFile m_reader;
};

TEST_F(CDornComFileComposeTest, FourPlanesFromTheReadersPlanes)
{
    MakePlanes(3);
    m_reader.m_pColorPlanes[0]->m_pBits[0] = 0x10; // pixel 0 colour level 1 in plane 0
    m_reader.m_pBlackPlane->m_pBits[0] = 0x03;     // pixel 1 black level 3
    CBitmapData output;
    ASSERT_TRUE(output.Create(4, 2, 24));
    m_reader.ComposePlanes(&output, platform::CoverageTableForLevelMode(1));
    EXPECT_EQ(At(output, 0, 0), (Pixel{255, 255, 119}));
    EXPECT_EQ(At(output, 1, 0), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(output, 2, 0), (Pixel{255, 255, 255}));
    m_reader.ComposePlanes(nullptr, nullptr); // nothing to write into
}

TEST_F(CDornComFileComposeTest, FivePlanesUseAltLevelModeAndSpotSelector)
{
    MakePlanes(4);
    m_reader.m_pJobHeader->nAltLevelMode = 3;
    m_reader.m_pColorPlanes[3]->m_pBits[0] = 0x20; // pixel 0: spot level 2
    m_reader.m_pBlackPlane->m_pBits[1] = 0xA0;     // pixel 2: 12-level black 10
    CBitmapData output;
    ASSERT_TRUE(output.Create(4, 2, 24));
    const platform::CoverageTable* table = platform::CoverageTableForLevelMode(2);
    platform::SetSpotSelector(4);
    m_reader.ComposePlanes5(&output, table);
    EXPECT_EQ(At(output, 0, 0), (Pixel{120, 120, 255}));
    EXPECT_EQ(At(output, 2, 0), (Pixel{0, 0, 0}));
    platform::SetSpotSelector(7);
    m_reader.ComposePlanes5(&output, table);
    EXPECT_EQ(At(output, 0, 0), (Pixel{120, 120, 120}));

    m_reader.ComposePlanes5(&output, nullptr);
    EXPECT_EQ(At(output, 2, 0), (Pixel{255, 255, 255}));
}

TEST_F(CDornComFileComposeTest, MissingPlanesComposeAsNoInk)
{
    CBitmapData output;
    ASSERT_TRUE(output.Create(3, 1, 24));
    m_reader.ComposePlanes(&output, platform::CoverageTableForLevelMode(3));
    EXPECT_EQ(At(output, 2, 0), (Pixel{255, 255, 255}));
}

TEST_F(CDornComFileComposeTest, ScaleToFitCorrectsByTheHeadersResolutions)
{
    CBitmapData page;
    ASSERT_TRUE(page.Create(400, 600, 24));
    const struct
    {
        int rx, ry, width, height;
    } cases[] = {{600, 600, 80, 120}, {600, 300, 80, 240}};
    for (const auto& c : cases) {
        m_reader.m_pJobHeader->nResolutionX = c.rx;
        m_reader.m_pJobHeader->nResolutionY = c.ry;
        std::unique_ptr<CBitmapData> thumb;
        ASSERT_EQ(m_reader.ScaleToFit(&page, 120, thumb), 0);
        EXPECT_EQ(thumb->m_nWidth, c.width);
        EXPECT_EQ(thumb->m_nHeight, c.height);
    }
    std::unique_ptr<CBitmapData> none;
    EXPECT_EQ(m_reader.ScaleToFit(nullptr, 120, none), -1);
    EXPECT_EQ(none, nullptr);
}

TEST_F(CDornComFileComposeTest, PageRotationReadsHeaderAndSubPage)
{
    tagDORNSUBPAGEINFO subPage;
    m_reader.m_pJobHeader->nStyle = 1;
    m_reader.m_pJobHeader->nValueZ = 101;
    subPage.nOrientation = 4;
    subPage.nMarkValue = 1;
    EXPECT_EQ(m_reader.GetPageRotation(&subPage, true), 90);

    m_reader.m_pJobHeader->nStyle = 0;
    m_reader.m_pJobHeader->nOrientation = 0;
    m_reader.m_pJobHeader->nValueA37 = 0;
    subPage.nValueX104 = 0;
    EXPECT_EQ(m_reader.GetPageRotation(&subPage, false), 180);
    EXPECT_EQ(m_reader.GetPageRotation(&subPage, true), 0);
    EXPECT_EQ(m_reader.GetPageRotation(nullptr, true), 0);
}

} // namespace
