#include "installer/WindowUi.h"

#include "installer/MaintenanceDialog.h"
#include "installer/ProgressWindow.h"
#include "installer/WindowTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace installer {
namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const std::string& caption,
             const std::string& text, const std::string& okButton)
{
    QMessageBox box(icon, Text(caption), Text(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (!okButton.empty()) {
        box.button(QMessageBox::Ok)->setText(Text(okButton));
    }
    box.exec();
}

} // namespace

WindowUi::WindowUi() = default;
WindowUi::~WindowUi() = default;

MaintenanceChoice WindowUi::ChooseMaintenance(const MaintenanceTexts& texts)
{
    MaintenanceDialog dialog(texts);
    dialog.exec();
    return dialog.Choice();
}

void WindowUi::BeginProgress(const ProgressTexts& texts)
{
    m_progress = std::make_unique<ProgressWindow>(texts);
    m_progress->show();
    QApplication::processEvents();
}

void WindowUi::ActionStarted(const std::string& description, int done, int total)
{
    if (m_progress) {
        m_progress->ShowAction(Text(description), done, total);
    }
    QApplication::processEvents();
}

void WindowUi::SetCancelVisible(bool visible)
{
    if (m_progress) {
        m_progress->SetCancelVisible(visible);
    }
}

bool WindowUi::CancelRequested()
{
    QApplication::processEvents();
    return m_progress && m_progress->IsCancelRequested();
}

void WindowUi::EndProgress()
{
    m_progress.reset();
}

void WindowUi::ShowError(const std::string& caption, const std::string& text,
                         const std::string& okButton)
{
    ShowBox(m_progress.get(), QMessageBox::Critical, caption, text, okButton);
}

void WindowUi::ShowInformation(const std::string& caption, const std::string& text,
                               const std::string& okButton)
{
    ShowBox(m_progress.get(), QMessageBox::Information, caption, text, okButton);
}

} // namespace installer
