#include "msipackage/SummaryInformation.h"

#include "msipackage/CompoundFileFormat.h"

namespace msitransform {

using namespace cfb;

namespace {

constexpr std::uint32_t kTypeShort = 2;   // VT_I2
constexpr std::uint32_t kTypeInt = 3;     // VT_I4
constexpr std::uint32_t kTypeString = 30; // VT_LPSTR
constexpr std::uint32_t kSectionOffset = 48;
// The format id of summary information, F29F85E0-4FF9-1068-AB91-08002B27B3D9, as stored.
using namespace std::string_view_literals;
constexpr std::string_view kFormatId =
    "\xE0\x85\x9F\xF2\xF9\x4F\x68\x10\xAB\x91\x08\x00\x2B\x27\xB3\xD9"sv;

} // namespace

const std::u16string& SummaryInformation::StreamName()
{
    static const std::u16string name = u"\u0005SummaryInformation";
    return name;
}

std::optional<std::int32_t> SummaryInformation::Int(SummaryProperty id) const
{
    const auto found = m_numbers.find(id);
    return found == m_numbers.end() ? std::nullopt : std::optional(found->second.value);
}

const std::string* SummaryInformation::String(SummaryProperty id) const
{
    const auto found = m_strings.find(id);
    return found == m_strings.end() ? nullptr : &found->second;
}

std::string SummaryInformation::Write() const
{
    // Property values, each padded to four bytes, in the order of their ids.
    std::map<std::uint32_t, std::string> values;
    for (const auto& [id, number] : m_numbers) {
        std::string& raw = values[static_cast<std::uint32_t>(id)];
        Append32(raw, number.sixteenBits ? kTypeShort : kTypeInt);
        if (number.sixteenBits) {
            Append16(raw, static_cast<std::uint16_t>(number.value));
            Append16(raw, 0);
        } else {
            Append32(raw, static_cast<std::uint32_t>(number.value));
        }
    }
    for (const auto& [id, value] : m_strings) {
        std::string& raw = values[static_cast<std::uint32_t>(id)];
        Append32(raw, kTypeString);
        Append32(raw, static_cast<std::uint32_t>(value.size() + 1));
        raw += value;
        raw.push_back('\0');
        raw.resize((raw.size() + 3) / 4 * 4, '\0');
    }

    std::string section;
    Append32(section, 0); // size, set below
    Append32(section, static_cast<std::uint32_t>(values.size()));
    std::uint32_t offset = 8 + 8 * static_cast<std::uint32_t>(values.size());
    for (const auto& [id, raw] : values) {
        Append32(section, id);
        Append32(section, offset);
        offset += static_cast<std::uint32_t>(raw.size());
    }
    for (const auto& [id, raw] : values) {
        section += raw;
    }
    Put32(section, 0, static_cast<std::uint32_t>(section.size()));

    std::string stream;
    Append16(stream, 0xFFFE);
    Append16(stream, 0);
    Append32(stream, 0x00020006); // written on Windows NT 6.2, as the format expects some OS
    stream.append(16, '\0');      // class id
    Append32(stream, 1);          // one section
    stream += kFormatId;
    Append32(stream, kSectionOffset);
    return stream + section;
}

Outcome<SummaryInformation> SummaryInformation::Parse(std::string_view bytes)
{
    const Failure damaged{"damaged summary information"};
    if (bytes.size() < kSectionOffset || Read16(bytes, 0) != 0xFFFE || Read32(bytes, 24) < 1 ||
        bytes.substr(28, 16) != kFormatId) {
        return damaged;
    }
    const std::uint32_t sectionAt = Read32(bytes, 44);
    if (sectionAt > bytes.size() || bytes.size() - sectionAt < 8) {
        return damaged;
    }
    const std::string_view section = bytes.substr(sectionAt);
    const std::uint32_t count = Read32(section, 4);
    if (count > (section.size() - 8) / 8) {
        return damaged;
    }
    SummaryInformation info;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto id = static_cast<SummaryProperty>(Read32(section, 8 + 8 * i));
        const std::uint32_t at = Read32(section, 12 + 8 * i);
        if (at > section.size() || section.size() - at < 8) {
            return damaged;
        }
        const std::uint32_t type = Read32(section, at);
        if (type == kTypeShort) {
            info.SetShort(id, static_cast<std::int16_t>(Read16(section, at + 4)));
        } else if (type == kTypeInt) {
            info.SetInt(id, static_cast<std::int32_t>(Read32(section, at + 4)));
        } else if (type == kTypeString) {
            const std::uint32_t length = Read32(section, at + 4);
            if (length > section.size() - at - 8) {
                return damaged;
            }
            std::string text(section.substr(at + 8, length));
            while (!text.empty() && text.back() == '\0') {
                text.pop_back();
            }
            info.m_strings[id] = std::move(text);
        }
        // Other kinds (times, thumbnails) are not used by transforms and are skipped.
    }
    return info;
}

} // namespace msitransform
