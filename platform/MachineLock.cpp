#include "platform/MachineLock.h"

#include "platform/SetupFolders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// The folder must be root's alone: anyone else who can write there could plant the file.
bool IsRootOnlyFolder(const std::string& folder)
{
    struct stat info = {};
    if (::lstat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT || ::mkdir(folder.c_str(), 0755) != 0 ||
            ::lstat(folder.c_str(), &info) != 0) {
            return false;
        }
    }
    return S_ISDIR(info.st_mode) && info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

MachineLock::~MachineLock()
{
    Release();
}

std::string MachineLock::PathOf(std::string_view name)
{
    return JoinPath(MachineLockFolder(), std::string(name) + ".lock");
}

LockResult MachineLock::Acquire(std::string_view name)
{
    Release();
    if (name.empty() || name.find('/') != std::string_view::npos ||
        !IsRootOnlyFolder(MachineLockFolder())) {
        return LockResult::Failed;
    }
    const std::string path = PathOf(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return LockResult::Failed;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        ((info.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0)) {
        ::close(fd);
        return LockResult::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? LockResult::HeldElsewhere : LockResult::Failed;
    }
    m_fd = fd;
    return LockResult::Acquired;
}

void MachineLock::Release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform
