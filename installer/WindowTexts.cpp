#include "installer/WindowTexts.h"

namespace installer {

QLabel* WrappedLabel(const std::string& text, QWidget* parent)
{
    auto* label = new QLabel(Text(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QLabel* TitleLabel(const std::string& text, QWidget* parent)
{
    QLabel* label = WrappedLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    label->setFont(font);
    return label;
}

} // namespace installer
