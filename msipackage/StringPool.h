// The string pool of an installer database or transform: the "_StringPool" stream (the code
// page, then a length and a reference count per string) and the "_StringData" stream (the
// strings' bytes in that code page, back to back). Rows refer to strings by number, 1 up; 0 is
// the empty string (null).
#pragma once

#include "msipackage/Outcome.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace msitransform {

class StringPool
{
public:
    explicit StringPool(int codePage) : m_codePage(codePage) {}

    // Reading: both streams checked against each other; every string converted to UTF-8.
    static Outcome<StringPool> Parse(std::string_view pool, std::string_view data);

    int CodePage() const { return m_codePage; }
    // 2, or 3 when there are too many strings for 16-bit numbers (a read pool says which).
    std::size_t BytesPerReference() const;
    // The UTF-8 text of string `id`; nothing for a number outside the pool.
    const std::string* Text(std::uint32_t id) const;

    // Writing: the number of `utf8` (0 when empty), added on first use and counted on each;
    // fails when the text has no form in the pool's code page or is too long.
    Outcome<std::uint32_t> Add(std::string_view utf8);
    std::string PoolStream() const;
    std::string DataStream() const;

private:
    int m_codePage = 0;
    bool m_longReferences = false;
    std::vector<std::string> m_utf8;  // by number - 1
    std::vector<std::string> m_bytes; // in the code page
    std::vector<std::uint32_t> m_references;
    std::unordered_map<std::string, std::uint32_t> m_numbers;
};

} // namespace msitransform
