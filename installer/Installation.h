// The installer program's runs: a first installation from a package (with its transforms),
// the maintenance of an installed product (repair or removal, chosen by the user or by the
// command line), and the removal of a related product inside another installation.
#pragma once

#include "installer/InstallerUi.h"
#include "installer/ProductStore.h"

#include <optional>
#include <string>
#include <vector>

namespace installer {

enum class MaintenanceRequest
{
    Ask,    // the user chooses in the maintenance window; a quiet run does nothing
    Repair, // REINSTALL=ALL
    Remove  // REMOVE=ALL
};

// Installs the package at `packagePath` (transforms applied in order). A package whose product
// is installed already gets that product's maintenance.
int RunInstall(const std::string& packagePath, const std::vector<std::string>& transformPaths,
               MaintenanceRequest request, InstallerUi& ui, bool quiet);

// The maintenance of the installed product `productCode`: 1605 when it is not installed.
int RunMaintenance(const std::string& productCode, MaintenanceRequest request, InstallerUi& ui,
                   bool quiet);

// Removes an installed product without a window of its own.
int RemoveInstalledProduct(const ProductRecord& record, InstallerUi& ui);

} // namespace installer
