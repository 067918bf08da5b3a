// The installer program's command line, in Windows Installer's form (options in any letter
// case, with '/' or '-'):
//   /i PACKAGE [/norestart] [/qn] [TRANSFORMS=FILE[;FILE...]] [REMOVE=ALL | REINSTALL=ALL]
//   /i{ProductCode} [/norestart] [/qn] [REMOVE=ALL | REINSTALL=ALL]
// /norestart is accepted (the installer never restarts anything); /q or /qn runs quietly.
#pragma once

#include "installer/Installation.h"

#include <string>
#include <variant>
#include <vector>

namespace installer {

struct MsiexecCommand
{
    std::string package;     // a package to install
    std::string productCode; // or an installed product to maintain
    std::vector<std::string> transforms;
    MaintenanceRequest request = MaintenanceRequest::Ask;
    bool quiet = false;

    // The command, or the line that names what is wrong with it.
    static std::variant<MsiexecCommand, std::string>
    Parse(const std::vector<std::string>& arguments);
};

} // namespace installer
