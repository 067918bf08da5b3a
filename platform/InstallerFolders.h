// The folders that only the installer program uses besides those of SetupFolders.h: where
// shortcuts go as desktop entries and where installed products are kept for maintenance. All
// lie under the same $PYRN_ROOT_PREFIX as every other root.
#pragma once

#include <string>

namespace platform {

// The programs menu: <prefix>/usr/local/share/applications.
std::string ProgramMenuFolder();
// The desktop of the user running the installer: <prefix><home>/Desktop, the home taken from
// $HOME, else the user's passwd entry. Linux has no desktop shared by all users.
std::string DesktopFolder();
// The installed products' cached packages and records: <prefix>/var/lib/tarv-installer.
std::string InstallerCacheFolder();

} // namespace platform
