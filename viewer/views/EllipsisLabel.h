#pragma once

#include <QLabel>

// A one-line static text that, when it does not fit, ends with "..." after the last whole word
// that fits (or after as many characters as fit, for text without word breaks). text() keeps
// the full text.
class EllipsisLabel : public QLabel
{
    Q_OBJECT

public:
    explicit EllipsisLabel(QWidget* parent = nullptr);

    // What is drawn for `text` in `width` pixels with `metrics`.
    static QString ShownText(const QString& text, const QFontMetrics& metrics, int width);

protected:
    void paintEvent(QPaintEvent* event) override;
};
