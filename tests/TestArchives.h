// Helpers for the archive tests: archives written on the spot, byte patches, folder listings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_archives {

enum class Encryption
{
    None,
    Pkware,
    Aes256,
};

struct Member
{
    std::string name;
    std::string data;
    bool folder = false;
    uint32_t unixMode = 0; // non-zero: stored as the entry's Unix type and permissions
    bool stored = false;   // no compression
};

// Writes `members` with libzip; false on any libzip failure.
bool WriteZip(const std::string& path, const std::vector<Member>& members,
              Encryption encryption = Encryption::None, const std::string& password = {});

// Runs 7zz with `arguments` in `folder`; true when it exits with 0.
bool Run7zz(const std::filesystem::path& folder, const std::vector<std::string>& arguments);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);

// Replaces every occurrence of `from` by `to` (same length) in the file; the count replaced.
int PatchFile(const std::string& path, const std::string& from, const std::string& to);

// Rewrites the vendor version of every WinZip AES extra field (2 = AE-2, 1 = AE-1).
int SetAesVendorVersion(const std::string& path, uint16_t version);

// A wrong password that passes the one-byte check of the first entry's traditional PKWARE
// header, found by trying candidates; empty when none was found.
std::string FindPkwareCheckCollision(const std::string& path, const std::string& rightPassword);

// The names below `folder`, relative, sorted ("sub/" for folders).
std::vector<std::string> ListTree(const std::filesystem::path& folder);

} // namespace testing_archives
