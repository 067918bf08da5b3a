#include "msipackage/StringPool.h"

#include "msipackage/CodePage.h"
#include "msipackage/CompoundFileFormat.h"

#include <algorithm>

namespace msitransform {

using namespace cfb;

namespace {

constexpr std::uint32_t kLongReferences = 0x80000000;
constexpr std::size_t kMaxShortReferenceStrings = 0xFFFF;

} // namespace

std::size_t StringPool::BytesPerReference() const
{
    return m_longReferences || m_utf8.size() > kMaxShortReferenceStrings ? 3 : 2;
}

const std::string* StringPool::Text(std::uint32_t id) const
{
    static const std::string empty;
    if (id == 0) {
        return &empty;
    }
    return id <= m_utf8.size() ? &m_utf8[id - 1] : nullptr;
}

Outcome<std::uint32_t> StringPool::Add(std::string_view utf8)
{
    if (utf8.empty()) {
        return 0U;
    }
    const std::string key(utf8);
    if (const auto found = m_numbers.find(key); found != m_numbers.end()) {
        std::uint32_t& references = m_references[found->second - 1];
        references = std::min<std::uint32_t>(references + 1, 0xFFFF);
        return found->second;
    }
    auto bytes = FromUtf8(utf8, m_codePage);
    if (!bytes) {
        return bytes.TakeFailure();
    }
    if (bytes.Value().size() > 0xFFFF) {
        return Failure{"a string of more than 65535 bytes"};
    }
    m_utf8.push_back(key);
    m_bytes.push_back(bytes.Take());
    m_references.push_back(1);
    const auto id = static_cast<std::uint32_t>(m_utf8.size());
    m_numbers.emplace(key, id);
    return id;
}

std::string StringPool::PoolStream() const
{
    std::string pool;
    Append32(pool, static_cast<std::uint32_t>(m_codePage) |
                       (BytesPerReference() == 3 ? kLongReferences : 0));
    for (std::size_t i = 0; i < m_bytes.size(); ++i) {
        Append16(pool, static_cast<std::uint16_t>(m_bytes[i].size()));
        Append16(pool, static_cast<std::uint16_t>(m_references[i]));
    }
    return pool;
}

std::string StringPool::DataStream() const
{
    std::string data;
    for (const std::string& bytes : m_bytes) {
        data += bytes;
    }
    return data;
}

Outcome<StringPool> StringPool::Parse(std::string_view pool, std::string_view data)
{
    if (pool.size() < 4 || pool.size() % 4 != 0) {
        return Failure{"damaged string pool"};
    }
    StringPool strings(static_cast<int>(Read32(pool, 0) & ~kLongReferences));
    strings.m_longReferences = (Read32(pool, 0) & kLongReferences) != 0;
    std::size_t offset = 0;
    for (std::size_t at = 4; at < pool.size(); at += 4) {
        const std::uint16_t length = Read16(pool, at);
        const std::uint16_t references = Read16(pool, at + 2);
        if (length == 0 && references != 0) {
            // The form of strings over 64 KB, which no transform of ours holds.
            return Failure{"string pool holds a string longer than 64 KB"};
        }
        if (length > data.size() - offset) {
            return Failure{"string pool is longer than its data"};
        }
        const std::string_view bytes = data.substr(offset, length);
        offset += length;
        auto utf8 = ToUtf8(bytes, strings.m_codePage);
        if (!utf8) {
            return utf8.TakeFailure();
        }
        strings.m_utf8.push_back(utf8.Take());
    }
    return strings;
}

} // namespace msitransform
