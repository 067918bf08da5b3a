// Why: every band of a page goes through these decoders; a wrong count or a read or write
// past a buffer corrupts pages or the process.
#include "formats/pagestream/RunLengthDecoding.h"

#include "tests/samplejob/PageStreamWriter.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using Decoder = int (*)(std::uint8_t*, int, const std::uint8_t*, int);

// Decodes from a copy of exactly the data into exactly `capacity` bytes, so that the sanitizer
// sees any access past either.
int Decode(Decoder decoder, const Bytes& data, int capacity, Bytes* output = nullptr)
{
    Bytes in(data);
    Bytes out(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
    const int written = decoder(out.data(), capacity, in.empty() ? nullptr : in.data(),
                                static_cast<int>(in.size()));
    if (output != nullptr) {
        out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
        *output = out;
    }
    return written;
}

Bytes Repeated(std::size_t count, const Bytes& unit)
{
    Bytes all;
    for (std::size_t i = 0; i < count; ++i) {
        all.insert(all.end(), unit.begin(), unit.end());
    }
    return all;
}

Bytes Counting(std::size_t count)
{
    Bytes all(count);
    for (std::size_t i = 0; i < count; ++i) {
        all[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return all;
}

Bytes Join(Bytes head, const Bytes& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct RunCase
{
    std::string name;
    Bytes data;
    int capacity;
    int expected; // bytes written, or -1
    Bytes output; // checked when expected > 0
};

void CheckCases(Decoder decoder, const std::vector<RunCase>& cases)
{
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes output;
        EXPECT_EQ(Decode(decoder, c.data, c.capacity, &output), c.expected);
        if (c.expected > 0) {
            EXPECT_EQ(output, c.output);
        }
    }
}

TEST(RunLengthDecodingTest, ByteRunsCopyRepeatAndCheckTheCapacity)
{
    const Bytes literal128 = Counting(128);
    CheckCases(DecodeRunBytes,
               {
                   {"empty data", {}, 10, 0, {}},
                   {"empty data, no room", {}, 0, 0, {}},
                   {"one literal", {0x00, 'a'}, 4, 1, {'a'}},
                   {"0x7F copies 128", Join({0x7F}, literal128), 128, 128, literal128},
                   {"0x80 repeats 129 times", {0x80, 'x'}, 129, 129, Bytes(129, 'x')},
                   {"0xFF repeats twice", {0xFF, 'x'}, 8, 2, {'x', 'x'}},
                   {"runs follow each other",
                    {0x01, 'a', 'b', 0xFE, 'c', 0x00, 'd'},
                    16,
                    6,
                    {'a', 'b', 'c', 'c', 'c', 'd'}},
                   {"repeat exactly at the capacity", {0x80, 'x'}, 129, 129, Bytes(129, 'x')},
                   {"repeat one beyond the capacity", {0x80, 'x'}, 128, -1, {}},
                   {"literal one beyond the capacity", {0x02, 'a', 'b', 'c'}, 2, -1, {}},
                   {"second run beyond the capacity", {0x00, 'a', 0xFF, 'b'}, 2, -1, {}},
                   {"negative capacity", {0x00, 'a'}, -5, -1, {}},
                   {"literal cut short by the data", {0x03, 'a', 'b'}, 16, -1, {}},
                   {"repeat without its unit", {0x90}, 200, -1, {}},
                   {"control byte alone after a run", {0x00, 'a', 0x05}, 16, -1, {}},
               });
}

TEST(RunLengthDecodingTest, ThreeByteUnitsCopyRepeatAndCheckTheCapacity)
{
    const Bytes unit = {0x12, 0x34, 0x56};
    const Bytes literal128 = Counting(3 * 128);
    CheckCases(DecodeRun24,
               {
                   {"empty data", {}, 10, 0, {}},
                   {"one literal unit", Join({0x00}, unit), 3, 3, unit},
                   {"0x7F copies 128 units", Join({0x7F}, literal128), 384, 384, literal128},
                   {"0x80 repeats 129 units", Join({0x80}, unit), 387, 387, Repeated(129, unit)},
                   {"0xFF repeats twice", Join({0xFF}, unit), 6, 6, Repeated(2, unit)},
                   {"repeat one byte beyond the capacity", Join({0x80}, unit), 386, -1, {}},
                   {"literal beyond the capacity", Join({0x01}, Counting(6)), 5, -1, {}},
                   {"literal unit cut short", {0x00, 0x01, 0x02}, 16, -1, {}},
                   {"second literal unit cut short", {0x01, 1, 2, 3, 4, 5}, 16, -1, {}},
                   {"repeat unit cut short", {0x90, 0x01, 0x02}, 100, -1, {}},
               });
}

TEST(RunLengthDecodingTest, DecodesWhatTheGeneratorEncodes)
{
    // Runs of random lengths mixed with noise, as printed bands have.
    std::mt19937 random(7);
    for (std::size_t unit : {std::size_t{1}, std::size_t{3}}) {
        Bytes plain;
        while (plain.size() < 30000) {
            const std::size_t run = 1 + random() % 300;
            const bool flat = random() % 2 == 0;
            Bytes value(unit);
            for (auto& b : value) {
                b = static_cast<std::uint8_t>(random());
            }
            for (std::size_t i = 0; i < run; ++i) {
                for (std::size_t j = 0; j < unit; ++j) {
                    plain.push_back(flat ? value[j] : static_cast<std::uint8_t>(random()));
                }
            }
        }
        const Decoder decoder = unit == 1 ? DecodeRunBytes : DecodeRun24;
        Bytes decoded;
        const int size = static_cast<int>(plain.size());
        EXPECT_EQ(Decode(decoder, EncodeRuns(plain, unit), size, &decoded), size);
        EXPECT_EQ(decoded, plain);
        EXPECT_EQ(Decode(decoder, EncodeRuns(plain, unit), size - 1), -1);
    }
}

} // namespace
