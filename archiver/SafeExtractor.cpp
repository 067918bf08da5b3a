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

std::string JoinComponents(const std::vector<std::string>& components)
{
    std::string joined;
    for (const std::string& part : components) {
        if (!joined.empty()) {
            joined += '/';
        }
        joined += part;
    }
    return joined;
}

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
                               bool create, int& result)
{
    int folder = m_destination;
    for (std::size_t i = 0; i < count; ++i) {
        int next = ::openat(folder, components[i].c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(folder, components[i].c_str(), kFolderMode) == 0) {
                m_created.push_back(
                    {std::vector<std::string>(components.begin(), components.begin() + i + 1),
                     true});
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
    if (!SplitEntryName(entry.name, components) ||
        !m_names.insert(JoinComponents(components)).second) {
        return kArchiverUnsafeEntry;
    }
    if (m_destination < 0) {
        return kArchiverWriteFailed;
    }
    if (entry.type == EntryType::Directory) {
        int result = kArchiverOk;
        const int folder = OpenFolders(components, components.size(), true, result);
        CloseFolder(folder, m_destination);
        return result;
    }

    int result = kArchiverOk;
    const int folder = OpenFolders(components, components.size() - 1, true, result);
    if (folder < 0) {
        return result;
    }
    m_file = ::openat(folder, components.back().c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    const int openError = errno;
    CloseFolder(folder, m_destination);
    if (m_file >= 0) {
        m_created.push_back({std::move(components), false});
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
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
        int ignored = kArchiverOk;
        const int folder = OpenFolders(it->components, it->components.size() - 1, false, ignored);
        if (folder >= 0) {
            ::unlinkat(folder, it->components.back().c_str(), it->isFolder ? AT_REMOVEDIR : 0);
            CloseFolder(folder, m_destination);
        }
    }
    m_created.clear();
}

} // namespace archiver
