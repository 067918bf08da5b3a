// One key of the registry store opened for reading, in the manner of a Windows registry key
// object: Open fails when the key does not exist; queries read the snapshot taken by Open.
#pragma once

#include "platform/RegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class RegistryKey
{
public:
    bool Open(RegistryHive hive, std::string_view path);
    void Close();
    bool IsOpen() const { return m_open; }

    // Reads 4 bytes of value `name` whatever its type, as a Windows query without a type does:
    // a DWORD gives its number; a missing value or one of another size leaves `value` alone
    // and gives false.
    bool QueryDwordValue(std::string_view name, uint32_t& value) const;
    // A string value that fits in `maxChars` UTF-16 units with its terminating zero; false
    // (and `value` emptied) for a missing value, another type or a longer text.
    bool QueryStringValue(std::string_view name, std::string& value, std::size_t maxChars) const;

private:
    RegistryStore m_store;
    std::string m_path;
    bool m_open = false;
};

} // namespace platform
