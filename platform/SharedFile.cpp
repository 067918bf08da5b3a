#include "platform/SharedFile.h"

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

int OpenFlags(const char* mode)
{
    const bool update = std::strchr(mode, '+') != nullptr;
    switch (mode[0]) {
    case 'r':
        return update ? O_RDWR : O_RDONLY;
    case 'w':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT;
    case 'a':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
        return -1;
    }
}

std::FILE* OpenLocked(const std::string& path, const char* mode, int lock)
{
    const int flags = OpenFlags(mode);
    if (flags < 0) {
        return nullptr;
    }
    // Truncation waits until the lock is ours, so a refused writer destroys nothing.
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    // The lock belongs to the open file description, so fclose releases it.
    if (::flock(fd, lock | LOCK_NB) != 0 || (mode[0] == 'w' && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

} // namespace

std::FILE* OpenDenyWrite(const std::string& path, const char* mode)
{
    return OpenLocked(path, mode, LOCK_SH);
}

std::FILE* OpenExclusive(const std::string& path, const char* mode)
{
    return OpenLocked(path, mode, LOCK_EX);
}

} // namespace platform
