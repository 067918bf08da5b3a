// Why: every reader of the page-image stream depends on the scanner's results, offsets and
// stream positions; a slip here misplaces pages or reads payload bytes as commands.
#include "formats/pagestream/DornCommand.h"

#include "platform/BufferedReader.h"
#include "tests/ScratchFolder.h"
#include "tests/pagestream/DornGetcRoad.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr std::size_t kBufferSizes[] = {
    1, 2, 5, 16, 300, 4096, platform::BufferedReader::kDefaultBufferSize};

class DornCommandTest : public ::testing::Test
{
protected:
    std::unique_ptr<platform::BufferedReader>
    OpenStream(const std::string& bytes,
               std::size_t bufferSize = platform::BufferedReader::kDefaultBufferSize)
    {
        m_path = m_folder.Write("stream.prn", bytes);
        return platform::BufferedReader::Create(std::fopen(m_path.c_str(), "rb"), bufferSize);
    }

    ScratchFolder m_folder{"DornCommandTest"};
    std::string m_path;
};

std::string Text(const DornCommandText& text, int length)
{
    return std::string(text.data(), static_cast<std::size_t>(length));
}

struct ScanCase
{
    const char* name;
    std::string bytes;
    int result;
    char letter;
    std::string text;
    std::uint64_t offset;
    std::uint64_t positionAfter;
};

TEST_F(DornCommandTest, ScanFindsLetterTextAndOffset)
{
    const std::string text287(287, '1');
    const ScanCase cases[] = {
        {"empty text", "?<>K", 0, 'K', "", 0, 4},
        {"no text", "?K", 0, 'K', "", 0, 2},
        {"bytes before the first '?'", "ab\r\n\x01?<1;2>K", 0, 'K', "1;2", 5, 12},
        {"'?' and '<' inside the text", "?<a?b<c>X", 0, 'X', "a?b<c", 0, 9},
        {"hash letter", "?<7>#", 0, '#', "7", 0, 5},
        {"lowest letter", "?@", 0, '@', "", 0, 2},
        {"highest letter", "?~", 0, '~', "", 0, 2},
        {"287-byte text", "?<" + text287 + ">c", 0, 'c', text287, 0, 291},
        {"second '?'", "??", kDornScanBadLetter, 0, "", 0, 2},
        {"letter above range", "?\x7F", kDornScanBadLetter, 0, "", 0, 2},
        {"letter below range", "?<1>\"", kDornScanBadLetter, 0, "1", 0, 5},
        {"288-byte text", "?<" + text287 + "22>c", kDornScanTextTooLong, 0, text287, 0, 290},
        {"end after the text", "?<1>", kDornScanEndOfFile, 0, "1", 0, 4},
        {"end inside the text", "?<12", kDornScanEndOfFile, 0, "12", 0, 4},
        {"end after the '?'", "xx?", kDornScanEndOfFile, 0, "", 2, 3},
        {"no command", "filler", kDornScanEndOfFile, 0, "", 0, 6},
        {"empty stream", "", kDornScanEndOfFile, 0, "", 0, 0},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto stream = OpenStream(c.bytes);
        ASSERT_NE(stream, nullptr);
        char letter = 'z';
        DornCommandText text;
        text.fill('z');
        int length = -9;
        std::uint64_t offset = 99;
        EXPECT_EQ(ScanCommand(*stream, letter, text, length, offset), c.result);
        EXPECT_EQ(letter, c.letter);
        EXPECT_EQ(Text(text, length), c.text);
        EXPECT_TRUE(std::all_of(text.begin() + length, text.end(), [](char b) { return b == 0; }))
            << "bytes behind the text are cleared";
        EXPECT_EQ(offset, c.offset);
        EXPECT_EQ(stream->Tell(), c.positionAfter);
    }
}

TEST_F(DornCommandTest, ScanReportsReadError)
{
    // A folder opens for reading on Linux but every read of it fails.
    auto stream = platform::BufferedReader::Create(std::fopen(m_folder.Path().c_str(), "rb"));
    ASSERT_NE(stream, nullptr);
    char letter;
    DornCommandText text;
    int length;
    std::uint64_t offset;
    EXPECT_EQ(ScanCommand(*stream, letter, text, length, offset), kDornScanReadError);
}

struct ParseCase
{
    std::string text;
    int count;
    std::vector<std::int32_t> values;
};

TEST(DornCommandParamsTest, ConvertsTokens)
{
    const ParseCase cases[] = {
        {"", 1, {kDornParamEmpty}},
        {"1;;-3;x", 4, {1, kDornParamEmpty, -3, kDornParamInvalid}},
        {"12345678", 1, {kDornParamTooLarge}},
        {"9999999;-9999999", 2, {9999999, -9999999}},
        {"-12345678;123456789012", 2, {kDornParamTooLarge, kDornParamTooLarge}},
        {"0000000000009;-007;000", 3, {9, -7, 0}},
        {"-;-0", 2, {0, 0}},
        {"--1;1-;+1; 1;1 ",
         5,
         {kDornParamInvalid, kDornParamInvalid, kDornParamInvalid, kDornParamInvalid,
          kDornParamInvalid}},
        {"123456789x;x123456789", 2, {kDornParamInvalid, kDornParamInvalid}},
        {"1\0"s
         "2",
         1,
         {kDornParamInvalid}},
        {";", 2, {kDornParamEmpty, kDornParamEmpty}},
        {std::string(31, ';'), 32, std::vector<std::int32_t>(32, kDornParamEmpty)},
        {std::string(32, ';'), -1, {}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        DornCommandParams values;
        values.fill(5);
        EXPECT_EQ(ParseCommandParams(c.text.data(), static_cast<int>(c.text.size()), values),
                  c.count);
        if (c.count < 0) {
            continue;
        }
        std::vector<std::int32_t> expected = c.values;
        expected.resize(values.size(), 0);
        EXPECT_EQ(std::vector<std::int32_t>(values.begin(), values.end()), expected);
    }
}

TEST(DornCommandParamsTest, NegativeLengthGivesZeroAndZeroedValues)
{
    DornCommandParams values;
    values.fill(5);
    EXPECT_EQ(ParseCommandParams("1;2", -1, values), 0);
    EXPECT_EQ(values, DornCommandParams{});
}

struct PayloadCase
{
    const char* name;
    std::string bytes;
    bool keepImage;
    char nextLetter;
    std::uint64_t nextOffset;
};

TEST_F(DornCommandTest, ReadSkipsPayloadsByLetter)
{
    const PayloadCase cases[] = {
        {"B length in p3", "?<0;0;0;5>B?K?Kx?E", false, 'E', 16},
        {"I length in p3", "?<0;0;0;5>I?K?Kx?E", false, 'E', 16},
        {"L length in p3", "?<0;0;0;5>L?K?Kx?E", false, 'E', 16},
        {"R length in p1", "?<0;3>R?Kx?E", false, 'E', 10},
        {"e length in p0", "?<3>e?Kx?E", false, 'E', 8},
        {"n length in p0", "?<3>n?Kx?E", false, 'E', 8},
        {"zero length", "?<0>e?E", false, 'E', 5},
        {"other letters have no payload", "?<0;0;0;5>K?E", false, 'E', 11},
        {"I kept for the decoder", "?<0;0;0;4>I?E?K", true, 'E', 11},
        {"B still skipped when I is kept", "?<0;0;0;2>B?E?K", true, 'K', 13},
    };
    for (const PayloadCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto stream = OpenStream(c.bytes);
        auto read = c.keepImage ? ReadCommandKeepImage : ReadCommand;
        tagDORNCOMMAND command;
        DornCommandText text;
        int length;
        std::uint64_t offset;
        ASSERT_TRUE(read(*stream, command, text, length, offset));
        EXPECT_EQ(command.nParamCount, 0) << "parameters are left to the caller";
        ASSERT_TRUE(read(*stream, command, text, length, offset));
        EXPECT_EQ(command.cLetter, c.nextLetter);
        EXPECT_EQ(offset, c.nextOffset);
    }
}

TEST_F(DornCommandTest, ReadFailsWithoutUsablePayloadLengthAndNeverMovesBack)
{
    const std::string thirtyThree = "?<" + std::string(32, ';') + ">B?E";
    const std::pair<const char*, std::string> cases[] = {
        {"too few parameters for B", "?<1>B?E"},
        {"too few parameters for R", "?<5>R?E"},
        {"negative length", "?<0;0;0;-1>B?E"},
        {"33 parameters", thirtyThree},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto stream = OpenStream(bytes);
        tagDORNCOMMAND command;
        DornCommandText text;
        int length;
        std::uint64_t offset;
        EXPECT_FALSE(ReadCommand(*stream, command, text, length, offset));
        EXPECT_EQ(command.cLetter, bytes[bytes.find('>') + 1]);
        EXPECT_EQ(stream->Tell(), bytes.size() - 2) << "the stream stays behind the letter";
    }
}

TEST_F(DornCommandTest, SpecialPayloadLengthCarriesPastTheEnd)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"?<0;0;0;>B?E", kDornParamEmpty},
        {"?<0;0;0;x>B?E", kDornParamInvalid},
        {"?<0;0;0;99999999>B?E", kDornParamTooLarge},
        {"?e?E", kDornParamEmpty},
    };
    for (const auto& [bytes, special] : cases) {
        SCOPED_TRACE(bytes);
        auto stream = OpenStream(bytes);
        tagDORNCOMMAND command;
        DornCommandText text;
        int length;
        std::uint64_t offset;
        EXPECT_TRUE(ReadCommand(*stream, command, text, length, offset));
        EXPECT_EQ(stream->Tell(), bytes.size() - 2 + static_cast<std::uint64_t>(special));
        char letter;
        EXPECT_EQ(ScanCommand(*stream, letter, text, length, offset), kDornScanEndOfFile);
    }
}

TEST_F(DornCommandTest, ReaderRefusesPositionsThatWouldWrap)
{
    auto stream = OpenStream("?<1>K");
    ASSERT_TRUE(stream->Skip(3));
    EXPECT_FALSE(stream->Skip(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_FALSE(stream->Skip(std::uint64_t{1} << 63));
    EXPECT_FALSE(stream->Seek(std::uint64_t{1} << 63));
    EXPECT_EQ(stream->Tell(), 3u);
    EXPECT_EQ(stream->GetByte(), '>');
}

// --- Both roads agree --------------------------------------------------------------------

struct Outputs
{
    int result = 0;
    char letter = 0;
    DornCommandText text{};
    int length = 0;
    std::uint64_t offset = 0;
    bool operator==(const Outputs&) const = default;
};

void PrintTo(const Outputs& o, std::ostream* out)
{
    *out << "result " << o.result << ", letter " << int(o.letter) << ", text \""
         << Text(o.text, std::clamp(o.length, 0, 287)) << "\", offset " << o.offset;
}

// Steps the buffered road and the getc road through the same stream side by side and compares
// every result, output and position after each step.
class RoadComparer
{
public:
    RoadComparer(const std::string& path, std::size_t bufferSize)
        : m_oracle(getc_road::Open(path.c_str())),
          m_ours(platform::BufferedReader::Create(std::fopen(path.c_str(), "rb"), bufferSize))
    {}
    ~RoadComparer()
    {
        if (m_oracle != nullptr) {
            std::fclose(m_oracle);
        }
    }
    bool Ready() const { return m_oracle != nullptr && m_ours != nullptr; }

    enum class Step
    {
        Scan,
        Read,
        ReadKeepImage
    };

    // Gives false once both stand at the end of the stream.
    bool CommandStep(Step step)
    {
        Outputs expected, actual;
        if (step == Step::Scan) {
            expected.result = getc_road::ScanCommand(m_oracle, expected.letter, expected.text,
                                                     expected.length, expected.offset);
            actual.result =
                ScanCommand(*m_ours, actual.letter, actual.text, actual.length, actual.offset);
        } else {
            const bool keep = step == Step::ReadKeepImage;
            tagDORNCOMMAND theirs, ours;
            expected.result = getc_road::ReadCommand(m_oracle, theirs, expected.text,
                                                     expected.length, expected.offset, keep);
            actual.result = (keep ? ReadCommandKeepImage : ReadCommand)(
                *m_ours, ours, actual.text, actual.length, actual.offset);
            expected.letter = theirs.cLetter;
            actual.letter = ours.cLetter;
        }
        EXPECT_EQ(actual, expected);
        ExpectSamePosition();
        return !(std::feof(m_oracle) && m_ours->AtEnd());
    }

    void SeekStep(std::uint64_t position)
    {
        const bool expected = ::fseeko(m_oracle, static_cast<off_t>(position), SEEK_SET) == 0;
        EXPECT_EQ(m_ours->Seek(position), expected);
        ExpectSamePosition();
    }

    // What the page decoder does with a kept payload.
    void ReadBytesStep(std::size_t count)
    {
        std::vector<char> expected(count), actual(count);
        const std::size_t expectedCount = std::fread(expected.data(), 1, count, m_oracle);
        EXPECT_EQ(m_ours->Read(actual.data(), count), expectedCount);
        EXPECT_EQ(actual, expected);
        ExpectSamePosition();
    }

private:
    void ExpectSamePosition()
    {
        EXPECT_EQ(m_ours->Tell(), static_cast<std::uint64_t>(::ftello(m_oracle)));
        EXPECT_EQ(m_ours->AtEnd(), std::feof(m_oracle) != 0);
        EXPECT_EQ(m_ours->Error(), std::ferror(m_oracle) != 0);
    }

    std::FILE* m_oracle;
    std::unique_ptr<platform::BufferedReader> m_ours;
};

std::string RandomToken(std::mt19937& random)
{
    static const char* const tokens[] = {"",  "0",        "1",   "-1",      "3",   "7",
                                         "-", "12345678", "x",   "9999999", "005", "2",
                                         "4", "40",       "300", "-0",      " 1"};
    return tokens[random() % std::size(tokens)];
}

// Commands, payloads of right and wrong lengths, filler and stray syntax bytes.
std::string RandomStream(std::uint32_t seed)
{
    std::mt19937 random(seed);
    static const char letters[] = "BILRenKhsxE#Z?\x01<>";
    std::string bytes;
    const int pieces = 20 + static_cast<int>(random() % 60);
    for (int i = 0; i < pieces; ++i) {
        switch (random() % 8) {
        case 0: { // filler, rich in syntax bytes
            const int count = static_cast<int>(random() % 12);
            for (int k = 0; k < count; ++k) {
                static const char filler[] = "?<>;0123xyz\r\n";
                bytes += filler[random() % (sizeof(filler) - 1)];
            }
            break;
        }
        case 1: // an over-long text, just at or beyond the limit
            bytes += "?<" + std::string(286 + random() % 4, '5') + ">K";
            break;
        default: {
            bytes += '?';
            const int params = static_cast<int>(random() % 6);
            if (params > 0 || random() % 2 == 0) {
                bytes += '<';
                for (int p = 0; p < params; ++p) {
                    bytes += (p > 0 ? ";" : "") + RandomToken(random);
                }
                bytes += '>';
            }
            bytes += letters[random() % (sizeof(letters) - 1)];
            const int payload = static_cast<int>(random() % 10);
            for (int k = 0; k < payload; ++k) {
                bytes += static_cast<char>(random() % 2 == 0 ? '?' : random() % 256);
            }
            break;
        }
        }
    }
    return bytes;
}

TEST_F(DornCommandTest, RoadsAgreeOnScansAndCommandReads)
{
    std::vector<std::string> streams = {
        "?<0;0;0;5>Bxxxxx?E", "?<1>B?E", "?<a?b<c>X??", "?<1>", "junk?<1;;-3;x>Z?",
        "?<0;0;0;>B?E",       "?e",      "?<3>e?K",     "",
    };
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        streams.push_back(RandomStream(seed));
    }
    for (std::size_t s = 0; s < streams.size(); ++s) {
        const std::string path = m_folder.Write("road" + std::to_string(s), streams[s]);
        for (const std::size_t bufferSize : kBufferSizes) {
            for (int mode = 0; mode < 3; ++mode) {
                SCOPED_TRACE("stream " + std::to_string(s) + ", buffer " +
                             std::to_string(bufferSize) + ", mode " + std::to_string(mode));
                RoadComparer roads(path, bufferSize);
                ASSERT_TRUE(roads.Ready());
                // Past the end each road must stay put; a few extra steps check that.
                int extra = 3;
                for (int step = 0; step < 2000 && extra > 0; ++step) {
                    const bool more = roads.CommandStep(static_cast<RoadComparer::Step>(mode));
                    extra -= more ? 0 : 1;
                    if (HasFailure()) {
                        return;
                    }
                }
            }
        }
    }
}

TEST_F(DornCommandTest, RoadsAgreeWhenReadersSeekAndReadPayloads)
{
    for (std::uint32_t seed = 100; seed < 140; ++seed) {
        const std::string bytes = RandomStream(seed);
        const std::string path = m_folder.Write("seek" + std::to_string(seed), bytes);
        for (const std::size_t bufferSize : kBufferSizes) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", buffer " + std::to_string(bufferSize));
            RoadComparer roads(path, bufferSize);
            ASSERT_TRUE(roads.Ready());
            std::mt19937 random(seed);
            for (int step = 0; step < 300; ++step) {
                switch (random() % 6) {
                case 0:
                    roads.SeekStep(random() % (bytes.size() + 20));
                    break;
                case 1:
                    roads.ReadBytesStep(random() % 2 == 0 ? random() % 8 : random() % 700);
                    break;
                default:
                    roads.CommandStep(static_cast<RoadComparer::Step>(random() % 3));
                    break;
                }
                if (HasFailure()) {
                    return;
                }
            }
        }
    }
}

} // namespace
