// Reading, splitting and checking a job log of 1,000,000 event rows (about 84 MB): rows per
// second, and the peak memory of reading and checking against the file's size.
#include "bench/BenchFiles.h"
#include "formats/joblog/JobLogFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

constexpr std::size_t kEventRows = 1000000;

// Writes the log once per run, streaming, so the generator adds nothing to the peak.
class GeneratedLog
{
public:
    GeneratedLog() : m_path(m_folder / "log.csv")
    {
        std::FILE* out = std::fopen(m_path.c_str(), "wb");
        std::fwrite(kBenchLogHeader.data(), 1, kBenchLogHeader.size(), out);
        std::fprintf(out, "1,2020/01/31 08:00:00,Job Started,,,,,,,,,,,\r\n");
        std::size_t mail = 0;
        for (std::size_t row = 2; row <= kEventRows; ++row) {
            const std::size_t step = row % 4;
            const unsigned seconds = static_cast<unsigned>(row % 86400);
            char time[32];
            std::snprintf(time, sizeof time, "2020/01/31 %02u:%02u:%02u", seconds / 3600 % 24,
                          seconds / 60 % 60, seconds % 60);
            if (row == kEventRows) {
                std::fprintf(out, "%08zu,%s,Job Finished,,,,,,,,,,%zu,\r\n", row, time, mail);
            } else if (step == 0) {
                std::fprintf(out, "%08zu,%s,Mail Started,,%06zu,,,,,,,12,,\r\n", row, time, ++mail);
            } else if (step == 1) {
                std::fprintf(
                    out,
                    "%08zu,%s,Sheet Feeded,,%06zu,,1,%010zu,%010zu,High Capacity Feeder,,12,,\r\n",
                    row, time, mail, 2 * mail - 1, 2 * mail);
            } else if (step == 2) {
                std::fprintf(
                    out,
                    "%08zu,%s,Sheet Stacked,,%06zu,Envelope,1,%010zu,%010zu,Feed Tray 3,,12,,\r\n",
                    row, time, mail, 2 * mail - 1, 2 * mail);
            } else {
                std::fprintf(out, "%08zu,%s,Mail Finished,,%06zu,,,,,,,12,,\r\n", row, time, mail);
            }
        }
        std::fclose(out);
        m_size = std::filesystem::file_size(m_path);
    }

    const std::string& Path() const { return m_path; }
    std::uintmax_t Size() const { return m_size; }

private:
    BenchFolder m_folder{"BenchJobLogRead"};
    std::string m_path;
    std::uintmax_t m_size = 0;
};

const GeneratedLog& Log()
{
    static const GeneratedLog log;
    return log;
}

void CloseStream(JobLogFile& reader)
{
    if (reader.m_pStream != nullptr) {
        std::fclose(reader.m_pStream);
        reader.m_pStream = nullptr;
    }
}

void BM_ReadAndCheckJobLog(benchmark::State& state)
{
    const GeneratedLog& log = Log();
    std::size_t worstPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Memory that the last round freed goes back first, so each Load counts it anew.
        ::malloc_trim(0);
        const std::size_t before = StatusBytes("VmRSS:");
        ResetPeak();
        state.ResumeTiming();
        // Load without its record build (bench_BenchJobLogLoad measures the whole Load).
        JobLogFile reader;
        int result = reader.ReadLines(log.Path());
        if (result == 0) {
            result = reader.CheckFormat();
        }
        reader.FreeRows();
        state.PauseTiming();
        const std::size_t peak = StatusBytes("VmHWM:");
        worstPeak = std::max(worstPeak, peak > before ? peak - before : 0);
        CloseStream(reader);
        state.ResumeTiming();
        if (result != 0) {
            state.SkipWithError("the generated log was refused");
            break;
        }
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(kEventRows + 8),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = static_cast<double>(log.Size()) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(worstPeak) / 1e6;
    state.counters["peak/file"] = static_cast<double>(worstPeak) / static_cast<double>(log.Size());
}
BENCHMARK(BM_ReadAndCheckJobLog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The reading and splitting alone, rows kept (the part before the checks).
void BM_ReadLines(benchmark::State& state)
{
    const GeneratedLog& log = Log();
    for (auto _ : state) {
        JobLogFile reader;
        const int result = reader.ReadLines(log.Path());
        benchmark::DoNotOptimize(reader.m_pRows);
        CloseStream(reader);
        if (result != 0) {
            state.SkipWithError("the generated log was refused");
            break;
        }
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(kEventRows + 8),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
