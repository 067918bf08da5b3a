// A page for the thumbnail pane, posted by the thumbnail run to the main frame: its number and
// its record in the document's page cache, or none when the page could not be decoded.
#pragma once

#include <QEvent>
#include <cstdint>

struct tagDORNPAGEIMGINFO;

class AddThumbnailEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 34);

    AddThumbnailEvent(std::uint32_t page, const tagDORNPAGEIMGINFO* record)
        : QEvent(kType), m_page(page), m_record(record)
    {}

    std::uint32_t Page() const { return m_page; }
    // Owned by the page cache, which the pane is emptied with.
    const tagDORNPAGEIMGINFO* Record() const { return m_record; }

private:
    std::uint32_t m_page;
    const tagDORNPAGEIMGINFO* m_record;
};
