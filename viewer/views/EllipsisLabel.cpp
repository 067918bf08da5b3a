#include "viewer/views/EllipsisLabel.h"

#include <QPainter>
#include <QStyle>

EllipsisLabel::EllipsisLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QString EllipsisLabel::ShownText(const QString& text, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width) {
        return text;
    }
    const QString ellipsis = QStringLiteral("...");
    auto fits = [&](qsizetype length) {
        return metrics.horizontalAdvance(text.left(length) + ellipsis) <= width;
    };
    // The longest head that leaves room for the ellipsis (binary search: a text may be long).
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    if (low > 0 && low < text.size() && text.at(low).isLowSurrogate()) {
        --low;
    }
    // Cut at the last word break inside that head; text without blanks (as Japanese is) is
    // cut between characters.
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), low);
    const QString words = blank > 0 ? text.left(blank).trimmed() : QString();
    return (words.isEmpty() ? text.left(low) : words) + ellipsis;
}

void EllipsisLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = ShownText(text(), fontMetrics(), area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                          shown, foregroundRole());
}
