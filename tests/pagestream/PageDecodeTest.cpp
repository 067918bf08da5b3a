// Why: the decoder turns a sub-page's bands into the page the operator sees; a band in the
// wrong plane, place or size, a missed failure or a read past its data shows wrong pages or
// breaks the viewer.
#include "formats/pagestream/BandPlanes.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "formats/pagestream/PixelConversion.h"
#include "tests/ProgressRecorder.h"
#include "tests/ScratchFolder.h"
#include "tests/samplejob/PageStreamWriter.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Image = std::vector<std::string>;

// At 254 dots per inch a tenth of a millimetre is one pixel (sizes rounded up to 8).
const std::string kHash = "?<0;0;0;0;0;254;254;0;3>#"; // style 0, 3-bit levels
const std::string k4Bit = kHash + "?<1;254;254;4;0>z";
const std::string k2Bit = kHash + "?<1;254;254;2;0>z";
const std::string kStyle1Hash = "?<0;0;0;0;0;0;5>#";
const std::string kStyle1 = kStyle1Hash + "?<1;254;254;4;0>z";
// The 12-level coverage of a colour or black level alone.
constexpr int kT12[] = {255, 175, 145, 119, 102, 86, 71, 56, 45, 33, 22, 0};

// Five planes, 4-bit levels; the black bands at `altX` x `altY` dots per inch.
std::string FivePlanes(int altX, int altY, const std::string& hash = kHash)
{
    std::string header = hash + "?<1;254;254;4;0>z";
    for (int i = 0; i < 4; ++i) {
        header += "?<0;" + std::to_string(altX) + ";" + std::to_string(altY) + ";4;0>z";
    }
    return header;
}

std::string Size(int width, int height)
{
    return Command(std::to_string(width) + ";" + std::to_string(height), 's');
}

std::string SizeH(int width, int height, int orientation = 0)
{
    return Command(std::to_string(width) + ";" + std::to_string(height) + ";0;0;0;" +
                       std::to_string(orientation),
                   'h');
}

// The top-left `width` x `height` levels of a 4-bit plane as rows of hexadecimal digits.
Image Levels(const CBitmapData& plane, int width, int height)
{
    Image rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t pair = plane.m_pBits[y * plane.m_nStride + x / 2];
            row += "0123456789ABCDEF"[x % 2 == 0 ? pair >> 4 : pair & 0x0F];
        }
        rows.push_back(row);
    }
    return rows;
}

// An image of `height` rows of `width` zeros with the given rows set.
Image Blank(int width, int height, const std::vector<std::pair<int, std::string>>& rows = {})
{
    Image image(static_cast<std::size_t>(height),
                std::string(static_cast<std::size_t>(width), '0'));
    for (const auto& [y, row] : rows) {
        image[static_cast<std::size_t>(y)].replace(0, row.size(), row);
    }
    return image;
}

// Blue, green and red of a 24-bit pixel as 0xBBGGRR.
int Pixel(const CBitmapData& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.m_pBits + y * bitmap.m_nStride + 3 * x;
    return p[0] << 16 | p[1] << 8 | p[2];
}

int Grey(int value)
{
    return value << 16 | value << 8 | value;
}

class PageDecodeTest : public ::testing::Test
{
protected:
    // Opens a stream of `header` and one page of the given sub-pages (each its commands before
    // its closing 'P') and loads that page's layout.
    void Open(const std::string& header, const std::vector<std::string>& subPages)
    {
        m_stream = header + "?<1;2;3>x";
        for (const std::string& subPage : subPages) {
            m_stream += subPage + "?<0>P";
        }
        m_stream += "?<0>y?<0>E";
        m_file = std::make_unique<CDornComFile>();
        ASSERT_EQ(m_file->Open(m_folder.Write("job.prn", m_stream)), 0);
        ASSERT_EQ(m_file->ReadJobHeader(), 0);
        ASSERT_EQ(m_file->BuildPageIndex(), 0);
        ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    }

    std::unique_ptr<tagDORNPAGEIMGINFO> Decode(std::uint32_t subPage, int box = -1)
    {
        m_progress.values.clear();
        return m_file->ReadPageImage(1, subPage, box, &m_progress);
    }

    Image Colour(int plane, int width, int height) const
    {
        return Levels(*m_file->m_pColorPlanes.at(static_cast<std::size_t>(plane)), width, height);
    }

    ScratchFolder m_folder{"PageDecodeTest"};
    std::string m_stream;
    std::unique_ptr<CDornComFile> m_file;
    ProgressRecorder m_progress;
};

TEST(BandPlanesTest, PlaneNumbersPickPlanesAndSpotSelectorsOnBothPaths)
{
    using formats::BandPlaneKind;
    struct Case
    {
        int number;
        bool five;
        BandPlaneKind kind;
        int index;
        int selector;
    };
    const Case cases[] = {
        {0, false, BandPlaneKind::Black, 0, 0},  {0, true, BandPlaneKind::Black, 0, 0},
        {1, false, BandPlaneKind::Colour, 0, 0}, {6, true, BandPlaneKind::Colour, 0, 0},
        {2, false, BandPlaneKind::Colour, 1, 0}, {3, true, BandPlaneKind::Colour, 2, 0},
        {4, false, BandPlaneKind::Colour, 1, 0}, {4, true, BandPlaneKind::None, 0, 4},
        {7, false, BandPlaneKind::None, 0, 7},   {7, true, BandPlaneKind::Colour, 3, 7},
        {5, false, BandPlaneKind::None, 0, 0},   {5, true, BandPlaneKind::Colour, 3, 0},
        {8, true, BandPlaneKind::Colour, 3, 0},  {-1, true, BandPlaneKind::Colour, 3, 0},
        {-1, false, BandPlaneKind::None, 0, 0},  {99, false, BandPlaneKind::None, 0, 0},
    };
    for (const Case& c : cases) {
        const formats::BandPlane plane = formats::PlaneForBand(c.number, c.five);
        EXPECT_EQ(plane.kind, c.kind) << c.number << " " << c.five;
        EXPECT_EQ(plane.colourIndex, c.index) << c.number << " " << c.five;
        EXPECT_EQ(plane.spotSelector, c.selector) << c.number << " " << c.five;
    }
}

TEST_F(PageDecodeTest, SubPageWithoutBandsIsWhiteAtItsSize)
{
    Open(k4Bit, {"?<2>t" + Size(24, 16)});
    const auto image = Decode(1);
    ASSERT_NE(image, nullptr);
    const CBitmapData& page = *image->pBitmap;
    ASSERT_EQ(std::vector<int>({page.m_nWidth, page.m_nHeight, page.m_nBitCount}),
              std::vector<int>({24, 16, 24}));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            ASSERT_EQ(Pixel(page, x, y), 0xFFFFFF) << x << "," << y;
        }
    }
    EXPECT_EQ(std::vector<int>({image->nRotation, image->nWidth, image->nHeight}),
              std::vector<int>({0, 24, 16}));
    EXPECT_FALSE(image->bMarked);
    EXPECT_EQ(m_progress.values, std::vector<int>({0, 10, 60, 70, 80, 90, 100}));
}

TEST_F(PageDecodeTest, BandsLandInThePlanesOfTheirNumbersAtTheirOrigins)
{
    formats::SetSpotSelector(4);
    Open(k4Bit,
         {"?<1>t" + Size(16, 8) + Origin(0, 0) + Band(1, {"12"}) + Origin(2, 1) + Band(6, {"34"}) +
          Origin(0, 2) + Band(2, {"56"}) + Origin(4, 2) + Band(4, {"78"}) + Origin(0, 3) +
          Band(3, {"9A"}) + Origin(0, 4) + Band(0, {"BB", "01"}) + Origin(0, 6) + Band(5, {"11"}) +
          Band(8, {"11"}) + Band(-1, {"11"}) + Band(7, {"11"})});
    const auto image = Decode(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Colour(0, 16, 8), Blank(16, 8, {{0, "12"}, {1, "0034"}}));
    EXPECT_EQ(Colour(1, 16, 8), Blank(16, 8, {{2, "560078"}}));
    EXPECT_EQ(Colour(2, 16, 8), Blank(16, 8, {{3, "9A"}}));
    EXPECT_EQ(Levels(*m_file->m_pBlackPlane, 16, 8), Blank(16, 8, {{4, "BB"}, {5, "01"}}));
    EXPECT_EQ(formats::GetSpotSelector(), 7); // plane 7 draws nothing here but switches
    EXPECT_TRUE(image->bMarked);

    const CBitmapData& page = *image->pBitmap;
    EXPECT_EQ(Pixel(page, 0, 0), 0xFFFF00 | kT12[1]);      // red from colour plane 0
    EXPECT_EQ(Pixel(page, 1, 2), 0xFF00FF | kT12[6] << 8); // green from colour plane 1
    EXPECT_EQ(Pixel(page, 0, 3), 0x00FFFF | kT12[9] << 16);
    EXPECT_EQ(Pixel(page, 0, 4), 0x000000);
    EXPECT_EQ(Pixel(page, 1, 5), Grey(kT12[1]));
    EXPECT_EQ(Pixel(page, 0, 6), 0xFFFFFF);
}

TEST_F(PageDecodeTest, BadBandsLeaveNoTraceAndLaterBandsStillDraw)
{
    const Bytes one = EncodeRuns({0x11});
    Open(k4Bit, {Size(16, 8) + RawBand(1, 1, 1, EncodeRuns({0x11, 0x11})) // one byte long
                 + RawBand(1, 2, 1, one)                                  // one byte short
                 + RawBand(1, 1, 1, {0x03, 0x11, 0x11})                   // run cut short
                 + RawBand(1, 1, 1, {0x80})                               // repeat unit missing
                 + RawBand(1, 1, 0, {}) + RawBand(1, -1, -1, one)         // no lines
                 + RawBand(1, 9999999, 9999999, one)                      // beyond 32 bits
                 + RawBand(1, 100000, 10000, {0x80, 0x11})                // beyond its data
                 + Command("1;1;1;1;0", 'I') + "\x11"                     // five parameters
                 + Origin(0, 1) + Band(1, {"22"})});
    ASSERT_NE(Decode(1), nullptr);
    EXPECT_EQ(Colour(0, 16, 8), Blank(16, 8, {{1, "22"}}));
}

TEST_F(PageDecodeTest, OriginChangesOnlyForTwoValuesInRange)
{
    Open(k4Bit, {Size(16, 8) + Origin(2, 1) + Band(1, {"1111111111"}) + Origin(32768, 0) +
                 Band(1, {"22222222"}) + Origin(0, -1) + Band(1, {"333333"}) + Command("0", 'X') +
                 Band(1, {"4444"}) + Command("0;0;0", 'X') + Band(1, {"55"}) +
                 Origin(32767, 32767) + Band(1, {"66"}) + Origin(0, 7) + Band(1, {"77", "77"})});
    ASSERT_NE(Decode(1), nullptr);
    EXPECT_EQ(Colour(0, 16, 8), Blank(16, 8, {{1, "005544332211"}, {7, "77"}}));
}

TEST_F(PageDecodeTest, NarrowLevelsAreCutAtTheRowEnd)
{
    // 2-bit: a line of eight levels from pixel 12 keeps the four that fit its row.
    Open(k2Bit, {Size(16, 2) + Origin(12, 0) + Band(1, {"12312312"}, 2)});
    ASSERT_NE(Decode(1), nullptr);
    EXPECT_EQ(Colour(0, 16, 2), Blank(16, 2,
                                      {{0, "000000000000"
                                           "1231"}}));

    // 3-bit: lines of two bytes hold five levels, of which the pairs are written; a line of
    // eight levels from pixel 12 stops at the width.
    Open(kHash, {Size(16, 4) + Band(1, {"12345", "67123", "45671"}, 3) + Origin(12, 3) +
                 Band(2, {"76543210"}, 3)});
    ASSERT_NE(Decode(1), nullptr);
    EXPECT_EQ(Colour(0, 16, 4), Blank(16, 4, {{0, "1234"}, {1, "6712"}, {2, "4567"}}));
    EXPECT_EQ(Colour(1, 16, 4), Blank(16, 4,
                                      {{3, "000000000000"
                                           "7654"}}));
}

TEST_F(PageDecodeTest, SpotBandsSwitchTheSelectorForLaterDecodes)
{
    formats::SetSpotSelector(7);
    Open(FivePlanes(254, 254),
         {SizeH(16, 8) + Band(5, {"11"}) + Origin(0, 1) + Band(8, {"22"}) + Origin(0, 2) +
              Band(-1, {"33"}) + Origin(0, 3) + Band(7, {"44"}) + Origin(0, 4) + Band(4, {"55"}),
          SizeH(16, 8) + Band(5, {"33"}) + RawBand(7, 1, 1, {0x00}), // dropped: no switch
          SizeH(16, 8) + Band(5, {"33"}) + Origin(0, 1) + Band(7, {"00"})});
    ASSERT_NE(Decode(1), nullptr);
    EXPECT_EQ(Colour(3, 16, 8), Blank(16, 8, {{0, "11"}, {1, "22"}, {2, "33"}, {3, "44"}}));
    EXPECT_EQ(Colour(1, 16, 8), Blank(16, 8));
    EXPECT_EQ(formats::GetSpotSelector(), 4);

    // Spot level 3 alone: byte level 135; with selector 4 red keeps no spot.
    auto image = Decode(2);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 0), 0x7878FF);
    image = Decode(3);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(formats::GetSpotSelector(), 7);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 0), 0x787878);
}

TEST_F(PageDecodeTest, BlackPlaneIsStretchedOnlyWhenTheWidthsDiffer)
{
    // Half the horizontal resolution: one black pixel covers two page pixels.
    Open(FivePlanes(127, 254), {SizeH(16, 8) + Band(0, {"B0"})});
    auto image = Decode(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 0), 0);
    EXPECT_EQ(Pixel(*image->pBitmap, 1, 0), 0);
    EXPECT_EQ(Pixel(*image->pBitmap, 2, 0), 0xFFFFFF);

    // Equal widths, half the height: no stretch; the black plane ends at row 16, below it
    // no black is read.
    Open(FivePlanes(254, 127), {SizeH(16, 32) + Origin(0, 15) + Band(0, {"B0", "B0"})});
    EXPECT_EQ(m_file->m_nMaxAltHeight, 16);
    image = Decode(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 15), 0);
    EXPECT_EQ(Pixel(*image->pBitmap, 1, 15), 0xFFFFFF);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 16), 0xFFFFFF);
    EXPECT_EQ(Pixel(*image->pBitmap, 0, 31), 0xFFFFFF);

    // Styles 1 and 2 make the black plane again at its largest alternative size, empty.
    Open(FivePlanes(127, 254, kStyle1Hash), {SizeH(16, 8, 1) + Band(0, {"B0"})});
    image = Decode(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(*image->pBitmap, 1, 0), 0);
    EXPECT_EQ(Levels(*m_file->m_pBlackPlane, 8, 8), Blank(8, 8));
    EXPECT_EQ(m_file->m_pBlackPlane->m_nWidth, 8);
}

TEST_F(PageDecodeTest, TurnedPagesExchangeWidthAndHeight)
{
    struct Case
    {
        int orientation;
        int width, height; // of the bitmap; the record's follow in tenths of a millimetre
        int inkX, inkY;    // where the top-left pixel went
    };
    const Case cases[] = {{1, 16, 8, 0, 0}, {4, 8, 16, 7, 0}, {3, 16, 8, 15, 7}, {2, 8, 16, 0, 15}};
    for (const Case& c : cases) {
        Open(kStyle1, {SizeH(16, 8, c.orientation) + Band(1, {"B0"})});
        const auto image = Decode(1);
        ASSERT_NE(image, nullptr);
        const CBitmapData& page = *image->pBitmap;
        EXPECT_EQ(std::vector<int>({page.m_nWidth, page.m_nHeight, image->nWidth, image->nHeight}),
                  std::vector<int>({c.width, c.height, c.width, c.height}))
            << c.orientation;
        EXPECT_EQ(Pixel(page, c.inkX, c.inkY), 0xFFFF00 | kT12[11]) << c.orientation;
        EXPECT_EQ(Pixel(page, c.width - 1 - c.inkX, c.height - 1 - c.inkY), 0xFFFFFF);
        EXPECT_EQ(image->nRotation, 0);
    }
}

TEST_F(PageDecodeTest, ThumbnailOfUnequalResolutionsIsTallerThanTheBox)
{
    // 508 x 254 dpi: 200 x 104 pixels, fitted to 120 x 62, then twice as high.
    const std::string header = "?<0;0;0;0;0;508;254;0;3>#?<1;508;254;4;0>z";
    std::vector<std::string> lines(104, std::string(200, '1'));
    Open(header, {Size(100, 100) + Band(1, lines)});
    const auto image = Decode(1, 120);
    ASSERT_NE(image, nullptr);
    const CBitmapData& thumb = *image->pBitmap;
    ASSERT_EQ(std::pair(thumb.m_nWidth, thumb.m_nHeight), std::pair(120, 124));
    for (int y = 0; y < 124; ++y) {
        for (int x = 0; x < 120; ++x) {
            ASSERT_EQ(Pixel(thumb, x, y), 0xFFFF00 | kT12[1]) << x << "," << y;
        }
    }
    EXPECT_EQ(std::pair(image->nWidth, image->nHeight), std::pair(100, 100));
}

TEST_F(PageDecodeTest, RefusedRequestsGiveNoImageAndStillReportTheEnd)
{
    Open(k4Bit, {Size(16, 8), Size(16, 8)});
    const std::pair<std::uint32_t, std::uint32_t> requests[] = {{0, 1}, {2, 1}, {1, 3}, {1, 0}};
    for (const auto& [page, subPage] : requests) {
        m_progress.values.clear();
        EXPECT_EQ(m_file->ReadPageImage(page, subPage, -1, &m_progress), nullptr);
        EXPECT_EQ(m_progress.values, std::vector<int>{100}) << page << " " << subPage;
    }
    EXPECT_NE(m_file->ReadPageImage(1, 2, -1, nullptr), nullptr); // no progress target
}

TEST_F(PageDecodeTest, BrokenSubPagesFailTheDecode)
{
    // 'X' parameters that do not parse; an 'I' of five parameters whose data holds a band
    // that runs past the end of the stream; a sub-page that the end of the stream cuts off.
    std::string tokens33(32, ';');
    const std::string inner = Command("1;1;1;999999", 'I');
    Open(k4Bit, {Size(16, 8) + Command(tokens33, 'X'),
                 Size(16, 8) + Command("1;1;1;" + std::to_string(inner.size()) + ";0", 'I') + inner,
                 Size(16, 8)});
    EXPECT_EQ(Decode(1), nullptr);
    EXPECT_EQ(m_progress.values, std::vector<int>({0, 10, 100}));
    EXPECT_EQ(Decode(2), nullptr);
    (*m_file->m_pSubPages)[2].nImageOffset = m_stream.find("?<0>y");
    EXPECT_EQ(Decode(3), nullptr);
    (*m_file->m_pSubPages)[2].nImageOffset = std::uint64_t{1} << 40;
    EXPECT_EQ(Decode(3), nullptr);

    // Planes that cannot be made: all are deleted.
    Open(k4Bit, {Size(9999999, 9999999)});
    EXPECT_EQ(Decode(1), nullptr);
    EXPECT_EQ(m_progress.values, std::vector<int>({0, 100}));
    EXPECT_TRUE(m_file->m_pColorPlanes.empty());
    EXPECT_EQ(m_file->m_pBlackPlane, nullptr);
}

TEST(PagePlanesTest, PlanesAreKeptWhileLargeEnoughAndOnlyGrow)
{
    CDornComFile reader;
    reader.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
    reader.m_nMaxWidth = 16;
    reader.m_nMaxHeight = 8;
    reader.m_nMaxAltWidth = 8;
    reader.m_nMaxAltHeight = 4;
    ASSERT_TRUE(reader.AllocatePlanes());
    ASSERT_EQ(reader.m_pColorPlanes.size(), 3u);
    EXPECT_EQ(std::pair(reader.m_pColorPlanes[2]->m_nWidth, reader.m_pColorPlanes[2]->m_nHeight),
              std::pair(16, 8));
    EXPECT_EQ(std::pair(reader.m_pBlackPlane->m_nWidth, reader.m_pBlackPlane->m_nHeight),
              std::pair(8, 4));
    const std::uint8_t* kept = reader.m_pColorPlanes[0]->m_pBits;
    reader.m_pColorPlanes[0]->m_pBits[0] = 0x12;
    reader.m_pBlackPlane->m_pBits[0] = 0x34;

    reader.m_nMaxWidth = 8;
    reader.m_pJobHeader->nZCount = 5; // the five-plane path adds the spot plane
    ASSERT_TRUE(reader.AllocatePlanes());
    EXPECT_EQ(reader.m_pColorPlanes.size(), 4u);
    EXPECT_EQ(reader.m_pColorPlanes[0]->m_pBits, kept);
    EXPECT_EQ(reader.m_pColorPlanes[0]->m_pBits[0], 0x12);
    reader.ClearPlanes();
    EXPECT_EQ(reader.m_pColorPlanes[0]->m_pBits[0], 0);
    EXPECT_EQ(reader.m_pBlackPlane->m_pBits[0], 0);

    reader.m_nMaxAltHeight = 40;
    ASSERT_TRUE(reader.AllocatePlanes());
    EXPECT_EQ(std::pair(reader.m_pBlackPlane->m_nWidth, reader.m_pBlackPlane->m_nHeight),
              std::pair(8, 40));

    reader.m_nMaxWidth = 0;
    reader.m_pColorPlanes[1]->Destroy();
    EXPECT_FALSE(reader.AllocatePlanes());
    EXPECT_TRUE(reader.m_pColorPlanes.empty());
    EXPECT_EQ(reader.m_pBlackPlane, nullptr);
    reader.ClearPlanes(); // nothing to clear
}

// Records the progress of two decodes in one list; the first starts the second on another
// thread once it is under way.
class InterleavingLog : public formats::ProgressTarget
{
public:
    InterleavingLog(std::vector<std::string>& events, std::mutex& lock, char name)
        : m_events(events), m_lock(lock), m_name(1, name)
    {}
    void PostProgress(int value) override
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_events.push_back(m_name + std::to_string(value));
        }
        if (value == 10 && onUnderWay) {
            onUnderWay();
        }
    }
    std::function<void()> onUnderWay;

private:
    std::vector<std::string>& m_events;
    std::mutex& m_lock;
    std::string m_name;
};

TEST_F(PageDecodeTest, DecodesOnTwoReadersNeverOverlap)
{
    // Each decode rebuilds and frees the shared tables; overlapping ones would spoil pages.
    Open(k4Bit, {Size(512, 512) + Band(1, std::vector<std::string>(512, std::string(512, '5')))});
    CDornComFile other;
    ASSERT_EQ(other.Open(m_folder / "job.prn"), 0);
    ASSERT_EQ(other.ReadJobHeader(), 0);
    ASSERT_EQ(other.BuildPageIndex(), 0);
    ASSERT_EQ(other.LoadPageLayout(1), 0);

    std::vector<std::string> events;
    std::mutex lock;
    InterleavingLog first(events, lock, 'A');
    InterleavingLog second(events, lock, 'B');
    std::unique_ptr<tagDORNPAGEIMGINFO> secondImage;
    std::thread worker;
    first.onUnderWay = [&] {
        worker = std::thread([&] { secondImage = other.ReadPageImage(1, 1, -1, &second); });
    };
    const auto firstImage = m_file->ReadPageImage(1, 1, -1, &first);
    worker.join();

    const std::vector<std::string> one = {"0", "10", "60", "70", "80", "90", "100"};
    std::vector<std::string> expected;
    for (const char name : {'A', 'B'}) {
        for (const std::string& value : one) {
            expected.push_back(name + value);
        }
    }
    EXPECT_EQ(events, expected);
    for (const auto* image : {firstImage.get(), secondImage.get()}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(Pixel(*image->pBitmap, 511, 511), 0xFFFF00 | kT12[5]);
    }
}

} // namespace
