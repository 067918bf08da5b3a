// A compact open-addressing hash map for the indexes of the record build: one array of
// key/value slots probed linearly, one bit per slot telling whether it is taken. Entries
// are never removed. `Hash` gives any 64-bit value; the map spreads it itself, keeping values
// that differ only in their three lowest bits close together.
//
// The spread is Fibonacci hashing, which lays ordinary numbers (mail numbers counting up) out
// perfectly, but which a log could aim at: keys chosen to share one place make every step
// quadratic. So no key may lie further than kFarthestProbe slots from its home; a map whose
// keys would need that changes for good to a spread keyed with a secret of the process, which
// no input can aim at. A lookup never probes beyond the farthest key, so every step is
// bounded.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// Random for each process, fixed while it runs.
struct HashSeed
{
    std::uint64_t secret;
    std::uint64_t multiply; // odd
};

inline const HashSeed& ProcessHashSeed()
{
    static const HashSeed seed = [] {
        std::uint64_t words[2] = {};
        try {
            std::random_device device;
            for (std::uint64_t& word : words) {
                word = (std::uint64_t{device()} << 32) ^ device();
            }
        } catch (...) {
            // No entropy source: what the clock and the address space give.
            words[0] = static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count());
            words[1] = reinterpret_cast<std::uintptr_t>(&words) * 0x9E3779B97F4A7C15ull;
        }
        return HashSeed{words[0], words[1] | 1};
    }();
    return seed;
}

template <class Key, class Value, class Hash>
class FlatMap
{
public:
    const Value* Find(const Key& key) const
    {
        if (m_size == 0) {
            return nullptr;
        }
        std::size_t i = Home(key);
        for (std::size_t distance = 0; distance <= m_farthest; ++distance) {
            if (!IsUsed(i)) {
                return nullptr;
            }
            if (m_slots[i].key == key) {
                return &m_slots[i].value;
            }
            i = (i + 1) & Mask();
        }
        return nullptr;
    }
    Value* Find(const Key& key)
    {
        return const_cast<Value*>(static_cast<const FlatMap*>(this)->Find(key));
    }

    // The value of `key`, inserted as `initial` when the key is new. The reference holds
    // until the next insertion of a new key.
    Value& FindOrInsert(const Key& key, const Value& initial)
    {
        // At most four fifths full, so that probes stay short.
        if ((m_size + 1) * 5 > m_slots.size() * 4) {
            Rebuild(m_slots.empty() ? kFirstCapacity : m_slots.size() * 2);
        }
        std::size_t i = Home(key);
        std::size_t distance = 0;
        for (; IsUsed(i); i = (i + 1) & Mask(), ++distance) {
            if (m_slots[i].key == key) {
                return m_slots[i].value;
            }
            if (!m_keyed && distance == kFarthestProbe) {
                m_keyed = true;
                Rebuild(m_slots.size());
                return FindOrInsert(key, initial);
            }
        }
        SetUsed(i);
        ++m_size;
        m_slots[i] = Slot{key, initial};
        m_farthest = std::max(m_farthest, distance);
        return m_slots[i].value;
    }

    std::size_t size() const { return m_size; }

    // How far the entries lie from their home slots, summed: the probes that finding every
    // key takes beyond the first.
    std::size_t TotalDisplacement() const
    {
        std::size_t total = 0;
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (IsUsed(i)) {
                total += (i - Home(m_slots[i].key)) & Mask();
            }
        }
        return total;
    }

    // Calls `visit(key, value)` for every entry, in no particular order.
    template <class Visit>
    void ForEach(Visit&& visit)
    {
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (IsUsed(i)) {
                visit(m_slots[i].key, m_slots[i].value);
            }
        }
    }

private:
    struct Slot
    {
        Key key;
        Value value;
    };

    static constexpr std::size_t kFirstCapacity = 16;
    // Ordinary keys lie at most about 80 slots from home at four fifths full.
    static constexpr std::size_t kFarthestProbe = 256;

    std::size_t Mask() const { return m_slots.size() - 1; }
    // All but the three lowest bits pick a block of eight slots, and those three bits the slot
    // in it: neighbouring numbers share a cache line, while no more than eight keys can crowd
    // one block that way. Unkeyed, the block comes from Fibonacci hashing; keyed, from the
    // process's secret and then a strong 64-bit finalizer, which spreads every bit over all.
    std::size_t Home(const Key& key) const
    {
        const std::uint64_t hash = Hash{}(key);
        std::uint64_t mixed = hash >> 3;
        if (!m_keyed) {
            mixed *= 0x9E3779B97F4A7C15ull;
        } else {
            mixed = (mixed ^ m_seed.secret) * m_seed.multiply;
            mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
            mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
            mixed ^= mixed >> 31;
        }
        const auto block = static_cast<std::size_t>(mixed >> m_shift);
        return (block << 3) | static_cast<std::size_t>(hash & 7);
    }
    bool IsUsed(std::size_t i) const { return (m_used[i / 64] >> (i % 64)) & 1u; }
    void SetUsed(std::size_t i) { m_used[i / 64] |= std::uint64_t{1} << (i % 64); }

    // Lays every entry out again in `capacity` slots. Unkeyed, a key beyond kFarthestProbe
    // makes the map keyed and the layout start over.
    void Rebuild(std::size_t capacity)
    {
        std::vector<Slot> slots(capacity);
        std::vector<std::uint64_t> used((capacity + 63) / 64);
        slots.swap(m_slots);
        used.swap(m_used);
        unsigned blockBits = 0;
        while ((std::size_t{8} << blockBits) < capacity) {
            ++blockBits;
        }
        m_shift = 64 - blockBits;
        while (!Place(slots, used)) {
            m_keyed = true;
            std::fill(m_used.begin(), m_used.end(), 0);
        }
    }
    // Puts the taken slots of `slots` into the empty table; false as soon as an unkeyed key
    // would lie beyond kFarthestProbe.
    bool Place(const std::vector<Slot>& slots, const std::vector<std::uint64_t>& used)
    {
        m_farthest = 0;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if ((used[i / 64] >> (i % 64)) & 1u) {
                std::size_t j = Home(slots[i].key);
                std::size_t distance = 0;
                for (; IsUsed(j); j = (j + 1) & Mask(), ++distance) {
                    if (!m_keyed && distance == kFarthestProbe) {
                        return false;
                    }
                }
                SetUsed(j);
                m_slots[j] = slots[i];
                m_farthest = std::max(m_farthest, distance);
            }
        }
        return true;
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint64_t> m_used;
    std::size_t m_size = 0;
    unsigned m_shift = 64;
    std::size_t m_farthest = 0; // the most slots any key lies beyond its home
    bool m_keyed = false;
    HashSeed m_seed = ProcessHashSeed();
};

// Hashes for the keys the build uses.
struct NumberHash
{
    std::uint64_t operator()(std::uint64_t number) const { return number; }
};
