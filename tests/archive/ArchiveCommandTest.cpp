// Why: the quoting rule is shared by the command builder and the archiver's parser, and the
// archiver's bounds must stop a ZIP bomb cleanly, leaving nothing behind.
#include "archiver/ArchiveCommand.h"

#include "archiver/ArchiverApi.h"
#include "archiver/CommandLine.h"
#include "archiver/EntryName.h"
#include "tests/ScratchFolder.h"
#include "tests/TestArchives.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace testing_archives;

std::vector<std::string> Texts(const std::vector<archiver::CommandWord>& words)
{
    std::vector<std::string> texts;
    for (const auto& word : words) {
        texts.push_back((word.isSwitch ? "S:" : "W:") + word.text);
    }
    return texts;
}

TEST(CommandLineTest, SplitsWordsByTheQuotingRule)
{
    struct Case
    {
        std::string line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"t \"a b\" -p", {"W:t", "W:a b", "S:-p"}},
        {"  x\t\"/f\" -o\"/d\"  -y ", {"W:x", "W:/f", "S:-o/d", "S:-y"}},
        {"t \"\" -p\"\"", {"W:t", "W:", "S:-p"}},
        {"t \"q\\\"uote\" \"back\\\\slash\"", {"W:t", "W:q\"uote", "W:back\\slash"}},
        {"t \"-p\" \"-\"p", {"W:t", "W:-p", "W:-p"}},
        {"t a\"b c\"d", {"W:t", "W:ab cd"}},
    };
    for (const Case& c : cases) {
        std::vector<archiver::CommandWord> words;
        ASSERT_TRUE(archiver::SplitCommandLine(c.line, words)) << c.line;
        EXPECT_EQ(Texts(words), c.words) << c.line;
    }
    std::vector<archiver::CommandWord> words;
    for (const char* bad : {"t \"open", "t \\x", "t a\\", "t \"a\\b\""}) {
        EXPECT_FALSE(archiver::SplitCommandLine(bad, words)) << bad;
    }
}

// Whatever the text, quoting it gives back exactly that text as one word.
TEST(CommandLineTest, QuotedTextComesBackIntact)
{
    const std::string texts[] = {
        "",   "plain", "with blank", "x\" -o\"/tmp/elsewhere", "\\", "\\\"", "\"",
        "-p", "\t-y",  "end\\",
    };
    for (const std::string& text : texts) {
        std::vector<archiver::CommandWord> words;
        ASSERT_TRUE(archiver::SplitCommandLine("-p" + archiver::QuoteText(text), words)) << text;
        ASSERT_EQ(words.size(), 1u) << text;
        EXPECT_EQ(words[0].text, "-p" + text);

        archiver::ArchiveCommand command;
        ASSERT_TRUE(archiver::ParseArchiveCommand("x " + archiver::QuoteText(text + "a") + " -o" +
                                                      archiver::QuoteText(text + "o") + " -p" +
                                                      archiver::QuoteText(text),
                                                  command))
            << text;
        EXPECT_EQ(command.archivePath, text + "a");
        EXPECT_EQ(command.outputFolder, text + "o");
        EXPECT_EQ(command.password, text);
    }
}

TEST(CommandLineTest, ParsesTheSwitchesOfTestAndExtract)
{
    archiver::ArchiveCommand command;
    ASSERT_TRUE(archiver::ParseArchiveCommand("t \"/a.zip\" -p", command));
    EXPECT_EQ(command.kind, archiver::CommandKind::Test);
    EXPECT_EQ(command.password, "");

    ASSERT_TRUE(archiver::ParseArchiveCommand("t \"/a.zip\"", command));
    EXPECT_FALSE(command.password.has_value());

    ASSERT_TRUE(archiver::ParseArchiveCommand("x \"/a.zip\" -hide -o\"/d\" -y -aos", command));
    EXPECT_EQ(command.kind, archiver::CommandKind::Extract);
    EXPECT_EQ(command.outputFolder, "/d");
    EXPECT_TRUE(command.skipExisting);
    EXPECT_FALSE(command.password.has_value());

    ASSERT_TRUE(archiver::ParseArchiveCommand("x \"/a.zip\" -o\"/d\"", command));
    EXPECT_FALSE(command.skipExisting);
    EXPECT_FALSE(archiver::ParseArchiveCommand("t \"/a.zip\" -aos", command));
    EXPECT_FALSE(archiver::ParseArchiveCommand("x \"/a.zip\" -o\"/d\" -aos -aos", command));
    EXPECT_FALSE(archiver::ParseArchiveCommand("x \"/a.zip\" -o\"/d\" -y -y", command));
    EXPECT_FALSE(archiver::ParseArchiveCommand("t \"\" -p", command));
}

TEST(EntryNameTest, AcceptsOnlyNamesBelowTheFolder)
{
    struct Case
    {
        std::string name;
        std::vector<std::string> components; // empty: refused
    };
    const Case cases[] = {
        {"job.csv", {"job.csv"}},
        {"sub/", {"sub"}},
        {"sub/deeper/job.mll", {"sub", "deeper", "job.mll"}},
        {"..job.csv", {"..job.csv"}},
        {"ジョブ.csv", {"ジョブ.csv"}},
        {"", {}},
        {"/", {}},
        {"/etc/passwd", {}},
        {"../x", {}},
        {"a/../../x", {}},
        {"a/./x", {}},
        {"a//x", {}},
        {"a/..", {}},
        {"..\\x", {}},
        {"a\\x", {}},
        {"C:x", {}},
        {"c:/x", {}},
        {"x:stream", {}},
        {"line\nbreak", {}},
        {"del\x7f", {}},
        {"sub//", {}},
        {std::string(256, 'n'), {}},
        {"1/2/3/4/5/6/7/8", {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {"1/2/3/4/5/6/7/8/", {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {"1/2/3/4/5/6/7/8/9", {}},
        {std::string(255, 'n') + "/" + std::string(255, 'n') + "/" + std::string(255, 'n') + "/" +
             std::string(255, 'n') + "/x", // 1,025 bytes
         {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> components;
        EXPECT_EQ(archiver::SplitEntryName(c.name, components), !c.components.empty()) << c.name;
        if (!c.components.empty()) {
            EXPECT_EQ(components, c.components) << c.name;
        }
    }
}

// Stored names become UTF-8: flagged ones must be UTF-8 already, others are UTF-8 when they
// are well-formed and code page 437 otherwise.
TEST(EntryNameTest, DecodesStoredNamesToUtf8)
{
    struct Case
    {
        std::string stored;
        bool utf8Flag;
        std::string name; // empty: refused
    };
    const Case cases[] = {
        {"job.csv", false, "job.csv"},
        {"ジョブ.csv", true, "ジョブ.csv"},
        {"ジョブ.csv", false, "ジョブ.csv"},
        {"\xF0\x9D\x84\x9E", true, "\xF0\x9D\x84\x9E"}, // four bytes, past U+FFFF
        {"J\x94\x62", false, "Jöb"},
        {"J\x94\x62", true, ""},
        {"\xC0\xAF", true, ""},         // an overlong '/'
        {"\xC0\xAF", false, "└»"},      // ... taken as code page 437
        {"\xED\xA0\x80", true, ""},     // a surrogate
        {"\xF4\x90\x80\x80", true, ""}, // past U+10FFFF
        {"\xE3\x82", true, ""},         // cut short
        {"\xFF", false, "\xC2\xA0"},    // the last code page 437 character
    };
    for (const Case& c : cases) {
        std::string name;
        EXPECT_EQ(archiver::DecodeEntryName(c.stored, c.utf8Flag, name), !c.name.empty())
            << c.stored;
        if (!c.name.empty()) {
            EXPECT_EQ(name, c.name) << c.stored;
        }
    }
}

class ArchiveLimitsTest : public ::testing::Test
{
protected:
    int ExtractWith(const archiver::Limits& limits)
    {
        archiver::ArchiveCommand command;
        command.kind = archiver::CommandKind::Extract;
        command.archivePath = m_temp / "bomb.zip";
        command.outputFolder = (m_temp.Path() / "out").string();
        std::string report;
        return archiver::RunArchiveCommand(command, limits, report);
    }

    ScratchFolder m_temp{"ArchiveLimitsTest"};
};

TEST_F(ArchiveLimitsTest, StopsAtTheTotalSizeAndLeavesNothing)
{
    // Highly compressible: the small archive expands far beyond its size.
    ASSERT_TRUE(WriteZip(m_temp / "bomb.zip", {{"first.csv", std::string(600, 'a')},
                                               {"second.csv", std::string(600, 'b')}}));
    fs::create_directory(m_temp.Path() / "out");

    EXPECT_EQ(ExtractWith({16, 1000}), kArchiverLimitExceeded);
    EXPECT_TRUE(ListTree(m_temp.Path() / "out").empty());
    EXPECT_EQ(ExtractWith({16, 500}), kArchiverLimitExceeded);
    EXPECT_TRUE(ListTree(m_temp.Path() / "out").empty());
    EXPECT_EQ(ExtractWith({16, 1200}), kArchiverOk);
    EXPECT_EQ(ListTree(m_temp.Path() / "out"),
              (std::vector<std::string>{"first.csv", "second.csv"}));
}

// A header that understates the size fails the extraction as soon as the data passes the
// declared size, well within the total bound, and leaves nothing behind.
TEST_F(ArchiveLimitsTest, RefusesEntryLargerThanItsHeaderSays)
{
    const std::string archive = m_temp / "bomb.zip";
    ASSERT_TRUE(WriteZip(archive, {{"first.csv", std::string(6000, 'a')}}));
    std::string data = ReadFile(archive);
    const std::size_t directory = data.find("PK\x01\x02");
    ASSERT_NE(directory, std::string::npos);
    for (const std::size_t field : {std::size_t{22}, directory + 24}) {
        data.replace(field, 4, std::string("\x0a\0\0\0", 4));
    }
    WriteFile(archive, data);
    fs::create_directory(m_temp.Path() / "out");

    EXPECT_EQ(ExtractWith({16, 1 << 20}), kArchiverDamagedData);
    EXPECT_TRUE(ListTree(m_temp.Path() / "out").empty());
}

TEST_F(ArchiveLimitsTest, StopsAtTheEntryCount)
{
    ASSERT_TRUE(WriteZip(m_temp / "bomb.zip", {{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    fs::create_directory(m_temp.Path() / "out");
    EXPECT_EQ(ExtractWith({2, 1000}), kArchiverLimitExceeded);
    EXPECT_TRUE(ListTree(m_temp.Path() / "out").empty());
    EXPECT_EQ(ExtractWith({3, 1000}), kArchiverOk);
}

} // namespace
