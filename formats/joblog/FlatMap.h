// A compact open-addressing hash map for the indexes of the record build: one array of
// key/value slots probed linearly, one bit per slot telling whether it is taken. Entries
// are never removed. `Hash` gives any 64-bit value; the map spreads it itself with a secret of
// the process, so that no log can choose keys that crowd one place, keeping values that
// differ only in their three lowest bits close together.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// Random for each process, fixed while it runs.
struct HashSeed
{
    std::uint64_t add;
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
        for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
            if (!IsUsed(i)) {
                return nullptr;
            }
            if (m_slots[i].key == key) {
                return &m_slots[i].value;
            }
        }
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
            Grow();
        }
        std::size_t i = Home(key);
        while (IsUsed(i)) {
            if (m_slots[i].key == key) {
                return m_slots[i].value;
            }
            i = (i + 1) & Mask();
        }
        SetUsed(i);
        ++m_size;
        m_slots[i] = Slot{key, initial};
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

    std::size_t Mask() const { return m_slots.size() - 1; }
    // A keyed mix of all but the three lowest bits picks a block of eight slots, and those
    // three bits the slot in it: neighbouring numbers share a cache line, while no more than
    // eight keys can crowd one block that way. The mix takes the process's secret first, so
    // which keys share a block cannot be known beforehand, then spreads every bit over all
    // (a strong 64-bit finalizer).
    std::size_t Home(const Key& key) const
    {
        const std::uint64_t hash = Hash{}(key);
        std::uint64_t mixed = ((hash >> 3) ^ m_seed.add) * m_seed.multiply;
        mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
        mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
        mixed ^= mixed >> 31;
        const auto block = static_cast<std::size_t>(mixed >> m_shift);
        return (block << 3) | static_cast<std::size_t>(hash & 7);
    }
    bool IsUsed(std::size_t i) const { return (m_used[i / 64] >> (i % 64)) & 1u; }
    void SetUsed(std::size_t i) { m_used[i / 64] |= std::uint64_t{1} << (i % 64); }

    void Grow()
    {
        const std::size_t capacity = m_slots.empty() ? kFirstCapacity : m_slots.size() * 2;
        std::vector<Slot> slots(capacity);
        std::vector<std::uint64_t> used((capacity + 63) / 64);
        slots.swap(m_slots);
        used.swap(m_used);
        unsigned blockBits = 0;
        while ((std::size_t{8} << blockBits) < capacity) {
            ++blockBits;
        }
        m_shift = 64 - blockBits;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if ((used[i / 64] >> (i % 64)) & 1u) {
                std::size_t j = Home(slots[i].key);
                while (IsUsed(j)) {
                    j = (j + 1) & Mask();
                }
                SetUsed(j);
                m_slots[j] = slots[i];
            }
        }
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint64_t> m_used;
    std::size_t m_size = 0;
    unsigned m_shift = 64;
    HashSeed m_seed = ProcessHashSeed();
};

// Hashes for the keys the build uses.
struct NumberHash
{
    std::uint64_t operator()(std::uint64_t number) const { return number; }
};
