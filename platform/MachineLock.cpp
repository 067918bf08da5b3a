#include "platform/MachineLock.h"

#include "platform/SetupFolders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

LockResult Fail(std::string* failure, std::string text)
{
    if (failure != nullptr) {
        *failure = std::move(text);
    }
    return LockResult::Failed;
}

LockResult FailWithError(std::string* failure, const std::string& path)
{
    return Fail(failure, path + ": " + std::strerror(errno));
}

// The folder must be root's alone: anyone else who can write there could plant the file.
bool IsRootOnlyFolder(const std::string& folder, std::string* failure)
{
    struct stat info = {};
    if (::lstat(folder.c_str(), &info) != 0 &&
        (errno != ENOENT || ::mkdir(folder.c_str(), 0755) != 0 ||
         ::lstat(folder.c_str(), &info) != 0)) {
        FailWithError(failure, folder);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        Fail(failure, folder + " is not a folder that only root may write");
        return false;
    }
    return true;
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

LockResult MachineLock::Acquire(std::string_view name, std::string* failure)
{
    Release();
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return Fail(failure, "\"" + std::string(name) + "\" is not a lock name");
    }
    if (!IsRootOnlyFolder(MachineLockFolder(), failure)) {
        return LockResult::Failed;
    }
    const std::string path = PathOf(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return FailWithError(failure, path);
    }
    struct stat info = {};
    LockResult result = LockResult::Acquired;
    if (::fstat(fd, &info) != 0) {
        result = FailWithError(failure, path);
    } else if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        result = Fail(failure, path + " is not a plain file of the user who runs it");
    } else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) {
        result = FailWithError(failure, path);
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? LockResult::HeldElsewhere : FailWithError(failure, path);
    }
    if (result != LockResult::Acquired) {
        ::close(fd);
        return result;
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
