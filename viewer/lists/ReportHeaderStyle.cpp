#include "viewer/lists/ReportHeaderStyle.h"

#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

namespace {

// The arrow at the top centre of a section: half its width and its height, in pixels.
constexpr int kArrowHalfWidth = 4;
constexpr int kArrowHeight = 4;

} // namespace

ReportHeaderStyle::ReportHeaderStyle() = default;

void ReportHeaderStyle::drawControl(ControlElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (element != CE_Header || header == nullptr ||
        header->sortIndicator == QStyleOptionHeader::None) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionHeader section = *header;
    section.sortIndicator = QStyleOptionHeader::None;
    // Saved around the section: the base style leaves an empty clip behind when it had none.
    painter->save();
    QProxyStyle::drawControl(CE_Header, &section, painter, widget);
    painter->restore();
    // Ascending points up. (The header calls ascending order "SortDown".)
    const bool up = header->sortIndicator == QStyleOptionHeader::SortDown;
    const int x = header->rect.center().x();
    const int top = header->rect.top() + 1;
    const int bottom = top + kArrowHeight;
    const QPolygon arrow({QPoint(x - kArrowHalfWidth, up ? bottom : top),
                          QPoint(x + kArrowHalfWidth, up ? bottom : top),
                          QPoint(x, up ? top : bottom)});
    painter->save();
    painter->setClipRect(header->rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(header->palette.color(QPalette::WindowText));
    painter->drawPolygon(arrow);
    painter->restore();
}

QSize ReportHeaderStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                          const QSize& size, const QWidget* widget) const
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (type != CT_HeaderSection || header == nullptr) {
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    QStyleOptionHeader section = *header;
    section.sortIndicator = QStyleOptionHeader::None;
    return QProxyStyle::sizeFromContents(type, &section, size, widget);
}
