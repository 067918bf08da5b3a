// Why: the open pipeline trusts these results to ask for a password, to refuse a wrong one
// and to find exactly the extracted files; a failed extraction must leave nothing behind.
#include "formats/archive/CZipFile.h"

#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace testing_archives;

const std::vector<Member> kJobMembers = {
    {"job.csv", "header\r\nrow\r\n"},
    {"job.mll", std::string(16, '\x11')},
};

class CZipFileTest : public ::testing::Test
{
protected:
    // A fresh extraction folder holding the archive copy "Temp.zip", as the open pipeline
    // prepares it.
    std::string PrepareFolder(const std::string& name, const std::string& archive)
    {
        const std::string folder = m_temp.MakeFolder(name);
        fs::copy_file(archive, folder + "/Temp.zip");
        return folder;
    }

    // A path of exactly `length` bytes below the scratch folder, to an existing copy of
    // `archive` (a name longer than a file name may be goes through sub-folders).
    std::string LongPathTo(const std::string& archive, std::size_t length)
    {
        std::string folder = m_temp.Path().string();
        while (length - folder.size() > 201) {
            folder += "/" + std::string(199, 'd');
            fs::create_directory(folder);
        }
        const std::string path = folder + "/" + std::string(length - folder.size() - 1, 'f');
        fs::copy_file(archive, path);
        return path;
    }

    ScratchFolder m_temp{"CZipFileTest"};
};

TEST_F(CZipFileTest, PlainArchiveNeedsNoPasswordAndExtractsWithAnEmptyOne)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers));

    bool needsPassword = true;
    EXPECT_EQ(CZipFile::TestArchive(archive, needsPassword), 0);
    EXPECT_FALSE(needsPassword);
    EXPECT_EQ(CZipFile::TestArchivePassword(archive, "any"), 0);

    CZipFile zip;
    const std::string folder = PrepareFolder("open", archive);
    ASSERT_EQ(zip.ExtractArchive(folder + "/Temp.zip", "", folder), 0);
    EXPECT_EQ(zip.m_files, (std::vector<std::string>{folder + "/job.csv", folder + "/job.mll",
                                                     folder + "/Temp.zip"}));
    EXPECT_EQ(ReadFile(folder + "/job.csv"), "header\r\nrow\r\n");
}

TEST_F(CZipFileTest, ProtectedArchiveAsksForAndChecksThePassword)
{
    struct Case
    {
        const char* what;
        Encryption encryption;
    };
    for (const Case& c : {Case{"PKWARE", Encryption::Pkware}, Case{"AES", Encryption::Aes256}}) {
        const std::string archive = m_temp / (std::string(c.what) + ".zip");
        ASSERT_TRUE(WriteZip(archive, kJobMembers, c.encryption, "pass1234"));

        bool needsPassword = false;
        EXPECT_EQ(CZipFile::TestArchive(archive, needsPassword), 0) << c.what;
        EXPECT_TRUE(needsPassword) << c.what;
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, "pass1234"), 0) << c.what;
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, "pass1235"), -6) << c.what;
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, ""), -2) << c.what;

        CZipFile zip;
        const std::string wrong = PrepareFolder(std::string(c.what) + "_wrong", archive);
        EXPECT_EQ(zip.ExtractArchive(wrong + "/Temp.zip", "pass1235", wrong), -6) << c.what;
        EXPECT_TRUE(ListTree(wrong).empty()) << c.what;
        const std::string none = PrepareFolder(std::string(c.what) + "_none", archive);
        EXPECT_EQ(zip.ExtractArchive(none + "/Temp.zip", std::nullopt, none), -6) << c.what;
        EXPECT_EQ(zip.ExtractArchive(archive, "", none), -6) << c.what;
        const std::string right = PrepareFolder(std::string(c.what) + "_right", archive);
        EXPECT_EQ(zip.ExtractArchive(right + "/Temp.zip", "pass1234", right), 0) << c.what;
        EXPECT_EQ(zip.m_files.size(), 3u) << c.what;
    }
}

TEST_F(CZipFileTest, RefusesFilesThatAreNotZipArchives)
{
    const fs::path source = m_temp.Path() / "source";
    fs::create_directory(source);
    WriteFile(source / "log.csv", "a,b\r\n");
    ASSERT_TRUE(Run7zz(source, {"a", "-ttar", (m_temp.Path() / "job.tar").string(), "log.csv"}));
    ASSERT_TRUE(Run7zz(source, {"a", "-tgzip", (m_temp.Path() / "job.gz").string(), "log.csv"}));
    ASSERT_TRUE(Run7zz(source, {"a", "-t7z", (m_temp.Path() / "job.7z").string(), "log.csv"}));

    for (const char* name : {"source/log.csv", "job.tar", "job.gz", "job.7z", "missing.zip"}) {
        bool needsPassword = true;
        EXPECT_EQ(CZipFile::TestArchive(m_temp / name, needsPassword), -5) << name;
        EXPECT_TRUE(needsPassword) << "changed on failure: " << name;
        EXPECT_EQ(CZipFile::TestArchivePassword(m_temp / name, "pw"), -5) << name;
    }
}

TEST_F(CZipFileTest, RefusesBadArguments)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers));
    const std::string withNul = archive + std::string(1, '\0');
    bool needsPassword = false;
    EXPECT_EQ(CZipFile::TestArchive("", needsPassword), -2);
    EXPECT_EQ(CZipFile::TestArchive(withNul, needsPassword), -2);
    EXPECT_EQ(CZipFile::TestArchivePassword("", "pw"), -2);
    EXPECT_EQ(CZipFile::TestArchivePassword(archive, std::string("p\0w", 3)), -2);

    CZipFile zip;
    const std::string folder = PrepareFolder("open", archive);
    EXPECT_EQ(zip.ExtractArchive("", "", folder), -2);
    EXPECT_EQ(zip.ExtractArchive(archive, "", ""), -2);
    EXPECT_EQ(zip.ExtractArchive(m_temp / "missing.zip", "", folder), -2);
    EXPECT_EQ(zip.ExtractArchive(archive, "", m_temp / "missing"), -2);
    EXPECT_EQ(zip.ExtractArchive(archive, std::string("p\0w", 3), folder), -2);
    EXPECT_EQ(ListTree(folder), std::vector<std::string>{"Temp.zip"});
}

// "t" + blank + quoted path + " -p": the path may take 1016 of the 1024 bytes.
TEST_F(CZipFileTest, CommandLineMustFitInTheArchiverBuffer)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers));
    bool needsPassword = true;
    EXPECT_EQ(CZipFile::TestArchive(LongPathTo(archive, 1016), needsPassword), 0);
    EXPECT_FALSE(needsPassword);
    EXPECT_EQ(CZipFile::TestArchive(LongPathTo(archive, 1017), needsPassword), -2);
    EXPECT_EQ(CZipFile::TestArchivePassword(LongPathTo(archive, 1012), "pw"), 0);
    EXPECT_EQ(CZipFile::TestArchivePassword(LongPathTo(archive, 1013), "pw"), -2);

    // Escaped characters count twice.
    const std::string quoted = m_temp / "a\"b.zip";
    fs::copy_file(archive, quoted);
    EXPECT_EQ(CZipFile::TestArchive(quoted, needsPassword), 0);

    CZipFile zip;
    const std::string folder = PrepareFolder("open", archive);
    EXPECT_EQ(zip.ExtractArchive(LongPathTo(archive, 1000), "", folder), -2);
    EXPECT_EQ(ListTree(folder), std::vector<std::string>{"Temp.zip"});
}

TEST_F(CZipFileTest, ExtractsOnlyIntoAFolderHoldingAtMostOneFile)
{
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers));
    CZipFile zip;

    const std::string twoFiles = PrepareFolder("two", archive);
    WriteFile(twoFiles + "/other.txt", "x");
    EXPECT_EQ(zip.ExtractArchive(archive, "", twoFiles), -2);
    EXPECT_EQ(ListTree(twoFiles), (std::vector<std::string>{"Temp.zip", "other.txt"}));

    m_temp.MakeFolder("sub/inner");
    EXPECT_EQ(zip.ExtractArchive(archive, "", m_temp / "sub"), -2);
    EXPECT_EQ(ListTree(m_temp / "sub"), std::vector<std::string>{"inner/"});

    const std::string empty = m_temp.MakeFolder("empty");
    EXPECT_EQ(zip.ExtractArchive(archive, std::nullopt, empty), 0);
    EXPECT_EQ(zip.m_files, (std::vector<std::string>{empty + "/job.csv", empty + "/job.mll"}));
}

TEST_F(CZipFileTest, FailedExtractionEmptiesTheFolderAndKeepsThePreviousList)
{
    const std::string good = m_temp / "good.zip";
    ASSERT_TRUE(WriteZip(good, {{"sub/job.csv", "log"}, {"job.mll", "digest"}}));
    const std::string slip = m_temp / "slip.zip";
    ASSERT_TRUE(WriteZip(slip, {{"job.csv", "log"}, {"../escaped.csv", "x"}}));

    CZipFile zip;
    const std::string first = PrepareFolder("first", good);
    ASSERT_EQ(zip.ExtractArchive(first + "/Temp.zip", std::nullopt, first), 0);
    const std::vector<std::string> expected = {first + "/job.mll", first + "/sub/job.csv",
                                               first + "/Temp.zip"};
    EXPECT_EQ(zip.m_files, expected);

    const std::string second = PrepareFolder("second", slip);
    EXPECT_EQ(zip.ExtractArchive(second + "/Temp.zip", std::nullopt, second), -1);
    EXPECT_TRUE(fs::is_directory(second));
    EXPECT_TRUE(ListTree(second).empty());
    EXPECT_FALSE(fs::exists(m_temp / "escaped.csv"));
    EXPECT_EQ(zip.m_files, expected);

    zip.ClearFileList();
    EXPECT_TRUE(zip.m_files.empty());
}

// A password holding quotes and a switch reaches the archiver as one password.
TEST_F(CZipFileTest, PasswordWithQuotesCannotRedirectTheExtraction)
{
    const std::string elsewhere = m_temp.MakeFolder("elsewhere");
    const std::string password = "x\" -o\"" + elsewhere;
    const std::string archive = m_temp / "job.zip";
    ASSERT_TRUE(WriteZip(archive, kJobMembers, Encryption::Aes256, password));

    EXPECT_EQ(CZipFile::TestArchivePassword(archive, password), 0);
    EXPECT_EQ(CZipFile::TestArchivePassword(archive, "x"), -6);
    CZipFile zip;
    const std::string folder = PrepareFolder("open", archive);
    EXPECT_EQ(zip.ExtractArchive(folder + "/Temp.zip", password, folder), 0);
    EXPECT_EQ(ListTree(folder), (std::vector<std::string>{"Temp.zip", "job.csv", "job.mll"}));
    EXPECT_TRUE(ListTree(elsewhere).empty());

    const std::string backslashes = "a\\\"b\\";
    ASSERT_TRUE(WriteZip(archive, kJobMembers, Encryption::Pkware, backslashes));
    EXPECT_EQ(CZipFile::TestArchivePassword(archive, backslashes), 0);
}

} // namespace
