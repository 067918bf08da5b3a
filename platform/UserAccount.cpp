#include "platform/UserAccount.h"

#include "platform/SetupFolders.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kMaxEntryBuffer = 1024 * 1024;

std::optional<std::uint32_t> Id(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The home becomes a path that the installer writes below and records line by line.
std::optional<UserAccount> Usable(std::string name, uid_t uid, gid_t gid, std::string home)
{
    while (home.size() > 1 && home.back() == '/') {
        home.pop_back();
    }
    const bool control = std::any_of(home.begin(), home.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!home.starts_with('/') || home == "/" || control) {
        return std::nullopt;
    }
    return UserAccount{std::move(name), uid, gid, std::move(home)};
}

// The entry of `name`, or of `uid` when `name` is empty, in a file of the passwd format.
std::optional<UserAccount> FromFile(const std::string& path, const std::string& name, uid_t uid)
{
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const std::vector<std::string> fields = SplitFields(line, ':');
        const std::optional<std::uint32_t> id = fields.size() >= 6 ? Id(fields[2]) : std::nullopt;
        const std::optional<std::uint32_t> group = id ? Id(fields[3]) : std::nullopt;
        if (group && (name.empty() ? *id == uid : fields[0] == name)) {
            return Usable(fields[0], *id, *group, fields[5]);
        }
    }
    return std::nullopt;
}

std::optional<UserAccount> FromSystem(const std::string& name, uid_t uid)
{
    std::vector<char> buffer(16 * 1024);
    passwd entry = {};
    passwd* found = nullptr;
    while (true) {
        const int error =
            name.empty() ? ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)
                         : ::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found);
        if (error != ERANGE || buffer.size() >= kMaxEntryBuffer) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || found->pw_name == nullptr || found->pw_dir == nullptr) {
        return std::nullopt;
    }
    return Usable(found->pw_name, found->pw_uid, found->pw_gid, found->pw_dir);
}

// Tests keep their users in the prefix, so that no real home is ever written.
std::optional<UserAccount> FindUser(const std::string& name, uid_t uid)
{
    if (const std::string prefix = RootPrefix(); !prefix.empty()) {
        const std::string passwd = prefix + "/etc/passwd";
        if (::access(passwd.c_str(), F_OK) == 0) {
            return FromFile(passwd, name, uid);
        }
    }
    return FromSystem(name, uid);
}

} // namespace

std::optional<UserAccount> InvokingUser()
{
    if (::getuid() == 0) {
        const char* sudoUser = std::getenv("SUDO_USER");
        const char* pkexecUid = std::getenv("PKEXEC_UID");
        std::optional<UserAccount> user;
        if (sudoUser != nullptr && *sudoUser != '\0') {
            user = FindUser(sudoUser, 0);
        } else if (const std::optional<std::uint32_t> uid = Id(pkexecUid ? pkexecUid : "")) {
            user = FindUser({}, *uid);
        }
        if (user) {
            return user;
        }
    }
    return FindUser({}, ::getuid());
}

} // namespace platform
