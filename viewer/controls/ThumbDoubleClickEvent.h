// A thumbnail was double-clicked: sent (never posted) from the button to its component and on
// to the main window, carrying the button's caption, the page number as text.
#pragma once

#include <QEvent>
#include <QString>
#include <utility>

class ThumbDoubleClickEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 33);

    explicit ThumbDoubleClickEvent(QString pageText)
        : QEvent(kType), m_pageText(std::move(pageText))
    {}

    const QString& PageText() const { return m_pageText; }

private:
    QString m_pageText;
};
