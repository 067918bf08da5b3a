// The window that shows an installation, repair or removal going on, with its Cancel button.
#pragma once

#include "installer/InstallerUi.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace installer {

class ProgressWindow : public QDialog
{
public:
    explicit ProgressWindow(const ProgressTexts& texts, QWidget* parent = nullptr);

    void ShowAction(const QString& description, int done, int total);
    void SetCancelVisible(bool visible);
    bool IsCancelRequested() const { return m_cancelRequested; }

protected:
    // Closing the window asks to cancel; the installer closes it when it is done.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    bool m_cancelRequested = false;
};

} // namespace installer
