#include "viewer/ResourceModule.h"

namespace ResourceModule {

QString String(unsigned id)
{
    return QStringLiteral("#%1").arg(id);
}

} // namespace ResourceModule
