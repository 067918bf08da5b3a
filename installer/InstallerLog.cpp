#include "installer/InstallerLog.h"

#include <cstdio>
#include <string>

namespace installer {

void LogLine(std::string_view line)
{
    const std::string text = "msiexec: " + std::string(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace installer
