#include "viewer/lists/ReportListDelegate.h"

#include <QBrush>
#include <QFontMetrics>
#include <QPainter>

namespace {

// Space kept free at each side of a cell's text, in pixels.
constexpr int kMargin = 4;

// True when `text` fits `width` by the sum of its characters' own advances: a quick bound that
// needs no shaping. Texts it cannot vouch for are measured (and elided) properly.
bool SurelyFits(const QFontMetrics& metrics, const QString& text, int width)
{
    constexpr int kSlack = 2; // for kerning that widens a pair
    int sum = 0;
    for (const QChar character : text) {
        if (character.isSurrogate()) {
            return false;
        }
        sum += metrics.horizontalAdvance(character);
        if (sum + kSlack > width) {
            return false;
        }
    }
    return true;
}

} // namespace

ReportListDelegate::ReportListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void ReportListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        !option.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
        : option.state.testFlag(QStyle::State_Active) ? QPalette::Normal
                                                      : QPalette::Inactive;
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) {
        return;
    }
    QColor colour =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected) {
        const QVariant foreground = index.data(Qt::ForegroundRole);
        if (foreground.canConvert<QBrush>()) {
            colour = foreground.value<QBrush>().color();
        }
    }
    const QRect area = option.rect.adjusted(kMargin, 0, -kMargin, 0);
    const QString shown = SurelyFits(option.fontMetrics, text, area.width())
                              ? text
                              : option.fontMetrics.elidedText(text, Qt::ElideRight, area.width());
    painter->setPen(colour);
    painter->drawText(area, Qt::AlignCenter | Qt::TextSingleLine, shown);
}
