// The maintenance window of an installed product: Repair or Remove, with the wizard's texts of
// the installed language.
#pragma once

#include "installer/InstallerUi.h"

#include <QDialog>

namespace installer {

class MaintenanceDialog : public QDialog
{
public:
    explicit MaintenanceDialog(const MaintenanceTexts& texts, QWidget* parent = nullptr);

    MaintenanceChoice Choice() const { return m_choice; }

private:
    MaintenanceChoice m_choice = MaintenanceChoice::Cancel;
};

} // namespace installer
