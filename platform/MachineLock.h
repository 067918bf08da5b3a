// A lock that one process of the whole machine holds at a time, named like a Windows named
// mutex. It is a file in the machine lock folder (see SetupFolders.h), which only root may
// write: another user can neither create nor open it, so no one else can hold it and stop
// every setup. A crashed holder's lock is free again.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class LockResult
{
    Acquired,
    HeldElsewhere, // another process holds it ("already exists")
    Failed         // it could not be created or opened (not root, or a folder or file that
                   // someone other than root could have planted)
};

class MachineLock
{
public:
    MachineLock() = default;
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    // On Failed, `failure` (when given) says what went wrong, for the user.
    LockResult Acquire(std::string_view name, std::string* failure = nullptr);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // The lock file of `name`.
    static std::string PathOf(std::string_view name);

private:
    int m_fd = -1;
};

} // namespace platform
