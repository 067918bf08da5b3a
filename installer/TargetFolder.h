// A folder that the installer writes to: one of the system's root folders (reached as the
// system has it, links allowed) and the names below it, each opened from the one above with
// O_NOFOLLOW, so no link planted below a root and no name from a package leads elsewhere.
// Files are written under a fresh name (O_EXCL) and renamed into place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace installer {

class Journal;

// A single path component that may be created below a root: the archiver's rules for one
// entry name (no '/', '\', ':', control characters, "." or "..", at most 255 bytes).
bool IsSafeName(std::string_view name);

struct FolderOwner
{
    uid_t uid = 0;
    gid_t gid = 0;
    bool operator==(const FolderOwner&) const = default;
};

struct TargetFolder
{
    std::string root;               // absolute, without a trailing '/'
    std::vector<std::string> names; // each IsSafeName
    // Set for a folder in a user's home (the root): the home is never made, and what is made
    // below it becomes the user's.
    std::optional<FolderOwner> owner;

    // The folder's path with a trailing '/', as the installer's folder properties hold it.
    std::string Path() const;
    TargetFolder Child(std::string name) const;
    bool operator==(const TargetFolder&) const = default;
};

enum class EntryKind
{
    Missing,
    File, // a file, or a link (never followed)
    Folder
};

// The folder's descriptor (close it), or -1. With `create`, missing folders are made (mode
// 0755), the root with its parents as well unless the folder has an owner; each one made is told
// to `journal`.
int OpenTargetFolder(const TargetFolder& folder, bool create, Journal* journal);

EntryKind KindOf(const TargetFolder& folder, const std::string& name);

enum class WriteOutcome
{
    Written,
    IsFolder, // a folder has the file's name
    Failed
};

// Writes `bytes` as `name` with `mode`, replacing a file or link of that name; `journal`
// keeps what the write replaced until it commits.
WriteOutcome WriteTargetFile(const TargetFolder& folder, const std::string& name,
                             std::string_view bytes, mode_t mode, Journal& journal);

// Deletes the file or link `name`; true when it is gone.
bool RemoveTargetFile(const TargetFolder& folder, const std::string& name);
// Removes the folder when it is empty, a root too (never a user's home); true when it is gone.
bool RemoveEmptyTargetFolder(const TargetFolder& folder);

} // namespace installer
