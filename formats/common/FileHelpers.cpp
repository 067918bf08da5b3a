#include "formats/common/FileHelpers.h"

#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/LibraryLoader.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace {

constexpr std::string_view kAllEntries = "*.*";
constexpr std::string_view kLanguageLibraryMask = "kwel_pyrnLanguageResource*.so";

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

std::string ChildPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (folder.empty() || folder.back() != '/') {
        path.append("/"); // "/" has its own
    }
    path.append(name);
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

// One folder on the way down: its entries, read at once, and how far they are visited.
struct WalkFrame
{
    platform::Folder dir; // closed while the frame is far above the deepest one
    platform::FolderIdentity identity;
    std::vector<platform::FolderEntry> entries;
    std::size_t next = 0;
    std::size_t pathLength = 0; // its path is the walk's path cut to this length
};

// However deep the tree, the walk holds no more folders open than this: a folder further up
// is opened again from below ("..") when the walk comes back to it.
constexpr std::size_t kOpenFoldersAtMost = 16;

// Walks the folders below `top` depth first, each in listing order, never into a link or into
// another file system than the top's. Every entry that is not walked into (a file, or a link,
// whatever it leads to) goes to onEntry(dir, dirPath, entry); a sub-folder whose entries have
// all been visited to onFolderDone(dir, path, name), `dir` being its parent. False when
// anything was passed over: a sub-folder that could not be opened or read, or that lies on
// another file system. A walk that cannot find its way back up stops there; `top` is then
// closed.
template <typename OnEntry, typename OnFolderDone>
bool WalkTree(platform::Folder& top, const std::string& topPath, OnEntry&& onEntry,
              OnFolderDone&& onFolderDone)
{
    WalkFrame root;
    if (!top.GetIdentity(root.identity) || !top.List(kAllEntries, root.entries)) {
        return false;
    }
    root.dir = std::move(top);
    std::string path = topPath;
    root.pathLength = path.size();
    std::vector<WalkFrame> stack;
    stack.push_back(std::move(root));
    bool complete = true;
    while (stack.size() > 1 || stack.back().next < stack.back().entries.size()) {
        WalkFrame& frame = stack.back();
        if (frame.next == frame.entries.size()) {
            WalkFrame done = std::move(frame);
            stack.pop_back();
            WalkFrame& parent = stack.back();
            platform::FolderIdentity found;
            if (!parent.dir.IsOpen() &&
                (!parent.dir.OpenParentOf(done.dir) || !parent.dir.GetIdentity(found) ||
                 !found.IsSameFolder(parent.identity))) {
                return false; // moved away meanwhile: nothing below can be trusted
            }
            onFolderDone(parent.dir, path, parent.entries[parent.next - 1].name);
            path.resize(parent.pathLength);
            continue;
        }
        const platform::FolderEntry& entry = frame.entries[frame.next++];
        if (IsDotEntry(entry.name)) {
            continue;
        }
        if (!entry.isFolder || entry.isLink) {
            onEntry(frame.dir, path, entry);
            continue;
        }
        WalkFrame child;
        if (!frame.dir.OpenChild(entry.name, child.dir) || !child.dir.GetIdentity(child.identity) ||
            !child.identity.IsSameFileSystem(stack.front().identity) ||
            !child.dir.List(kAllEntries, child.entries)) {
            complete = false;
            continue;
        }
        path.append("/").append(entry.name);
        child.pathLength = path.size();
        stack.push_back(std::move(child));
        if (stack.size() > kOpenFoldersAtMost) {
            stack[stack.size() - 1 - kOpenFoldersAtMost].dir.Close();
        }
    }
    top = std::move(stack.front().dir);
    return complete;
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
        if (folder.empty() || !dir.Open(folder, platform::FinalLink::Follow)) {
            return false;
        }
        // Links to folders are not listed.
        std::vector<std::string> files;
        const auto collect = [&files](const platform::Folder&, std::string_view dirPath,
                                      const platform::FolderEntry& entry) {
            if (!entry.isFolder) {
                files.push_back(ChildPath(dirPath, entry.name));
            }
        };
        const auto nothing = [](const platform::Folder&, std::string_view, std::string_view) {};
        if (!WalkTree(dir, folder, collect, nothing)) {
            return false;
        }
        list.insert(list.end(), std::make_move_iterator(files.begin()),
                    std::make_move_iterator(files.end()));
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
        std::string leaf;
        if (folder.empty() || !dir.OpenWithoutLinks(folder, leaf)) {
            return true;
        }
        // Folders go after their entries, unless a folder is the keep path.
        const auto removeEntry = [&failed](const platform::Folder& parent, std::string_view,
                                           const platform::FolderEntry& entry) {
            if (!parent.RemoveFile(entry.name)) {
                failed = true;
            }
        };
        const auto removeFolder = [&](const platform::Folder& parent, std::string_view path,
                                      std::string_view name) {
            if (path != keep && !parent.RemoveFolder(name)) {
                failed = true;
            }
        };
        if (!WalkTree(dir, folder, removeEntry, removeFolder)) {
            failed = true;
        }
        if (folder != keep) {
            platform::Folder parent;
            if (leaf.empty() || !parent.OpenParentOf(dir) || !parent.RemoveFolder(leaf)) {
                failed = true;
            }
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
