#include "formats/common/FileHelpers.h"

#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/LibraryLoader.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::string_view kAllEntries = "*.*";
constexpr std::string_view kLanguageLibraryMask = "kwel_pyrnLanguageResource*.so";

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

std::string ChildPath(const std::string& folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append("/").append(name);
    return path;
}

// Lists `folder` by `mask`; an empty folder path names no folder.
bool FindEntries(const std::string& folder, std::string_view mask,
                 std::vector<platform::FolderEntry>& entries)
{
    return !folder.empty() && platform::ListFolder(folder, mask, entries) && !entries.empty();
}

// The first entry that `path`, read as folder + "/" + mask, finds.
platform::PathKind FirstFound(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view mask = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    if (mask.empty()) {
        return platform::PathKind::Missing;
    }
    if (mask.find_first_of("*?") == std::string_view::npos) {
        const platform::PathKind exact = platform::GetPathKind(path);
        if (exact != platform::PathKind::Missing) {
            return exact;
        }
    }
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(folder, mask, entries) || entries.empty()) {
        return platform::PathKind::Missing;
    }
    return entries.front().isFolder ? platform::PathKind::Folder : platform::PathKind::File;
}

void DeleteEntries(const platform::Folder& dir, const std::string& path, const std::string& keep,
                   bool& failed)
{
    std::vector<platform::FolderEntry> entries;
    dir.List(kAllEntries, entries);
    for (const platform::FolderEntry& entry : entries) {
        if (IsDotEntry(entry.name)) {
            continue;
        }
        if (entry.isFolder && !entry.isLink) {
            const std::string child = ChildPath(path, entry.name);
            platform::Folder sub;
            // A sub-folder that cannot be opened is left as it is, like an unreadable top.
            if (dir.OpenChild(entry.name, sub)) {
                DeleteEntries(sub, child, keep, failed);
                sub.Close();
                if (child != keep && !dir.RemoveFolder(entry.name)) {
                    failed = true;
                }
            }
        } else if (!dir.RemoveFile(entry.name)) {
            failed = true;
        }
    }
}

void CollectFiles(const platform::Folder& dir, const std::string& path,
                  const std::vector<platform::FolderEntry>& entries, std::vector<std::string>& list)
{
    for (const platform::FolderEntry& entry : entries) {
        if (IsDotEntry(entry.name)) {
            continue;
        }
        if (!entry.isFolder) {
            list.push_back(ChildPath(path, entry.name));
            continue;
        }
        platform::Folder sub;
        std::vector<platform::FolderEntry> below;
        if (!entry.isLink && dir.OpenChild(entry.name, sub) && sub.List(kAllEntries, below)) {
            CollectFiles(sub, ChildPath(path, entry.name), below, list);
        }
    }
}

// Runs `work`; memory running out gives `onFailure` instead of an exception.
template <typename Result, typename Work>
Result Guarded(Result onFailure, Work&& work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return onFailure;
    }
}

std::unique_ptr<char[]> CopyForArchiver(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos) {
        return nullptr;
    }
    try {
        // Zero-filled: the text, its terminating zero and one spare zero.
        auto bytes = std::make_unique<char[]>(text.size() + 2);
        std::memcpy(bytes.get(), text.data(), text.size());
        return bytes;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

bool GetExeFolder(std::string& folder)
{
    return Guarded(false, [&] { return platform::GetProgramFolder(folder); });
}

bool ListFolderEntries(const std::string& folder, std::string_view mask, bool wantFolders,
                       std::vector<std::string>& list)
{
    return Guarded(false, [&] {
        std::vector<platform::FolderEntry> entries;
        if (!FindEntries(folder, mask, entries)) {
            return false;
        }
        for (const platform::FolderEntry& entry : entries) {
            if (!IsDotEntry(entry.name) && entry.isFolder == wantFolders) {
                list.push_back(ChildPath(folder, entry.name));
            }
        }
        return true;
    });
}

bool ListFilesRecursive(const std::string& folder, std::vector<std::string>& list)
{
    return Guarded(false, [&] {
        platform::Folder dir;
        std::vector<platform::FolderEntry> entries;
        if (folder.empty() || !dir.Open(folder, platform::FinalLink::Follow) ||
            !dir.List(kAllEntries, entries) || entries.empty()) {
            return false;
        }
        CollectFiles(dir, folder, entries, list);
        return true;
    });
}

bool CountFolderEntries(const std::string& folder, std::uint32_t& files, std::uint32_t& folders)
{
    return Guarded(false, [&] {
        std::vector<platform::FolderEntry> entries;
        if (!FindEntries(folder, "*", entries)) {
            return false;
        }
        files = 0;
        folders = 0;
        for (const platform::FolderEntry& entry : entries) {
            if (!IsDotEntry(entry.name)) {
                ++(entry.isFolder ? folders : files);
            }
        }
        return true;
    });
}

bool FileExists(const std::string& path)
{
    return Guarded(false, [&] { return FirstFound(path) == platform::PathKind::File; });
}

bool FolderExists(const std::string& path)
{
    return Guarded(false, [&] { return FirstFound(path) == platform::PathKind::Folder; });
}

void DeleteFolderTree(const std::string& folder, const std::string& keep, bool& failed)
{
    const bool completed = Guarded(false, [&] {
        platform::Folder dir;
        if (folder.empty() || !dir.Open(folder, platform::FinalLink::Refuse)) {
            return true;
        }
        DeleteEntries(dir, folder, keep, failed);
        dir.Close();
        if (folder != keep && !platform::RemoveEmptyFolder(folder)) {
            failed = true;
        }
        return true;
    });
    if (!completed) {
        failed = true;
    }
}

void FindLanguageLibraries(std::vector<std::string>& libraries)
{
    Guarded(false, [&] {
        std::vector<platform::FolderEntry> entries;
        if (platform::ListFolder(".", kLanguageLibraryMask, entries)) {
            for (platform::FolderEntry& entry : entries) {
                if (!entry.isFolder) {
                    libraries.push_back(std::move(entry.name));
                }
            }
        }
        std::sort(libraries.begin(), libraries.end(),
                  [](const std::string& a, const std::string& b) {
                      return platform::CompareUtf16Order(a, b) < 0;
                  });
        return true;
    });
}

std::unique_ptr<char[]> WideToAnsi(const char* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    return CopyForArchiver(text);
}

std::unique_ptr<char[]> WideToAnsi(std::string_view text)
{
    return CopyForArchiver(text);
}
