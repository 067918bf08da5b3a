// Scanning speed of the page-image stream as the page index reads it: every command of a
// 1 GiB stream of 4 KiB raster payloads, from the page cache. Goal: at least 4 GB/s.
#include "bench/BenchFiles.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornCommand.h"
#include "tests/pagestream/DornGetcRoad.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPayloadSize = 4096;
constexpr std::uint64_t kCommands = (std::uint64_t{1} << 30) / kPayloadSize;

std::string g_path;
std::uint64_t g_size = 0;

bool WriteStream(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string command = "?<1;4096;1;" + std::to_string(kPayloadSize) + ">I";
    std::mt19937 random(7);
    std::vector<char> block;
    for (std::uint64_t i = 0; i < 256; ++i) {
        block.insert(block.end(), command.begin(), command.end());
        for (std::size_t k = 0; k < kPayloadSize; ++k) {
            block.push_back(static_cast<char>(random()));
        }
    }
    bool ok = true;
    for (std::uint64_t i = 0; ok && i < kCommands / 256; ++i) {
        ok = std::fwrite(block.data(), 1, block.size(), file) == block.size();
    }
    ok = std::fclose(file) == 0 && ok;
    g_size = kCommands / 256 * block.size();
    return ok;
}

// Reads commands with `read` up to the end; true when it found every one the stream holds.
template <class Read>
bool ReadsEveryCommand(Read read)
{
    tagDORNCOMMAND command;
    DornCommandText text;
    int length = 0;
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
    while (read(command, text, length, offset)) {
        ++count;
    }
    benchmark::DoNotOptimize(offset);
    return count == kCommands;
}

void BM_ReadCommandBuffered(benchmark::State& state)
{
    for (auto _ : state) {
        CDornComFile stream;
        if (stream.Open(g_path) != 0) {
            state.SkipWithError("cannot open the stream");
            return;
        }
        if (!ReadsEveryCommand([&](tagDORNCOMMAND& command, DornCommandText& text, int& length,
                                   std::uint64_t& offset) {
                return ReadCommand(*stream.m_pFile, command, text, length, offset);
            })) {
            state.SkipWithError("wrong command count");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_size));
}
BENCHMARK(BM_ReadCommandBuffered)->Unit(benchmark::kMillisecond)->UseRealTime();

// The getc road through a 512-byte stdio buffer, for comparison.
void BM_ReadCommandGetc(benchmark::State& state)
{
    for (auto _ : state) {
        std::FILE* file = getc_road::Open(g_path.c_str());
        if (file == nullptr) {
            state.SkipWithError("cannot open the stream");
            return;
        }
        const bool whole = ReadsEveryCommand([&](tagDORNCOMMAND& command, DornCommandText& text,
                                                 int& length, std::uint64_t& offset) {
            return getc_road::ReadCommand(file, command, text, length, offset);
        });
        std::fclose(file);
        if (!whole) {
            state.SkipWithError("wrong command count");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_size));
}
BENCHMARK(BM_ReadCommandGetc)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const BenchFolder folder("BenchStreamScan");
    g_path = folder / "job.prn";
    const bool written = folder.Ready() && WriteStream(g_path);
    if (written) {
        WarmPageCache(g_path);
        benchmark::RunSpecifiedBenchmarks();
    } else {
        std::fprintf(stderr, "cannot write %s\n", g_path.c_str());
    }
    benchmark::Shutdown();
    return written ? 0 : 1;
}
