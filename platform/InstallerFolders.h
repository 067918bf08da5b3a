// The folders that only the installer program uses besides those of SetupFolders.h: where
// shortcuts go as desktop entries and where installed products are kept for maintenance. All
// lie under the same $PYRN_ROOT_PREFIX as every other root.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

struct UserDesktop
{
    std::string home;               // <prefix><home>: the folder the desktop is found from
    std::vector<std::string> names; // the desktop's folders below the home; none: the home
    uid_t uid = 0;                  // the user, who owns what is made there
    gid_t gid = 0;
};

// The programs menu: <prefix>/usr/local/share/applications.
std::string ProgramMenuFolder();
// The desktop of the user who started the installer (InvokingUser): XDG_DESKTOP_DIR of the
// user's ~/.config/user-dirs.dirs when it lies in the home, else ~/Desktop. Linux has no
// desktop shared by all users. Nothing when that user is not known. The names are the user's
// own: the caller checks each.
std::optional<UserDesktop> DesktopFolder();
// The installed products' cached packages and records: <prefix>/var/lib/tarv-installer.
std::string InstallerCacheFolder();

} // namespace platform
