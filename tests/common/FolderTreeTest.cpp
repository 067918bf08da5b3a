// Why: the viewer lists what an archive unpacked and deletes its temporary folders with these
// walks; a link or a mount on the way must never let them reach outside the tree, and a deep
// tree must neither lose files from the list nor stay behind for good.
#include "formats/common/FileHelpers.h"
#include "tests/ScratchFolder.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kCannotSetUp = 77;

// Runs `body` in a forked child, so that limits and mounts it sets never reach this test
// program; the child's exit code, or -1 when it did not exit by itself.
int RunInChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Leaves the child with descriptors 0 to 2 and room for `more` beside them.
bool LimitOpenFiles(int more)
{
    for (int fd = 3; fd < 1024; ++fd) {
        ::close(fd);
    }
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && ::open("/dev/null", O_RDWR) != fd) {
            return false;
        }
    }
    const rlimit limit{static_cast<rlim_t>(3 + more), static_cast<rlim_t>(3 + more)};
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

std::vector<std::string> Files(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Everything, the link's target and its parent included, lies inside one scratch folder, so
// that a walk that does follow the link harms nothing else.
TEST(FolderTreeTest, DeleteFolderTreeFollowsNoLinkInAnyPartOfThePath)
{
    const ScratchFolder scratch("TreeLinkInPath");
    scratch.Write("outer/outside/keep.txt", "keep");
    scratch.Write("outer/outside/sub/keep.txt", "keep");
    scratch.Write("outer/base/real/file.txt", "x");
    fs::create_directory_symlink(scratch.Path() / "outer/outside",
                                 scratch.Path() / "outer/base/link");
    const std::vector<std::string> before = Files(scratch.Path());

    for (const char* path : {"outer/base/link/.", "outer/base/link/..", "outer/base/link/sub",
                             "outer/base/link/", "outer/base/link/../base/real"}) {
        bool failed = false;
        DeleteFolderTree(scratch / path, "", failed);
        EXPECT_FALSE(failed) << path;
        EXPECT_EQ(Files(scratch.Path()), before) << path;
    }

    // Without a link on the way, "." and ".." are as good as the names they stand for.
    bool failed = false;
    DeleteFolderTree(scratch / "outer/base/real/../real/.", "", failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(fs::exists(scratch / "outer/base/real"));
    EXPECT_TRUE(fs::is_symlink(scratch / "outer/base/link"));
    EXPECT_TRUE(fs::exists(scratch / "outer/outside/sub/keep.txt"));
}

// A tmpfs and a bind mount of a folder of the same disk, planted inside a tree, in a mount
// namespace of the child's own: both stay whole, and the failure is reported.
TEST(FolderTreeTest, DeleteFolderTreeLeavesOtherFileSystemsWhole)
{
    const ScratchFolder scratch("TreeMounts");
    const std::string outside = scratch.MakeFolder("outside");
    scratch.Write("outside/precious.txt", "keep");
    const std::string tree = scratch.MakeFolder("tree");
    scratch.Write("tree/a.txt", "a");
    scratch.MakeFolder("tree/bound");
    scratch.MakeFolder("tree/memory");
    scratch.Write("tree/z/z.txt", "z");

    const int result = RunInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) {
            const std::string uid = "0 " + std::to_string(::geteuid()) + " 1";
            const std::string gid = "0 " + std::to_string(::getegid()) + " 1";
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                return kCannotSetUp;
            }
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << uid;
            std::ofstream("/proc/self/gid_map") << gid;
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(outside.c_str(), (tree + "/bound").c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount("none", (tree + "/memory").c_str(), "tmpfs", 0, nullptr) != 0) {
            return kCannotSetUp;
        }
        std::ofstream(tree + "/memory/inside.txt") << "in memory";
        std::vector<std::string> files;
        if (ListFilesRecursive(tree, files) || !files.empty()) {
            return 1; // a listing that passed a folder over is no success
        }
        bool failed = false;
        DeleteFolderTree(tree, "", failed);
        if (!failed) {
            return 2;
        }
        if (!fs::exists(outside + "/precious.txt") || !fs::exists(tree + "/memory/inside.txt")) {
            return 3;
        }
        return fs::exists(tree + "/a.txt") || fs::exists(tree + "/z") ? 4 : 0;
    });
    if (result == kCannotSetUp) {
        GTEST_SKIP() << "no mount namespace for this user";
    }
    EXPECT_EQ(result, 0) << "1: listed as complete, 2: no failure reported, 3: a mount was "
                            "emptied, 4: the rest of the tree stayed";
    EXPECT_EQ(Files(outside), std::vector<std::string>{"precious.txt"});
}

// 300 levels under a limit of 24 open files: a walk holding one folder per level would lose
// the deep files from the list and leave the tree standing.
TEST(FolderTreeTest, DeepTreesAreListedAndDeletedUnderALowOpenFileLimit)
{
    const ScratchFolder scratch("TreeDeep");
    std::string deep = "tree";
    std::string middle;
    for (int level = 0; level < 300; ++level) {
        deep += "/d";
        if (level == 150) {
            middle = deep;
        }
    }
    const std::string tree = scratch / "tree";
    const std::string bottom = scratch.Write(deep + "/bottom.txt", "b");
    const std::string halfway = scratch.Write(middle + "/zz-halfway.txt", "h");

    const int result = RunInChild([&] {
        if (!LimitOpenFiles(24)) {
            return kCannotSetUp;
        }
        std::vector<std::string> files{"kept"};
        if (!ListFilesRecursive(tree, files)) {
            return 1;
        }
        if (files != std::vector<std::string>{"kept", bottom, halfway}) {
            return 2;
        }
        bool failed = false;
        DeleteFolderTree(tree, "", failed);
        if (failed) {
            return 3;
        }
        return fs::exists(tree) ? 4 : 0;
    });
    ASSERT_NE(result, kCannotSetUp);
    EXPECT_EQ(result, 0) << "1: listing failed, 2: files missing, 3: deletion failed, 4: tree "
                            "stayed";
}

// With room for only two open folders, the walk cannot enter the sub-folder: the listing
// fails instead of leaving its files out, and the deletion says what it left.
TEST(FolderTreeTest, AWalkThatCannotEnterAFolderReportsFailure)
{
    const ScratchFolder scratch("TreeNoRoom");
    const std::string tree = scratch.MakeFolder("tree");
    scratch.Write("tree/a.txt", "a");
    scratch.Write("tree/sub/b.txt", "b");

    const int result = RunInChild([&] {
        if (!LimitOpenFiles(2)) {
            return kCannotSetUp;
        }
        std::vector<std::string> files;
        if (ListFilesRecursive(tree, files) || !files.empty()) {
            return 1;
        }
        bool failed = false;
        DeleteFolderTree(tree, "", failed);
        return failed ? 0 : 2;
    });
    ASSERT_NE(result, kCannotSetUp);
    EXPECT_EQ(result, 0) << "1: listed as complete, 2: deletion reported no failure";
    EXPECT_TRUE(fs::exists(scratch / "tree/sub/b.txt"));
}

} // namespace
