// Why: the export is the user's own copy of the log's data; it must be byte-exact and must
// never leave a half-written file that looks like a good one.
#include "formats/joblog/ExportDataLines.h"

#include "tests/ScratchFolder.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const std::string kHeader = "Making Mail History\nJob name,J\r\nJob ID,1\nFeed Tray 1,a\n"
                            "Feed Tray 2,b\nFeed Tray 3,c\nStandard Tray,d\nNo.,Time\n";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExportDataLinesTest : public ::testing::Test
{
protected:
    // Exports `source` bytes into out.csv; the result code, and the output's bytes in `out`.
    int Export(const std::string& source, std::string& out)
    {
        const std::string from = m_scratch.Write("log.csv", source);
        const int result = ExportDataLines(from, Destination());
        out = ReadAll(Destination());
        return result;
    }
    std::string Destination() const { return m_scratch / "out.csv"; }

    ScratchFolder m_scratch{"ExportDataLines"};
};

TEST_F(ExportDataLinesTest, CopiesDataLinesWithCrLfBetweenAndNoneAfter)
{
    const std::pair<std::string, std::string> cases[] = {
        {kHeader + "1,Job Started\n", "1,Job Started"},
        {kHeader + "1,Job Started", "1,Job Started"},
        {kHeader + "1,a\r\n2,b\n3,c\r\n", "1,a\r\n2,b\r\n3,c"},
        {kHeader + "1,a\n\n3,c\n", "1,a\r\n\r\n3,c"},
        {kHeader + "lone\rCR\n", "lone\rCR"},
        {kHeader + "\xE6\x97\xA5\xE6\x9C\xAC,\xFF\xFE\n", "\xE6\x97\xA5\xE6\x9C\xAC,\xFF\xFE"},
        {kHeader, ""},
        {kHeader.substr(0, kHeader.size() - 1), ""},
    };
    for (const auto& [source, expected] : cases) {
        std::string out;
        EXPECT_EQ(Export(source, out), 0) << source;
        EXPECT_EQ(out, expected) << source;
    }
    // Bytes after a zero byte are still data.
    std::string out;
    const std::string withZero = kHeader + std::string("a\0b\n", 4);
    EXPECT_EQ(Export(withZero, out), 0);
    EXPECT_EQ(out, std::string("a\0b", 3));
}

TEST_F(ExportDataLinesTest, ShortOrMissingSourceCreatesNoDestination)
{
    const std::string seven = m_scratch.Write("seven.csv", "1\n2\n3\n4\n5\n6\n7\n");
    EXPECT_EQ(ExportDataLines(seven, Destination()), -1);
    EXPECT_FALSE(std::filesystem::exists(Destination()));
    EXPECT_EQ(ExportDataLines(m_scratch / "missing.csv", Destination()), -1);
    EXPECT_EQ(ExportDataLines(m_scratch.Path().string(), Destination()), -1);
    EXPECT_FALSE(std::filesystem::exists(Destination()));

    EXPECT_EQ(ExportDataLines("", Destination()), -2);
    EXPECT_EQ(ExportDataLines(seven, ""), -2);
    EXPECT_EQ(ExportDataLines(seven, m_scratch / "no/such/folder.csv"), -1);
}

TEST_F(ExportDataLinesTest, ReplacesAnExistingDestinationAndMayOverwriteItsSource)
{
    m_scratch.Write("out.csv", std::string(5000, 'x'));
    std::string out;
    EXPECT_EQ(Export(kHeader + "1,a\n", out), 0);
    EXPECT_EQ(out, "1,a");

    const std::string same = m_scratch.Write("same.csv", kHeader + "1,a\n2,b\n");
    EXPECT_EQ(ExportDataLines(same, same), 0);
    EXPECT_EQ(ReadAll(same), "1,a\r\n2,b");
}

TEST_F(ExportDataLinesTest, FailedWriteLeavesWhatWasThereAndNoStrayFile)
{
    // A file-size limit makes the write fail part way, as a full disk would; the user's old
    // export must survive it, and a new one must not appear half written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const std::string big = m_scratch.Write("big.csv", kHeader + std::string(200000, 'd') + "\n");
    const std::string old = m_scratch.Write("old.csv", "the user's earlier export");
    rlimit small = saved;
    small.rlim_cur = 65536;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int fresh = ExportDataLines(big, Destination());
    const int over = ExportDataLines(big, old);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(fresh, -1);
    EXPECT_EQ(over, -1);
    EXPECT_FALSE(std::filesystem::exists(Destination()));
    EXPECT_EQ(ReadAll(old), "the user's earlier export");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_scratch.Path()), {}), 2);
}

TEST_F(ExportDataLinesTest, ExistingDestinationKeepsItsLinkAndPermissions)
{
    // Saving over a file is writing into it as the user sees it: through a link, with the
    // file's own permissions, and not at all when the user may not write it.
    const std::string source = m_scratch.Write("log.csv", kHeader + "1,a\n");
    const std::string real = m_scratch.Write("real.csv", "old");
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    const std::string link = m_scratch / "link.csv";
    std::filesystem::create_symlink(real, link);
    EXPECT_EQ(ExportDataLines(source, link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "1,a");
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));

    const std::string locked = m_scratch.Write("locked.csv", "keep");
    std::filesystem::permissions(locked, std::filesystem::perms(0444));
    if (::access(locked.c_str(), W_OK) != 0) { // root may write anything
        EXPECT_EQ(ExportDataLines(source, locked), -1);
        EXPECT_EQ(ReadAll(locked), "keep");
    }
}

} // namespace
