// The letters counted per Mail No. text while a log's records are built. Keys are the texts
// exactly as written ("7" and "07" are two counters); they are views into the log's rows,
// which must outlive the table. A counter read before it was set reads 0.
#pragma once

#include "formats/joblog/FlatMap.h"

#include <cstdint>
#include <string_view>

class LetterCounters
{
public:
    // The counter of `mailNoText`. The reference holds until the next call.
    int& operator[](std::string_view mailNoText);
    // Sets every counter to 0 at once.
    void ResetAll();

private:
    // The text with its hash, so that growing the map never reads the log's bytes again.
    struct TextKey
    {
        std::string_view text;
        std::uint64_t hash;
        bool operator==(const TextKey& other) const
        {
            return hash == other.hash && text == other.text;
        }
    };
    struct KeyHash
    {
        std::uint64_t operator()(const TextKey& key) const { return key.hash; }
    };
    static std::uint64_t HashOf(std::string_view text);

    // A counter set before the latest ResetAll holds a stale generation and reads 0.
    struct Counter
    {
        int value = 0;
        std::uint32_t generation = 0;
    };

    FlatMap<TextKey, Counter, KeyHash> m_counters;
    std::uint32_t m_generation = 1;
    // Rows in a row mostly name the same mail. Only operator[] changes the map, and it
    // updates these, so the pointer stays valid.
    std::string_view m_lastText;
    Counter* m_last = nullptr;
};
