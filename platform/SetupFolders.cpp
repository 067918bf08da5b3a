#include "platform/SetupFolders.h"

#include <cstdlib>

namespace platform {
namespace {

std::string TrimmedFolder(const char* value)
{
    std::string folder = value != nullptr ? value : "";
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder == "/" ? std::string() : folder;
}

} // namespace

std::string RootPrefix()
{
    return TrimmedFolder(std::getenv(kRootPrefixVariable));
}

std::string ProgramFilesFolder()
{
    return RootPrefix() + "/opt";
}

std::string CommonAppDataFolder()
{
    return RootPrefix() + "/var/opt";
}

std::string RegistryStoreFolder()
{
    return RootPrefix() + "/var/lib/tarv-registry";
}

std::string MachineLockFolder()
{
    return RootPrefix() + "/run";
}

std::string SetupTempFolder()
{
    const char* temp = std::getenv("TMPDIR");
    if (temp != nullptr && *temp != '\0') {
        const std::string folder = TrimmedFolder(temp);
        return folder.empty() ? std::string("/") : folder;
    }
    return RootPrefix() + "/tmp";
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty()) {
        return std::string(name);
    }
    std::string path(folder);
    if (path.back() != '/') {
        path += '/';
    }
    while (!name.empty() && name.front() == '/') {
        name.remove_prefix(1);
    }
    path += name;
    return path;
}

} // namespace platform
