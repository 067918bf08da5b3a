#include "viewer/ResourceModule.h"

namespace ResourceModule {

QString String(unsigned id)
{
    return QStringLiteral("#%1").arg(id);
}

QList<MenuItem> Menu(unsigned)
{
    return {};
}

QString DialogText(unsigned dialogId, unsigned controlId)
{
    return QStringLiteral("#%1.%2").arg(dialogId).arg(controlId);
}

} // namespace ResourceModule
