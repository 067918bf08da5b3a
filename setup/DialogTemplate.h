// A dialog layout from setup's resources (type "RT_DIALOG", a JSON text): caption, font, size
// and controls in dialog units, turned into pixels from the dialog font as Windows does
// (horizontal units a quarter of the font's average character width, vertical ones an eighth
// of its height). Each control's object name is "control" and its id.
#pragma once

#include <QFont>
#include <QJsonArray>
#include <QRect>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

class DialogTemplate
{
public:
    // Makes the widget of a control class ("static", "combobox", "pushbutton",
    // "defpushbutton"); null leaves it to the template.
    using Factory = std::function<QWidget*(const QString& controlClass, int id, QWidget* parent)>;

    bool Load(unsigned id);
    // Sets the caption, font and fixed size, and creates and places the controls.
    void Apply(QDialog& dialog, const Factory& factory) const;
    // A rectangle in dialog units as pixels.
    QRect ToPixels(const QRect& units) const;
    // The place of control `id` in dialog units; empty when there is none.
    QRect ControlUnits(int id) const;

private:
    QString m_caption;
    QFont m_font;
    QSize m_size;
    QJsonArray m_controls;
    int m_baseX = 6;
    int m_baseY = 13;
};
