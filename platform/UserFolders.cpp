#include "platform/UserFolders.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {

// An absolute path from the environment, without trailing '/'; relative ones are ignored as
// the XDG rules ask. "/" alone is no folder of the user's either.
bool AbsoluteFromEnvironment(const char* variable, std::string& path)
{
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') {
        return false;
    }
    std::string_view text = value;
    while (text.size() > 1 && text.back() == '/') {
        text.remove_suffix(1);
    }
    if (text == "/") {
        return false;
    }
    path.assign(text);
    return true;
}

} // namespace

bool GetSpecialFolder(SpecialFolder folder, std::string& path)
{
    const bool config = folder == SpecialFolder::UserConfig;
    std::string found;
    if (AbsoluteFromEnvironment(config ? "XDG_CONFIG_HOME" : "XDG_DATA_HOME", found)) {
        path = found;
        return true;
    }
    if (!AbsoluteFromEnvironment("HOME", found)) {
        return false;
    }
    path = found + (config ? "/.config" : "/.local/share");
    return true;
}

} // namespace platform
