#include "formats/joblog/JobLogRows.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kCommas = 0x2C2C2C2C2C2C2C2Cull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// One bit (the top bit of its byte) for every comma among the eight bytes at `at`. Exact per
// byte: no carry crosses from one byte into the next.
std::uint64_t CommaBits(const char* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    const std::uint64_t x = word ^ kCommas;
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

} // namespace

bool JobLogRows::Load(std::FILE* stream, const BlockCheck& accept)
{
    m_lines.clear();
    if (!m_file.Open(stream)) {
        return false;
    }
    for (std::size_t start = 0; m_file.ReadBlock(); start = Bytes().size()) {
        if (!accept(Bytes(), Bytes().substr(start), m_file.IsComplete())) {
            return false;
        }
    }
    return m_file.IsComplete();
}

std::size_t JobLogRows::CutFields(std::string_view line, std::span<std::string_view> fields)
{
    const std::size_t capacity = fields.size();
    if (capacity == 0) {
        return 1;
    }
    std::size_t count = 0;
    std::size_t start = 0;
    // Field `count` ends at the comma at `pos`; false once no room is left for the rest.
    const auto cut = [&](std::size_t pos) {
        if (count + 1 >= capacity) {
            return false;
        }
        fields[count++] = line.substr(start, pos - start);
        start = pos + 1;
        return true;
    };
    // Eight bytes at a time: a comma-by-comma memchr costs more than the scan itself.
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= line.size(); i += 8) {
            for (std::uint64_t bits = CommaBits(line.data() + i); bits != 0; bits &= bits - 1) {
                if (!cut(i + static_cast<std::size_t>(std::countr_zero(bits)) / 8)) {
                    return capacity + 1;
                }
            }
        }
    }
    for (; i < line.size(); ++i) {
        if (line[i] == ',' && !cut(i)) {
            return capacity + 1;
        }
    }
    fields[count++] = line.substr(start);
    return count;
}

std::size_t JobLogRows::CountCommas(std::string_view line)
{
    std::size_t count = 0;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= line.size(); i += 8) {
            // One bit per comma, at the top of its byte: summed by one multiplication, as
            // baseline x86-64 has no population count instruction.
            count += static_cast<std::size_t>(((CommaBits(line.data() + i) >> 7) * kOnes) >> 56);
        }
    }
    for (; i < line.size(); ++i) {
        count += line[i] == ',' ? 1 : 0;
    }
    return count;
}

JobLogRow JobLogRows::operator[](std::size_t row) const
{
    JobLogRow result;
    const std::size_t count = CutFields(m_lines[row], result.m_fields);
    // Stored lines were split before, so they always fit.
    result.m_count = count <= JobLogRow::kMaxFields ? count : 0;
    return result;
}
