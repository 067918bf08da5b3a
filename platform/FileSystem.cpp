#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
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

bool IsRegularFile(const std::string& path)
{
    struct stat info = {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
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

bool ReplaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write)
{
    std::string target = path;
    mode_t mode = 0644;
    struct stat info = {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) == nullptr) {
                return false;
            }
            target = resolved;
        }
        // Read-only is the owner's bit, which binds root too; access() would let root pass.
        if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || IsReadOnly(target) ||
            ::access(target.c_str(), W_OK) != 0) {
            return false;
        }
        mode = info.st_mode & 07777;
    }
    // A short name of its own in the same folder: the target's name plus a suffix could pass
    // the longest name the file system allows.
    const std::size_t slash = target.rfind('/');
    std::string temporary =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
        ".replace-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    // Buffered data meets a full disk only when it is flushed: a failed flush or close fails.
    bool ok = write(file);
    ok = std::fflush(file) == 0 && ok && std::ferror(file) == 0;
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

bool ReplaceFile(const std::string& path, std::string_view bytes)
{
    return ReplaceFile(path, [bytes](std::FILE* file) {
        return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         bool followLinks)
{
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info = {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<std::size_t>(info.st_size) <= limit) {
        std::string text(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        bool ok = true;
        while (ok && done < text.size()) {
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            ok = got > 0 || (got < 0 && errno == EINTR);
            done += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
        if (ok) {
            bytes = std::move(text);
        }
    }
    ::close(fd);
    return bytes;
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
