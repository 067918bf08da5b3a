// Why: the layout decides which printed side is shown under which number, where its raster
// starts and how large the decoder's planes are made; a failed load must leave the last one.
#include "formats/pagestream/CDornComFile.h"
#include "tests/ScratchFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kHash9 = "?<0;0;0;0;0;600;600;0;3>#"; // style 0, 600 x 600 dpi
const std::string kHash7 = "?<0;0;0;0;0;0;5>#";         // style 1, no resolution
const std::string kOpen = "?<1;2;3>x";
const std::string kClose = "?<0>y";
const std::string kEnd = "?<0>E";

// 600 dpi from the first 'z', 300 dpi as the alternative; five of them select five planes.
std::string FiveZ()
{
    std::string z = "?<1;600;600;2;0>z";
    for (int i = 0; i < 4; ++i) {
        z += "?<0;300;300;2;0>z";
    }
    return z;
}

// Five sub-pages, told apart by their widths 100 to 500.
std::string FiveSubPages()
{
    std::string page;
    for (int width = 100; width <= 500; width += 100) {
        page += "?<" + std::to_string(width) + ";100>s?<0>P";
    }
    return page;
}

std::vector<std::int32_t> Widths(const std::vector<tagDORNSUBPAGEINFO>& subPages)
{
    std::vector<std::int32_t> widths;
    for (const tagDORNSUBPAGEINFO& info : subPages) {
        widths.push_back(info.nWidth);
    }
    return widths;
}

class PageLayoutTest : public ::testing::Test
{
protected:
    // Opens a stream of `header` and one page per entry of `pages`, and builds its index.
    // `trailer` follows the end command, where the index scan does not look.
    void Open(const std::string& header, const std::vector<std::string>& pages,
              const std::string& trailer = "")
    {
        m_stream = header;
        for (const std::string& page : pages) {
            m_stream += kOpen + page + kClose;
        }
        m_stream += kEnd + trailer;
        m_file = std::make_unique<CDornComFile>();
        ASSERT_EQ(m_file->Open(m_folder.Write("job.prn", m_stream)), 0);
        ASSERT_EQ(m_file->ReadJobHeader(), 0);
        ASSERT_EQ(m_file->BuildPageIndex(), 0);
    }

    const std::vector<tagDORNSUBPAGEINFO>& SubPages() const { return *m_file->m_pSubPages; }
    std::vector<std::int32_t> Maxima() const
    {
        return {m_file->m_nMaxWidth, m_file->m_nMaxHeight, m_file->m_nMaxAltWidth,
                m_file->m_nMaxAltHeight};
    }

    ScratchFolder m_folder{"PageLayoutTest"};
    std::string m_stream;
    std::unique_ptr<CDornComFile> m_file;
};

TEST_F(PageLayoutTest, SizeCommandKeepsOrientationAndAlternativeSizesOfTheLastH)
{
    Open(kHash7 + FiveZ(), {"?<2100;2970;0;0;0;3>h?<0>P?<1000;1480>s?<0>P"});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    ASSERT_EQ(SubPages().size(), 2u);
    const tagDORNSUBPAGEINFO& first = SubPages()[0];
    const tagDORNSUBPAGEINFO& second = SubPages()[1];
    EXPECT_EQ(first.nImageOffset, m_stream.find("?<2100;"));
    EXPECT_EQ(second.nImageOffset, m_stream.find("?<1000;"));
    EXPECT_EQ((std::vector<std::int32_t>{first.nWidth, first.nHeight, first.nPixelWidth,
                                         first.nPixelHeight, first.nAltPixelWidth,
                                         first.nAltPixelHeight, first.nOrientation}),
              (std::vector<std::int32_t>{2100, 2970, 4960, 7016, 2480, 3512, 3}));
    EXPECT_EQ((std::vector<std::int32_t>{second.nWidth, second.nHeight, second.nPixelWidth,
                                         second.nPixelHeight, second.nAltPixelWidth,
                                         second.nAltPixelHeight, second.nOrientation}),
              (std::vector<std::int32_t>{1000, 1480, 2368, 3496, 2480, 3512, 3}));
    EXPECT_EQ(Maxima(), (std::vector<std::int32_t>{4960, 7016, 2480, 3512}));
    EXPECT_EQ(m_file->m_nLoadedPage, 1u);
}

TEST_F(PageLayoutTest, OrientationComesFromHOnlyForStylesOneAndTwo)
{
    struct Case
    {
        std::string header;
        const char* p5;
        std::int32_t orientation;
    };
    const Case cases[] = {
        {kHash7, "4", 4}, {kHash7, "5", 1},
        {kHash7, "0", 1}, {"?<0;0;0;0;0;0;1>#", "2", 2}, // style 2
        {kHash9, "3", 0},
    };
    for (const Case& c : cases) {
        Open(c.header, {std::string("?<10;10;0;0;0;") + c.p5 + ">h?<0>P"});
        ASSERT_EQ(m_file->LoadPageLayout(1), 0);
        EXPECT_EQ(SubPages().at(0).nOrientation, c.orientation) << c.header << " " << c.p5;
    }
}

TEST_F(PageLayoutTest, CarriesMarkRunsAndSelectorValues)
{
    Open(kHash9, {"?<1>t?<103;2>x?<104;1>x?<0>P?<1>t?<103;3>x?<0>P?<2>t?<0>P?<0;2>K?<104>x?<0>P"
                  "?<0;7>K?<0>P?<1>t?<3>P"});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    // Mark value, mark-1 run, mark-2 run, 'x' 103 and 104 values.
    std::vector<std::vector<std::int32_t>> values;
    for (const tagDORNSUBPAGEINFO& info : SubPages()) {
        values.push_back(
            {info.nMarkValue, info.nMark1Run, info.nMark2Run, info.nValueX103, info.nValueX104});
    }
    const std::vector<std::vector<std::int32_t>> expected = {{1, 1, 0, 2, 1}, {1, 2, 0, 0, 1},
                                                             {2, 0, 1, 0, 1}, {2, 0, 2, 0, 0},
                                                             {7, 0, 2, 0, 0}, {1, 1, 0, 0, 0}};
    EXPECT_EQ(values, expected);
}

TEST_F(PageLayoutTest, OrdersSubPagesByImposition)
{
    const std::string kind1 = "?<8;0;1>a?<19;0;1>a?<3;0;1>O";
    const std::string kind2 = "?<8;0;2>a?<19;0;0>a?<3;0;2>O";
    const std::string kind3 = "?<8;0;4>a?<19;0;1>a?<3;0;1>O";
    const std::string kind4 = "?<8;0;1>a?<19;0;0>a?<3;0;1>O";
    struct Case
    {
        const char* name;
        std::string header;
        std::vector<std::int32_t> widths;
    };
    const Case cases[] = {
        {"kind 1, style 1", kHash7 + kind1, {500, 400, 300, 200, 100}},
        {"kind 1, style 0", kHash9 + kind1, {400, 500, 200, 300, 100}},
        {"kind 2, style 1", kHash7 + kind2, {500, 400, 300, 200, 100}},
        {"kind 3, style 0", kHash9 + kind3, {200, 100, 400, 300, 500}},
        {"kind 3, style 1", kHash7 + kind3, {100, 200, 300, 400, 500}},
        {"kind 4, style 0", "?<0;0;0;0;0;1;1;0;3;101>#" + kind4, {200, 100, 400, 300, 500}},
        {"kind 0, style 0", kHash9, {100, 200, 300, 400, 500}},
    };
    for (const Case& c : cases) {
        Open(c.header, {FiveSubPages()});
        ASSERT_EQ(m_file->LoadPageLayout(1), 0) << c.name;
        EXPECT_EQ(Widths(SubPages()), c.widths) << c.name;
        for (std::size_t i = 0; i < SubPages().size(); ++i) {
            EXPECT_EQ(SubPages()[i].nNumber, static_cast<std::int32_t>(i + 1)) << c.name;
            EXPECT_EQ(SubPages()[i].nSequence, static_cast<std::int32_t>(i + 1)) << c.name;
        }
    }
}

TEST_F(PageLayoutTest, ImpositionKindFollowsTheJobSettings)
{
    struct Case
    {
        std::int32_t a8, a19, o3, jobKind;
        int kind;
    };
    const Case cases[] = {
        {1, 1, 1, 0, 1},   {1, 1, 2, 101, 0}, {2, 0, 1, 5, 2},   {2, 0, 1, 102, 0},
        {4, 1, 2, 101, 3}, {1, 0, 1, 101, 4}, {1, 0, 1, 102, 4}, {1, 0, 1, 0, 0},
        {1, 1, 0, 0, 0},   {4, 1, 0, 0, 0},   {3, 1, 1, 0, 0},   {4, 0, 1, 0, 0},
    };
    CDornComFile file;
    EXPECT_EQ(file.GetImpositionKind(), 0);
    for (const Case& c : cases) {
        file.m_pJobHeader = std::make_unique<tagDORNJOBHEADER>();
        file.m_pJobHeader->nValueA8 = c.a8;
        file.m_pJobHeader->nValueA19 = c.a19;
        file.m_pJobHeader->nValueO3 = c.o3;
        file.m_pJobHeader->nJobKind = c.jobKind;
        EXPECT_EQ(file.GetImpositionKind(), c.kind)
            << c.a8 << " " << c.a19 << " " << c.o3 << " " << c.jobKind;
    }
}

TEST_F(PageLayoutTest, DroppedSubPageKeepsItsPlaceInTheSequence)
{
    const std::string page = "?<100;1>s?<0>P?<2>t?<200;1>s?<1>P?<300;1>s?<0>P";
    Open(kHash9, {page});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    ASSERT_EQ(Widths(SubPages()), (std::vector<std::int32_t>{100, 300}));
    EXPECT_EQ(SubPages()[1].nNumber, 2);
    EXPECT_EQ(SubPages()[1].nSequence, 3);
    EXPECT_EQ(SubPages()[1].nMark2Run, 1);

    // Reversed, the kept ones are numbered 1 and 2 and keep their reversed sequences.
    Open(kHash7 + "?<8;0;1>a?<19;0;1>a?<3;0;1>O", {page});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    ASSERT_EQ(Widths(SubPages()), (std::vector<std::int32_t>{300, 100}));
    EXPECT_EQ(SubPages()[0].nSequence, 1);
    EXPECT_EQ(SubPages()[1].nNumber, 2);
    EXPECT_EQ(SubPages()[1].nSequence, 3);
}

TEST_F(PageLayoutTest, FailuresKeepThePreviousLayout)
{
    const std::pair<const char*, std::string> badPages[] = {
        {"'t' with two parameters", "?<1;1>t?<0>P"},
        {"'h' with five parameters", "?<10;10;0;0;0>h?<0>P"},
        {"'h' with 33 parameters", "?<" + std::string(32, ';') + ">h?<0>P"},
        {"'s' with three parameters", "?<10;10;0>s?<0>P"},
        {"'P' with two parameters", "?<10;10>s?<0;0>P"},
    };
    for (const auto& [name, bad] : badPages) {
        Open(kHash9, {FiveSubPages(), bad});
        ASSERT_EQ(m_file->LoadPageLayout(1), 0) << name;
        EXPECT_EQ(m_file->LoadPageLayout(2), -1) << name;
        EXPECT_EQ(m_file->m_nLoadedPage, 1u) << name;
        EXPECT_EQ(SubPages().size(), 5u) << name;
    }

    // A page that the scan never read, holding a command that cannot be read.
    const std::string unreadable = "?<10;10>s?\x01?<0>P";
    Open(kHash9, {"?<2100;2970;0;0;0;1>h?<0>P"}, unreadable + "  ");
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    m_file->m_pPageIndex->push_back({2, m_stream.find(unreadable), unreadable.size()});
    EXPECT_EQ(m_file->LoadPageLayout(2), -1) << "a bad command letter";
    const std::vector<std::int32_t> maxima = Maxima();
    const std::uint64_t length = m_stream.size();
    const std::vector<std::pair<const char*, tagDORNPAGEPOS>> badRecords = {
        {"reaching the end of the file", {1, 0, length}},
        {"past the end of the file", {1, 10, length}},
        {"wrapping past 2^64", {1, 10, UINT64_MAX - 5}},
        {"starting past 2^63", {1, UINT64_MAX - 5, 0}},
    };
    for (const auto& [name, record] : badRecords) {
        *m_file->m_pPageIndex = {record};
        EXPECT_EQ(m_file->LoadPageLayout(1), -1) << name;
    }
    *m_file->m_pPageIndex = {{1, 0, 10}};
    EXPECT_EQ(m_file->LoadPageLayout(0), -1) << "page 0";
    EXPECT_EQ(m_file->LoadPageLayout(2), -1) << "a page not in the index";
    m_file->m_pPageIndex->clear();
    EXPECT_EQ(m_file->LoadPageLayout(1), -1) << "an empty index";
    m_file->m_pPageIndex.reset();
    EXPECT_EQ(m_file->LoadPageLayout(1), -1) << "no index";
    EXPECT_EQ(SubPages().size(), 1u);
    EXPECT_EQ(Maxima(), maxima);
    EXPECT_EQ(m_file->m_nLoadedPage, 1u);
}

TEST_F(PageLayoutTest, EmptyPagesGiveEmptyLayouts)
{
    Open(kHash9, {"?<2100;2970;0;0;0;1>h?<0>P", "?<2100;2970;0;0;0;1>h"});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    ASSERT_NE(Maxima(), (std::vector<std::int32_t>{0, 0, 0, 0}));

    ASSERT_EQ(m_file->LoadPageLayout(2), 0) << "a page without 'P'";
    EXPECT_TRUE(SubPages().empty());
    EXPECT_EQ(m_file->m_nLoadedPage, 2u);

    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    *m_file->m_pPageIndex = {{3, 0, 0}};
    ASSERT_EQ(m_file->LoadPageLayout(3), 0) << "a record of length 0";
    EXPECT_TRUE(SubPages().empty());
    EXPECT_EQ(m_file->m_nLoadedPage, 3u);
    EXPECT_EQ(Maxima(), (std::vector<std::int32_t>{0, 0, 0, 0}));
}

TEST_F(PageLayoutTest, AbsurdSizesAndResolutionsStayRepresentable)
{
    // 12345678 dpi reads as the special value 0x7FFFFFFD, 9999999 as it stands.
    const std::string header = "?<0;0;0;0;0;12345678;9999999;0;3>#";
    Open(header, {"?<9999999;9999999;0;0;0;1>h?<0>P?<;-5>s?<0>P?<1;2>s?<0>P"});
    ASSERT_EQ(m_file->LoadPageLayout(1), 0);
    std::vector<std::int32_t> pixels;
    for (const tagDORNSUBPAGEINFO& info : SubPages()) {
        pixels.push_back(info.nPixelWidth);
        pixels.push_back(info.nPixelHeight);
    }
    // Sizes beyond a 32-bit value (and negative ones) are 0, which no bitmap can take.
    EXPECT_EQ(pixels, (std::vector<std::int32_t>{0, 0, 0, 0, 8454664, 78744}));
    EXPECT_EQ(Maxima(), (std::vector<std::int32_t>{8454664, 78744, 8454664, 78744}));
}

} // namespace
