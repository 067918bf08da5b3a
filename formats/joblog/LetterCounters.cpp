#include "formats/joblog/LetterCounters.h"

namespace {

// Mail No. texts are short: compared byte by byte in line rather than through memcmp.
bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::uint64_t LetterCounters::HashOf(std::string_view text)
{
    // Mail No. texts are mostly numbers: their value with their length, so that neighbouring
    // mails lie close together in the map; other texts by FNV-1a.
    constexpr std::size_t kLongestNumber = 15; // below 2^50, with the length above it
    if (!text.empty() && text.size() <= kLongestNumber) {
        std::uint64_t value = 0;
        bool digits = true;
        for (const char c : text) {
            digits = digits && c >= '0' && c <= '9';
            value = value * 10 + static_cast<unsigned char>(c - '0');
        }
        if (digits) {
            return value | (std::uint64_t{text.size()} << 52);
        }
    }
    // Keyed with the process's secret: texts chosen to share one hash would crowd one place.
    std::uint64_t hash = 0xCBF29CE484222325ull ^ ProcessHashSeed().secret;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

int& LetterCounters::operator[](std::string_view mailNoText)
{
    if (m_last == nullptr || !SameText(mailNoText, m_lastText)) {
        m_last = &m_counters.FindOrInsert(TextKey{mailNoText, HashOf(mailNoText)},
                                          Counter{0, m_generation});
        m_lastText = mailNoText;
    }
    Counter& counter = *m_last;
    if (counter.generation != m_generation) {
        counter = Counter{0, m_generation};
    }
    return counter.value;
}

void LetterCounters::ResetAll()
{
    ++m_generation;
    if (m_generation == 0) {
        // Generations ran out: reset for real once, then count from the start again.
        m_counters.ForEach([](const TextKey&, Counter& counter) { counter = Counter{}; });
        m_generation = 1;
    }
}
