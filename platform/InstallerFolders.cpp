#include "platform/InstallerFolders.h"

#include "platform/FileSystem.h"
#include "platform/SetupFolders.h"
#include "platform/UserAccount.h"

#include <algorithm>
#include <string_view>

namespace platform {
namespace {

constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

// XDG_DESKTOP_DIR of a user-dirs.dirs text as a path below `home` ("" for the home itself);
// nothing when the last setting does not lie in the home. A desktop elsewhere is not followed:
// the installer runs as root and the file is the user's.
std::optional<std::string> DesktopBelowHome(std::string_view text, const std::string& home)
{
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        auto skipBlanks = [&] {
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                line.remove_prefix(1);
            }
        };
        skipBlanks();
        if (!line.starts_with("XDG_DESKTOP_DIR")) {
            continue;
        }
        line.remove_prefix(15);
        skipBlanks();
        if (!line.starts_with('=')) {
            continue;
        }
        line.remove_prefix(1);
        skipBlanks();
        if (!line.starts_with('"')) {
            continue;
        }
        std::string value;
        bool closed = false;
        for (std::size_t i = 1; i < line.size() && !closed; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                closed = true;
            } else {
                value += line[i];
            }
        }
        if (!closed) {
            continue;
        }
        if (value == "$HOME" || value.starts_with("$HOME/")) {
            found = value.substr(5);
        } else if (value == home || value.starts_with(home + "/")) {
            found = value.substr(home.size());
        } else {
            found.reset();
        }
    }
    return found;
}

} // namespace

std::string ProgramMenuFolder()
{
    return RootPrefix() + "/usr/local/share/applications";
}

std::optional<UserDesktop> DesktopFolder()
{
    const std::optional<UserAccount> user = InvokingUser();
    if (!user) {
        return std::nullopt;
    }
    UserDesktop desktop{RootPrefix() + user->home, {}, user->uid, user->gid};
    const std::string below =
        DesktopBelowHome(
            ReadSmallFile(desktop.home + "/.config/user-dirs.dirs", kMaxUserDirsBytes, false)
                .value_or(std::string()),
            user->home)
            .value_or("/Desktop");
    std::size_t start = 0;
    while (start < below.size()) {
        const std::size_t slash = std::min(below.find('/', start), below.size());
        const std::string name = below.substr(start, slash - start);
        if (name == "..") {
            desktop.names = {"Desktop"};
            break;
        }
        if (!name.empty() && name != ".") {
            desktop.names.push_back(name);
        }
        start = slash + 1;
    }
    return desktop;
}

std::string InstallerCacheFolder()
{
    return RootPrefix() + "/var/lib/tarv-installer";
}

} // namespace platform
