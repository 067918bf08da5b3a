#include "platform/Display.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
}

} // namespace

bool HasDisplay(int argc, char** argv)
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM")) {
        return true;
    }
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view argument = argv[i];
        if ((argument == "-platform" || argument == "--platform") && argv[i + 1][0] != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace platform
