// Why: every later reader of the page-image stream (index, layout, decoder, geometry) takes its
// resolutions, level modes and first-page offset from the job header.
#include "formats/pagestream/CDornComFile.h"
#include "platform/SharedFile.h"
#include "tests/ScratchFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Field = std::int32_t tagDORNJOBHEADER::*;
using Fields = std::vector<std::pair<Field, std::int32_t>>;

// '#' with 9 parameters: resolution p5 x p6, p8 must be 3.
std::string Hash9(int x, int y, int p8 = 3)
{
    return "?<0;0;0;0;0;" + std::to_string(x) + ";" + std::to_string(y) + ";0;" +
           std::to_string(p8) + ">#";
}
const std::string kHash = Hash9(600, 600);
const std::string kHash7 = "?<0;0;0;0;0;0;0>#";

void ExpectHeader(const tagDORNJOBHEADER& actual, const Fields& fields,
                  std::uint64_t firstPageOffset)
{
    tagDORNJOBHEADER expected;
    for (const auto& [field, value] : fields) {
        expected.*field = value;
    }
    expected.nFirstPageOffset = firstPageOffset;
    const auto words = [](const tagDORNJOBHEADER& h) {
        return std::vector<std::int64_t>{h.nResolutionX,
                                         h.nResolutionY,
                                         h.nJobKind,
                                         h.nValueL1,
                                         h.nOrientation,
                                         h.nValueO3,
                                         h.nValueA8,
                                         h.nValueA19,
                                         h.nValueA37,
                                         h.nValueZ,
                                         static_cast<std::int64_t>(h.nFirstPageOffset),
                                         h.nCopies,
                                         h.nAltResolutionX,
                                         h.nAltResolutionY,
                                         h.nLevelMode,
                                         h.nAltLevelMode,
                                         h.nStyle,
                                         h.nZCount};
    };
    EXPECT_EQ(words(actual), words(expected));
}

class JobHeaderTest : public ::testing::Test
{
protected:
    std::string Write(const std::string& bytes) { return m_folder.Write("job.prn", bytes); }

    ScratchFolder m_folder{"JobHeaderTest"};
    CDornComFile m_file;
};

struct HeaderCase
{
    const char* name;
    std::string stream; // accepted streams end with their first page-level command
    Fields fields;
};

TEST_F(JobHeaderTest, ReadsJobCommands)
{
    using H = tagDORNJOBHEADER;
    const Fields hash = {{&H::nResolutionX, 600}, {&H::nResolutionY, 600}, {&H::nLevelMode, 2}};
    // Either order of the two 'z' forms gives the same header.
    const Fields bothZ = {{&H::nStyle, 1},
                          {&H::nResolutionX, 300},
                          {&H::nResolutionY, 300},
                          {&H::nLevelMode, 1},
                          {&H::nAltResolutionX, 600},
                          {&H::nAltResolutionY, 600},
                          {&H::nAltLevelMode, 3},
                          {&H::nZCount, 2}};
    auto with = [](Fields base, const Fields& more) {
        base.insert(base.end(), more.begin(), more.end());
        return base;
    };
    const HeaderCase cases[] = {
        {"'#' with 9 parameters", kHash + "?h", hash},
        {"'#' with 10 parameters takes the job kind",
         "?<0;0;0;0;0;300;400;0;3;101>#?s",
         {{&H::nResolutionX, 300},
          {&H::nResolutionY, 400},
          {&H::nLevelMode, 2},
          {&H::nJobKind, 101}}},
        {"'#' with 7 parameters", "?<0;0;0;0;0;0;5>#?x", {{&H::nStyle, 1}, {&H::nJobKind, 5}}},
        {"'#' with 7 parameters and p6 1",
         "?<0;0;0;0;0;0;1>#?h",
         {{&H::nStyle, 2}, {&H::nJobKind, 1}}},
        {"later commands overwrite", "?<0;0;0;0;0;0;5>#?<3>c" + kHash + "?<4>c?h",
         with(hash, {{&H::nCopies, 4}})},
        {"'z' alternative first, then main", kHash7 + "?<0;600;600;4;0>z?<1;300;300;2;0>z?h",
         bothZ},
        {"'z' main first, then alternative", kHash7 + "?<1;300;300;2;0>z?<0;600;600;4;0>z?h",
         bothZ},
        {"'z' alternative after '#' leaves the resolution", kHash + "?<0;300;200;2;0>z?h",
         with(hash, {{&H::nAltResolutionX, 300},
                     {&H::nAltResolutionY, 200},
                     {&H::nAltLevelMode, 1},
                     {&H::nZCount, 1}})},
        {"'Z' keeps only 101 to 104", kHash + "?<103>Z?<105>Z?h", with(hash, {{&H::nValueZ, 103}})},
        {"'l' values out of range read 0", kHash + "?<2;0;3>l?<2;0;7>l?<1;0;1>l?<9;0;1>l?h",
         with(hash, {{&H::nOrientation, 0}, {&H::nValueL1, 1}})},
        {"'O' selects only with 3", kHash + "?<1;0;2>O?<3;0;2>O?h",
         with(hash, {{&H::nValueO3, 2}})},
        {"'O' value out of range reads 0", kHash + "?<3;0;2>O?<3;0;3>O?h", hash},
        {"'a' selectors", kHash + "?<8;0;4>a?<19;0;1>a?<37;0;1>a?<5;0;1>a?h",
         with(hash, {{&H::nValueA8, 4}, {&H::nValueA19, 1}, {&H::nValueA37, 1}})},
        {"'a' values out of range read 0",
         kHash + "?<8;0;4>a?<8;0;5>a?<19;0;1>a?<19;0;2>a?<37;0;-1>a?h", hash},
        {"'c' as it stands", kHash + "?<-2>c?h", with(hash, {{&H::nCopies, -2}})},
        {"other letters, payloads and filler are passed over",
         "\r\nxx" + kHash + "?<" + std::string(40, ';') + ">K" + "?<0;0;0;3>B?E?" + "?<3>e?S?" +
             "?h\r\n?E",
         hash},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_file.Open(Write(c.stream)), 0);
        ASSERT_EQ(m_file.ReadJobHeader(), 0);
        ASSERT_NE(m_file.m_pJobHeader, nullptr);
        const std::size_t page = c.stream.find_last_of('?', c.stream.find_last_of("hsx"));
        ExpectHeader(*m_file.m_pJobHeader, c.fields, page);
        m_file.Close();
    }
}

TEST_F(JobHeaderTest, RefusesStreams)
{
    const std::pair<const char*, std::string> cases[] = {
        {"page command before any '#'", "?<3>c?h" + kHash + "?h"},
        {"no '#' at all", "?<3>c?h"},
        {"no page command", kHash + "?<3>c"},
        {"empty stream", ""},
        {"'E' before the page part", kHash + "?E?h"},
        {"'S' before the page part", kHash + "?S?h"},
        {"'#' with 8 parameters", "?<0;0;0;0;0;600;600;3>#?h"},
        {"'#' with 6 parameters", "?<0;0;0;0;0;0>#?h"},
        {"'#' with 33 parameters", "?<" + std::string(32, ';') + ">#?h"},
        {"'#' with p8 2", Hash9(600, 600, 2) + "?h"},
        {"'#' with p5 0", Hash9(0, 600) + "?h"},
        {"'#' with p6 0", Hash9(600, 0) + "?h"},
        {"a bad '#' after a good one", kHash + Hash9(600, 600, 2) + "?h"},
        {"'O' with 2 parameters", kHash + "?<3;0>O?h"},
        {"'l' with 4 parameters", kHash + "?<2;0;1;0>l?h"},
        {"'a' with 2 parameters", kHash + "?<8;0>a?h"},
        {"'Z' with 2 parameters", kHash + "?<101;0>Z?h"},
        {"'c' with 2 parameters", kHash + "?<1;2>c?h"},
        {"'z' with 4 parameters", kHash + "?<1;300;300;2>z?h"},
        {"'z' with p3 3", kHash + "?<1;300;300;3;0>z?h"},
        {"'z' with p1 0", kHash + "?<1;0;300;2;0>z?h"},
        {"'z' with p2 negative", kHash + "?<0;300;-3;4;0>z?h"},
        {"unskippable payload", kHash + "?<1>B?h"},
        {"bad command letter", kHash + "??h"},
    };
    for (const auto& [name, stream] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(m_file.Open(Write(stream)), 0);
        EXPECT_EQ(m_file.ReadJobHeader(), -1);
        EXPECT_EQ(m_file.m_pJobHeader, nullptr);
        m_file.Close();
    }
}

TEST_F(JobHeaderTest, FirstPageOffsetIsThatOfTheQuestionMark)
{
    // The 'B' payload holds a '?h' that is no command; the real one follows filler.
    const std::string stream = kHash + "?<0;0;0;4>B?h?h\r\n\r\n?<100;200>h?<2>c";
    ASSERT_EQ(m_file.Open(Write(stream)), 0);
    ASSERT_EQ(m_file.ReadJobHeader(), 0);
    const std::size_t page = stream.find("?<100");
    EXPECT_EQ(m_file.m_pJobHeader->nFirstPageOffset, page);
    EXPECT_EQ(m_file.m_pFile->Tell(), page + 11) << "the stream stands behind the 'h'";
}

TEST_F(JobHeaderTest, FailedReadKeepsPreviousHeaderAndSuccessReplacesIt)
{
    // Each read goes on from where the previous one stopped.
    const std::string stream = kHash + "?<3>c?h" + kHash7 + "?E" + "?<0;0;0;0;0;0;5>#?s";
    ASSERT_EQ(m_file.Open(Write(stream)), 0);
    ASSERT_EQ(m_file.ReadJobHeader(), 0);
    const tagDORNJOBHEADER* first = m_file.m_pJobHeader.get();
    EXPECT_EQ(m_file.ReadJobHeader(), -1);
    ASSERT_EQ(m_file.m_pJobHeader.get(), first);
    EXPECT_EQ(first->nResolutionX, 600);
    EXPECT_EQ(first->nCopies, 3);

    ASSERT_EQ(m_file.ReadJobHeader(), 0);
    using H = tagDORNJOBHEADER;
    ExpectHeader(*m_file.m_pJobHeader, {{&H::nStyle, 1}, {&H::nJobKind, 5}}, stream.size() - 2);
}

TEST_F(JobHeaderTest, OpenRefusesWhatIsNoReadableFile)
{
    EXPECT_EQ(m_file.ReadJobHeader(), -1) << "never opened";
    EXPECT_EQ(m_file.Open(""), -1);
    EXPECT_EQ(m_file.Open((m_folder.Path() / "missing.prn").string()), -1);
    EXPECT_EQ(m_file.Open(m_folder.Path().string()), -1);
    const std::string path = Write("?h");
    std::FILE* writer = platform::OpenExclusive(path, "ab");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(m_file.Open(path), -1) << "a writer holds the stream";
    std::fclose(writer);
    EXPECT_EQ(m_file.m_pFile, nullptr);
}

TEST_F(JobHeaderTest, OpenKeepsWritersOutUntilClose)
{
    const std::string bytes = kHash + "?h";
    const std::string path = Write(bytes);
    ASSERT_EQ(m_file.Open(path), 0);
    EXPECT_EQ(m_file.m_nFileLength, bytes.size());
    EXPECT_EQ(platform::OpenExclusive(path, "ab"), nullptr);
    ASSERT_EQ(m_file.ReadJobHeader(), 0);

    m_file.Close();
    EXPECT_EQ(m_file.m_pFile, nullptr);
    EXPECT_EQ(m_file.m_nFileLength, 0u);
    EXPECT_EQ(m_file.m_pJobHeader, nullptr);
    EXPECT_EQ(m_file.ReadJobHeader(), -1) << "no stream to read";
    std::FILE* writer = platform::OpenExclusive(path, "ab");
    EXPECT_NE(writer, nullptr);
    std::fclose(writer);
}

TEST_F(JobHeaderTest, SecondOpenStartsAfresh)
{
    ASSERT_EQ(m_file.Open(Write(kHash + "?h")), 0);
    ASSERT_EQ(m_file.ReadJobHeader(), 0);
    const std::string other = m_folder.Write("other.prn", "?<3>c");
    ASSERT_EQ(m_file.Open(other), 0);
    EXPECT_EQ(m_file.m_pJobHeader, nullptr) << "no header of the previous stream survives";
    EXPECT_EQ(m_file.m_nFileLength, 5u);
    EXPECT_EQ(m_file.Open((m_folder.Path() / "missing.prn").string()), -1);
    EXPECT_NE(m_file.m_pFile, nullptr) << "a failed open keeps the open stream";
}

} // namespace
