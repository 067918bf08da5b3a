// Folder and file helpers shared by the whole viewer. Paths are UTF-8 with '/' separators;
// a folder is given and returned without a trailing '/', and a child path is always
// folder + "/" + name. Masks are wildcards matched without regard to case, and listings come
// in one fixed order (names without regard to case, ties by bytes). None of these throws or
// keeps state; each reports through its result alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The folder of the running program. False, `folder` untouched, when it cannot be found.
bool GetExeFolder(std::string& folder);

// Appends folder + "/" + name for every entry matching `mask` that is a folder (`wantFolders`)
// or that is not one. True when the mask matched anything at all, "." and ".." included;
// false, list untouched, when it matched nothing or the folder cannot be read.
bool ListFolderEntries(const std::string& folder, std::string_view mask, bool wantFolders,
                       std::vector<std::string>& list);

// Appends the paths of all files below `folder`, a sub-folder's files at the sub-folder's
// place in the order; folders themselves are not listed. Links to folders are neither listed
// nor walked into. False, list untouched, when the folder cannot be read or anything below it
// was passed over: a sub-folder that cannot be opened or read, or one on another file system.
// However deep the tree, only a few folders are open at a time.
bool ListFilesRecursive(const std::string& folder, std::vector<std::string>& list);

// Counts the entries directly in `folder`, folders and others apart, and returns true;
// false, both counts untouched, when the folder cannot be read.
bool CountFolderEntries(const std::string& folder, std::uint32_t& files, std::uint32_t& folders);

// `path` is a search pattern as it stands (its last part may hold wildcards): true when the
// first entry it finds is not a folder (FileExists) or is one (FolderExists). A path ending
// in '/' finds nothing. An exact name is found before its case variants.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Deletes everything below `folder`, read-only files included, then `folder` itself unless it
// equals `keep` exactly (the same holds for every sub-folder). A symbolic link is removed as a
// link and never followed, so nothing outside the tree is touched; a folder on another file
// system (a mount inside the tree) is left whole. Sets `failed` when anything stays behind (the
// walk goes on), never clears it. A path with a link in any of its parts ("link/." and
// "link/.." included) is left alone without a failure, as is one that names nothing. However
// deep the tree, only a few folders are open at a time.
void DeleteFolderTree(const std::string& folder, const std::string& keep, bool& failed);

// Appends the names of the language libraries in the current folder
// ("kwel_pyrnLanguageResource*.so"), then sorts the whole list in UTF-16 code-unit order,
// letter case kept.
void FindLanguageLibraries(std::vector<std::string>& libraries);

// The text as the archiver library takes it (UTF-8, zero-terminated, with one spare zero
// byte). Null for a null text, for a text holding a zero byte (it would be cut short), and
// when memory runs out.
std::unique_ptr<char[]> WideToAnsi(const char* text);
std::unique_ptr<char[]> WideToAnsi(std::string_view text);
