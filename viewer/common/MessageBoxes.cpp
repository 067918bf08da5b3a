#include "viewer/common/MessageBoxes.h"

#include "viewer/common/ResourceModule.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace {

bool HasScreen()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// A label shows a lone CR as a glyph: what the user sees breaks the line at CR LF by LF alone.
QString ShownText(const QString& text)
{
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void PresentByDefault(const MessageBoxRequest& request)
{
    if (!HasScreen()) {
        const QString kind = request.kind == MessageKind::Error ? QStringLiteral("error")
                                                                : QStringLiteral("warning");
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(kind + QStringLiteral(" [") + request.caption +
                                    QStringLiteral("] ") + ShownText(request.text)));
        return;
    }
    std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
    box->exec();
}

MessagePresenter& CurrentPresenter()
{
    static MessagePresenter presenter = PresentByDefault;
    return presenter;
}

void ShowMessage(MessageKind kind, unsigned id, const QString& code, QWidget* owner)
{
    MessageBoxRequest request;
    request.kind = kind;
    request.caption = ResourceModule::String(57344);
    request.text = ComposeMessageText(id, code);
    request.okText = ResourceModule::String(198);
    request.owner = owner;
    CurrentPresenter()(request);
}

} // namespace

QString ComposeMessageText(unsigned id, const QString& code)
{
    return ResourceModule::String(id) + QStringLiteral(" \r\n(") + code + QStringLiteral(")");
}

void ShowErrorMessage(unsigned id, const QString& code, QWidget* owner)
{
    ShowMessage(MessageKind::Error, id, code, owner);
}

void ShowWarningMessage(unsigned id, const QString& code, QWidget* owner)
{
    ShowMessage(MessageKind::Warning, id, code, owner);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter)
{
    MessagePresenter previous = std::move(CurrentPresenter());
    CurrentPresenter() = presenter ? std::move(presenter) : MessagePresenter(PresentByDefault);
    return previous;
}

std::unique_ptr<QMessageBox> CreateMessageBox(const MessageBoxRequest& request)
{
    auto box = std::make_unique<QMessageBox>(request.owner.data());
    box->setIcon(request.kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Warning);
    box->setWindowTitle(request.caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(ShownText(request.text));
    QPushButton* ok = box->addButton(request.okText, QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("control1"));
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}
