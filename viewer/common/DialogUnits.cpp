#include "viewer/common/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

// Rounded as the system rounds a scaled unit: value * base / divisor, to nearest.
int Scale(int value, int base, int divisor)
{
    const long long product = static_cast<long long>(value) * base;
    return static_cast<int>((product + (product >= 0 ? divisor / 2 : -divisor / 2)) / divisor);
}

} // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the Latin letters, rounded, as the system measures a dialog font.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = metrics.height();
    if (m_baseX <= 0) {
        m_baseX = 1;
    }
    if (m_baseY <= 0) {
        m_baseY = 1;
    }
}

int DialogUnits::X(int units) const
{
    return Scale(units, m_baseX, 4);
}

int DialogUnits::Y(int units) const
{
    return Scale(units, m_baseY, 8);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const
{
    const int left = X(x);
    const int top = Y(y);
    return {left, top, X(x + width) - left, Y(y + height) - top};
}

QFont DialogUnits::DialogFont(int points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans Thai"),
                      QStringLiteral("Noto Sans")});
    font.setPointSize(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}
