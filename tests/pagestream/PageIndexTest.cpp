// Why: the page index decides which bytes every page image is decoded from; a wrong start,
// length or page number shows the wrong page, and a copy count from the stream must not
// multiply it without limit.
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PageOffsetFile.h"
#include "tests/ScratchFolder.h"
#include "tests/pagestream/PageIndexRecords.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kHash = "?<0;0;0;0;0;600;600;0;3>#";
// A page with a sub-page setting 'x' inside it, and 'y' and 'x' bytes in a skipped payload.
const std::string kPage = "?<1;2;3>x?<2100;2970;0;0;0;1>h?<103;1>x?<0;0;0;4>B?y?x?<0>P?<0>y";
const std::string kOtherPage = "?<1;2;3>x?<1000;1000>s?<0>P?<7>y";

// Start and length of the page whose 'x' is at `start`: up to, not including, the letter of
// its closing 'y'.
std::tuple<std::uint64_t, std::uint64_t> Span(const std::string& stream, std::size_t start)
{
    const std::size_t y = stream.find(">y", start) + 1;
    return {start, y - start};
}

const std::vector<tagDORNPAGEPOS> kSentinel = {{77, 1, 2}};

class PageIndexTest : public ::testing::Test
{
protected:
    // Opens `stream` and reads its job header.
    void Open(const std::string& stream)
    {
        ASSERT_EQ(m_file.Open(m_folder.Write("job.prn", stream)), 0);
        ASSERT_EQ(m_file.ReadJobHeader(), 0);
    }

    ScratchFolder m_folder{"PageIndexTest"};
    CDornComFile m_file;
};

TEST_F(PageIndexTest, BuildsPagesAndRepeatsThemForCopies)
{
    const std::string body = kPage + "?<9>Z" + kOtherPage + "?<0>E";
    struct Case
    {
        const char* copies;
        std::vector<int> pageOf; // which page (0 or 1) each record repeats
    };
    const Case cases[] = {
        {"", {0, 1}},
        {"?<1>c", {0, 1}},
        {"?<-4>c", {0, 1}},
        {"?<3>c", {0, 1, 0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        const std::string stream = kHash + c.copies + body;
        Open(stream);
        ASSERT_EQ(m_file.BuildPageIndex(), 0) << c.copies;
        const std::vector<std::tuple<std::uint64_t, std::uint64_t>> pages = {
            Span(stream, stream.find("?<1;2;3>x")), Span(stream, stream.rfind("?<1;2;3>x"))};
        Index expected;
        for (std::size_t i = 0; i < c.pageOf.size(); ++i) {
            const auto [start, length] = pages[static_cast<std::size_t>(c.pageOf[i])];
            expected.emplace_back(static_cast<std::uint32_t>(i + 1), start, length);
        }
        EXPECT_EQ(Flatten(*m_file.m_pPageIndex), expected) << c.copies;
    }
}

TEST_F(PageIndexTest, StreamWithoutPagesIsOneWholeJobRecord)
{
    const std::string body = "?<2100;2970;0;0;0;1>h?<0;0;0;3>Bxyz?<0>P?<5>E";
    const std::string stream = kHash + "?<2>c" + body;
    Open(stream);
    ASSERT_EQ(m_file.BuildPageIndex(), 0);
    const std::uint64_t first = m_file.m_pJobHeader->nFirstPageOffset;
    const std::uint64_t length = stream.size() - 1 - first; // up to the letter 'E'
    // The copy's number wraps to 0.
    EXPECT_EQ(Flatten(*m_file.m_pPageIndex),
              (Index{{kWholeJobPage, first, length}, {0, first, length}}));

    // Written out it takes ten digits, which reading refuses: such an index is built anew.
    const std::string adr = m_folder / "job.adr";
    ASSERT_EQ(WritePageOffsetFile(adr, *m_file.m_pPageIndex), 0);
    m_file.m_pPageIndex = std::make_unique<std::vector<tagDORNPAGEPOS>>(kSentinel);
    EXPECT_EQ(m_file.LoadPageIndexFile(adr), -1);
    EXPECT_EQ(Flatten(*m_file.m_pPageIndex), Flatten(kSentinel));
}

TEST_F(PageIndexTest, PageAndEndCommandRules)
{
    struct Case
    {
        const char* name;
        std::string body;
        std::size_t records; // 0: the build fails and keeps the previous index
    };
    const Case cases[] = {
        {"'E' with an empty text", kPage + "?E", 1},
        {"'E' drops a page still open", kPage + "?<1;2;3>x?<0>E", 1},
        {"'E' with two tokens", kPage + "?<0;0>E", 0},
        {"'E' inside the only page", "?<1;2;3>x?<0>E", 0},
        {"no 'E'", kPage, 0},
        {"a bad command before 'E'",
         kPage + "?"
                 "?<0>E",
         0},
        {"'y' before any page", "?<1;1>s?<0>y" + kPage + "?<0>E", 0},
        {"'y' after its page closed", kPage + "?<0>y?<0>E", 0},
        {"'y' with two parameters", "?<1;2;3>x?<0;0>y?<0>E", 0},
        {"'x' opening a page with two parameters", "?<1;2>x?<0>y?<0>E", 0},
        {"'x' opening a page with four parameters", "?<1;2;3;4>x?<0>y?<0>E", 0},
        {"a payload running past the end", "?<1;2;3>x?<0;0;0;99999>I?<0>y?<0>E", 0},
    };
    for (const Case& c : cases) {
        Open(kHash + c.body);
        m_file.m_pPageIndex = std::make_unique<std::vector<tagDORNPAGEPOS>>(kSentinel);
        EXPECT_EQ(m_file.BuildPageIndex(), c.records > 0 ? 0 : -1) << c.name;
        if (c.records > 0) {
            EXPECT_EQ(m_file.m_pPageIndex->size(), c.records) << c.name;
        } else {
            EXPECT_EQ(Flatten(*m_file.m_pPageIndex), Flatten(kSentinel)) << c.name;
        }
    }
}

TEST_F(PageIndexTest, BoundsTheIndexAgainstHugeCopyCounts)
{
    const std::string twoPages = kPage + kOtherPage + "?<0>E";
    // An empty 'c' text is the special value 0x7FFFFFFF; the others just pass the bound.
    for (const char* copies : {"?<>c", "?<9999999>c", "?<8388609>c"}) {
        Open(kHash + copies + twoPages);
        m_file.m_pPageIndex.reset();
        EXPECT_EQ(m_file.BuildPageIndex(), -1) << copies;
        EXPECT_EQ(m_file.m_pPageIndex, nullptr) << copies;
    }
    // Exactly at the bound the index is built, its last copy numbered on without a gap.
    Open(kHash + "?<8388608>c" + twoPages);
    ASSERT_EQ(m_file.BuildPageIndex(), 0);
    ASSERT_EQ(m_file.m_pPageIndex->size(), kMaxPageIndexRecords);
    EXPECT_EQ(m_file.m_pPageIndex->back().nPage, kMaxPageIndexRecords);
    EXPECT_EQ(m_file.m_pPageIndex->back().nStart, (*m_file.m_pPageIndex)[1].nStart);
}

TEST_F(PageIndexTest, NeedsAnOpenStreamWithItsJobHeader)
{
    EXPECT_EQ(m_file.BuildPageIndex(), -1);
    ASSERT_EQ(m_file.Open(m_folder.Write("job.prn", kHash + kPage + "?<0>E")), 0);
    EXPECT_EQ(m_file.BuildPageIndex(), -1);
    EXPECT_EQ(m_file.m_pPageIndex, nullptr);
}

TEST_F(PageIndexTest, LoadsIndexFileAndKeepsThePreviousOnFailure)
{
    const std::string good =
        m_folder.Write("good.adr", "00000002,00000000000001F4,000000000000000A\n"
                                   "00000001,0000000000000000,00000000000001F4\n");
    const std::string bad = m_folder.Write("bad.adr", "00000001,0000000000000000,1f4\n");

    EXPECT_EQ(m_file.LoadPageIndexFile(""), -1);
    EXPECT_EQ(m_file.m_pPageIndex, nullptr);
    ASSERT_EQ(m_file.LoadPageIndexFile(good), 0);
    const Index expected = {{1, 0, 0x1F4}, {2, 0x1F4, 10}};
    EXPECT_EQ(Flatten(*m_file.m_pPageIndex), expected);
    for (const std::string& path : {bad, m_folder / "missing.adr", std::string()}) {
        EXPECT_EQ(m_file.LoadPageIndexFile(path), -1) << path;
        EXPECT_EQ(Flatten(*m_file.m_pPageIndex), expected) << path;
    }
}

} // namespace
