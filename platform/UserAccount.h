// The user on whose behalf a program that runs as root works: the one who started it through
// sudo or pkexec, else the one running it.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace platform {

struct UserAccount
{
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home; // as the user database gives it: absolute, no trailing '/', not "/"
};

// The user behind $SUDO_USER or $PKEXEC_UID when root came through them, else the running user.
// Users are read from <prefix>/etc/passwd when the prefix holds one, else from the system's user
// database. Nothing when that user has no entry with a usable home.
std::optional<UserAccount> InvokingUser();

} // namespace platform
