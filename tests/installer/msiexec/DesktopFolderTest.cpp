// Why: the installer runs as root and writes the desktop entry into a user's home, from the
// user's own user-dirs.dirs: it must pick the user who started it, take only a desktop inside
// that home, and never hang on, or follow, what the user planted there.
#include "platform/InstallerFolders.h"
#include "tests/ScratchFolder.h"
#include "tests/setup/SetupTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr const char* kNoFile = "";
constexpr const char* kFifo = "<fifo>";

TEST(DesktopFolderTest, StartingUsersDesktopInsideTheirHomeOnly)
{
    const struct
    {
        const char* sudoUser;
        const char* pkexecUid;
        const char* userDirs; // alice's ~/.config/user-dirs.dirs
        const char* home;     // below the prefix
        std::vector<std::string> names;
        uid_t uid;
    } cases[] = {
        {nullptr, nullptr, kNoFile, "/root", {"Desktop"}, 0},
        {"alice", nullptr, kNoFile, "/home/alice", {"Desktop"}, 54321},
        {nullptr, "54321", kNoFile, "/home/alice", {"Desktop"}, 54321},
        {"alice",
         "0",
         "XDG_DESKTOP_DIR=\"$HOME/Work Desk//Schreib\\\"tisch/\"\n",
         "/home/alice",
         {"Work Desk", "Schreib\"tisch"},
         54321},
        {"alice",
         nullptr,
         "  XDG_DESKTOP_DIR = \"/home/alice/Desk\"\n",
         "/home/alice",
         {"Desk"},
         54321},
        {"alice", nullptr, "XDG_DESKTOP_DIR=\"$HOME\"\n", "/home/alice", {}, 54321},
        {"alice",
         nullptr,
         "XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/B\"\n",
         "/home/alice",
         {"B"},
         54321},
        // Elsewhere, out of the home or unfinished: the default.
        {"alice",
         nullptr,
         "XDG_DESKTOP_DIR=\"/etc/xdg/autostart\"\n",
         "/home/alice",
         {"Desktop"},
         54321},
        {"alice", nullptr, "XDG_DESKTOP_DIR=\"/home/alicex\"\n", "/home/alice", {"Desktop"}, 54321},
        {"alice", nullptr, "XDG_DESKTOP_DIR=\"$HOME/../bob\"\n", "/home/alice", {"Desktop"}, 54321},
        {"alice", nullptr, "XDG_DESKTOP_DIR=\"$HOME/open\n", "/home/alice", {"Desktop"}, 54321},
        {"alice", nullptr, kFifo, "/home/alice", {"Desktop"}, 54321},
        // A user the database does not know, or no number: the running user's.
        {"mallory", nullptr, kNoFile, "/root", {"Desktop"}, 0},
        {nullptr, "54321x", kNoFile, "/root", {"Desktop"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.userDirs) + (c.sudoUser ? c.sudoUser : "") +
                     (c.pkexecUid ? c.pkexecUid : ""));
        ScratchFolder prefix("desktop_folder");
        prefix.Write("etc/passwd", "root:x:0:0:root:/root:/bin/bash\n"
                                   "broken:x:x\n"
                                   "alice:x:54321:54320::/home/alice/:/bin/sh\n");
        const std::string dirs = prefix / "home/alice/.config/user-dirs.dirs";
        if (c.userDirs == kFifo) {
            prefix.MakeFolder("home/alice/.config");
            ASSERT_EQ(::mkfifo(dirs.c_str(), 0600), 0);
        } else if (*c.userDirs != '\0') {
            prefix.Write("home/alice/.config/user-dirs.dirs", c.userDirs);
        }
        ScopedEnvironment environment;
        environment.Set("PYRN_ROOT_PREFIX", QString::fromStdString(prefix.Path().string()));
        environment.Set("HOME", "/elsewhere");
        for (const auto& [name, value] :
             {std::pair{"SUDO_USER", c.sudoUser}, {"PKEXEC_UID", c.pkexecUid}}) {
            value ? environment.Set(name, value) : environment.Unset(name);
        }

        const std::optional<platform::UserDesktop> desktop = platform::DesktopFolder();
        ASSERT_TRUE(desktop);
        EXPECT_EQ(desktop->home, prefix.Path().string() + c.home);
        EXPECT_EQ(desktop->names, c.names);
        EXPECT_EQ(desktop->uid, c.uid);
        EXPECT_EQ(desktop->gid, c.uid == 0 ? 0U : 54320U);
    }
}

TEST(DesktopFolderTest, UserWithoutAUsableHomeHasNoDesktop)
{
    for (const char* home : {"", "relative", "/", "//"}) {
        SCOPED_TRACE(home);
        ScratchFolder prefix("desktop_folder_home");
        prefix.Write("etc/passwd", std::string("root:x:0:0:root:") + home + ":/bin/bash\n");
        ScopedEnvironment environment;
        environment.Set("PYRN_ROOT_PREFIX", QString::fromStdString(prefix.Path().string()));
        environment.Unset("SUDO_USER");
        environment.Unset("PKEXEC_UID");
        EXPECT_FALSE(platform::DesktopFolder());
    }
}

} // namespace
