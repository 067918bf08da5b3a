#include "viewer/document/DocumentListTexts.h"

#include "viewer/common/ResourceModule.h"

#include <charconv>

namespace {

std::string Utf8String(unsigned id)
{
    return ResourceModule::String(id).toStdString();
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

DocumentListTexts DocumentListTexts::Load()
{
    DocumentListTexts texts;
    texts.m_sample = Utf8String(169);
    texts.m_standard = Utf8String(168);
    texts.m_completed = Utf8String(172);
    texts.m_suspend = Utf8String(173);
    texts.m_error = Utf8String(174);
    texts.m_printed = Utf8String(239);
    texts.m_trays = {Utf8String(161), Utf8String(162), Utf8String(163), Utf8String(164),
                     Utf8String(184)};
    return texts;
}

std::string_view DocumentListTexts::MailKind(const MailRecord& mail) const
{
    switch (mail.nKind) {
    case kMailKindSample:
        return m_sample;
    case kMailKindNormal:
        return m_standard;
    default:
        return {};
    }
}

std::string DocumentListTexts::MailResult(const MailRecord& mail) const
{
    switch (mail.nState) {
    case kMailFinished:
        return m_completed;
    case kMailSuspended:
        return m_suspend;
    default:
        return m_error + mail.strErrorNo;
    }
}

std::string DocumentListTexts::SheetResult(const SheetRecord& sheet) const
{
    switch (sheet.nState) {
    case kSheetStacked:
        return m_printed;
    case kSheetSuspended:
        return m_suspend;
    default:
        return m_error + sheet.strErrorNo;
    }
}

std::string_view DocumentListTexts::Tray(const SheetRecord& sheet) const
{
    if (sheet.nTray >= 1 && sheet.nTray <= 5) {
        return m_trays[static_cast<std::size_t>(sheet.nTray - 1)];
    }
    return {};
}

std::string_view DocumentListTexts::MailFilter(const MailRecord& mail, int column,
                                               std::string& scratch) const
{
    switch (column) {
    case 0: {
        if (mail.nMailNo == kNoNumber) {
            return {};
        }
        scratch.resize(16);
        const auto end =
            std::to_chars(scratch.data(), scratch.data() + scratch.size(), mail.nMailNo).ptr;
        scratch.resize(static_cast<std::size_t>(end - scratch.data()));
        return scratch;
    }
    case 1:
        return MailKind(mail);
    case 2:
        return mail.strProgress;
    case 3:
        switch (mail.nState) {
        case kMailFinished:
            return m_completed;
        case kMailSuspended:
            return m_suspend;
        case kMailError:
            scratch.assign(m_error).append("(").append(mail.strErrorNo).append(")");
            return scratch;
        default:
            return {};
        }
    case 4:
        return mail.strStartTime;
    case 5:
        return mail.strEndTime;
    default:
        return {};
    }
}

QString GetMailKindText(const MailRecord& mail)
{
    return ToQString(DocumentListTexts::Load().MailKind(mail));
}

QString GetMailResultText(const MailRecord& mail)
{
    return ToQString(DocumentListTexts::Load().MailResult(mail));
}

QString GetSheetResultText(const SheetRecord& sheet)
{
    return ToQString(DocumentListTexts::Load().SheetResult(sheet));
}

QString GetTrayName(const SheetRecord& sheet)
{
    return ToQString(DocumentListTexts::Load().Tray(sheet));
}

QString MailFilterText(const MailRecord& mail, int column)
{
    std::string scratch;
    return ToQString(DocumentListTexts::Load().MailFilter(mail, column, scratch));
}
