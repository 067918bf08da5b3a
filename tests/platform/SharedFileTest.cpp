// Why: a loaded job log must stay unchanged while it is open, and a refused writer must not
// have truncated it on the way.
#include "platform/SharedFile.h"

#include "tests/ScratchFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

class SharedFileTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"SharedFileTest"};
    std::string m_path = m_scratch.Write("log.csv", "content");
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SharedFileTest, ReadersShareAndKeepWritersOut)
{
    std::FILE* first = platform::OpenDenyWrite(m_path, "rb");
    ASSERT_NE(first, nullptr);
    std::FILE* second = platform::OpenDenyWrite(m_path, "rb");
    ASSERT_NE(second, nullptr);

    EXPECT_EQ(platform::OpenExclusive(m_path, "wb"), nullptr);
    EXPECT_EQ(ReadAll(m_path), "content") << "a refused writer truncated the file";

    std::fclose(first);
    std::fclose(second);
    std::FILE* writer = platform::OpenExclusive(m_path, "wb");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(ReadAll(m_path), "");
    EXPECT_EQ(platform::OpenDenyWrite(m_path, "rb"), nullptr);
    std::fclose(writer);
}

TEST_F(SharedFileTest, MissingFileAndBadModeFail)
{
    EXPECT_EQ(platform::OpenDenyWrite(m_scratch / "missing", "rb"), nullptr);
    EXPECT_EQ(platform::OpenDenyWrite(m_path, "x"), nullptr);
}

// A reader that checked the path first may still meet a pipe there (it was swapped in): the
// open itself refuses it without waiting for a writer, and devices alike.
TEST_F(SharedFileTest, ReadersRefusePipesAndDevicesWithoutWaiting)
{
    const std::string pipe = m_scratch / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(platform::OpenDenyWrite(pipe, "rb"), nullptr);
    EXPECT_EQ(platform::OpenDenyWrite("/dev/zero", "rb"), nullptr);
    EXPECT_EQ(platform::OpenDenyWrite(m_scratch.Path().string(), "r"), nullptr);
}

} // namespace
