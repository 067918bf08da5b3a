#pragma once

#include <QString>

class QWidget;

// The text a box shows: string `id`, " \r\n(", the code, ")".
QString ComposeMessageText(unsigned id, const QString& code);

// Modal boxes with the application title as caption and OK labelled from the resource module.
void ShowErrorMessage(unsigned id, const QString& code, QWidget* owner);
void ShowWarningMessage(unsigned id, const QString& code, QWidget* owner);
