#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

PathKind GetPathKind(const std::string& path)
{
    struct stat info = {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return PathKind::Missing;
    }
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

bool IsReadOnly(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
}

bool SetReadOnly(const std::string& path, bool readOnly)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    mode_t mode = info.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR)) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
}

bool RemoveEmptyFolder(const std::string& path)
{
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool GetExecutablePath(std::string& path)
{
    // The link's length is not known beforehand: grow until the whole target fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            path.assign(buffer.data(), static_cast<std::size_t>(length));
            return true;
        }
        if (buffer.size() >= 65536) {
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
