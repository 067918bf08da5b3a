#include "viewer/dialogs/ProgressDialog.h"

#include "viewer/common/DialogUnits.h"
#include "viewer/common/ResourceModule.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

namespace {

// The worker's end: the counterpart of the OK command that it posts.
QEvent::Type DoneEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

constexpr unsigned kProgressTitle = 193;

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    // Not a child of the main window: the main window is disabled while this runs, and a
    // child would be disabled with it. It stays in front of it as its transient window.
    m_owner = parent;
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(ResourceModule::String(kProgressTitle));
    setObjectName(QStringLiteral("dialog314"));
    setFont(DialogUnits::DialogFont(9, false));
    const DialogUnits units(font());
    setFixedSize(units.Rect(0, 0, 212, 98).size());
    m_progressCtrl = new QProgressBar(this);
    m_progressCtrl->setObjectName(QStringLiteral("control1054"));
    m_progressCtrl->setTextVisible(false);
    m_progressCtrl->setGeometry(units.Rect(7, 41, 198, 14));
    auto* ok = new QPushButton(this);
    ok->setObjectName(QStringLiteral("control1"));
    ok->setGeometry(units.Rect(198, 82, 8, 9));
    ok->setVisible(false);
    ok->setAutoDefault(false);
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::PostProgress(ProgressDialog* dialog, int position)
{
    if (dialog != nullptr) {
        QCoreApplication::postEvent(dialog, new ProgressEvent(position));
    }
}

void ProgressDialog::PostDone(ProgressDialog* dialog)
{
    if (dialog != nullptr) {
        QCoreApplication::postEvent(dialog, new QEvent(DoneEventType()));
    }
}

int ProgressDialog::exec()
{
    setAttribute(Qt::WA_DontShowOnScreen, m_bHidden);
    ShowPosition();
    if (m_owner != nullptr && !m_bHidden) {
        winId();
        if (QWindow* owner = m_owner->window()->windowHandle()) {
            windowHandle()->setTransientParent(owner);
        }
        move(m_owner->window()->frameGeometry().center() - rect().center());
    }
    // The main window takes no input while the worker runs.
    const bool ownerWasEnabled = m_owner != nullptr && m_owner->isEnabled();
    if (ownerWasEnabled) {
        m_owner->setEnabled(false);
    }
    const int result = QDialog::exec();
    if (ownerWasEnabled && m_owner != nullptr) {
        m_owner->setEnabled(true);
    }
    return result;
}

void ProgressDialog::done(int result)
{
    // Only the worker's end closes the dialog; Escape and the like reach here too.
    if (m_bWorkerDone) {
        QDialog::done(result);
    }
}

bool ProgressDialog::event(QEvent* event)
{
    if (event->type() == ProgressEvent::kType) {
        OnProgressPos(static_cast<ProgressEvent*>(event)->value());
        return true;
    }
    if (event->type() == DoneEventType()) {
        OnBnClickedOk();
        return true;
    }
    return QDialog::event(event);
}

void ProgressDialog::keyPressEvent(QKeyEvent* event)
{
    // Neither Enter nor Escape ends the dialog.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    // The close button and Alt+F4 do nothing.
    event->ignore();
}

void ProgressDialog::OnProgressPos(int position)
{
    m_nPos = position;
    ShowPosition();
}

void ProgressDialog::ShowPosition()
{
    // An empty range stays an empty bar, not Qt's busy indicator.
    m_progressCtrl->setRange(0, std::max(m_nRange, 1));
    m_progressCtrl->setValue(m_nPos);
}

void ProgressDialog::OnBnClickedOk()
{
    if (m_hThread != nullptr && m_hThread->joinable()) {
        m_hThread->join();
    }
    m_bWorkerDone = true;
    accept();
}
