// The per-user folders that take the place of the Windows special folders.
#pragma once

#include <string>

namespace platform {

enum class SpecialFolder
{
    UserConfig, // the user's settings: $XDG_CONFIG_HOME, else ~/.config
    UserData    // the viewer's working data: $XDG_DATA_HOME, else ~/.local/share
};

// The folder's absolute path without a trailing '/'; false, `path` untouched, when neither the
// variable nor the home folder gives an absolute path. The folder need not exist.
bool GetSpecialFolder(SpecialFolder folder, std::string& path);

} // namespace platform
