// The "\005SummaryInformation" property set of packages and transforms: numbered properties
// holding 16- or 32-bit integers or strings (in the set's own code page, property 1).
#pragma once

#include "msipackage/Outcome.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace msitransform {

enum class SummaryProperty : std::uint32_t
{
    CodePage = 1,
    Title = 2,
    Subject = 3,
    Author = 4,
    Template = 7,
    LastAuthor = 8,
    RevisionNumber = 9,
    PageCount = 14,
    CharCount = 16,
};

class SummaryInformation
{
public:
    // The stream's name in the compound file.
    static const std::u16string& StreamName();

    static Outcome<SummaryInformation> Parse(std::string_view bytes);
    // Strings are written as they are held: callers keep them in the set's code page (here
    // always ASCII).
    std::string Write() const;

    void SetShort(SummaryProperty id, std::int16_t value) { m_numbers[id] = {value, true}; }
    void SetInt(SummaryProperty id, std::int32_t value) { m_numbers[id] = {value, false}; }
    void SetString(SummaryProperty id, std::string value) { m_strings[id] = std::move(value); }
    // The integer (16- or 32-bit) or string of `id`, when present with that kind.
    std::optional<std::int32_t> Int(SummaryProperty id) const;
    const std::string* String(SummaryProperty id) const;

private:
    struct Number
    {
        std::int32_t value = 0;
        bool sixteenBits = false;
    };
    std::map<SummaryProperty, Number> m_numbers;
    std::map<SummaryProperty, std::string> m_strings;
};

} // namespace msitransform
