#pragma once

#include <QProxyStyle>

// The list headers' style: a sorted column's arrow sits above the text at the top of the
// section, as the platform's list headers draw it, instead of beside the text, so a header
// text keeps its column's whole width whether the column is sorted or not.
class ReportHeaderStyle : public QProxyStyle
{
    Q_OBJECT

public:
    ReportHeaderStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
};
