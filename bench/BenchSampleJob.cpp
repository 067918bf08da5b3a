// How long the large benchmark inputs take to write: a million-row job log and a 1 GiB
// page-image stream of 10,000 pages.
#include "tools/LargeInputs.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path BenchFolder()
{
    auto folder =
        std::filesystem::temp_directory_path() / ("BenchSampleJob_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

void BM_WriteMillionRowLog(benchmark::State& state)
{
    const auto folder = BenchFolder();
    const std::string path = (folder / "large.csv").string();
    for (auto _ : state) {
        if (samplejob::WriteLargeJobLog(path, 1000000) != 0) {
            state.SkipWithError("cannot write the log");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteMillionRowLog)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteGigabyteStream(benchmark::State& state)
{
    const auto folder = BenchFolder();
    const std::string path = (folder / "large.prn").string();
    for (auto _ : state) {
        if (samplejob::WriteLargePageStream(path, samplejob::LargeStreamOptions{}) != 0) {
            state.SkipWithError("cannot write the stream");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteGigabyteStream)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
