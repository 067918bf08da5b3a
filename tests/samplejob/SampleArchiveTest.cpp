// Why: the archive round trips open what the generator writes; what stays here is the
// writer's side: the same input gives the same archive, bad digests are bad in the way asked,
// what it cannot write is refused, and the sample folder holds every file it names.
#include "tools/SampleArchive.h"

#include "tests/ScratchFolder.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"
#include "tools/SampleFolder.h"
#include "tools/SampleJobLog.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using samplejob::ArchiveEncryption;
using samplejob::DigestKind;

class SampleArchiveTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"SampleArchiveTest"};
    std::string m_log = samplejob::MakeJobLogText(samplejob::JobLogOptions{});
};

TEST_F(SampleArchiveTest, BadDigestsAreBadInTheWayAsked)
{
    const std::string right = samplejob::DigestFileBytes(m_log);
    ASSERT_EQ(right.size(), 16u);
    const std::string wrong = samplejob::DigestFileBytes(m_log, DigestKind::Wrong);
    ASSERT_EQ(wrong.size(), 16u);
    size_t differing = 0;
    for (size_t i = 0; i < 16; ++i) {
        differing += wrong[i] != right[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 1u);
    const std::string hex = samplejob::DigestFileBytes(m_log, DigestKind::HexText);
    EXPECT_EQ(hex.size(), 32u);
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(samplejob::DigestFileBytes(m_log, DigestKind::Short), right.substr(0, 15));
}

TEST_F(SampleArchiveTest, PlainArchiveIsByteIdenticalForTheSameMembers)
{
    const auto members = samplejob::LogArchiveMembers("Job", m_log, "0123456789abcdef");
    ASSERT_EQ(samplejob::WriteZipArchive((m_scratch / "a.zip"), members), 0);
    ASSERT_EQ(samplejob::WriteZipArchive((m_scratch / "b.zip"), members), 0);
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "a.zip")),
              samplejob::ReadWholeFile((m_scratch / "b.zip")));
}

TEST_F(SampleArchiveTest, RefusesWhatItCannotWrite)
{
    const auto members = samplejob::LogArchiveMembers("Job", m_log, "d");
    EXPECT_EQ(samplejob::WriteZipArchive((m_scratch / "none/x.zip"), members), -1);
    EXPECT_EQ(
        samplejob::WriteZipArchive((m_scratch / "p.zip"), members, ArchiveEncryption::Aes256, ""),
        -1);
    EXPECT_FALSE(std::filesystem::exists((m_scratch / "p.zip")));
}

TEST_F(SampleArchiveTest, FolderHoldsBothArchivesAndThePassword)
{
    samplejob::SampleFolderOptions options;
    options.folder = (m_scratch / "sample");
    options.password = "secret8!";
    options.looseFiles = true;
    options.writeIndexFile = true;
    options.stream.resolution = 20;
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
    const std::string log = samplejob::ReadWholeFile((m_scratch / "sample/SampleJob.csv"));
    EXPECT_EQ(log, samplejob::MakeJobLogText(options.log));
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "sample/SampleJob.mll")),
              samplejob::DigestFileBytes(log));
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "sample/password.txt")), "secret8!\n");
    EXPECT_TRUE(std::filesystem::exists((m_scratch / "sample/SampleJob.zip")));
    EXPECT_TRUE(std::filesystem::exists((m_scratch / "sample/SampleJobProtected.zip")));
    EXPECT_TRUE(std::filesystem::exists((m_scratch / "sample/SampleJob.prn")));
    EXPECT_EQ(
        samplejob::ReadWholeFile((m_scratch / "sample/SampleJob.adr")).rfind("\xEF\xBB\xBF", 0),
        0u);
}

TEST_F(SampleArchiveTest, FolderIsTheSameForTheSameSeed)
{
    samplejob::SampleFolderOptions options;
    options.log.seed = 99;
    options.log.errors = 2;
    options.password = "pw";
    options.protection = ArchiveEncryption::Pkware;
    options.stream.resolution = 20;
    options.folder = (m_scratch / "one");
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
    options.folder = (m_scratch / "two");
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
    options.log.seed = 100;
    options.folder = (m_scratch / "other");
    ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
    for (const char* name : {"SampleJob.zip", "SampleJob.prn"}) {
        const std::string one = samplejob::ReadWholeFile((m_scratch / std::string("one/") + name));
        EXPECT_FALSE(one.empty());
        EXPECT_EQ(one, samplejob::ReadWholeFile((m_scratch / std::string("two/") + name))) << name;
    }
    EXPECT_NE(samplejob::ReadWholeFile((m_scratch / "one/SampleJob.zip")),
              samplejob::ReadWholeFile((m_scratch / "other/SampleJob.zip")));
}

} // namespace
