// Why: the viewer finds, counts and deletes its temporary folders with these helpers, so a
// wrong count refuses a good archive and a careless delete destroys files outside the tree.
#include "formats/common/FileHelpers.h"

#include "platform/FileSystem.h"
#include "platform/SharedFile.h"
#include "tests/ScratchFolder.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Runs a test body in `folder` as the current folder and goes back afterwards.
class CurrentFolder
{
public:
    explicit CurrentFolder(const fs::path& folder) : m_previous(fs::current_path())
    {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(m_previous); }

private:
    fs::path m_previous;
};

TEST(FileHelpersTest, ListFolderEntriesSeparatesFilesAndFoldersInNameOrder)
{
    const ScratchFolder scratch("ListFolderEntries");
    scratch.Write("b.csv", "");
    scratch.Write("A.CSV", "");
    scratch.Write("c.txt", "");
    scratch.MakeFolder("TempByPYRN_2");
    scratch.MakeFolder("tempbypyrn_1");
    const std::string root = scratch.Path().string();

    std::vector<std::string> files{"kept"};
    ASSERT_TRUE(ListFolderEntries(root, "*.csv", false, files));
    EXPECT_EQ(files, (std::vector<std::string>{"kept", root + "/A.CSV", root + "/b.csv"}));

    std::vector<std::string> folders;
    ASSERT_TRUE(ListFolderEntries(root, "TempByPYRN_*", true, folders));
    EXPECT_EQ(folders, (std::vector<std::string>{root + "/tempbypyrn_1", root + "/TempByPYRN_2"}));
}

TEST(FileHelpersTest, ListFolderEntriesCountsDotEntriesAsFound)
{
    const ScratchFolder scratch("ListDots");
    const std::string root = scratch.Path().string();
    std::vector<std::string> list;
    EXPECT_TRUE(ListFolderEntries(root, "*", false, list)); // "." and ".." matched
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ListFolderEntries(root, "*.prn", false, list));
    EXPECT_FALSE(ListFolderEntries(root + "/missing", "*", false, list));
    EXPECT_FALSE(ListFolderEntries("", "*", false, list));
}

TEST(FileHelpersTest, ListFilesRecursiveDescendsInPlaceAndSkipsFolderLinks)
{
    const ScratchFolder scratch("ListRecursive");
    const ScratchFolder outside("ListRecursiveOutside");
    outside.Write("secret.txt", "");
    scratch.Write("a.txt", "");
    scratch.Write("m/inner.txt", "");
    scratch.Write("m/deeper/last.txt", "");
    scratch.Write("z.txt", "");
    scratch.MakeFolder("empty");
    fs::create_directory_symlink(outside.Path(), scratch.Path() / "n-link");
    fs::create_directory_symlink(scratch.Path(), scratch.Path() / "m" / "loop");
    const std::string root = scratch.Path().string();

    std::vector<std::string> list;
    ASSERT_TRUE(ListFilesRecursive(root, list));
    EXPECT_EQ(list, (std::vector<std::string>{root + "/a.txt", root + "/m/deeper/last.txt",
                                              root + "/m/inner.txt", root + "/z.txt"}));
    EXPECT_FALSE(ListFilesRecursive(root + "/missing", list));
}

TEST(FileHelpersTest, CountFolderEntriesCountsOnlyTheFolderItself)
{
    const ScratchFolder scratch("Count");
    scratch.Write("one.txt", "");
    scratch.Write("sub/two.txt", "");
    scratch.Write("sub/three.txt", "");
    std::uint32_t files = 99;
    std::uint32_t folders = 99;
    ASSERT_TRUE(CountFolderEntries(scratch.Path().string(), files, folders));
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(folders, 1u);

    ASSERT_TRUE(CountFolderEntries(scratch / "sub/..", files, folders));
    EXPECT_EQ(files, 1u);

    std::uint32_t untouchedFiles = 7;
    std::uint32_t untouchedFolders = 8;
    EXPECT_FALSE(CountFolderEntries(scratch / "missing", untouchedFiles, untouchedFolders));
    EXPECT_EQ(untouchedFiles, 7u);
    EXPECT_EQ(untouchedFolders, 8u);
}

TEST(FileHelpersTest, ExistenceTestsReadThePathAsASearchPattern)
{
    const ScratchFolder scratch("Exists");
    scratch.Write("User.ini", "");
    scratch.MakeFolder("PYRN");
    struct Case
    {
        std::string path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {scratch / "User.ini", true, false},
        {scratch / "USER.INI", true, false}, // names ignore letter case
        {scratch / "*.ini", true, false},
        {scratch / "PYRN", false, true},
        {scratch / "PYRN/", false, false}, // a trailing separator finds nothing
        {scratch / "missing", false, false},
        {scratch / "missing/User.ini", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path;
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;
    }
}

TEST(FileHelpersTest, DeleteFolderTreeKeepsOnlyTheKeepPath)
{
    const ScratchFolder scratch("DeleteKeep");
    const std::string top = scratch.MakeFolder("top");
    const std::string readOnly = scratch.Write("top/locked.txt", "x");
    scratch.Write("top/sub/deep/file.bin", "y");
    scratch.MakeFolder("top/keepme");
    scratch.Write("top/keepme/inside.txt", "z");
    ASSERT_TRUE(platform::SetReadOnly(readOnly, true));

    bool failed = false;
    DeleteFolderTree(top, top, failed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(fs::is_directory(top));
    EXPECT_TRUE(fs::is_empty(top)) << "a read-only file or a sub-folder stayed";

    scratch.Write("top/a/keepme/inside.txt", "z");
    scratch.Write("top/zz.txt", "after");
    DeleteFolderTree(top, top + "/a/keepme", failed);
    EXPECT_TRUE(failed) << "top and a cannot go while keepme stays";
    EXPECT_TRUE(fs::is_directory(top + "/a/keepme"));
    EXPECT_FALSE(fs::exists(top + "/a/keepme/inside.txt"));
    EXPECT_FALSE(fs::exists(top + "/zz.txt")) << "the walk stopped at the first failure";

    failed = false;
    DeleteFolderTree(top, "", failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(fs::exists(top));
}

TEST(FileHelpersTest, DeleteFolderTreeRemovesLinksWithoutFollowingThem)
{
    const ScratchFolder scratch("DeleteLinks");
    const ScratchFolder outside("DeleteLinksOutside");
    const std::string precious = outside.Write("precious/data.txt", "keep");
    const std::string preciousFile = outside.Write("alone.txt", "keep");
    ASSERT_TRUE(platform::SetReadOnly(preciousFile, true));
    const std::string tree = scratch.MakeFolder("tree");
    fs::create_directory_symlink(outside.Path() / "precious", scratch.Path() / "tree/to-folder");
    fs::create_symlink(preciousFile, scratch.Path() / "tree/to-file");
    fs::create_symlink(outside.Path() / "missing", scratch.Path() / "tree/dangling");
    fs::create_directory_symlink(outside.Path(), scratch.Path() / "tree-link");

    bool failed = false;
    DeleteFolderTree(scratch / "tree-link", "", failed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(fs::exists(precious)) << "the tree's own path was a link and was followed";

    DeleteFolderTree(tree, "", failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_TRUE(fs::exists(precious));
    EXPECT_TRUE(platform::IsReadOnly(preciousFile)) << "the link's target was changed";
}

TEST(FileHelpersTest, DeleteFolderTreeReportsWhatItCannotDelete)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    const ScratchFolder scratch("DeleteFails");
    const std::string tree = scratch.MakeFolder("tree");
    const std::string shut = scratch.MakeFolder("tree/shut");
    scratch.Write("tree/shut/stuck.txt", "");
    scratch.Write("tree/zz.txt", "");
    fs::permissions(shut, fs::perms::owner_write, fs::perm_options::remove);

    bool failed = false;
    DeleteFolderTree(tree, "", failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(fs::exists(shut + "/stuck.txt"));
    EXPECT_FALSE(fs::exists(tree + "/zz.txt")) << "the walk stopped at the first failure";
    fs::permissions(shut, fs::perms::owner_write, fs::perm_options::add);

    failed = false;
    DeleteFolderTree(scratch / "missing", "", failed);
    DeleteFolderTree("", "", failed);
    EXPECT_FALSE(failed);
}

TEST(FileHelpersTest, DeleteFolderTreeLeavesAFileThatAReaderHolds)
{
    // Why: the loaded log stays locked in its temporary folder, and no clean-up may delete it
    // while it is loaded; the rest of the folder goes, the folder itself stays for later.
    const ScratchFolder scratch("DeleteInUse");
    const std::string tree = scratch.MakeFolder("tree");
    scratch.Write("tree/log.csv", "rows");
    scratch.Write("tree/log.mll", "digest");
    std::FILE* reader = platform::OpenDenyWrite(tree + "/log.csv", "r");
    ASSERT_NE(reader, nullptr);

    bool failed = false;
    DeleteFolderTree(tree, "", failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(fs::exists(tree + "/log.csv"));
    EXPECT_FALSE(fs::exists(tree + "/log.mll"));

    std::fclose(reader);
    failed = false;
    DeleteFolderTree(tree, "", failed);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(fs::exists(tree));
}

TEST(FileHelpersTest, FindLanguageLibrariesSortsByCodeUnitsWithCaseKept)
{
    const ScratchFolder scratch("Languages");
    {
        const CurrentFolder here(scratch.Path());
        std::vector<std::string> none;
        FindLanguageLibraries(none);
        EXPECT_TRUE(none.empty());
    }
    scratch.Write("kwel_pyrnLanguageResourcefr.so", "");
    scratch.Write("kwel_pyrnLanguageResourceFR.so", "");
    scratch.Write("kwel_pyrnLanguageResourceDE.so", "");
    scratch.Write("kwel_pyrnLanguageResourceEN.txt", "");
    scratch.MakeFolder("kwel_pyrnLanguageResourceAA.so");
    const CurrentFolder here(scratch.Path());
    std::vector<std::string> found;
    FindLanguageLibraries(found);
    EXPECT_EQ(found, (std::vector<std::string>{"kwel_pyrnLanguageResourceDE.so",
                                               "kwel_pyrnLanguageResourceFR.so",
                                               "kwel_pyrnLanguageResourcefr.so"}));
}

TEST(FileHelpersTest, GetExeFolderNamesTheFolderOfThisProgram)
{
    std::string folder = "untouched";
    ASSERT_TRUE(GetExeFolder(folder));
    EXPECT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + "/unit_tests"));
}

TEST(FileHelpersTest, WideToAnsiGivesZeroTerminatedCopies)
{
    EXPECT_EQ(WideToAnsi(static_cast<const char*>(nullptr)), nullptr);
    const auto empty = WideToAnsi("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    const std::string path = "/tmp/\xE6\x97\xA5\xE6\x9C\xAC/Temp.zip";
    const auto copy = WideToAnsi(path);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy.get(), path.c_str());
    EXPECT_EQ(WideToAnsi(std::string_view("a\0b", 3)), nullptr) << "a zero byte would cut it";
}

} // namespace
