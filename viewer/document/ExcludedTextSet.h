#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The texts that a filter leaves out, as UTF-8 in one flat hash table, so that a list is
// filtered in time linear in its rows whatever the number of texts. Assign keeps the
// storage of the previous texts: fresh memory costs more in first-touch faults than the work.
class ExcludedTextSet
{
public:
    void Assign(const std::vector<QString>& texts);
    bool IsEmpty() const { return m_spans.empty(); }
    bool Contains(std::string_view text) const;

private:
    std::string_view TextAt(std::uint32_t index) const;

    std::string m_bytes;                                          // every text, one after another
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_spans; // offset and size of each
    std::vector<std::uint32_t> m_slots;                           // 0 empty, else text index + 1
    std::size_t m_mask = 0;
};
