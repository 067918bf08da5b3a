// What the writer and the reader of installer transforms agree on: the class id of the root
// storage, the error and validation flags of the summary's character count, and the encoding
// of a row's integers.
#pragma once

#include "msipackage/CompoundFile.h"

#include <cstdint>

namespace msitransform::transform {

// {000C1082-0000-0000-C000-000000000046}
inline constexpr ClassId kClassId{0x82, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Conditions that are not errors when their bit is set (low 16 bits of the character count).
inline constexpr std::uint32_t kIgnoreAddExistingRow = 0x0001;
inline constexpr std::uint32_t kIgnoreDeleteMissingRow = 0x0002;
inline constexpr std::uint32_t kIgnoreUpdateMissingRow = 0x0010;
inline constexpr std::uint32_t kIgnoreChangeCodePage = 0x0020;

// What the package must match (high 16 bits of the character count).
inline constexpr std::uint32_t kValidateLanguage = 0x0001;
inline constexpr std::uint32_t kValidateProduct = 0x0002;
inline constexpr std::uint32_t kValidateUpgradeCode = 0x0800;

// A row's mask: bit 0 set means every column up to the count in the high byte follows (an
// insert); otherwise bit n says column n follows (an update), keys always following; 0 with
// keys only is a delete.
inline constexpr std::uint16_t kFullRow = 0x0001;
inline constexpr std::size_t kMaxMaskedColumns = 16;

// Integers are stored offset so that 0 can stand for null.
inline std::uint32_t EncodeInteger(bool isNull, std::int32_t value, int width)
{
    if (isNull) {
        return 0;
    }
    return width == 2 ? static_cast<std::uint32_t>(value + 0x8000)
                      : static_cast<std::uint32_t>(value) ^ 0x80000000U;
}

} // namespace msitransform::transform
