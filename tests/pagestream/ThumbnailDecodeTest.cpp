// Why: a thumbnail is composed and averaged a band of rows at a time, without the full-size
// page; it must show exactly the pixels of the full page fitted into the box, on both
// compositions, with a stretched or short black plane and at unequal resolutions.
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tests/ScratchFolder.h"
#include "tests/image/SamePixels.h"
#include "tests/samplejob/PageStreamWriter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// At 254 dots per inch a tenth of a millimetre is one pixel.
const std::string kHash = "?<0;0;0;0;0;254;254;0;3>#";

// A resolution command: the main one (first 1) or, four times, the black plane's (first 0).
std::string Resolution(int x, int y, int bits, int first = 1)
{
    return Command(std::to_string(first) + ";" + std::to_string(x) + ";" + std::to_string(y) + ";" +
                       std::to_string(bits) + ";0",
                   'z');
}

// Bands of random levels over `width` x `height` pixels at `bits` bits a level, 100 lines each;
// the left half of the top third carries no ink, so that white runs meet inked ones.
std::string RandomBands(std::mt19937& random, int plane, int width, int height, int bits)
{
    const int bytesPerLine = (width * bits + 7) / 8;
    std::string bands;
    for (int y0 = 0; y0 < height; y0 += 100) {
        const int lines = std::min(100, height - y0);
        Bytes plain(static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(lines));
        for (int i = 0; i < lines; ++i) {
            for (int b = 0; b < bytesPerLine; ++b) {
                const bool blank = y0 + i < height / 3 && b < bytesPerLine / 2;
                plain[static_cast<std::size_t>(i * bytesPerLine + b)] =
                    blank ? 0 : static_cast<std::uint8_t>(random());
            }
        }
        bands += Origin(0, y0) + RawBand(plane, bytesPerLine, lines, EncodeRuns(plain));
    }
    return bands;
}

TEST(ThumbnailDecodeTest, ThumbnailIsTheFullPageFittedIntoTheBox)
{
    struct Case
    {
        const char* what;
        std::string header;
        int width, height;           // tenths of a millimetre
        int pixelWidth, pixelHeight; // at the main resolution
        int bits;
        bool fivePlanes;
        int blackWidth, blackHeight; // of the black bands, in pixels
    };
    const auto five = [](int x, int y) {
        std::string black;
        for (int i = 0; i < 4; ++i) {
            black += Resolution(x, y, 4, 0);
        }
        return kHash + Resolution(254, 254, 4) + black;
    };
    const Case cases[] = {
        {"four planes, 4-bit", kHash + Resolution(254, 254, 4), 1600, 400, 1600, 400, 4, false,
         1600, 400},
        {"four planes, 2-bit, portrait", kHash + Resolution(254, 254, 2), 400, 1000, 400, 1000, 2,
         false, 400, 1000},
        {"four planes, enlarged", kHash + Resolution(254, 254, 4), 16, 8, 16, 8, 4, false, 16, 8},
        {"unequal resolutions", "?<0;0;0;0;0;508;254;0;3>#" + Resolution(508, 254, 4), 800, 600,
         1600, 600, 4, false, 1600, 600},
        {"five planes, black stretched", five(127, 254), 1600, 400, 1600, 400, 4, true, 800, 400},
        {"five planes, black shorter", five(254, 127), 1600, 400, 1600, 400, 4, true, 1600, 200},
    };
    std::mt19937 random(19);
    for (const Case& c : cases) {
        std::string subPage =
            Command(std::to_string(c.width) + ";" + std::to_string(c.height) + ";0;0;0;0", 'h');
        const std::vector<int> colour =
            c.fivePlanes ? std::vector<int>{1, 2, 3, 5} : std::vector<int>{1, 2, 3};
        for (const int plane : colour) {
            subPage += RandomBands(random, plane, c.pixelWidth, c.pixelHeight, c.bits);
        }
        subPage += RandomBands(random, 0, c.blackWidth, c.blackHeight, c.bits);
        const std::string stream = c.header + "?<1;2;3>x" + subPage + "?<0>P?<0>y?<0>E";

        ScratchFolder folder("ThumbnailDecodeTest");
        CDornComFile file;
        ASSERT_EQ(file.Open(folder.Write("job.prn", stream)), 0) << c.what;
        ASSERT_EQ(file.ReadJobHeader(), 0) << c.what;
        ASSERT_EQ(file.BuildPageIndex(), 0) << c.what;
        ASSERT_EQ(file.LoadPageLayout(1), 0) << c.what;

        const auto page = file.ReadPageImage(1, 1, -1, nullptr);
        ASSERT_NE(page, nullptr) << c.what;
        std::unique_ptr<CBitmapData> expected;
        ASSERT_EQ(file.ScaleToFit(page->pBitmap.get(), 120, expected), 0) << c.what;
        const auto thumbnail = file.ReadPageImage(1, 1, 120, nullptr);
        ASSERT_NE(thumbnail, nullptr) << c.what;
        EXPECT_TRUE(SamePixels(*thumbnail->pBitmap, *expected))
            << c.what << ": " << thumbnail->pBitmap->m_nWidth << "x"
            << thumbnail->pBitmap->m_nHeight << ", expected " << expected->m_nWidth << "x"
            << expected->m_nHeight;
        EXPECT_EQ(std::pair(thumbnail->nWidth, thumbnail->nHeight), std::pair(c.width, c.height));
    }
}

} // namespace
