#pragma once

#include <QFont>
#include <QRect>

// Dialog units turned into pixels, as forms and dialogs are laid out: a horizontal unit is a
// quarter of the font's average character width, a vertical one an eighth of its height.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    // The one font of the viewer's forms and dialogs: a family with Japanese, Chinese, Korean
    // and Cyrillic glyphs, Thai from its fallbacks, at `points` size.
    static QFont DialogFont(int points, bool bold);

private:
    int m_baseX;
    int m_baseY;
};
