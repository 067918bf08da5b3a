// Why: the stream readers are tested against these streams, so every band must decode to
// exactly the planes the writer meant, in every level mode and on both plane paths, and the
// spans, offsets and defects the writer reports must be where it says.
#include "ScratchFolder.h"
#include "tools/LargeInputs.h"
#include "tools/PageIndexFile.h"
#include "tools/PageStream.h"
#include "tools/RunLengthCoding.h"
#include "tools/SampleFiles.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using samplejob::LevelMode;
using samplejob::LevelPlane;
using samplejob::PageStreamLayout;
using samplejob::PageStreamOptions;
using samplejob::StreamDefect;
using samplejob::StreamSubPage;

// Decodes the run-length code; nullopt when a run reads past the data.
std::optional<std::string> DecodeRuns(const std::string& coded, size_t unit)
{
    std::string out;
    size_t i = 0;
    while (i < coded.size()) {
        const auto control = static_cast<uint8_t>(coded[i++]);
        const size_t take = control <= 0x7F ? (control + 1u) * unit : unit;
        if (i + take > coded.size()) {
            return std::nullopt;
        }
        if (control <= 0x7F) {
            out.append(coded, i, take);
        } else {
            for (int k = 0; k < 257 - control; ++k) {
                out.append(coded, i, take);
            }
        }
        i += take;
    }
    return out;
}

struct Command
{
    uint64_t offset = 0;
    char letter = 0;
    std::vector<long> params;
    std::string payload;
};

// A plain walk over the command syntax: '?', an optional "<...>" text, the letter, and the
// payload of the letters that carry one. Returns false at a malformed or cut command.
bool NextCommand(const std::string& stream, size_t& pos, Command& command)
{
    pos = stream.find('?', pos);
    if (pos == std::string::npos) {
        return false;
    }
    command = Command{};
    command.offset = pos++;
    std::string text;
    if (pos < stream.size() && stream[pos] == '<') {
        const size_t close = stream.find('>', pos);
        if (close == std::string::npos) {
            return false;
        }
        text = stream.substr(pos + 1, close - pos - 1);
        pos = close + 1;
    }
    if (pos >= stream.size()) {
        return false;
    }
    command.letter = stream[pos++];
    size_t start = 0;
    while (!text.empty()) {
        const size_t semicolon = text.find(';', start);
        command.params.push_back(std::stol(text.substr(start, semicolon - start)));
        if (semicolon == std::string::npos) {
            break;
        }
        start = semicolon + 1;
    }
    int payloadIndex = -1;
    switch (command.letter) {
    case 'B':
    case 'I':
    case 'L':
        payloadIndex = 3;
        break;
    case 'R':
        payloadIndex = 1;
        break;
    case 'e':
    case 'n':
        payloadIndex = 0;
        break;
    default:
        break;
    }
    if (payloadIndex >= 0) {
        const auto length = static_cast<size_t>(command.params.at(payloadIndex));
        if (pos + length > stream.size()) {
            return false;
        }
        command.payload = stream.substr(pos, length);
        pos += length;
    }
    return true;
}

struct DecodedSubPage
{
    std::vector<LevelPlane> colour;
    LevelPlane black;
    int droppedBands = 0;
};

void PlaceLine(LevelPlane& plane, int x, int y, const std::string& line, LevelMode mode)
{
    std::vector<uint8_t> levels;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<uint8_t>(line[i]);
        if (mode == LevelMode::TwoBit) {
            for (int shift = 6; shift >= 0; shift -= 2) {
                levels.push_back(byte >> shift & 3);
            }
        } else if (mode == LevelMode::FourBit) {
            levels.push_back(byte >> 4);
            levels.push_back(byte & 15);
        }
    }
    if (mode == LevelMode::ThreeBit) {
        for (size_t bit = 0; bit + 3 <= line.size() * 8; bit += 3) {
            uint8_t level = 0;
            for (size_t b = bit; b < bit + 3; ++b) {
                level = static_cast<uint8_t>(level << 1 | (line[b / 8] >> (7 - b % 8) & 1));
            }
            levels.push_back(level);
        }
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        ASSERT_LT(x + static_cast<int>(i), plane.Width());
        plane.Set(x + static_cast<int>(i), y, levels[i]);
    }
}

// Decodes one sub-page's bands from its image offset up to its 'P'.
DecodedSubPage DecodeSubPage(const std::string& stream, const PageStreamOptions& options,
                             const StreamSubPage& sub)
{
    DecodedSubPage decoded;
    const int colourPlanes = options.fivePlanes ? 4 : 3;
    for (int c = 0; c < colourPlanes; ++c) {
        decoded.colour.emplace_back(sub.pixelWidth, sub.pixelHeight);
    }
    decoded.black = options.fivePlanes ? LevelPlane(sub.altPixelWidth, sub.altPixelHeight)
                                       : LevelPlane(sub.pixelWidth, sub.pixelHeight);
    size_t pos = sub.imageOffset;
    Command command;
    int x = 0;
    int y = 0;
    while (NextCommand(stream, pos, command) && command.letter != 'P') {
        if (command.letter == 'X') {
            x = static_cast<int>(command.params.at(0));
            y = static_cast<int>(command.params.at(1));
        }
        if (command.letter != 'I') {
            continue;
        }
        const long planeNo = command.params.at(0);
        const auto bytesPerLine = static_cast<size_t>(command.params.at(1));
        const auto lines = static_cast<size_t>(command.params.at(2));
        const LevelMode mode =
            planeNo == 0 && options.fivePlanes ? options.blackLevels : options.levels;
        const auto data = DecodeRuns(command.payload, mode == LevelMode::ThreeBit ? 3 : 1);
        if (!data || data->size() != bytesPerLine * lines) {
            ++decoded.droppedBands;
            continue;
        }
        LevelPlane* plane = nullptr;
        if (planeNo == 0) {
            plane = &decoded.black;
        } else if (planeNo == 1 || planeNo == 6) {
            plane = &decoded.colour[0];
        } else if (planeNo == 2 || (planeNo == 4 && !options.fivePlanes)) {
            plane = &decoded.colour[1];
        } else if (planeNo == 3) {
            plane = &decoded.colour[2];
        } else if (options.fivePlanes && planeNo != 4) {
            plane = &decoded.colour[3];
        }
        for (size_t i = 0; plane && i < lines; ++i) {
            PlaceLine(*plane, x, y + static_cast<int>(i),
                      data->substr(i * bytesPerLine, bytesPerLine), mode);
        }
    }
    EXPECT_EQ(command.letter, 'P');
    return decoded;
}

samplejob::JobLogOptions SmallJob()
{
    samplejob::JobLogOptions job;
    job.mails = 3;
    job.letters = 2;
    return job;
}

struct StreamVariant
{
    const char* name;
    PageStreamOptions options;
};

void PrintTo(const StreamVariant& variant, std::ostream* out)
{
    *out << variant.name;
}

PageStreamOptions Stream(void (*change)(PageStreamOptions&))
{
    PageStreamOptions options;
    options.resolution = 30; // small planes keep the checked build quick
    change(options);
    return options;
}

const std::vector<StreamVariant>& StreamVariants()
{
    static const std::vector<StreamVariant> variants = {
        {"ThreeBit", Stream([](PageStreamOptions&) {})},
        {"TwoBit", Stream([](PageStreamOptions& o) { o.levels = LevelMode::TwoBit; })},
        {"FourBit", Stream([](PageStreamOptions& o) { o.levels = LevelMode::FourBit; })},
        {"FivePlaneThreeBit", Stream([](PageStreamOptions& o) { o.fivePlanes = true; })},
        {"FivePlaneTwoBitFineBlack", Stream([](PageStreamOptions& o) {
             o.fivePlanes = true;
             o.levels = LevelMode::TwoBit;
             o.blackLevels = LevelMode::TwoBit;
             o.blackResolution = 60;
         })},
        {"FivePlaneFourBitRedSpot", Stream([](PageStreamOptions& o) {
             o.fivePlanes = true;
             o.levels = LevelMode::FourBit;
             o.redSpot = true;
         })},
        {"PerSubPageOrientation", Stream([](PageStreamOptions& o) {
             o.levels = LevelMode::FourBit;
             o.orientationPerSubPage = true;
             o.letterOrientation = 3;
         })},
        {"SecondStyleFivePlane", Stream([](PageStreamOptions& o) {
             o.levels = LevelMode::TwoBit;
             o.orientationPerSubPage = true;
             o.jobKind = 1;
             o.fivePlanes = true;
         })},
        {"JobOrientation", Stream([](PageStreamOptions& o) { o.jobOrientation = 4; })},
        {"ReverseKind1", Stream([](PageStreamOptions& o) { o.impositionKind = 1; })},
        {"ReverseKind2Hidden", Stream([](PageStreamOptions& o) {
             o.impositionKind = 2;
             o.hiddenSubPages = true;
         })},
        {"PairsKind3Marks", Stream([](PageStreamOptions& o) {
             o.impositionKind = 3;
             o.marks = true;
         })},
        {"PairsKind4Copies", Stream([](PageStreamOptions& o) {
             o.impositionKind = 4;
             o.copies = 3;
         })},
        {"ReverseWithoutPairs", Stream([](PageStreamOptions& o) {
             o.impositionKind = 1;
             o.levels = LevelMode::FourBit;
             o.orientationPerSubPage = true;
         })},
        {"BareShortBands", Stream([](PageStreamOptions& o) {
             o.otherCommands = false;
             o.bandLines = 7;
         })},
    };
    return variants;
}

class PageStreamVariantTest : public ::testing::TestWithParam<StreamVariant>
{};

TEST_P(PageStreamVariantTest, BandsDecodeToTheMeantPlanes)
{
    const PageStreamOptions& options = GetParam().options;
    PageStreamLayout layout;
    const std::string stream = samplejob::MakePageStream(SmallJob(), options, &layout);
    ASSERT_FALSE(stream.empty());
    ASSERT_EQ(layout.pages.size(), 3u);
    EXPECT_EQ(layout.fileLength, stream.size());
    EXPECT_EQ(stream.substr(stream.size() - 5), "?<0>E");
    EXPECT_EQ(layout.impositionKind, static_cast<int>(options.impositionKind));

    for (const auto& page : layout.pages) {
        SCOPED_TRACE("page " + std::to_string(page.page));
        ASSERT_EQ(stream[page.start], '?');
        size_t pos = page.start;
        Command command;
        ASSERT_TRUE(NextCommand(stream, pos, command));
        EXPECT_EQ(command.letter, 'x');
        EXPECT_EQ(command.params.size(), 3u);
        EXPECT_EQ(stream[page.start + page.length], 'y');

        const size_t expected = (options.hiddenSubPages ? 6 : 5);
        ASSERT_EQ(page.subPages.size(), expected);
        int shown = 0;
        for (size_t q = 0; q < page.subPages.size(); ++q) {
            const StreamSubPage& sub = page.subPages[q];
            SCOPED_TRACE("sub-page " + std::to_string(q + 1));
            EXPECT_EQ(sub.sequence, static_cast<int>(q) + 1);
            EXPECT_EQ(sub.number, sub.pageValue == 1 ? 0 : ++shown);
            if (sub.pageValue == 0) {
                // Display order is printed page order.
                EXPECT_EQ(sub.printedPage, (page.page - 1) * 5 + q + 1);
            }
            EXPECT_GT(sub.imageOffset, page.start);
            EXPECT_LT(sub.imageOffset, page.start + page.length);
            EXPECT_TRUE(stream.compare(sub.imageOffset, 2, "?<") == 0);

            const DecodedSubPage decoded = DecodeSubPage(stream, options, sub);
            const samplejob::SubPageArt art = samplejob::StreamSubPageArt(options, sub);
            EXPECT_EQ(decoded.droppedBands, 0);
            ASSERT_EQ(decoded.colour.size(), art.colour.size());
            for (size_t c = 0; c < art.colour.size(); ++c) {
                EXPECT_EQ(decoded.colour[c].Levels(), art.colour[c].Levels()) << "plane " << c;
            }
            EXPECT_EQ(decoded.black.Levels(), art.black.Levels());
        }
    }
}

TEST_P(PageStreamVariantTest, SameOptionsGiveTheSameBytes)
{
    const PageStreamOptions& options = GetParam().options;
    EXPECT_EQ(samplejob::MakePageStream(SmallJob(), options),
              samplejob::MakePageStream(SmallJob(), options));
}

INSTANTIATE_TEST_SUITE_P(Variants, PageStreamVariantTest, ::testing::ValuesIn(StreamVariants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunLengthCodingTest, RunsDecodeBackToTheInput)
{
    std::vector<std::string> inputs = {
        "",
        "a",
        "ab",
        "aa",
        std::string(128, 'x'),
        std::string(129, 'x'),
        std::string(130, 'x'),
        std::string(300, 'x') + "yz" + std::string(3, 'q'),
    };
    std::string literal;
    for (int i = 0; i < 1000; ++i) {
        literal += static_cast<char>(i * 37 % 251);
    }
    inputs.push_back(literal);
    for (const std::string& input : inputs) {
        std::string coded;
        samplejob::EncodeRunBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size(),
                                  coded);
        EXPECT_EQ(DecodeRuns(coded, 1), input) << input.size();
        // Literals cost one control byte per 128 units at most.
        EXPECT_LE(coded.size(), input.size() + input.size() / 128 + 1);
        const std::string triple = input + input + input;
        std::string coded24;
        samplejob::EncodeRun24(reinterpret_cast<const uint8_t*>(triple.data()), triple.size(),
                               coded24);
        EXPECT_EQ(DecodeRuns(coded24, 3), triple) << input.size();
    }
    // The longest repeat run uses the control byte 0x80.
    std::string coded;
    const std::string run(129, '\x05');
    samplejob::EncodeRunBytes(reinterpret_cast<const uint8_t*>(run.data()), run.size(), coded);
    EXPECT_EQ(coded, std::string("\x80\x05", 2));
}

TEST(PageStreamWriterTest, SubPagesAreTurnedBackForReading)
{
    PageStreamOptions options;
    options.resolution = 20;
    options.orientationPerSubPage = true;
    options.levels = LevelMode::TwoBit;
    PageStreamLayout layout;
    ASSERT_FALSE(samplejob::MakePageStream(SmallJob(), options, &layout).empty());
    const auto& subs = layout.pages[0].subPages;
    EXPECT_EQ(subs[0].rotation, 0);
    EXPECT_EQ(subs[0].orientation, 1);
    // The envelope runs short edge first and is turned a quarter right for reading.
    EXPECT_EQ(subs[4].orientation, 4);
    EXPECT_EQ(subs[4].rotation, 90);
    EXPECT_LT(subs[4].width, subs[4].height);

    // Duplex backs (even sequence) of portrait sheets are turned half round.
    options = PageStreamOptions{};
    options.resolution = 20;
    options.impositionKind = 3;
    ASSERT_FALSE(samplejob::MakePageStream(SmallJob(), options, &layout).empty());
    EXPECT_EQ(layout.header.valueO3, 1);
    EXPECT_EQ(layout.pages[0].subPages[0].rotation, 0);
    EXPECT_EQ(layout.pages[0].subPages[1].rotation, 180);
    EXPECT_EQ(layout.pages[0].subPages[4].rotation, 0); // the envelope, landscape
}

TEST(PageStreamWriterTest, RefusesOptionsTheStreamCannotCarry)
{
    auto refused = [](void (*change)(PageStreamOptions&)) {
        PageStreamOptions options;
        change(options);
        return samplejob::MakePageStream(SmallJob(), options).empty();
    };
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.orientationPerSubPage = true; }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) {
        o.fivePlanes = true;
        o.blackLevels = LevelMode::ThreeBit;
    }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.impositionKind = 5; }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) {
        o.impositionKind = 1;
        o.jobKind = 101;
    }));
    EXPECT_TRUE(refused([](PageStreamOptions& o) { o.resolution = 0; }));
}

TEST(PageStreamWriterTest, DefectsBreakTheStreamWhereAsked)
{
    PageStreamOptions options;
    options.resolution = 20;
    PageStreamLayout whole;
    const std::string good = samplejob::MakePageStream(SmallJob(), options, &whole);

    options.defect = StreamDefect::MissingEnd;
    PageStreamLayout layout;
    const std::string noEnd = samplejob::MakePageStream(SmallJob(), options, &layout);
    EXPECT_EQ(noEnd, good.substr(0, good.size() - 5));
    EXPECT_EQ(layout.pages.size(), 3u);
    EXPECT_TRUE(samplejob::ExpectedPageIndex(layout).empty()); // no end, no index
    EXPECT_EQ(samplejob::PageSpans(layout).size(), 3u);

    options.defect = StreamDefect::TruncatedBand;
    const std::string truncated = samplejob::MakePageStream(SmallJob(), options, &layout);
    ASSERT_EQ(layout.pages.size(), 2u);
    EXPECT_TRUE(samplejob::ExpectedPageIndex(layout).empty());
    EXPECT_EQ(truncated.compare(0, whole.pages[2].start, good, 0, whole.pages[2].start), 0);
    size_t pos = whole.pages[2].start;
    Command command;
    while (NextCommand(truncated, pos, command)) {
        EXPECT_NE(command.letter, 'I'); // the only band of the last page is cut short
    }
    EXPECT_EQ(truncated.find("?<0>y", whole.pages[2].start), std::string::npos);

    options.defect = StreamDefect::ShortBand;
    const std::string shortBand = samplejob::MakePageStream(SmallJob(), options, &layout);
    const StreamSubPage& first = layout.pages[0].subPages[0];
    const DecodedSubPage decoded = DecodeSubPage(shortBand, options, first);
    EXPECT_EQ(decoded.droppedBands, 1);
    EXPECT_EQ(decoded.black.Levels(), samplejob::StreamSubPageArt(options, first).black.Levels());
}

TEST(PageStreamWriterTest, JobWithoutPagesIsIndexedAsOneRecord)
{
    samplejob::JobLogOptions job;
    job.mails = 0;
    PageStreamOptions options;
    options.copies = 2;
    PageStreamLayout layout;
    const std::string stream = samplejob::MakePageStream(job, options, &layout);
    const auto index = samplejob::ExpectedPageIndex(layout);
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[0].page, 0xFFFFFFFFu);
    EXPECT_EQ(index[0].start, layout.header.firstPageOffset);
    EXPECT_EQ(stream[index[0].start + index[0].length], 'E');
    EXPECT_EQ(index[1].page, 0u); // the copy's number wraps round
}

class PageStreamFileTest : public ::testing::Test
{
protected:
    ScratchFolder m_scratch{"PageStreamFileTest"};
};

TEST_F(PageStreamFileTest, FileAndIndexFileHoldWhatTheLayoutSays)
{
    PageStreamOptions options;
    options.resolution = 20;
    options.copies = 2;
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WritePageStream((m_scratch / "job.prn"), SmallJob(), options, &layout), 0);
    EXPECT_EQ(samplejob::ReadWholeFile((m_scratch / "job.prn")),
              samplejob::MakePageStream(SmallJob(), options));

    const auto index = samplejob::ExpectedPageIndex(layout);
    ASSERT_EQ(index.size(), 6u);
    EXPECT_EQ(index[4].page, 5u);
    EXPECT_EQ(index[4].start, index[1].start);
    EXPECT_EQ(index[4].length, index[1].length);
    ASSERT_EQ(samplejob::WritePageIndexFile((m_scratch / "job.adr"), index), 0);
    const std::string text = samplejob::ReadWholeFile((m_scratch / "job.adr"));
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
    char expected[64];
    std::snprintf(expected, sizeof expected, "00000002,%016llX,%016llX\r\n",
                  static_cast<unsigned long long>(index[1].start),
                  static_cast<unsigned long long>(index[1].length));
    EXPECT_EQ(text.substr(3 + 44, 44), expected);
    EXPECT_EQ(text.size(), 3 + 6 * 44u);
    EXPECT_EQ(samplejob::WritePageStream((m_scratch / "none/job.prn"), SmallJob(), options), -1);
}

TEST_F(PageStreamFileTest, LargeStreamRepeatsDecodableBandsUpToItsSize)
{
    samplejob::LargeStreamOptions large;
    large.pages = 12;
    large.subPagesPerPage = 2;
    large.resolution = 40;
    large.bytes = 12 * 2 * 12000;
    PageStreamLayout layout;
    ASSERT_EQ(samplejob::WriteLargePageStream((m_scratch / "large.prn"), large, &layout), 0);
    const std::string stream = samplejob::ReadWholeFile((m_scratch / "large.prn"));
    EXPECT_EQ(stream.size(), layout.fileLength);
    EXPECT_NEAR(static_cast<double>(stream.size()), static_cast<double>(large.bytes),
                large.bytes * 0.05);
    EXPECT_EQ(stream.substr(stream.size() - 5), "?<0>E");
    ASSERT_EQ(layout.pages.size(), 12u);

    PageStreamOptions options;
    options.levels = LevelMode::FourBit;
    std::vector<uint8_t> previousBlack;
    for (const auto& page : layout.pages) {
        EXPECT_EQ(stream[page.start + page.length], 'y');
        ASSERT_EQ(page.subPages.size(), 2u);
        for (const StreamSubPage& sub : page.subPages) {
            const DecodedSubPage decoded = DecodeSubPage(stream, options, sub);
            EXPECT_EQ(decoded.droppedBands, 0);
            const samplejob::SubPageArt art = samplejob::StreamSubPageArt(options, sub);
            EXPECT_EQ(decoded.colour[0].Levels(), art.colour[0].Levels());
            EXPECT_EQ(decoded.colour[1].Levels(), art.colour[1].Levels());
            // Each sub-page carries its own number.
            EXPECT_NE(decoded.black.Levels(), previousBlack);
            previousBlack = decoded.black.Levels();
        }
    }
    EXPECT_EQ(samplejob::WriteLargePageStream((m_scratch / "none/large.prn"), large), -1);
}

} // namespace
