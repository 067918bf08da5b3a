// Why: every index of the record build sits on this map; lost or mixed-up entries would
// silently give wrong records.
#include "formats/joblog/FlatMap.h"

#include "formats/joblog/LetterCounters.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(FlatMapTest, KeepsEveryKeyThroughGrowthAndCollisions)
{
    // Sequential keys, keys that share their low bits, and random ones.
    std::vector<std::uint64_t> keys;
    for (std::uint64_t i = 0; i < 3000; ++i) {
        keys.push_back(i);
        keys.push_back(i << 32);
        keys.push_back(0xFFFFFFFFull - i);
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 3000; ++i) {
        keys.push_back(random());
    }
    FlatMap<std::uint64_t, std::uint64_t, NumberHash> map;
    std::map<std::uint64_t, std::uint64_t> reference;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        map.FindOrInsert(keys[i], 0) += i + 1;
        reference[keys[i]] += i + 1;
    }
    EXPECT_EQ(map.size(), reference.size());
    for (const auto& [key, value] : reference) {
        const std::uint64_t* found = map.Find(key);
        ASSERT_NE(found, nullptr) << key;
        EXPECT_EQ(*found, value) << key;
    }
    EXPECT_EQ(map.Find(0x123456789ull), nullptr);
    std::size_t visited = 0;
    map.ForEach([&](std::uint64_t, std::uint64_t&) { ++visited; });
    EXPECT_EQ(visited, reference.size());
}

// A log can hold any mail numbers. Numbers chosen so that the unkeyed hash sends them all to
// one block made the record build quadratic (16,384 mails took seconds); the map notices the
// crowd and spreads them with its keyed hash like any others, while ordinary numbers keep
// their perfect unkeyed layout. Counted in probes, not in time.
TEST(FlatMapTest, NumbersThatCrowdTheUnkeyedHashSpreadOut)
{
    // The unkeyed hash: the top 12 bits of (number >> 3) x 0x9E3779B97F4A7C15 pick the block
    // of a map of 16,384 entries (32,768 slots); numbers whose product has them all zero
    // crowd block 0 at that size and at every smaller one.
    constexpr std::size_t kNumbers = 16384;
    std::vector<std::uint32_t> numbers;
    for (std::uint64_t high = 1; numbers.size() < kNumbers; ++high) {
        if ((high * 0x9E3779B97F4A7C15ull) >> 52 == 0) {
            for (std::uint32_t low = 0; low < 8; ++low) {
                numbers.push_back(static_cast<std::uint32_t>(high << 3 | low));
            }
        }
    }
    FlatMap<std::uint64_t, std::uint64_t, NumberHash> map;
    for (const std::uint32_t number : numbers) {
        map.FindOrInsert(number, number);
    }
    ASSERT_EQ(map.size(), kNumbers);
    // Random placement at four fifths full averages about 2.5 probes beyond the first; the
    // crowded block cost about kNumbers / 2.
    EXPECT_LT(map.TotalDisplacement(), 8 * kNumbers);
    for (const std::uint32_t number : numbers) {
        ASSERT_NE(map.Find(number), nullptr);
    }

    FlatMap<std::uint64_t, std::uint64_t, NumberHash> ordinary;
    for (std::uint64_t number = 1; number <= kNumbers; ++number) {
        ordinary.FindOrInsert(number, number);
    }
    EXPECT_EQ(ordinary.TotalDisplacement(), 0u) << "mails counting up lost their layout";
}

TEST(FlatMapTest, LetterCountersKeepTextsApartAndResetTogether)
{
    const std::string texts = "7,07,007,,12345678,123456789,1234567890";
    std::vector<std::string_view> keys;
    for (std::size_t start = 0;;) {
        const std::size_t comma = texts.find(',', start);
        keys.push_back(std::string_view(texts).substr(start, comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    LetterCounters counters;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        counters[keys[i]] = static_cast<int>(i) + 1;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(counters[keys[i]], static_cast<int>(i) + 1) << keys[i];
    }
    counters.ResetAll();
    for (const std::string_view key : keys) {
        EXPECT_EQ(counters[key], 0) << key;
    }
    // Keys are views that must outlive the table.
    const std::string elsewhere = "07";
    EXPECT_EQ(counters[elsewhere], 0) << "an equal text elsewhere is the same key";
    counters[keys[1]] = 5;
    EXPECT_EQ(counters[elsewhere], 5);
}

} // namespace
