// The whole Load of a job log (read, check, build every record) at 100,000 and 1,000,000
// event rows: about one mail per ten rows, each with three letters and an envelope, some
// suspended and resumed, some with an error while they are made, some samples and
// interruptions. Each Load runs in a process of its own, so it starts from a fresh heap.
// Reports rows per second, the records built and the peak memory of one Load against the
// file's size (the mapped file's pages included).
#include "bench/BenchFiles.h"
#include "formats/joblog/JobLogFile.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes a log of about `eventRows` event rows, streaming, so the generator adds nothing
// to the peak.
class GeneratedLog
{
public:
    explicit GeneratedLog(std::size_t eventRows)
        : m_folder("BenchJobLogLoad_" + std::to_string(eventRows)), m_path(m_folder / "log.csv")
    {
        m_out = std::fopen(m_path.c_str(), "wb");
        std::fwrite(kBenchLogHeader.data(), 1, kBenchLogHeader.size(), m_out);
        Row("Job Started");
        std::size_t mail = 0;
        while (m_rows + 16 < eventRows) {
            ++mail;
            const bool sample = mail % 200 == 0;
            WriteMail(sample ? std::string() : std::to_string(mail), sample, mail);
            m_normalMails += sample ? 0 : 1;
            if (mail % 300 == 0) {
                Row("Interrupt Started");
                Row("Interrupt Finished");
            }
        }
        Row("Job Finished", "", ",,,,", false, "", std::to_string(m_normalMails).c_str());
        std::fclose(m_out);
        m_size = std::filesystem::file_size(m_path);
    }
    GeneratedLog(const GeneratedLog&) = delete;
    GeneratedLog& operator=(const GeneratedLog&) = delete;

    const std::string& Path() const { return m_path; }
    std::uintmax_t Size() const { return m_size; }
    std::size_t Rows() const { return m_rows; }

private:
    // `sheetFields`: Type, Sheet, Front Page, Back Page and Tray.
    void Row(const char* event, const std::string& mailNo = "", const char* sheetFields = ",,,,",
             bool sample = false, const char* errorNo = "", const char* requested = "")
    {
        ++m_rows;
        const unsigned seconds = static_cast<unsigned>(m_rows / 3);
        std::fprintf(m_out, "%08zu,2020/01/%02u %02u:%02u:%02u,%s,%s,%s,%s,%s,3,%s,\r\n", m_rows,
                     1 + seconds / 86400 % 28, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60,
                     event, errorNo, mailNo.c_str(), sheetFields, sample ? "Sample" : "",
                     requested);
    }
    void Sheet(const std::string& mailNo, bool sample, std::size_t mail, int sheet, bool stacked)
    {
        char fields[96];
        const std::size_t front = 8 * mail + 2 * static_cast<std::size_t>(sheet);
        const char* type = !stacked ? "" : (sheet == 4 ? "Envelope" : "Letter");
        const char* tray =
            sheet == 4 ? "Feed Tray 3" : (sheet == 1 ? "Feed Tray 2" : "Feed Tray 1");
        std::snprintf(fields, sizeof fields, "%s,%d,%010zu,%010zu,%s", type, sheet, front,
                      front + 1, tray);
        Row(stacked ? "Sheet Stacked" : "Sheet Feeded", mailNo, fields, sample);
    }
    // Three letters and an envelope.
    void WriteMail(const std::string& mailNo, bool sample, std::size_t mail)
    {
        Row("Mail Started", mailNo, ",,,,", sample);
        for (int sheet = 1; sheet <= 4; ++sheet) {
            Sheet(mailNo, sample, mail, sheet, false);
            if (sheet == 3 && mail % 50 == 7) {
                // Suspended with a sheet in the machine; once resumed, it is stacked.
                Row("Suspended");
                Row("Job Started");
            }
            Sheet(mailNo, sample, mail, sheet, true);
        }
        if (mail % 40 == 3) {
            Row("Error", "", ",,,,", false, "E0423");
        }
        Row("Mail Finished", mailNo, ",,,,", sample);
    }

    BenchFolder m_folder;
    std::string m_path;
    std::FILE* m_out = nullptr;
    std::uintmax_t m_size = 0;
    std::size_t m_rows = 0;
    std::size_t m_normalMails = 0;
};

const GeneratedLog& Log(std::size_t eventRows)
{
    static std::map<std::size_t, std::unique_ptr<GeneratedLog>> logs;
    auto& log = logs[eventRows];
    if (!log) {
        log = std::make_unique<GeneratedLog>(eventRows);
    }
    return *log;
}

// What one Load in a child process reports back.
struct LoadResult
{
    int result = -1;
    double seconds = 0;
    double cpuSeconds = 0; // the Load's own processor time, which other programs do not blur
    std::size_t peak = 0;  // resident bytes added at the peak, the mapped log included
    std::size_t kept = 0;  // resident bytes added that stay after Load: the records
    std::size_t mails = 0;
    std::size_t details = 0;
    std::size_t sheets = 0;
};

double ProcessorSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One Load in a new process, as a viewer opening a log does: a fresh heap, so the time
// includes every first touch of new memory and the peak counts all of it.
LoadResult LoadInChild(const std::string& path)
{
    LoadResult loaded;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return loaded;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::size_t before = StatusBytes("VmRSS:");
        ResetPeak(); // VmHWM counts from here
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessorSeconds();
        JobLogFile reader;
        loaded.result = reader.Load(path);
        loaded.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        loaded.cpuSeconds = ProcessorSeconds() - cpuStart;
        const std::size_t peak = StatusBytes("VmHWM:");
        const std::size_t after = StatusBytes("VmRSS:");
        loaded.peak = peak > before ? peak - before : 0;
        loaded.kept = after > before ? after - before : 0;
        if (loaded.result == 0) {
            loaded.mails = reader.m_pMails->size();
            loaded.details = reader.m_pDetails->size();
            for (const auto& detail : *reader.m_pDetails) {
                loaded.sheets += detail->pSheets->size();
            }
        }
        const bool sent = ::write(pipeEnds[1], &loaded, sizeof loaded) == sizeof loaded;
        ::_exit(sent ? 0 : 1); // the records go with the process
    }
    ::close(pipeEnds[1]);
    if (child > 0 && ::read(pipeEnds[0], &loaded, sizeof loaded) != sizeof loaded) {
        loaded = LoadResult{};
    }
    ::close(pipeEnds[0]);
    if (child > 0) {
        ::waitpid(child, nullptr, 0);
    }
    return loaded;
}

void BM_LoadJobLog(benchmark::State& state)
{
    const GeneratedLog& log = Log(static_cast<std::size_t>(state.range(0)));
    LoadResult worst;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const LoadResult loaded = LoadInChild(log.Path());
        if (loaded.result != 0) {
            state.SkipWithError("the generated log was refused");
            break;
        }
        state.SetIterationTime(loaded.seconds);
        cpuSeconds += loaded.cpuSeconds;
        worst.peak = std::max(worst.peak, loaded.peak);
        worst.kept = std::max(worst.kept, loaded.kept);
        worst.mails = loaded.mails;
        worst.details = loaded.details;
        worst.sheets = loaded.sheets;
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(log.Rows()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cpu_ms"] =
        1e3 * cpuSeconds / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["rows"] = static_cast<double>(log.Rows());
    state.counters["mails"] = static_cast<double>(worst.mails);
    state.counters["details"] = static_cast<double>(worst.details);
    state.counters["sheets"] = static_cast<double>(worst.sheets);
    state.counters["file_MB"] = static_cast<double>(log.Size()) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(worst.peak) / 1e6;
    state.counters["records_MB"] = static_cast<double>(worst.kept) / 1e6;
    state.counters["peak/file"] = static_cast<double>(worst.peak) / static_cast<double>(log.Size());
}
BENCHMARK(BM_LoadJobLog)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
