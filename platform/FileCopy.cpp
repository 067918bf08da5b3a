#include "platform/FileCopy.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool CopyRegularFile(const std::string& from, const std::string& to, bool writeThrough)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info = {};
    if (in < 0) {
        return false;
    }
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                           info.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        if (got < 0) {
            ok = errno == EINTR;
            if (ok) {
                continue;
            }
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t written =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            ok = written > 0 || (written < 0 && errno == EINTR);
            done += written > 0 ? written : 0;
        }
        if (!ok) {
            break;
        }
    }
    ok = ok && (!writeThrough || ::fsync(out) == 0);
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok) {
        ::unlink(to.c_str());
    }
    return ok;
}

bool MoveFileReplacing(const std::string& from, const std::string& to)
{
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    if (errno != EXDEV || !CopyRegularFile(from, to, true)) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

} // namespace platform
