// Why: page numbers, offsets and counts from files are trusted only when these parsers
// accept them, so their boundaries must hold exactly.
#include "formats/common/NumberParsing.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr std::uint32_t kUntouched32 = 0xDEADBEEF;
constexpr std::uint64_t kUntouched64 = 0xDEADBEEFCAFEF00Dull;

struct Case
{
    const char* text;
    int result;
    std::uint64_t value; // meaningful when result is 0
};

TEST(NumberParsingTest, ParseUInt32Boundaries)
{
    const Case cases[] = {
        {"4294967295", 0, 4294967295u},
        {"4294967296", -2, 0},
        {"9999999999999999999999999", -2, 0},
        {"18446744073709551616", -2, 0},
        {"", -1, 0},
        {" 1", -1, 0},
        {"1 ", -1, 0},
        {"+1", -1, 0},
        {"-1", -1, 0},
        {"0000", 0, 0},
        {"0007", 0, 7},
        {"000000000000000000000000004294967295", 0, 4294967295u},
        {"1a", -1, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t value = kUntouched32;
        EXPECT_EQ(ParseUInt32(c.text, value), c.result) << c.text;
        EXPECT_EQ(value, c.result == 0 ? c.value : kUntouched32) << c.text;
    }
}

TEST(NumberParsingTest, ParseUInt64Boundaries)
{
    const Case cases[] = {
        {"18446744073709551615", 0, 18446744073709551615ull},
        {"18446744073709551616", -2, 0},
        {"99999999999999999999", -2, 0},
        {"000018446744073709551615", 0, 18446744073709551615ull},
        {"+5", -1, 0},
        {"0", 0, 0},
        {"000", 0, 0},
        {"", -1, 0},
        {"12\n", -1, 0},
    };
    for (const Case& c : cases) {
        std::uint64_t value = kUntouched64;
        EXPECT_EQ(ParseUInt64(c.text, value), c.result) << c.text;
        EXPECT_EQ(value, c.result == 0 ? c.value : kUntouched64) << c.text;
    }
}

TEST(NumberParsingTest, ParseHexUInt64TakesUpperCaseOnly)
{
    const Case cases[] = {
        {"0000000000000010", 0, 16},
        {"00FF", 0, 255},
        {"FFFFFFFFFFFFFFFF", 0, 0xFFFFFFFFFFFFFFFFull},
        {"10000000000000000", -2, 0},
        {"0010000000000000000", -2, 0},
        {"1a", -1, 0},
        {"ff", -1, 0},
        {"G", -1, 0},
        {"0x10", -1, 0},
        {"", -1, 0},
    };
    for (const Case& c : cases) {
        std::uint64_t value = kUntouched64;
        EXPECT_EQ(ParseHexUInt64(c.text, value), c.result) << c.text;
        EXPECT_EQ(value, c.result == 0 ? c.value : kUntouched64) << c.text;
    }
}

TEST(NumberParsingTest, CharacterTestsAcceptEmptyText)
{
    EXPECT_TRUE(IsDecimalText(""));
    EXPECT_TRUE(IsHexText(""));
    EXPECT_TRUE(IsDecimalText("0123456789"));
    EXPECT_FALSE(IsDecimalText("12A"));
    EXPECT_TRUE(IsHexText("0123456789ABCDEF"));
    EXPECT_FALSE(IsHexText("abc"));
    EXPECT_FALSE(IsDecimalText("\xEF\xBC\x91")); // a full-width digit one
}

TEST(NumberParsingTest, StripLeadingZerosKeepsTheSign)
{
    const std::pair<std::string, std::string> cases[] = {
        {"-007", "-7"}, {"000", ""}, {"-0", "-"}, {"", ""}, {"100", "100"}, {"0a0", "a0"},
    };
    for (const auto& [text, expected] : cases) {
        std::string changed = text;
        StripLeadingZeros(changed);
        EXPECT_EQ(changed, expected) << text;
    }
}

TEST(NumberParsingTest, MmToPixelsRoundsUpToMultiplesOfEight)
{
    EXPECT_EQ(MmToPixels(2100, 600), 4960); // 4960.6 truncated, already a multiple of 8
    EXPECT_EQ(MmToPixels(2970, 600), 7016); // 7015 rounded up
    EXPECT_EQ(MmToPixels(100, 254), 104);   // exactly 100, rounded up
    EXPECT_EQ(MmToPixels(0, 600), 0);
    EXPECT_EQ(MmToPixels(1, 1), 0);
}

TEST(NumberParsingTest, MmToPixelsGivesZeroForSizesThatDoNotFit)
{
    EXPECT_EQ(MmToPixels(2147483647, 2147483647), 0);
    EXPECT_EQ(MmToPixels(9999999, 9999999), 0);
    EXPECT_EQ(MmToPixels(-2100, 600), 0);
    EXPECT_EQ(MmToPixels(2100, -600), 0);
    // The largest size that still fits: 2147483640 pixels.
    EXPECT_EQ(MmToPixels(2147483640, 254), 2147483640);
    EXPECT_EQ(MmToPixels(2147483647, 254), 0);
}

} // namespace
