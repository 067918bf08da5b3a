#include "platform/LineReader.h"

#include "platform/Utf8.h"

#include <cstring>

namespace platform {

LineReader::LineReader(std::string_view bytes, LineText text) : m_bytes(bytes), m_text(text)
{
    if (m_text == LineText::Utf8 && m_bytes.starts_with(kUtf8ByteOrderMark)) {
        m_pos = kUtf8ByteOrderMark.size();
    }
}

LineResult LineReader::Next(std::string_view& line)
{
    if (m_pos >= m_bytes.size()) {
        return LineResult::End;
    }
    const char* start = m_bytes.data() + m_pos;
    const std::size_t rest = m_bytes.size() - m_pos;
    const void* lf = std::memchr(start, '\n', rest);
    std::size_t length = rest;
    std::size_t consumed = rest;
    if (lf != nullptr) {
        length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
        consumed = length + 1;
        if (length > 0 && start[length - 1] == '\r') {
            --length;
        }
    }
    const std::string_view next(start, length);
    if (m_text == LineText::Utf8 && !IsValidUtf8(next)) {
        m_pos = m_bytes.size();
        return LineResult::InvalidText;
    }
    m_pos += consumed;
    line = next;
    return LineResult::Line;
}

} // namespace platform
