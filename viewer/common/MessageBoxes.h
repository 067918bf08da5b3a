#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

enum class MessageKind
{
    Error,
    Warning
};

// One box as the viewer asks for it: everything the user will see, already in the language of
// the current resource module.
struct MessageBoxRequest
{
    MessageKind kind = MessageKind::Error;
    QString caption; // string 57344, the application title
    QString text;    // ComposeMessageText
    QString okText;  // string 198
    QPointer<QWidget> owner;
};

// Shows one box and returns when it is closed. Tests put their own in place to record boxes.
using MessagePresenter = std::function<void(const MessageBoxRequest&)>;

// The text a box shows: string `id`, " \r\n(", the code, ")".
QString ComposeMessageText(unsigned id, const QString& code);

// Modal boxes with the application title as caption and OK labelled from the resource module.
// `owner` may be null (no owner window).
void ShowErrorMessage(unsigned id, const QString& code, QWidget* owner);
void ShowWarningMessage(unsigned id, const QString& code, QWidget* owner);

// Puts `presenter` in place and returns the one it replaces; an empty function brings back
// the default, which shows a QMessageBox, or writes the box to standard error on a platform
// without a screen (where nobody could close it).
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// The box that the default presenter shows for `request`, not yet shown.
std::unique_ptr<QMessageBox> CreateMessageBox(const MessageBoxRequest& request);
