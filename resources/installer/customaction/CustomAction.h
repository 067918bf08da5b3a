// Entries of the package's custom-action library, called by the installer program with the
// installation's handle; each returns 0 (success).
#pragma once

#include "resources/installer/customaction/InstallerHost.h"

#include <string_view>

extern "C" {
[[gnu::visibility("default")]] unsigned int HideCancelButton(MSIHANDLE install);
[[gnu::visibility("default")]] unsigned int ValidatePath(MSIHANDLE install);
}

// An absolute path without control characters, "." or ".." names, names over 255 bytes,
// or more than 4095 bytes in all: one the installer can create and write.
bool IsInstallablePath(std::string_view path);
