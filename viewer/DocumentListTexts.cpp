#include "viewer/DocumentListTexts.h"

QString GetMailKindText(const MailRecord&)
{
    return {};
}
QString GetMailResultText(const MailRecord&)
{
    return {};
}
QString GetSheetResultText(const SheetRecord&)
{
    return {};
}
QString GetTrayName(const SheetRecord&)
{
    return {};
}
QString MailFilterText(const MailRecord&, int)
{
    return {};
}
