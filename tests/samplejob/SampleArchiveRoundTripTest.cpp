// Why: the generated archives stand in for the finisher's in the open tests, so the archiver
// binding must test, unpack and refuse them as it would real ones, and the digest check must
// accept exactly the digests the generator meant to be right.
#include "formats/archive/CCheckTampering.h"
#include "formats/archive/CZipFile.h"
#include "formats/common/FileHelpers.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"
#include "tools/SampleFolder.h"
#include "tools/SampleJobLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using samplejob::ArchiveEncryption;
using samplejob::ArchiveLayout;
using samplejob::DigestKind;

constexpr const char* kPassword = "Pw-4711";

int LoadLog(const std::string& path)
{
    JobLogFile reader;
    const int result = reader.Load(path);
    if (reader.m_pStream) {
        std::fclose(reader.m_pStream);
        reader.m_pStream = nullptr;
    }
    return result;
}

// What an open makes of the files an extraction left: exactly the copy and the two members,
// no folder, one log and one digest. Empty when they pass, else why not.
std::string CheckLogFileSet(const std::string& folder, const std::vector<std::string>& files,
                            std::string& log, std::string& digest)
{
    std::uint32_t fileCount = 0;
    std::uint32_t folderCount = 0;
    if (!CountFolderEntries(folder, fileCount, folderCount)) {
        return "unreadable folder";
    }
    if (folderCount != 0 || fileCount != 3) {
        return std::to_string(fileCount) + " files, " + std::to_string(folderCount) + " folders";
    }
    int logs = 0;
    int digests = 0;
    for (const std::string& file : files) {
        const std::string extension = fs::path(file).extension().string();
        if (extension == ".csv") {
            ++logs;
            log = file;
        } else if (extension == ".mll") {
            ++digests;
            digest = file;
        }
    }
    return logs == 1 && digests == 1 ? "" : "not one log and one digest";
}

class SampleArchiveRoundTripTest : public ::testing::Test
{
protected:
    // A fresh folder holding only the copy "Temp.zip" of `archive`, as an open prepares it.
    std::string PrepareFolder(const std::string& archive)
    {
        const std::string folder = m_folder.MakeFolder("open" + std::to_string(m_opens++));
        fs::copy_file(archive, folder + "/Temp.zip");
        return folder;
    }

    ScratchFolder m_folder{"SampleArchiveRoundTrip"};
    int m_opens = 0;
};

TEST_F(SampleArchiveRoundTripTest, DigestCheckAcceptsOnlyTheRightDigest)
{
    samplejob::JobLogOptions options;
    options.mails = 40; // a log of many 1024-byte pieces
    options.errors = 3;
    const std::string text = samplejob::MakeJobLogText(options);
    ASSERT_GT(text.size(), 4096u);
    const std::string log = m_folder.Write("job.csv", text);
    struct Case
    {
        DigestKind kind;
        int result;
    };
    for (const Case& c : {Case{DigestKind::Correct, 0}, Case{DigestKind::Wrong, -1},
                          Case{DigestKind::HexText, -1}, Case{DigestKind::Short, -1}}) {
        const std::string digest =
            m_folder.Write("job.mll", samplejob::DigestFileBytes(text, c.kind));
        CCheckTampering check;
        EXPECT_EQ(check.Verify(digest, log), c.result) << static_cast<int>(c.kind);
    }
}

TEST_F(SampleArchiveRoundTripTest, EachProtectionTestsAndUnpacksToALoadableLog)
{
    samplejob::JobLogOptions options;
    options.suspensions = 2;
    options.sampleMails = 1;
    const std::string text = samplejob::MakeJobLogText(options);
    const auto members =
        samplejob::LogArchiveMembers("Statements", text, samplejob::DigestFileBytes(text));
    struct Case
    {
        const char* name;
        ArchiveEncryption encryption;
    };
    for (const Case& c :
         {Case{"plain", ArchiveEncryption::None}, Case{"pkware", ArchiveEncryption::Pkware},
          Case{"aes", ArchiveEncryption::Aes256}}) {
        SCOPED_TRACE(c.name);
        const bool locked = c.encryption != ArchiveEncryption::None;
        const std::string archive = m_folder / (std::string(c.name) + ".zip");
        ASSERT_EQ(samplejob::WriteZipArchive(archive, members, c.encryption, kPassword), 0);

        bool needsPassword = !locked;
        ASSERT_EQ(CZipFile::TestArchive(archive, needsPassword), 0);
        EXPECT_EQ(needsPassword, locked);
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, kPassword), 0);
        // Wrong and missing passwords at extraction are CZipFileTest's.
        EXPECT_EQ(CZipFile::TestArchivePassword(archive, "Pw-4712"), locked ? -6 : 0);

        CZipFile zip;
        // The viewer passes the typed password, empty when none was asked.
        const std::string folder = PrepareFolder(archive);
        ASSERT_EQ(zip.ExtractArchive(folder + "/Temp.zip", locked ? kPassword : "", folder), 0);
        EXPECT_EQ(zip.m_files,
                  (std::vector<std::string>{folder + "/Statements.csv", folder + "/Statements.mll",
                                            folder + "/Temp.zip"}));
        std::string log;
        std::string digest;
        ASSERT_EQ(CheckLogFileSet(folder, zip.m_files, log, digest), "");
        EXPECT_EQ(samplejob::ReadWholeFile(log), text);
        CCheckTampering check;
        EXPECT_EQ(check.Verify(digest, log), 0);
        EXPECT_EQ(LoadLog(log), 0);
    }
}

TEST_F(SampleArchiveRoundTripTest, PkwarePasswordPassingTheCheckByteIsStillWrong)
{
    const std::string text = samplejob::MakeJobLogText(samplejob::JobLogOptions{});
    const std::string archive = m_folder / "pkware.zip";
    ASSERT_EQ(samplejob::WriteZipArchive(
                  archive,
                  samplejob::LogArchiveMembers("Job", text, samplejob::DigestFileBytes(text)),
                  ArchiveEncryption::Pkware, kPassword),
              0);
    const std::string collision = testing_archives::FindPkwareCheckCollision(archive, kPassword);
    ASSERT_FALSE(collision.empty());
    EXPECT_EQ(CZipFile::TestArchivePassword(archive, collision), -6);
    CZipFile zip;
    const std::string folder = PrepareFolder(archive);
    EXPECT_EQ(zip.ExtractArchive(folder + "/Temp.zip", collision, folder), -6);
    EXPECT_TRUE(testing_archives::ListTree(folder).empty());
}

TEST_F(SampleArchiveRoundTripTest, MalformedLayoutsUnpackButFailTheFileSet)
{
    const std::string text = samplejob::MakeJobLogText(samplejob::JobLogOptions{});
    const std::string digest = samplejob::DigestFileBytes(text);
    struct Case
    {
        const char* name;
        ArchiveLayout layout;
        std::string why;
    };
    for (const Case& c :
         {Case{"third", ArchiveLayout::ThirdMember, "4 files, 0 folders"},
          Case{"emptyFolder", ArchiveLayout::EmptySubFolder, "3 files, 1 folders"},
          Case{"inFolder", ArchiveLayout::MembersInSubFolder, "1 files, 1 folders"}}) {
        SCOPED_TRACE(c.name);
        for (const ArchiveEncryption encryption :
             {ArchiveEncryption::None, ArchiveEncryption::Aes256}) {
            const std::string archive = m_folder / (std::string(c.name) + ".zip");
            ASSERT_EQ(samplejob::WriteZipArchive(
                          archive, samplejob::LogArchiveMembers("Job", text, digest, c.layout),
                          encryption, kPassword),
                      0);
            CZipFile zip;
            const std::string folder = PrepareFolder(archive);
            ASSERT_EQ(zip.ExtractArchive(folder + "/Temp.zip", kPassword, folder), 0);
            std::string log;
            std::string mll;
            EXPECT_EQ(CheckLogFileSet(folder, zip.m_files, log, mll), c.why);
        }
    }
}

TEST_F(SampleArchiveRoundTripTest, SampleFolderOpensWithAndWithoutThePassword)
{
    for (const ArchiveEncryption protection :
         {ArchiveEncryption::Aes256, ArchiveEncryption::Pkware}) {
        for (const DigestKind kind : {DigestKind::Correct, DigestKind::Wrong}) {
            samplejob::SampleFolderOptions options;
            options.folder = m_folder / ("sample" + std::to_string(m_opens));
            options.log.seed = 20240115;
            options.log.retries = 1;
            options.log.suspensions = 1;
            options.log.errors = 1;
            options.log.sampleMails = 1;
            options.log.interruptions = 1;
            options.password = "sample42";
            options.protection = protection;
            options.digest = kind;
            options.writeStream = false;
            ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);

            for (const char* name : {"SampleJob.zip", "SampleJobProtected.zip"}) {
                SCOPED_TRACE(name);
                const std::string archive = options.folder + "/" + name;
                const bool locked = std::string(name) != "SampleJob.zip";
                bool needsPassword = !locked;
                ASSERT_EQ(CZipFile::TestArchive(archive, needsPassword), 0);
                EXPECT_EQ(needsPassword, locked);
                CZipFile zip;
                const std::string folder = PrepareFolder(archive);
                ASSERT_EQ(zip.ExtractArchive(folder + "/Temp.zip", locked ? options.password : "",
                                             folder),
                          0);
                std::string log;
                std::string digest;
                ASSERT_EQ(CheckLogFileSet(folder, zip.m_files, log, digest), "");
                CCheckTampering check;
                EXPECT_EQ(check.Verify(digest, log), kind == DigestKind::Correct ? 0 : -1);
                EXPECT_EQ(LoadLog(log), 0);
            }
        }
    }
}

TEST_F(SampleArchiveRoundTripTest, SampleJobOpensEndToEndWithItsPageImages)
{
    // As an open goes: unpack, check the file set and the digest, load the log, then take the
    // stream and its index file from beside the archive; every finished mail's page holds one
    // shown sub-page per printed side that its sheets name.
    samplejob::SampleFolderOptions options;
    options.folder = m_folder / "job";
    options.log.seed = 20240115;
    options.log.suspensions = 1;
    options.log.errors = 1;
    options.log.sampleMails = 1;
    options.stream.resolution = 20;
    options.stream.marks = true;
    options.stream.hiddenSubPages = true;
    options.stream.impositionKind = 3;
    options.writeIndexFile = true;
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);

    CZipFile zip;
    const std::string folder = PrepareFolder(options.folder + "/SampleJob.zip");
    ASSERT_EQ(zip.ExtractArchive(folder + "/Temp.zip", "", folder), 0);
    std::string log;
    std::string digest;
    ASSERT_EQ(CheckLogFileSet(folder, zip.m_files, log, digest), "");
    CCheckTampering check;
    ASSERT_EQ(check.Verify(digest, log), 0);
    JobLogFile reader;
    ASSERT_EQ(reader.Load(log), 0);
    std::fclose(reader.m_pStream);
    reader.m_pStream = nullptr;

    std::vector<std::string> streams;
    ASSERT_TRUE(ListFolderEntries(options.folder, "*.prn", false, streams));
    ASSERT_EQ(streams.size(), 1u);
    CDornComFile stream;
    ASSERT_EQ(stream.Open(streams[0]), 0);
    ASSERT_EQ(stream.ReadJobHeader(), 0);
    ASSERT_EQ(stream.LoadPageIndexFile(options.folder + "/SampleJob.adr"), 0);
    ASSERT_EQ(stream.m_pPageIndex->size(), reader.m_pDetails->size());
    for (const auto& detail : *reader.m_pDetails) {
        SCOPED_TRACE("mail " + std::to_string(detail->nMailNo));
        ASSERT_EQ(stream.LoadPageLayout(detail->nMailNo), 0);
        std::vector<uint32_t> printed;
        for (const SheetRecord& sheet : *detail->pSheets) {
            if (sheet.nState == kSheetStacked) {
                printed.push_back(sheet.nFrontPage);
                if (sheet.nBackPage != kNoNumber) {
                    printed.push_back(sheet.nBackPage);
                }
            }
        }
        std::sort(printed.begin(), printed.end());
        printed.erase(std::unique(printed.begin(), printed.end()), printed.end());
        EXPECT_EQ(stream.m_pSubPages->size(), printed.size());
        EXPECT_EQ(stream.m_pSubPages->front().nMarkValue, 1); // the mail's first side
    }
}

} // namespace
