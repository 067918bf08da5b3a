#include "viewer/views/ListCellTexts.h"

#include "viewer/common/ResourceModule.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// "%u"; empty for "no number".
QString Number(std::uint32_t value)
{
    return value == kNoNumber ? QString() : QString::number(value);
}

} // namespace

ListCellTexts ListCellTexts::Load()
{
    ListCellTexts texts;
    texts.m_sample = ResourceModule::String(169);
    texts.m_standard = ResourceModule::String(168);
    texts.m_interrupted = ResourceModule::String(240);
    texts.m_completed = ResourceModule::String(172);
    texts.m_suspend = ResourceModule::String(173);
    texts.m_error = ResourceModule::String(174);
    texts.m_printed = ResourceModule::String(239);
    texts.m_trays = {ResourceModule::String(161), ResourceModule::String(162),
                     ResourceModule::String(163), ResourceModule::String(164),
                     ResourceModule::String(184)};
    return texts;
}

QString ListCellTexts::ErrorText(const std::string& errorNo) const
{
    return m_error + QLatin1Char('(') + Text(errorNo) + QLatin1Char(')');
}

QString ListCellTexts::Mail(const MailRecord& mail, int column) const
{
    switch (column) {
    case 0:
        // Sample mails carry no number of their own.
        return mail.nKind == kMailKindSample ? QString() : Number(mail.nMailNo);
    case 1:
        switch (mail.nKind) {
        case kMailKindSample:
            return m_sample;
        case kMailKindNormal:
            return m_standard;
        case kMailKindInterruption:
            return m_interrupted;
        default:
            return {};
        }
    case 2:
        return Text(mail.strProgress);
    case 3:
        switch (mail.nState) {
        case kMailFinished:
            return m_completed;
        case kMailSuspended:
            return m_suspend;
        case kMailError:
            return ErrorText(mail.strErrorNo);
        default:
            return {};
        }
    case 4:
        return Text(mail.strStartTime);
    case 5:
        return Text(mail.strEndTime);
    default:
        return {};
    }
}

QString ListCellTexts::Sheet(const SheetRecord& sheet, int column) const
{
    switch (column) {
    case 0:
        return Number(sheet.nSheetNo);
    case 1:
        return sheet.nTray >= 1 && sheet.nTray <= 5
                   ? m_trays[static_cast<std::size_t>(sheet.nTray - 1)]
                   : QString();
    case 2:
        switch (sheet.nState) {
        case kSheetStacked:
            return m_printed;
        case kSheetSuspended:
            return m_suspend;
        case kSheetError:
            return ErrorText(sheet.strErrorNo);
        default:
            return {};
        }
    case 3:
        return Text(sheet.strTime);
    case 4:
        return Number(sheet.nFrontPage);
    case 5:
        return Number(sheet.nBackPage);
    default:
        return {};
    }
}
