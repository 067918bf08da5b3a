#include "formats/LetterCounters.h"

#include <cstring>

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

std::uint64_t LetterCounters::TextHash::operator()(std::string_view text) const
{
    // Up to eight bytes as they stand, with the length; FNV-1a for longer texts. The map
    // spreads the result further.
    if (text.size() <= 8) {
        std::uint64_t word = 0;
        if (!text.empty()) {
            std::memcpy(&word, text.data(), text.size());
        }
        return word ^ (std::uint64_t{text.size()} << 59);
    }
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

int& LetterCounters::operator[](std::string_view mailNoText)
{
    if (m_last == nullptr || !SameText(mailNoText, m_lastText)) {
        m_last = &m_counters.FindOrInsert(mailNoText, Counter{0, m_generation});
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
        m_counters.ForEach([](std::string_view, Counter& counter) { counter = Counter{}; });
        m_generation = 1;
    }
}
