// The installer's own windows (Qt): the maintenance choice, the progress window and message
// boxes. The package's wizard tables are not drawn.
#pragma once

#include "installer/InstallerUi.h"

#include <memory>

namespace installer {

class ProgressWindow;

class WindowUi : public InstallerUi
{
public:
    WindowUi();
    ~WindowUi() override;

    MaintenanceChoice ChooseMaintenance(const MaintenanceTexts& texts) override;
    void BeginProgress(const ProgressTexts& texts) override;
    void ActionStarted(const std::string& description, int done, int total) override;
    void SetCancelVisible(bool visible) override;
    bool CancelRequested() override;
    void EndProgress() override;
    void ShowError(const std::string& caption, const std::string& text,
                   const std::string& okButton) override;
    void ShowInformation(const std::string& caption, const std::string& text,
                         const std::string& okButton) override;

private:
    std::unique_ptr<ProgressWindow> m_progress;
};

} // namespace installer
