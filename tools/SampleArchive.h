// Log archives: ZIP files holding a job log and its digest, with or without a password, and
// the malformed kinds that an open must refuse.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace samplejob {

enum class ArchiveEncryption
{
    None,
    Pkware, // traditional PKWARE
    Aes256, // WinZip AES, 256-bit key
};

enum class ArchiveLayout
{
    LogAndDigest,       // the two members, nothing else
    ThirdMember,        // a third file beside them
    EmptySubFolder,     // a folder entry beside them
    MembersInSubFolder, // both members inside a folder
};

struct ArchiveMember
{
    std::string name; // path inside the archive, '/' separated
    std::string bytes;
    bool folder = false; // a folder entry: `bytes` unused
};

// Writes `members` to a new ZIP file at `path` (replacing one that is there). Unencrypted
// archives get fixed member times, so the same members give the same bytes; encrypted ones
// cannot be byte-identical (random salts and headers) and carry the current time.
// 0, or -1 on any failure (no file is left then).
int WriteZipArchive(const std::string& path, const std::vector<ArchiveMember>& members,
                    ArchiveEncryption encryption = ArchiveEncryption::None,
                    std::string_view password = {});

// The members of a log archive: "<base>.csv" and "<base>.mll", laid out as asked.
std::vector<ArchiveMember> LogArchiveMembers(std::string_view baseName, std::string log,
                                             std::string digest,
                                             ArchiveLayout layout = ArchiveLayout::LogAndDigest);

} // namespace samplejob
