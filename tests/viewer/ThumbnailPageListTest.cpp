// The current mail's page list: how many pages a mail should have and the smaller numbers that
// complete it, whose smallest entry fixes every page's sub-page.
#include "viewer/document/CPYRNDoc.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct PageListCase
{
    std::string name;
    std::vector<std::uint32_t> pages;
    std::uint32_t letters;
    std::uint64_t expected;
    std::size_t extendedSize;
    std::uint32_t smallest; // after the extension
};

void PrintTo(const PageListCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr std::uint32_t kMax32 = 0xFFFFFFFF;

const PageListCase kCases[] = {
    {"FallingExtendsToTheLetters", {12, 11, 10}, 5, 5, 5, 8},
    {"RisingShortOfTwicePerLetter", {3, 4}, 2, 4, 4, 1},
    {"RisingOneShortIsComplete", {1, 2, 3}, 2, 3, 3, 1},
    {"NeitherRisingNorFalling", {5, 7}, 9, 0, 2, 5},
    {"OnePageTakesTheLetters", {7}, 3, 3, 3, 5},
    {"EmptyList", {}, 4, 0, 0, 0},
    {"NoLettersExpected", {9, 10}, 0, 0, 2, 9},
    {"LongerRisingListEndingOnAPair", {4, 5, 6, 7, 8}, 2, 4, 5, 4},
    {"LongerRisingListEndingAlone", {4, 5, 6, 9, 10}, 2, 3, 5, 4},
    {"StopsAtPageOne", {3, 2}, 6, 6, 3, 1},
    {"PageZeroIsNotFollowedByAWrap", {0}, 4, 4, 1, 0},
    // Pages at the top of the range: rising and falling are judged without a wrap.
    {"HighestPagesRising", {kMax32 - 1, kMax32}, 3, 6, 6, kMax32 - 5},
    {"HighestPageAndZeroAreNotFalling", {0, kMax32}, 3, 0, 2, 0},
    // A hostile "Letter Sheets" value appends a bounded number of pages.
    {"HostileLetterCountIsBounded",
     {4000000000u},
     kMax32,
     kMax32,
     kMaxMailPages,
     4000000000u - (kMaxMailPages - 1)},
    {"HostileRisingCountNeedsSixtyFourBits", {5, 6}, kMax32, 2 * std::uint64_t{kMax32}, 6, 1},
};

class ThumbnailPageListTest : public testing::TestWithParam<PageListCase>
{};

} // namespace

// Why: the smallest page decides which sub-page every thumbnail and the page window show; the
// arithmetic must not wrap, nor allocate without bound.
TEST_P(ThumbnailPageListTest, ExpectedCountAndExtension)
{
    const PageListCase& c = GetParam();
    EXPECT_EQ(ExpectedPageCount(c.pages, c.letters), c.expected);
    std::vector<std::uint32_t> pages = c.pages;
    ExtendPageList(pages, c.expected);
    ASSERT_EQ(pages.size(), c.extendedSize);
    EXPECT_TRUE(std::equal(c.pages.begin(), c.pages.end(), pages.begin()));
    // Each appended number is one below the smallest before it.
    std::uint32_t before = GetSmallestPageNumber(c.pages);
    for (std::size_t i = c.pages.size(); i < pages.size(); ++i) {
        ASSERT_EQ(pages[i] + 1, before) << i;
        before = pages[i];
    }
    EXPECT_EQ(GetSmallestPageNumber(pages), c.smallest);
}

INSTANTIATE_TEST_SUITE_P(Cases, ThumbnailPageListTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });
