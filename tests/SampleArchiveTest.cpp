// Why: the open pipeline's tests need archives that a ZIP reader opens (with the password
// where one is set), digests that match the log exactly, and the malformed kinds as asked.
#include "tools/SampleArchive.h"

#include "ScratchFolder.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"
#include "tools/SampleFolder.h"
#include "tools/SampleJobLog.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <string>
#include <vector>
#include <zip.h>

namespace {

using samplejob::ArchiveEncryption;
using samplejob::ArchiveLayout;
using samplejob::DigestKind;

struct Entry
{
    std::string name;
    std::string bytes;
    bool readable = false;
    zip_uint16_t encryption = 0;
};

// Every entry of the archive, read with `password` (empty: none).
std::vector<Entry> ReadArchive(const std::string& path, const std::string& password)
{
    std::vector<Entry> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        return entries;
    }
    if (!password.empty()) {
        zip_set_default_password(archive, password.c_str());
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0) {
            continue;
        }
        Entry entry;
        entry.name = stat.name;
        entry.encryption = stat.encryption_method;
        if (zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
            std::string bytes(stat.size, '\0');
            const zip_int64_t read = zip_fread(file, bytes.data(), bytes.size());
            entry.readable = zip_fclose(file) == 0 && read == static_cast<zip_int64_t>(stat.size);
            entry.bytes = bytes;
        }
        entries.push_back(entry);
    }
    zip_discard(archive);
    return entries;
}

std::string OpensslMd5(const std::string& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    size_t length = 0;
    EXPECT_EQ(EVP_Q_digest(nullptr, "MD5", nullptr, bytes.data(), bytes.size(), digest, &length),
              1);
    return std::string(reinterpret_cast<char*>(digest), length);
}

class SampleArchiveTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"SampleArchiveTest"};
    std::string m_log = samplejob::MakeJobLogText(samplejob::JobLogOptions{});
};

TEST_F(SampleArchiveTest, DigestIsTheMd5OfTheLog)
{
    // Sizes around the 1024-byte pieces a hasher may read in, and the empty log.
    for (size_t size : {size_t{0}, size_t{1023}, size_t{1024}, size_t{1025}, m_log.size()}) {
        const std::string log = m_log.substr(0, size);
        EXPECT_EQ(samplejob::DigestFileBytes(log), OpensslMd5(log)) << size;
    }
}

TEST_F(SampleArchiveTest, BadDigestsAreBadInTheWayAsked)
{
    const std::string right = OpensslMd5(m_log);
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

TEST_F(SampleArchiveTest, EachProtectionOpensWithItsPasswordOnly)
{
    struct Case
    {
        ArchiveEncryption encryption;
        zip_uint16_t method;
    };
    const std::string digest = samplejob::DigestFileBytes(m_log);
    const auto members = samplejob::LogArchiveMembers("Job", m_log, digest);
    for (const Case& c : {Case{ArchiveEncryption::None, ZIP_EM_NONE},
                          Case{ArchiveEncryption::Pkware, ZIP_EM_TRAD_PKWARE},
                          Case{ArchiveEncryption::Aes256, ZIP_EM_AES_256}}) {
        const std::string path = (m_scratch / "job" + std::to_string(c.method) + ".zip");
        ASSERT_EQ(samplejob::WriteZipArchive(path, members, c.encryption, "pw12345"), 0);
        const auto entries = ReadArchive(path, "pw12345");
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].name, "Job.csv");
        EXPECT_EQ(entries[1].name, "Job.mll");
        EXPECT_EQ(entries[0].encryption, c.method);
        EXPECT_TRUE(entries[0].readable && entries[1].readable);
        EXPECT_EQ(entries[0].bytes, m_log);
        EXPECT_EQ(entries[1].bytes, digest);
        if (c.encryption != ArchiveEncryption::None) {
            // A wrong password may pass a PKWARE check byte, but never yields the log.
            for (const Entry& entry : ReadArchive(path, "wrong")) {
                EXPECT_FALSE(entry.readable && entry.bytes == m_log);
            }
            EXPECT_FALSE(ReadArchive(path, "")[0].readable);
        }
    }
}

TEST_F(SampleArchiveTest, PlainArchiveIsByteIdenticalForTheSameMembers)
{
    const auto members = samplejob::LogArchiveMembers("Job", m_log, "0123456789abcdef");
    ASSERT_EQ(samplejob::WriteZipArchive((m_scratch / "a.zip"), members), 0);
    ASSERT_EQ(samplejob::WriteZipArchive((m_scratch / "b.zip"), members), 0);
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "a.zip")),
              samplejob::ReadWholeFile((m_scratch / "b.zip")));
}

TEST_F(SampleArchiveTest, LayoutsHoldTheEntriesAsked)
{
    struct Case
    {
        ArchiveLayout layout;
        std::vector<std::string> names;
    };
    for (const Case& c :
         {Case{ArchiveLayout::LogAndDigest, {"Job.csv", "Job.mll"}},
          Case{ArchiveLayout::ThirdMember, {"Job.csv", "Job.mll", "Job.txt"}},
          Case{ArchiveLayout::EmptySubFolder, {"Job.csv", "Job.mll", "Backup/"}},
          Case{ArchiveLayout::MembersInSubFolder, {"Job/", "Job/Job.csv", "Job/Job.mll"}}}) {
        const auto members = samplejob::LogArchiveMembers("Job", m_log, "d", c.layout);
        ASSERT_EQ(samplejob::WriteZipArchive((m_scratch / "l.zip"), members), 0);
        std::vector<std::string> names;
        for (const Entry& entry : ReadArchive((m_scratch / "l.zip"), "")) {
            names.push_back(entry.name);
        }
        EXPECT_EQ(names, c.names);
    }
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
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "sample/SampleJob.mll")), OpensslMd5(log));
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "sample/password.txt")), "secret8!\n");
    const auto plain = ReadArchive((m_scratch / "sample/SampleJob.zip"), "");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].bytes, log);
    const auto protectedEntries =
        ReadArchive((m_scratch / "sample/SampleJobProtected.zip"), "secret8!");
    ASSERT_EQ(protectedEntries.size(), 2u);
    EXPECT_EQ(protectedEntries[0].encryption, ZIP_EM_AES_256);
    EXPECT_EQ(protectedEntries[1].bytes, OpensslMd5(log));
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
    // Encryption is salted, so only what the protected archive holds is the same.
    const auto one = ReadArchive((m_scratch / "one/SampleJobProtected.zip"), "pw");
    const auto two = ReadArchive((m_scratch / "two/SampleJobProtected.zip"), "pw");
    ASSERT_EQ(one.size(), 2u);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(one[0].bytes, two[0].bytes);
    EXPECT_EQ(one[1].bytes, two[1].bytes);
}

} // namespace
