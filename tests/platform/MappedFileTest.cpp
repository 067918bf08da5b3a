// Why: the job log is read while other programs may still change the file; what was read must
// stay intact whatever happens to the file, and a file that shrinks while it is read must not
// pass for a whole one.
#include "platform/MappedFile.h"

#include "tests/ScratchFolder.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 23);
    }
    return bytes;
}

class MappedFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_stream = std::fopen(m_path.c_str(), "rb");
        ASSERT_NE(m_stream, nullptr);
    }
    void TearDown() override { std::fclose(m_stream); }

    const ScratchFolder m_scratch{"MappedFile"};
    // More than one block and not a whole number of pages.
    const std::string m_content = Pattern(platform::MappedFile::kBlockSize + 3 * 65536 + 17);
    const std::string m_path = m_scratch.Write("log.csv", m_content);
    std::FILE* m_stream = nullptr;
};

// A mapping of the file would lose its pages (and kill the reader) once the file shrinks.
TEST_F(MappedFileTest, ContentStaysIntactWhenTheFileShrinksAfterReading)
{
    platform::MappedFile file;
    ASSERT_TRUE(file.Load(m_stream));
    ASSERT_TRUE(file.HasSizeOf(m_stream));
    std::filesystem::resize_file(m_path, 10);
    EXPECT_FALSE(file.HasSizeOf(m_stream));
    EXPECT_EQ(file.Bytes(), m_content);

    // Dropping the bytes before an offset keeps every byte from there on.
    file.DropBefore(m_content.size() / 2);
    EXPECT_EQ(file.Bytes().substr(m_content.size() / 2), m_content.substr(m_content.size() / 2));
}

TEST_F(MappedFileTest, AFileThatShrinksWhileReadFails)
{
    platform::MappedFile file;
    ASSERT_TRUE(file.Open(m_stream));
    ASSERT_TRUE(file.ReadBlock(4096));
    EXPECT_EQ(file.Bytes(), m_content.substr(0, 4096));
    std::filesystem::resize_file(m_path, 8192);
    while (file.ReadBlock()) {
    }
    EXPECT_TRUE(file.Failed());
    EXPECT_FALSE(file.IsComplete());
    EXPECT_FALSE(platform::MappedFile().Load(nullptr));
}

} // namespace
