// A lock that one process at a time can hold under a name, for a program that must run only
// once per user. It is an advisory lock on a file in the user's runtime folder, so a holder
// that crashed leaves it free again.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class LockTake
{
    Taken,         // this object holds the lock now
    HeldElsewhere, // another process (or another object) holds it
    Failed         // the lock could not be asked for
};

class NamedLock
{
public:
    NamedLock() = default;
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Opens (creating when needed) the lock file of `name`; false when it cannot be, or when
    // what lies there is not a plain file of this user.
    bool Open(std::string_view name);
    bool IsOpen() const { return m_fd >= 0; }

    // Takes the lock without waiting.
    LockTake TryTake();
    // Gives the lock up; the file stays open.
    void Release();
    // Gives the lock up and closes the file.
    void Close();

    // The lock file of `name`: "$XDG_RUNTIME_DIR/<name>.lock" when that folder is set and
    // exists, else "/tmp/<name>-<user id>.lock".
    static std::string LockFilePath(std::string_view name);

private:
    int m_fd = -1;
};

} // namespace platform
