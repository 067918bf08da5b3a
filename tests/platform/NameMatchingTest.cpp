// Why: folder masks must find the same entries as the viewer's users expect from wildcard
// masks, and listings and language-library choices must not depend on the file system's order.
#include "platform/NameMatching.h"

#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(NameMatchingTest, MasksMatchWholeNamesWithoutRegardToCase)
{
    struct Case
    {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"log.csv", "*.csv", true},
        {"LOG.CSV", "*.csv", true},
        {"log.csvx", "*.csv", false},
        {"log.csv.bak", "*.csv", false},
        {"noext", "*.*", true},
        {".", "*.*", true},
        {"..", "*", true},
        {"a.b.c", "*.*", true},
        {"TempByPYRN_20200131", "TempByPYRN_*", true},
        {"TempByPYRN", "TempByPYRN_*", false},
        {"abc", "a?c", true},
        {"a\xE6\x97\xA5"
         "c",
         "a?c", true}, // '?' is one character, not one byte
        {"ac", "a?c", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*c", false},
        {"x", "", false},
        {"\xC3\xA9", "\xC3\x89", false}, // only ASCII letters fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
    }
}

TEST(NameMatchingTest, ListingOrderIgnoresCaseThenBreaksTiesByBytes)
{
    EXPECT_LT(platform::CompareFolderNames("a", "B"), 0);
    EXPECT_LT(platform::CompareFolderNames("B", "b"), 0);
    EXPECT_LT(platform::CompareFolderNames("ab", "ABC"), 0);
    EXPECT_EQ(platform::CompareFolderNames("same", "same"), 0);
    EXPECT_LT(platform::CompareFolderNames("_", "a"), 0); // '_' folds below letters
}

TEST(NameMatchingTest, Utf16OrderPutsSupplementaryCharactersBelowPrivateUse)
{
    const char* const privateUse = "\xEE\x80\x80";        // U+E000
    const char* const supplementary = "\xF0\x9F\x98\x80"; // U+1F600
    EXPECT_GT(platform::CompareUtf16Order(privateUse, supplementary), 0);
    EXPECT_LT(platform::CompareUtf16Order("\xED\x9F\xBF", supplementary), 0); // U+D7FF
    EXPECT_LT(platform::CompareUtf16Order("A", "a"), 0);
    EXPECT_LT(platform::CompareUtf16Order("ab", "abc"), 0);
    EXPECT_EQ(platform::CompareUtf16Order("abc", "abc"), 0);
    EXPECT_GT(platform::CompareUtf16Order("\xFF", privateUse), 0);
}

TEST(NameMatchingTest, Utf8ValidationRefusesMalformedSequences)
{
    const char* const good[] = {"", "plain ascii text of some length", "\xC3\xA9",
                                "\xE6\x97\xA5\xE6\x9C\xAC", "\xF4\x8F\xBF\xBF"};
    for (const char* text : good) {
        EXPECT_TRUE(platform::IsValidUtf8(text)) << text;
    }
    const char* const bad[] = {
        "\x80",
        "abcdefgh\xC3",
        "\xC0\xAF",
        "\xE0\x80\xAF",
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80",
        "\xE6\x97",
        "12345678\xE6\x97"
        "A",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(platform::IsValidUtf8(text)) << text;
    }
}

} // namespace
