// Building the page index over a 1 GiB stream of 10,000 pages from the page cache (goal: at
// least 4 GB/s), and reading and writing an index file of 100,000 lines (goal: well under
// 0.1 s to read).
#include "bench/BenchFiles.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PageOffsetFile.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kPages = 10000;
constexpr std::uint64_t kStreamTarget = std::uint64_t{1} << 30;
constexpr std::size_t kBandSize = 4096;
constexpr std::uint32_t kIndexLines = 100000;

std::string g_stream;
std::string g_indexFile;
std::string g_writtenFile;
std::uint64_t g_streamSize = 0;
std::vector<tagDORNPAGEPOS> g_index;

// Pages of an A4 sub-page at 600 dpi whose raster comes in 4 KiB bands of random bytes, sized
// so that the whole stream is at least 1 GiB.
bool WriteStream(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string band = "?<1;4960;1;" + std::to_string(kBandSize) + ">I";
    const std::uint64_t bandsPerPage = kStreamTarget / kPages / (band.size() + kBandSize) + 1;
    std::mt19937 random(7);
    std::string page = "?<1;2;3>x?<2100;2970;0;0;0;1>h";
    for (std::uint64_t i = 0; i < bandsPerPage; ++i) {
        page += band;
        for (std::size_t k = 0; k < kBandSize; ++k) {
            page.push_back(static_cast<char>(random()));
        }
    }
    page += "?<0>P?<0>y\r\n";
    const std::string header = "?<0;0;0;0;0;600;600;0;3>#?<1>c";
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    for (std::uint32_t i = 0; ok && i < kPages; ++i) {
        ok = std::fwrite(page.data(), 1, page.size(), file) == page.size();
    }
    ok = std::fwrite("?<0>E", 1, 5, file) == 5 && ok;
    ok = std::fclose(file) == 0 && ok;
    g_streamSize = header.size() + std::uint64_t{kPages} * page.size() + 5;
    return ok;
}

void BM_BuildPageIndex(benchmark::State& state)
{
    for (auto _ : state) {
        CDornComFile stream;
        if (stream.Open(g_stream) != 0 || stream.ReadJobHeader() != 0 ||
            stream.BuildPageIndex() != 0) {
            state.SkipWithError("cannot index the stream");
            return;
        }
        if (stream.m_pPageIndex->size() != kPages) {
            state.SkipWithError("wrong page count");
            return;
        }
        benchmark::DoNotOptimize(stream.m_pPageIndex->back().nLength);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_streamSize));
}
BENCHMARK(BM_BuildPageIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadPageOffsetFile(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<std::vector<tagDORNPAGEPOS>> index;
        if (ReadPageOffsetFile(g_indexFile, index) != 0 || index->size() != kIndexLines) {
            state.SkipWithError("cannot read the index file");
            return;
        }
        benchmark::DoNotOptimize(index->back().nStart);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kIndexLines));
}
BENCHMARK(BM_ReadPageOffsetFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WritePageOffsetFile(benchmark::State& state)
{
    const std::string& path = g_writtenFile;
    for (auto _ : state) {
        if (WritePageOffsetFile(path, g_index) != 0) {
            state.SkipWithError("cannot write the index file");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kIndexLines));
}
BENCHMARK(BM_WritePageOffsetFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const BenchFolder folder("BenchPageIndex");
    g_stream = folder / "job.prn";
    g_indexFile = folder / "job.adr";
    g_writtenFile = folder / "written.adr";
    for (std::uint32_t page = 1; page <= kIndexLines; ++page) {
        g_index.push_back({page, std::uint64_t{page} * 107374, 107374});
    }
    const bool ready =
        folder.Ready() && WriteStream(g_stream) && WritePageOffsetFile(g_indexFile, g_index) == 0;
    if (ready) {
        WarmPageCache(g_stream);
        benchmark::RunSpecifiedBenchmarks();
    } else {
        std::fprintf(stderr, "cannot write the inputs into %s\n", folder.Path().c_str());
    }
    benchmark::Shutdown();
    return ready ? 0 : 1;
}
