#include "platform/Folder.h"

#include "platform/NameMatching.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

// A single entry name: anything else could reach outside the folder.
bool IsPlainName(std::string_view name)
{
    return !name.empty() && !IsDotEntry(name) && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

int DotRank(std::string_view name)
{
    return name == "." ? 0 : (name == ".." ? 1 : 2);
}

void ClassifyEntry(int fd, const dirent& entry, FolderEntry& out)
{
    unsigned char type = entry.d_type;
    struct stat info = {};
    if (type == DT_UNKNOWN && ::fstatat(fd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISLNK(info.st_mode) ? DT_LNK : (S_ISDIR(info.st_mode) ? DT_DIR : DT_REG);
    }
    out.isLink = type == DT_LNK;
    out.isFolder = type == DT_DIR;
    if (out.isLink && ::fstatat(fd, entry.d_name, &info, 0) == 0) {
        out.isFolder = S_ISDIR(info.st_mode);
    }
}

} // namespace

Folder::~Folder()
{
    Close();
}

Folder::Folder(Folder&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void Folder::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool Folder::Open(const std::string& path, FinalLink link)
{
    Close();
    std::string target = path;
    if (link == FinalLink::Refuse) {
        // "link/" would resolve the link in spite of O_NOFOLLOW.
        while (target.size() > 1 && target.back() == '/') {
            target.pop_back();
        }
    }
    if (target.empty() || target.find('\0') != std::string::npos) {
        return false;
    }
    const int flags =
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (link == FinalLink::Refuse ? O_NOFOLLOW : 0);
    m_fd = ::open(target.c_str(), flags);
    return m_fd >= 0;
}

bool Folder::OpenWithoutLinks(const std::string& path, std::string& leaf)
{
    Close();
    leaf.clear();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    // Parts are passed through with O_PATH, which needs no read permission on the way.
    constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    Folder at;
    at.m_fd = ::open(path.front() == '/' ? "/" : ".", kPassFlags);
    std::vector<std::string> names;
    std::size_t start = 0;
    while (at.m_fd >= 0 && start < path.size()) {
        std::size_t end = path.find('/', start);
        end = end == std::string::npos ? path.size() : end;
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        Folder next;
        next.m_fd = ::openat(at.m_fd, part.c_str(), kPassFlags);
        at = std::move(next);
        if (part == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else {
            names.push_back(part);
        }
    }
    if (at.m_fd < 0) {
        return false;
    }
    m_fd = ::openat(at.m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0 && !names.empty()) {
        leaf = std::move(names.back());
    }
    return m_fd >= 0;
}

bool Folder::OpenParentOf(const Folder& child)
{
    Close();
    if (child.m_fd >= 0) {
        m_fd = ::openat(child.m_fd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return m_fd >= 0;
}

bool Folder::GetIdentity(FolderIdentity& identity) const
{
    struct statx info = {};
    if (m_fd < 0 || ::statx(m_fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &info) != 0) {
        return false;
    }
    identity.device = (std::uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor;
    identity.inode = info.stx_ino;
    identity.mount = (info.stx_mask & STATX_MNT_ID) != 0 ? info.stx_mnt_id : 0;
    return true;
}

bool Folder::OpenChild(std::string_view name, Folder& child) const
{
    child.Close();
    if (m_fd < 0 || !IsPlainName(name)) {
        return false;
    }
    const std::string entry(name);
    child.m_fd = ::openat(m_fd, entry.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    return child.m_fd >= 0;
}

bool Folder::List(std::string_view mask, std::vector<FolderEntry>& entries) const
{
    entries.clear();
    if (m_fd < 0) {
        return false;
    }
    // The stream takes over its descriptor; ours stays open for the later steps.
    const int listFd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return false;
    }
    DIR* stream = ::fdopendir(listFd);
    if (stream == nullptr) {
        ::close(listFd);
        return false;
    }
    bool ok = true;
    try {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(stream);
            if (entry == nullptr) {
                ok = errno == 0;
                break;
            }
            if (!MatchesMask(entry->d_name, mask)) {
                continue;
            }
            FolderEntry found;
            found.name = entry->d_name;
            ClassifyEntry(m_fd, *entry, found);
            entries.push_back(std::move(found));
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::closedir(stream);
    if (!ok) {
        entries.clear();
        return false;
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int rankA = DotRank(a.name);
        const int rankB = DotRank(b.name);
        if (rankA != rankB) {
            return rankA < rankB;
        }
        return CompareFolderNames(a.name, b.name) < 0;
    });
    return true;
}

bool Folder::RemoveFile(std::string_view name) const
{
    if (m_fd < 0 || !IsPlainName(name)) {
        return false;
    }
    const std::string entry(name);
    struct stat info = {};
    const bool known = ::fstatat(m_fd, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    // A file that one of our readers holds (a shared lock) is in use and stays, as an open
    // file would on Windows; the exclusive lock is kept until the name is gone.
    int lockFd = -1;
    if (known && S_ISREG(info.st_mode)) {
        lockFd = ::openat(m_fd, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (lockFd >= 0 && ::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
            ::close(lockFd);
            return false;
        }
    }
    if (known && !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        // Never changes a link's target: the flag refuses links.
        ::fchmodat(m_fd, entry.c_str(), (info.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
    }
    const bool removed = ::unlinkat(m_fd, entry.c_str(), 0) == 0;
    if (lockFd >= 0) {
        ::close(lockFd);
    }
    return removed;
}

bool Folder::RemoveFolder(std::string_view name) const
{
    if (m_fd < 0 || !IsPlainName(name)) {
        return false;
    }
    const std::string entry(name);
    return ::unlinkat(m_fd, entry.c_str(), AT_REMOVEDIR) == 0;
}

bool ListFolder(const std::string& path, std::string_view mask, std::vector<FolderEntry>& entries)
{
    entries.clear();
    Folder folder;
    return folder.Open(path, FinalLink::Follow) && folder.List(mask, entries);
}

} // namespace platform
