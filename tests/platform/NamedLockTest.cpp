// Why: the viewer runs once per user; a second start must see the first, and a lock that
// was given up (or whose holder died) must be free again.
#include "platform/NamedLock.h"

#include "tests/ScopedEnvironment.h"
#include "tests/ScratchFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

TEST(NamedLockTest, OneHolderAtATime)
{
    ScratchFolder scratch("NamedLockTest");
    ScopedEnvironment environment;
    environment.Set("XDG_RUNTIME_DIR", scratch.Path().c_str());
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
    ScopedEnvironment environment;
    for (const char* unusable : {static_cast<const char*>(nullptr), "relative/folder"}) {
        environment.Set("XDG_RUNTIME_DIR", unusable);
        EXPECT_EQ(platform::NamedLock::LockFilePath("PYRN"),
                  "/tmp/PYRN-" + std::to_string(::getuid()) + ".lock");
    }
    ScratchFolder scratch("NamedLockTest");
    environment.Set("XDG_RUNTIME_DIR", scratch.Path().c_str());
    const std::string target = scratch.Write("victim", "keep");
    std::filesystem::create_symlink(target, scratch / "Linked.lock");
    platform::NamedLock lock;
    EXPECT_FALSE(lock.Open("Linked"));
    scratch.MakeFolder("Folder.lock");
    EXPECT_FALSE(lock.Open("Folder"));
}

} // namespace
