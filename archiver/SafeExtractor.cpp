#include "archiver/SafeExtractor.h"

#include "archiver/ArchiverApi.h"
#include "archiver/EntryName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace archiver {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr mode_t kFolderMode = 0777; // narrowed by the umask
constexpr mode_t kFileMode = 0666;

void CloseFolder(int fd, int destination)
{
    if (fd >= 0 && fd != destination) {
        ::close(fd);
    }
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string JoinComponents(const std::vector<std::string>& components, std::size_t count)
{
    std::string joined;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            joined += '/';
        }
        joined += components[i];
    }
    return joined;
}

// The chain of folders from the destination down to the one last asked for, kept open so
// that the next request opens only the part of its path that differs.
class FolderCursor
{
public:
    explicit FolderCursor(int destination) : m_destination(destination) {}
    ~FolderCursor() { CloseFrom(0); }
    FolderCursor(const FolderCursor&) = delete;
    FolderCursor& operator=(const FolderCursor&) = delete;

    // The folder at `path` below the destination ("" for the destination itself), reached
    // without following links; -1 when it cannot be opened.
    int Open(std::string_view path)
    {
        std::size_t depth = 0;
        std::size_t start = 0;
        while (start < path.size()) {
            std::size_t end = path.find('/', start);
            if (end == std::string_view::npos) {
                end = path.size();
            }
            const std::string_view name = path.substr(start, end - start);
            if (depth < m_names.size() && m_names[depth] != name) {
                CloseFrom(depth);
            }
            if (depth == m_names.size()) {
                const int parent = m_folders.empty() ? m_destination : m_folders.back();
                const int next = ::openat(parent, std::string(name).c_str(), kFolderFlags);
                if (next < 0) {
                    return -1;
                }
                m_names.emplace_back(name);
                m_folders.push_back(next);
            }
            ++depth;
            start = end + 1;
        }
        CloseFrom(depth);
        return m_folders.empty() ? m_destination : m_folders.back();
    }

private:
    void CloseFrom(std::size_t depth)
    {
        while (m_folders.size() > depth) {
            ::close(m_folders.back());
            m_folders.pop_back();
            m_names.pop_back();
        }
    }

    int m_destination;
    std::vector<std::string> m_names;
    std::vector<int> m_folders;
};

} // namespace

SafeExtractor::SafeExtractor(bool skipExisting) : m_skipExisting(skipExisting) {}

SafeExtractor::~SafeExtractor()
{
    if (m_file >= 0) {
        ::close(m_file);
    }
    if (m_destination >= 0) {
        ::close(m_destination);
    }
}

int SafeExtractor::OpenDestination(const std::string& folder)
{
    // The destination itself is the caller's choice and may be reached through links.
    m_destination = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_destination >= 0 ? kArchiverOk : kArchiverWriteFailed;
}

int SafeExtractor::OpenFolders(const std::vector<std::string>& components, std::size_t count,
                               int& result)
{
    int folder = m_destination;
    for (std::size_t i = 0; i < count; ++i) {
        int next = ::openat(folder, components[i].c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(folder, components[i].c_str(), kFolderMode) == 0) {
                m_created.push_back({JoinComponents(components, i + 1), true});
            }
            next = ::openat(folder, components[i].c_str(), kFolderFlags);
        }
        CloseFolder(folder, m_destination);
        if (next < 0) {
            // A link or a file where a folder belongs.
            result = kArchiverWriteFailed;
            return -1;
        }
        folder = next;
    }
    return folder;
}

int SafeExtractor::BeginEntry(const EntryInfo& entry)
{
    if (entry.type == EntryType::Link || entry.type == EntryType::Special) {
        return kArchiverUnsafeEntry;
    }
    std::vector<std::string> components;
    if (!SplitEntryName(entry.name, components)) {
        return kArchiverUnsafeEntry;
    }
    std::string path = JoinComponents(components, components.size());
    if (!m_names.insert(path).second) {
        return kArchiverUnsafeEntry;
    }
    if (m_destination < 0) {
        return kArchiverWriteFailed;
    }
    if (entry.type == EntryType::Directory) {
        int result = kArchiverOk;
        const int folder = OpenFolders(components, components.size(), result);
        CloseFolder(folder, m_destination);
        return result;
    }

    int result = kArchiverOk;
    const int folder = OpenFolders(components, components.size() - 1, result);
    if (folder < 0) {
        return result;
    }
    m_file = ::openat(folder, components.back().c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    const int openError = errno;
    CloseFolder(folder, m_destination);
    if (m_file >= 0) {
        m_created.push_back({std::move(path), false});
        return kArchiverOk;
    }
    return openError == EEXIST && m_skipExisting ? kArchiverOk : kArchiverWriteFailed;
}

int SafeExtractor::WriteData(const void* data, std::size_t size)
{
    if (m_file >= 0 && !WriteAll(m_file, static_cast<const char*>(data), size)) {
        return kArchiverWriteFailed;
    }
    return kArchiverOk;
}

int SafeExtractor::EndEntry()
{
    if (m_file < 0) {
        return kArchiverOk;
    }
    const int closed = ::close(m_file);
    m_file = -1;
    return closed == 0 ? kArchiverOk : kArchiverWriteFailed;
}

void SafeExtractor::RemoveCreated()
{
    if (m_file >= 0) {
        ::close(m_file);
        m_file = -1;
    }
    FolderCursor cursor(m_destination);
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        const std::string_view path = it->path;
        const std::size_t slash = path.rfind('/');
        const std::size_t leaf = slash == std::string_view::npos ? 0 : slash + 1;
        const int folder = cursor.Open(path.substr(0, leaf == 0 ? 0 : slash));
        if (folder >= 0) {
            ::unlinkat(folder, it->path.c_str() + leaf, it->isFolder ? AT_REMOVEDIR : 0);
        }
    }
    m_created.clear();
}

} // namespace archiver
