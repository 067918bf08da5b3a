// Labels of the installer's windows, made from the package's texts.
#pragma once

#include <QLabel>
#include <QString>
#include <string>

namespace installer {

inline QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// A label that wraps its lines and shows the text as it stands (no rich text).
QLabel* WrappedLabel(const std::string& text, QWidget* parent);
// The same, bold and larger, for a window's title line.
QLabel* TitleLabel(const std::string& text, QWidget* parent);

} // namespace installer
