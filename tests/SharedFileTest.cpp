// Why: a loaded job log must stay unchanged while it is open, and a refused writer must not
// have truncated it on the way.
#include "platform/SharedFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

class SharedFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("SharedFileTest_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "log.csv").string();
        std::ofstream(m_path) << "content";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
    std::string m_path;
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
    EXPECT_EQ(platform::OpenDenyWrite((m_dir / "missing").string(), "rb"), nullptr);
    EXPECT_EQ(platform::OpenDenyWrite(m_path, "x"), nullptr);
}

} // namespace
