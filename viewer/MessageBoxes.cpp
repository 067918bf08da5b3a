#include "viewer/MessageBoxes.h"

#include "viewer/ResourceModule.h"

QString ComposeMessageText(unsigned id, const QString& code)
{
    return ResourceModule::String(id) + QStringLiteral(" \r\n(") + code + QStringLiteral(")");
}

void ShowErrorMessage(unsigned, const QString&, QWidget*) {}
void ShowWarningMessage(unsigned, const QString&, QWidget*) {}
