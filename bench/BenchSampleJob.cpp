// How long the large benchmark inputs take to write: a million-row job log and a 1 GiB
// page-image stream of 10,000 pages.
#include "bench/BenchFiles.h"
#include "tools/LargeInputs.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace {

void BM_WriteMillionRowLog(benchmark::State& state)
{
    const BenchFolder folder("BenchSampleJob");
    const std::string path = folder / "large.csv";
    for (auto _ : state) {
        if (samplejob::WriteLargeJobLog(path, 1000000) != 0) {
            state.SkipWithError("cannot write the log");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_WriteMillionRowLog)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteGigabyteStream(benchmark::State& state)
{
    const BenchFolder folder("BenchSampleJob");
    const std::string path = folder / "large.prn";
    for (auto _ : state) {
        if (samplejob::WriteLargePageStream(path, samplejob::LargeStreamOptions{}) != 0) {
            state.SkipWithError("cannot write the stream");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_WriteGigabyteStream)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
