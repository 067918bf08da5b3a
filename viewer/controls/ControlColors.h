// The platform's system colours as the kit's controls paint them, taken from the palette so
// that they follow the desktop's theme.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace controls {

inline QColor ButtonFaceColor(const QWidget& widget)
{
    return widget.palette().color(QPalette::Button);
}

inline QColor WindowFrameColor(const QWidget& widget)
{
    return widget.palette().color(QPalette::WindowText);
}

} // namespace controls
