#include "platform/InstallerFolders.h"

#include "platform/SetupFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

std::string ProgramMenuFolder()
{
    return RootPrefix() + "/usr/local/share/applications";
}

std::string DesktopFolder()
{
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable != nullptr && *variable == '/') {
        home = variable;
    } else if (const passwd* entry = ::getpwuid(::getuid());
               entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir == '/') {
        home = entry->pw_dir;
    } else {
        home = "/root";
    }
    while (home.size() > 1 && home.back() == '/') {
        home.pop_back();
    }
    return RootPrefix() + (home == "/" ? std::string() : home) + "/Desktop";
}

std::string InstallerCacheFolder()
{
    return RootPrefix() + "/var/lib/tarv-installer";
}

} // namespace platform
