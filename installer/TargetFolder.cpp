#include "installer/TargetFolder.h"

#include "archiver/EntryName.h"
#include "installer/Journal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace installer {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr mode_t kFolderMode = 0755;

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool MakeRoot(const std::string& root, Journal* journal)
{
    for (std::size_t slash = root.find('/', 1);; slash = root.find('/', slash + 1)) {
        const std::string part = root.substr(0, slash);
        if (::mkdir(part.c_str(), kFolderMode) == 0) {
            if (journal != nullptr) {
                journal->FolderCreated(TargetFolder{part, {}, {}});
            }
        } else if (errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// A hidden name beside the file being written, unlikely to be taken.
std::string UniqueSideName(const char* tag)
{
    static std::mt19937 generator{std::random_device{}()};
    char text[48];
    std::snprintf(text, sizeof text, ".msiexec-%s-%08x", tag, static_cast<unsigned>(generator()));
    return text;
}

// Renames `name` to a fresh hidden name beside it, which `aside` receives.
bool MoveAside(int folder, const std::string& name, std::string& aside)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        aside = UniqueSideName("old");
        if (::renameat2(folder, name.c_str(), folder, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// The folder holding `folder`'s last name, and that name; -1 for a root.
int OpenParent(const TargetFolder& folder, std::string& name)
{
    if (folder.names.empty()) {
        return -1;
    }
    TargetFolder parent = folder;
    name = parent.names.back();
    parent.names.pop_back();
    return OpenTargetFolder(parent, false, nullptr);
}

} // namespace

bool IsSafeName(std::string_view name)
{
    std::vector<std::string> components;
    return archiver::SplitEntryName(name, components) && components.size() == 1 &&
           components[0] == name;
}

std::string TargetFolder::Path() const
{
    std::string path = root;
    for (const std::string& name : names) {
        path += '/';
        path += name;
    }
    return path + '/';
}

TargetFolder TargetFolder::Child(std::string name) const
{
    TargetFolder child = *this;
    child.names.push_back(std::move(name));
    return child;
}

int OpenTargetFolder(const TargetFolder& folder, bool create, Journal* journal)
{
    if (folder.root.empty() || folder.root.front() != '/' ||
        (create && !folder.owner && !MakeRoot(folder.root, journal))) {
        return -1;
    }
    int fd = ::open(folder.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    TargetFolder reached{folder.root, {}, folder.owner};
    for (const std::string& name : folder.names) {
        if (fd < 0 || !IsSafeName(name)) {
            break;
        }
        reached.names.push_back(name);
        int next = ::openat(fd, name.c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT && create) {
            const bool made = ::mkdirat(fd, name.c_str(), kFolderMode) == 0;
            if (made && journal != nullptr) {
                journal->FolderCreated(reached);
            }
            next = ::openat(fd, name.c_str(), kFolderFlags);
            // A folder made in a user's home that stayed root's would lock the user out of it.
            if (made && next >= 0 && folder.owner &&
                ::fchown(next, folder.owner->uid, folder.owner->gid) != 0) {
                ::close(next);
                next = -1;
            }
        }
        ::close(fd);
        fd = next;
    }
    if (fd >= 0 && reached.names.size() != folder.names.size()) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

EntryKind KindOf(const TargetFolder& folder, const std::string& name)
{
    const int fd = OpenTargetFolder(folder, false, nullptr);
    struct stat info = {};
    const bool found =
        fd >= 0 && IsSafeName(name) && ::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!found) {
        return EntryKind::Missing;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::File;
}

WriteOutcome WriteTargetFile(const TargetFolder& folder, const std::string& name,
                             std::string_view bytes, mode_t mode, Journal& journal)
{
    if (!IsSafeName(name)) {
        return WriteOutcome::Failed;
    }
    const int fd = OpenTargetFolder(folder, true, &journal);
    if (fd < 0) {
        return WriteOutcome::Failed;
    }
    struct stat existing = {};
    const bool exists = ::fstatat(fd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        ::close(fd);
        return WriteOutcome::IsFolder;
    }
    std::string temporary;
    int file = -1;
    for (int attempt = 0; attempt < 16 && file < 0; ++attempt) {
        temporary = UniqueSideName("new");
        file = ::openat(fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        0600);
    }
    bool ok = file >= 0 && WriteAll(file, bytes) && ::fchmod(file, mode) == 0;
    if (file >= 0) {
        ok = ::close(file) == 0 && ok;
    }
    if (ok && exists) {
        std::string backup;
        ok = MoveAside(fd, name, backup);
        if (ok) {
            journal.FileReplaced(folder, name, backup);
        }
    }
    if (ok) {
        ok = ::renameat(fd, temporary.c_str(), fd, name.c_str()) == 0;
        if (ok && !exists) {
            journal.FileCreated(folder, name);
        }
    }
    if (!ok && file >= 0) {
        ::unlinkat(fd, temporary.c_str(), 0);
    }
    ::close(fd);
    return ok ? WriteOutcome::Written : WriteOutcome::Failed;
}

bool RemoveTargetFile(const TargetFolder& folder, const std::string& name)
{
    const int fd = OpenTargetFolder(folder, false, nullptr);
    if (fd < 0) {
        return errno == ENOENT;
    }
    const bool gone = IsSafeName(name) && (::unlinkat(fd, name.c_str(), 0) == 0 || errno == ENOENT);
    ::close(fd);
    return gone;
}

bool RemoveEmptyTargetFolder(const TargetFolder& folder)
{
    if (folder.names.empty()) {
        // rmdir removes no link that stands in the root's place.
        return !folder.owner && (::rmdir(folder.root.c_str()) == 0 || errno == ENOENT);
    }
    std::string name;
    const int fd = OpenParent(folder, name);
    if (fd < 0) {
        return false;
    }
    const bool gone = ::unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
    ::close(fd);
    return gone;
}

} // namespace installer
