// Why: the viewer runs once per user; a second start must see the first, and a lock that
// was given up (or whose holder died) must be free again.
#include "platform/NamedLock.h"

#include "tests/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

class RuntimeFolder
{
public:
    explicit RuntimeFolder(const std::optional<std::string>& value)
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
            m_old = old;
        }
        if (value) {
            ::setenv("XDG_RUNTIME_DIR", value->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    ~RuntimeFolder()
    {
        if (m_old) {
            ::setenv("XDG_RUNTIME_DIR", m_old->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

private:
    std::optional<std::string> m_old;
};

TEST(NamedLockTest, OneHolderAtATime)
{
    ScratchFolder scratch("NamedLockTest");
    RuntimeFolder runtime(scratch.Path().string());
    EXPECT_EQ(platform::NamedLock::LockFilePath("PYRN"), scratch / "PYRN.lock");

    platform::NamedLock first;
    platform::NamedLock second;
    ASSERT_TRUE(first.Open("PYRN"));
    ASSERT_TRUE(second.Open("PYRN"));
    EXPECT_EQ(first.TryTake(), platform::LockTake::Taken);
    EXPECT_EQ(second.TryTake(), platform::LockTake::HeldElsewhere);
    first.Release();
    EXPECT_EQ(second.TryTake(), platform::LockTake::Taken);
    second.Close();
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.TryTake(), platform::LockTake::Failed);
    EXPECT_EQ(first.TryTake(), platform::LockTake::Taken);
}

TEST(NamedLockTest, FallsBackToAPerUserFileAndRefusesPlantedLinks)
{
    {
        RuntimeFolder runtime(std::nullopt);
        EXPECT_EQ(platform::NamedLock::LockFilePath("PYRN"),
                  "/tmp/PYRN-" + std::to_string(::getuid()) + ".lock");
    }
    {
        RuntimeFolder runtime(std::string("relative/folder"));
        EXPECT_EQ(platform::NamedLock::LockFilePath("X"),
                  "/tmp/X-" + std::to_string(::getuid()) + ".lock");
    }
    ScratchFolder scratch("NamedLockTest");
    RuntimeFolder runtime(scratch.Path().string());
    const std::string target = scratch.Write("victim", "keep");
    std::filesystem::create_symlink(target, scratch / "Linked.lock");
    platform::NamedLock lock;
    EXPECT_FALSE(lock.Open("Linked"));
    scratch.MakeFolder("Folder.lock");
    EXPECT_FALSE(lock.Open("Folder"));
}

} // namespace
