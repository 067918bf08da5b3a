#include "platform/SharedFile.h"

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Opened without waiting for a writer of a pipe or the readiness of a device, then refused
// unless it is a plain file; only then does the descriptor block as usual.
bool OpenedRegularFile(int fd)
{
    struct stat info = {};
    const int flags = ::fcntl(fd, F_GETFL);
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flags != -1 &&
           ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

std::FILE* OpenLocked(const std::string& path, const char* mode, int lock, bool regularOnly)
{
    const int flags = OpenFlags(mode);
    if (flags < 0) {
        return nullptr;
    }
    // Truncation waits until the lock is ours, so a refused writer destroys nothing.
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0), 0666);
    if (fd < 0) {
        return nullptr;
    }
    // The lock belongs to the open file description, so fclose releases it.
    if ((regularOnly && !OpenedRegularFile(fd)) || ::flock(fd, lock | LOCK_NB) != 0 ||
        (mode[0] == 'w' && ::ftruncate(fd, 0) != 0)) {
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
    return OpenLocked(path, mode, LOCK_SH, true);
}

std::FILE* OpenExclusive(const std::string& path, const char* mode)
{
    return OpenLocked(path, mode, LOCK_EX, false);
}

} // namespace platform
