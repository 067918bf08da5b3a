// Listing and emptying folders. A folder is held open while it is worked on, and every step
// below it goes through that handle, so a symbolic link planted inside is never walked into.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FolderEntry
{
    std::string name;
    bool isFolder = false; // the entry is a folder, or a link that leads to one
    bool isLink = false;   // the entry itself is a symbolic link
};

enum class FinalLink
{
    Follow, // the folder path may end in a link to a folder
    Refuse  // a path whose last part is a link does not open
};

class Folder
{
public:
    Folder() = default;
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool Open(const std::string& path, FinalLink link);
    // Opens the sub-folder `name` of this folder; a link there never opens.
    bool OpenChild(std::string_view name, Folder& child) const;
    void Close();

    // The entries whose names match `mask` (see MatchesMask): "." and ".." first when they
    // match, the others in the listing order (CompareFolderNames). False when the folder
    // cannot be read; `entries` is replaced either way.
    bool List(std::string_view mask, std::vector<FolderEntry>& entries) const;

    // Deletes the non-folder entry `name`, clearing its read-only bit first; a link is
    // removed itself, whatever it leads to. A file that a reader of this program holds open
    // (a shared lock, SharedFile.h) is in use: false, and it stays.
    bool RemoveFile(std::string_view name) const;
    // Removes the empty sub-folder `name`.
    bool RemoveFolder(std::string_view name) const;

private:
    int m_fd = -1;
};

// Opens `path` (a link to a folder is followed) and lists it as Folder::List does.
bool ListFolder(const std::string& path, std::string_view mask, std::vector<FolderEntry>& entries);

} // namespace platform
