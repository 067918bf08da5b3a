#include "viewer/document/ExcludedTextSet.h"

#include <functional>

void ExcludedTextSet::Assign(const std::vector<QString>& texts)
{
    m_bytes.clear();
    m_spans.clear();
    m_spans.reserve(texts.size());
    for (const QString& text : texts) {
        const QByteArray utf8 = text.toUtf8();
        m_spans.emplace_back(static_cast<std::uint32_t>(m_bytes.size()),
                             static_cast<std::uint32_t>(utf8.size()));
        m_bytes.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
    // Open addressing, at most half full.
    std::size_t size = 16;
    while (size < texts.size() * 2) {
        size *= 2;
    }
    m_slots.assign(size, 0);
    m_mask = size - 1;
    for (std::uint32_t index = 0; index < m_spans.size(); ++index) {
        std::size_t slot = std::hash<std::string_view>{}(TextAt(index)) & m_mask;
        while (m_slots[slot] != 0) {
            slot = (slot + 1) & m_mask;
        }
        m_slots[slot] = index + 1;
    }
}

bool ExcludedTextSet::Contains(std::string_view text) const
{
    if (m_spans.empty()) {
        return false;
    }
    for (std::size_t slot = std::hash<std::string_view>{}(text)&m_mask; m_slots[slot] != 0;
         slot = (slot + 1) & m_mask) {
        if (TextAt(m_slots[slot] - 1) == text) {
            return true;
        }
    }
    return false;
}

std::string_view ExcludedTextSet::TextAt(std::uint32_t index) const
{
    const auto [offset, size] = m_spans[index];
    return std::string_view(m_bytes).substr(offset, size);
}
