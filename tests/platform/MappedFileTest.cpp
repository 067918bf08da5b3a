// Why: the log reader hands the pages of a mapped log back to the system while it builds
// records, and must still read the same bytes if it touches them again.
#include "platform/MappedFile.h"

#include "tests/ScratchFolder.h"

#include <cstdio>
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

TEST(MappedFileTest, DroppedBytesReadTheSameAgain)
{
    const ScratchFolder scratch("MappedFileDrop");
    const std::string content = Pattern(3 * 65536 + 17);
    scratch.Write("log.csv", content);
    for (const auto how : {platform::FileLoad::Map, platform::FileLoad::Copy}) {
        std::FILE* stream = std::fopen((scratch / "log.csv").c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        platform::MappedFile file;
        ASSERT_TRUE(file.Load(stream, how));
        std::fclose(stream);

        file.DropBefore(2 * 65536 + 5);
        EXPECT_EQ(file.Bytes(), content);
        file.DropBefore(content.size() * 2);
        EXPECT_EQ(file.Bytes(), content);
    }
}

} // namespace
