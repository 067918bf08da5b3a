// Why: the index file replaces a scan of the whole stream at every later open, so a line read
// wrongly shows wrong pages, and a failed write must never leave an index that reads back.
#include "formats/pagestream/PageOffsetFile.h"

#include "tests/ScratchFolder.h"
#include "tests/pagestream/PageIndexRecords.h"

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <vector>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

const std::string kLine1 = "00000001,0000000000000000,00000000000001F4";
const std::string kLine2 = "00000002,00000000000001F4,000000000000000A";
const Index kTwoPages = {{1, 0, 0x1F4}, {2, 0x1F4, 10}};

class PageOffsetFileTest : public ::testing::Test
{
protected:
    int Read(const std::string& bytes)
    {
        m_index = std::make_unique<std::vector<tagDORNPAGEPOS>>(1, tagDORNPAGEPOS{77, 1, 2});
        return ReadPageOffsetFile(m_folder.Write("job.adr", bytes), m_index);
    }

    ScratchFolder m_folder{"PageOffsetFileTest"};
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> m_index;
};

TEST_F(PageOffsetFileTest, ReadsLinesInEitherOrderAndEncoding)
{
    const std::pair<const char*, std::string> cases[] = {
        {"LF, no mark", kLine1 + "\n" + kLine2 + "\n"},
        {"opposite order", kLine2 + "\n" + kLine1 + "\n"},
        {"mark and CR LF", "\xEF\xBB\xBF" + kLine1 + "\r\n" + kLine2 + "\r\n"},
        {"empty lines between", "\n\r\n" + kLine2 + "\r\n\r\n\n" + kLine1 + "\n\n"},
        {"last line without its end", kLine1 + "\n" + kLine2},
    };
    for (const auto& [name, bytes] : cases) {
        ASSERT_EQ(Read(bytes), 0) << name;
        EXPECT_EQ(Flatten(*m_index), kTwoPages) << name;
    }
    for (const std::string bytes : {"", "\n\n\r\n", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"}) {
        ASSERT_EQ(Read(bytes), 0);
        EXPECT_TRUE(m_index->empty());
    }
    ASSERT_EQ(Read("99999999,FFFFFFFFFFFFFFFF,0000000000000000\n00000000,0123456789ABCDEF,"
                   "FEDCBA9876543210\n"),
              0);
    EXPECT_EQ(Flatten(*m_index), (Index{{0, 0x0123456789ABCDEF, 0xFEDCBA9876543210},
                                        {99999999, 0xFFFFFFFFFFFFFFFF, 0}}));
}

TEST_F(PageOffsetFileTest, ReadsLinesAcrossItsReadChunks)
{
    // The file is read 64 KiB at a time: a CR LF split between two reads, many empty lines,
    // and a run of lines crossing several reads.
    const std::string split = "\xEF\xBB\xBF" + std::string(65536 - 3 - 43, '\n') + kLine2 + "\r\n";
    ASSERT_EQ(split[65535], '\r');
    ASSERT_EQ(Read(split + kLine1), 0);
    EXPECT_EQ(Flatten(*m_index), kTwoPages);

    std::string many(200000, '\n');
    Index expected;
    for (std::uint32_t page = 1; page <= 4000; ++page) {
        const std::string number = std::to_string(100000000 + page).substr(1);
        many += number + ",0000000000000000," + "000000000000" + number.substr(4) + "\r\n";
        expected.emplace_back(page, 0, std::stoull(number.substr(4), nullptr, 16));
    }
    ASSERT_EQ(Read(many), 0);
    EXPECT_EQ(Flatten(*m_index), expected);

    EXPECT_EQ(Read(kLine1 + "\n" + std::string(70000, '0') + "\n"), -1) << "a line of 70000 bytes";
}

TEST_F(PageOffsetFileTest, RefusesTheWholeFileForOneBadLine)
{
    const std::pair<const char*, std::string> cases[] = {
        {"lower-case hexadecimal", "00000001,0000000000000000,00000000000001f4"},
        {"7-digit page", "0000001,0000000000000000,00000000000001F4"},
        {"9-digit page", "000000001,0000000000000000,00000000000001F4"},
        {"10-digit whole-job page", "4294967295,0000000000000000,00000000000001F4"},
        {"15 hexadecimal digits", "00000001,000000000000000,00000000000001F4"},
        {"17 hexadecimal digits", "00000001,00000000000000000,00000000000001F4"},
        {"one comma", "00000001,000000000000000000000000000001F4"},
        {"three commas", kLine1 + ","},
        {"empty field", "00000001,,00000000000001F4"},
        {"blank in a field", "00000001, 000000000000000,00000000000001F4"},
        {"sign", "+0000001,0000000000000000,00000000000001F4"},
        {"a lone CR", "00000001,0000000000000000\r,00000000000001F4"},
        {"a mark after the start", "\xEF\xBB\xBF" + kLine1},
        {"not UTF-8", kLine1 + "\n\xFF\n"},
    };
    for (const auto& [name, line] : cases) {
        // The bad line comes between good ones: nothing of the file is kept.
        EXPECT_EQ(Read(kLine2 + "\n" + line + "\n" + "00000003,0000000000000000,0000000000000000"),
                  -1)
            << name;
        EXPECT_EQ(Flatten(*m_index), (Index{{77, 1, 2}})) << name;
    }
    EXPECT_EQ(Read(kLine1 + "\n" + kLine2 + "\n" + kLine1 + "\n"), -1) << "repeated page";
}

TEST_F(PageOffsetFileTest, RefusesWhatIsNoFile)
{
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> index;
    EXPECT_EQ(ReadPageOffsetFile("", index), -1);
    EXPECT_EQ(ReadPageOffsetFile(m_folder / "missing.adr", index), -1);
    EXPECT_EQ(ReadPageOffsetFile(m_folder.MakeFolder("folder.adr"), index), -1);
    EXPECT_EQ(index, nullptr);
}

TEST_F(PageOffsetFileTest, WritesMarkAndCrLfLinesThatReadBack)
{
    const std::string path = m_folder / "job.adr";
    const std::vector<tagDORNPAGEPOS> index = {
        {2, 0x1F4, 10}, {1, 0, 0x1F4}, {kWholeJobPage, 0xFFFFFFFFFFFFFFFF, 0xABCDEF}};
    ASSERT_EQ(WritePageOffsetFile(path, index), 0);
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF" + kLine2 + "\r\n" + kLine1 + "\r\n" +
                                   "4294967295,FFFFFFFFFFFFFFFF,0000000000ABCDEF\r\n");

    ASSERT_EQ(WritePageOffsetFile(path, {{2, 0x1F4, 10}, {1, 0, 0x1F4}}), 0);
    ASSERT_EQ(ReadPageOffsetFile(path, m_index), 0);
    EXPECT_EQ(Flatten(*m_index), kTwoPages);

    ASSERT_EQ(WritePageOffsetFile(path, {}), 0);
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF");
    EXPECT_EQ(Names(m_folder.Path()), (std::set<std::string>{"job.adr"}));
}

TEST_F(PageOffsetFileTest, RefusesPathsItCannotWrite)
{
    const std::string folder = m_folder.MakeFolder("folder.adr");
    const std::string readOnly = m_folder.Write("readonly.adr", "old");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const std::vector<tagDORNPAGEPOS> index = {{1, 0, 0x1F4}};

    EXPECT_EQ(WritePageOffsetFile("", index), -1);
    EXPECT_EQ(WritePageOffsetFile(m_folder / "missing/job.adr", index), -1);
    EXPECT_EQ(WritePageOffsetFile(folder, index), -1);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(WritePageOffsetFile(readOnly, index), -1);
    EXPECT_EQ(ReadBytes(readOnly), "old");
    EXPECT_EQ(Names(m_folder.Path()), (std::set<std::string>{"folder.adr", "readonly.adr"}));
}

// Makes every write beyond `bytes` fail, as a full disk would, while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool IsSet() const { return m_set; }

private:
    rlimit m_saved{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_set = false;
};

TEST_F(PageOffsetFileTest, FailedWriteLeavesNoHalfWrittenFile)
{
    std::vector<tagDORNPAGEPOS> index;
    for (std::uint32_t page = 1; page <= 5000; ++page) {
        index.push_back({page, page * 100ull, 100});
    }
    const std::string existing = m_folder.Write("old.adr", kLine1 + "\r\n");
    const std::string fresh = m_folder / "new.adr";
    {
        const FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.IsSet());
        EXPECT_EQ(WritePageOffsetFile(fresh, index), -1);
        EXPECT_EQ(WritePageOffsetFile(existing, index), -1);
        // What fits under the limit is written: the failures above came from the limit.
        EXPECT_EQ(WritePageOffsetFile(m_folder / "small.adr", {{1, 0, 1}}), 0);
    }
    // No new file, the old one as it was, and no temporary file left behind.
    EXPECT_EQ(Names(m_folder.Path()), (std::set<std::string>{"old.adr", "small.adr"}));
    EXPECT_EQ(ReadBytes(existing), kLine1 + "\r\n");

    ASSERT_EQ(WritePageOffsetFile(existing, index), 0);
    ASSERT_EQ(ReadPageOffsetFile(existing, m_index), 0);
    EXPECT_EQ(Flatten(*m_index), Flatten(index));
}

} // namespace
