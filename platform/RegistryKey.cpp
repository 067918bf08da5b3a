#include "platform/RegistryKey.h"

namespace platform {
namespace {

// The number of UTF-16 units of UTF-8 `text`: one per character, two above U+FFFF.
std::size_t Utf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += byte >= 0xF0 ? 1 : 0;
    }
    return units;
}

} // namespace

bool RegistryKey::Open(RegistryHive hive, std::string_view path)
{
    Close();
    m_open = m_store.Load(hive) && m_store.KeyExists(path);
    if (m_open) {
        m_path = path;
    } else {
        m_store = RegistryStore();
    }
    return m_open;
}

void RegistryKey::Close()
{
    m_store = RegistryStore();
    m_path.clear();
    m_open = false;
}

bool RegistryKey::QueryDwordValue(std::string_view name, uint32_t& value) const
{
    const RegistryValue* found = m_open ? m_store.FindValue(m_path, name) : nullptr;
    if (found == nullptr || found->type != RegistryValueType::Dword) {
        return false;
    }
    value = found->dword;
    return true;
}

bool RegistryKey::QueryStringValue(std::string_view name, std::string& value,
                                   std::size_t maxChars) const
{
    value.clear();
    const RegistryValue* found = m_open ? m_store.FindValue(m_path, name) : nullptr;
    if (found == nullptr || found->type != RegistryValueType::String ||
        Utf16Length(found->text) + 1 > maxChars) {
        return false;
    }
    value = found->text;
    return true;
}

} // namespace platform
