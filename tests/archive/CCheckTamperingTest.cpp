// Why: a job log is shown only when it matches the 16-byte digest beside it; any other digest
// file, and any changed byte of the log, must be refused.
#include "formats/archive/CCheckTampering.h"

#include "platform/SharedFile.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

using testing_archives::WriteFile;

// The MD5 digest given as 32 hexadecimal characters, as raw bytes.
std::string DigestBytes(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

class CCheckTamperingTest : public ::testing::Test
{
protected:
    std::string Log(const std::string& content)
    {
        WriteFile(m_temp.Path() / "job.csv", content);
        return m_temp / "job.csv";
    }
    std::string Digest(const std::string& content)
    {
        WriteFile(m_temp.Path() / "job.mll", content);
        return m_temp / "job.mll";
    }

    ScratchFolder m_temp{"CCheckTamperingTest"};
    CCheckTampering m_check;
};

// Lengths around the 1024-byte read piece, against digests computed elsewhere.
TEST_F(CCheckTamperingTest, MatchesTheMd5OfLogsOfAnyLength)
{
    struct Case
    {
        std::string log;
        const char* md5;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"job log\r\n", "79c0101e38d74319977d3954c1e4f1ad"},
        {std::string(1024, 'a'), "c9a34cfc85d982698c6ac89f76071abd"},
        {std::string(1025, 'a'), "ae187e1febee2a150b64849c32d566ca"},
        {std::string(5000, 'L'), "a421c601d464e92ab6b6a9b859637077"},
    };
    for (const Case& c : cases) {
        const std::string log = Log(c.log);
        const std::string digest = Digest(DigestBytes(c.md5));
        EXPECT_EQ(m_check.Verify(digest, log), 0) << c.log.size();

        CCheckTampering::Digest hashed{};
        EXPECT_EQ(m_check.HashFileMD5(log, hashed), 0);
        EXPECT_EQ(std::string(hashed.begin(), hashed.end()), DigestBytes(c.md5));

        std::string changed = c.log + "x";
        Log(changed);
        EXPECT_EQ(m_check.Verify(digest, log), -1) << c.log.size();
    }
    EXPECT_EQ(m_check.m_hFile, nullptr);
    EXPECT_EQ(m_check.m_hHash, nullptr);
    EXPECT_EQ(m_check.m_hProv, nullptr);
}

TEST_F(CCheckTamperingTest, RefusesDigestFilesThatAreNotSixteenRawBytes)
{
    const std::string log = Log("job log\r\n");
    const std::string raw = DigestBytes("79c0101e38d74319977d3954c1e4f1ad");
    const std::string cases[] = {
        raw.substr(0, 15),
        raw + "\n",
        "79c0101e38d74319977d3954c1e4f1ad",
        "",
    };
    for (const std::string& content : cases) {
        EXPECT_EQ(m_check.Verify(Digest(content), log), -1) << content.size();
        CCheckTampering::Digest read{};
        EXPECT_EQ(m_check.ReadDigestFile(m_temp / "job.mll", read), -1);
    }
    CCheckTampering::Digest read{};
    EXPECT_EQ(m_check.ReadDigestFile(Digest(raw), read), 0);
    EXPECT_EQ(std::string(read.begin(), read.end()), raw);
}

TEST_F(CCheckTamperingTest, RefusesMissingEmptyAndSwappedPaths)
{
    const std::string log = Log("job log\r\n");
    const std::string digest = Digest(DigestBytes("79c0101e38d74319977d3954c1e4f1ad"));
    EXPECT_EQ(m_check.Verify("", log), -1);
    EXPECT_EQ(m_check.Verify(digest, ""), -1);
    EXPECT_EQ(m_check.Verify(m_temp / "missing.mll", log), -1);
    EXPECT_EQ(m_check.Verify(digest, m_temp / "missing.csv"), -1);
    EXPECT_EQ(m_check.Verify(log, digest), -1);
    EXPECT_EQ(m_check.Verify(digest, m_temp.Path().string()), -1) << "a folder is no log";
    EXPECT_EQ(m_check.Verify(digest, log + std::string(1, '\0') + "x"), -1);
}

TEST_F(CCheckTamperingTest, GivesTheSameResultWhenCalledAgain)
{
    const std::string log = Log("job log\r\n");
    const std::string digest = Digest(DigestBytes("79c0101e38d74319977d3954c1e4f1ad"));
    EXPECT_EQ(m_check.Verify(digest, log), 0);
    EXPECT_EQ(m_check.Verify(digest, log), 0);
    const std::string wrong = Digest(std::string(16, '\0'));
    EXPECT_EQ(m_check.Verify(wrong, log), -1);
    EXPECT_EQ(m_check.Verify(wrong, log), -1);
}

// A log that a writer of this program holds is not read.
TEST_F(CCheckTamperingTest, RefusesLogLockedByAWriter)
{
    const std::string log = Log("job log\r\n");
    const std::string digest = Digest(DigestBytes("79c0101e38d74319977d3954c1e4f1ad"));
    std::FILE* writer = platform::OpenExclusive(log, "ab");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(m_check.Verify(digest, log), -1);
    std::fclose(writer);
    EXPECT_EQ(m_check.Verify(digest, log), 0);
}

// A pipe never ends while a writer holds it open and blocks its reader's open until one
// comes; /dev/zero never ends: as digest file or as log they are refused, without waiting.
TEST_F(CCheckTamperingTest, RefusesPipesAndDevicesWithoutWaiting)
{
    const std::string log = Log("job log\r\n");
    const std::string digest = Digest(DigestBytes("79c0101e38d74319977d3954c1e4f1ad"));
    const std::string pipe = m_temp / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& other : {pipe, std::string("/dev/zero")}) {
        EXPECT_EQ(m_check.Verify(other, log), -1) << other;
        EXPECT_EQ(m_check.Verify(digest, other), -1) << other;
        CCheckTampering::Digest bytes{};
        EXPECT_EQ(m_check.ReadDigestFile(other, bytes), -1) << other;
        EXPECT_EQ(m_check.HashFileMD5(other, bytes), -1) << other;
    }
    EXPECT_EQ(m_check.Verify(digest, log), 0);
}

} // namespace
