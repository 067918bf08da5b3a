#include "platform/NamedLock.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

NamedLock::~NamedLock()
{
    Close();
}

std::string NamedLock::LockFilePath(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && GetPathKind(runtime) == PathKind::Folder) {
        return std::string(runtime) + "/" + std::string(name) + ".lock";
    }
    return "/tmp/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
}

bool NamedLock::Open(std::string_view name)
{
    Close();
    const std::string path = LockFilePath(name);
    // Never through a link: in a shared folder another user could plant one.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

LockTake NamedLock::TryTake()
{
    if (m_fd < 0) {
        return LockTake::Failed;
    }
    int result = 0;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return LockTake::Taken;
    }
    return errno == EWOULDBLOCK ? LockTake::HeldElsewhere : LockTake::Failed;
}

void NamedLock::Release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
    }
}

void NamedLock::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing gives up the lock too
        m_fd = -1;
    }
}

} // namespace platform
