// What the installer shows its user: the maintenance choice, progress, and message boxes. The
// texts come from the package (in its installed language); the quiet interface shows nothing.
#pragma once

#include <string>

namespace installer {

enum class MaintenanceChoice
{
    Repair,
    Remove,
    Cancel
};

struct MaintenanceTexts
{
    std::string caption;
    std::string title;
    std::string description;
    std::string repairButton;
    std::string repairText;
    std::string removeButton;
    std::string removeText;
    std::string cancelButton;
};

struct ProgressTexts
{
    std::string caption;
    std::string title;
    std::string text;
    std::string statusLabel;
    std::string cancelButton;
};

class InstallerUi
{
public:
    virtual ~InstallerUi() = default;

    virtual MaintenanceChoice ChooseMaintenance(const MaintenanceTexts& texts) = 0;

    virtual void BeginProgress(const ProgressTexts& texts) = 0;
    // One action began; `description` may be empty.
    virtual void ActionStarted(const std::string& description, int done, int total) = 0;
    virtual void SetCancelVisible(bool visible) = 0;
    // True once the user asked to cancel; lets the window answer meanwhile.
    virtual bool CancelRequested() = 0;
    virtual void EndProgress() = 0;

    virtual void ShowError(const std::string& caption, const std::string& text,
                           const std::string& okButton) = 0;
    virtual void ShowInformation(const std::string& caption, const std::string& text,
                                 const std::string& okButton) = 0;
};

// Shows nothing: a maintenance run without a choice on its command line does nothing.
class QuietUi : public InstallerUi
{
public:
    MaintenanceChoice ChooseMaintenance(const MaintenanceTexts&) override
    {
        return MaintenanceChoice::Cancel;
    }
    void BeginProgress(const ProgressTexts&) override {}
    void ActionStarted(const std::string&, int, int) override {}
    void SetCancelVisible(bool) override {}
    bool CancelRequested() override { return false; }
    void EndProgress() override {}
    void ShowError(const std::string&, const std::string&, const std::string&) override {}
    void ShowInformation(const std::string&, const std::string&, const std::string&) override {}
};

} // namespace installer
