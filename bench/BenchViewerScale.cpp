// The large sample through the real program, as a user meets it: a million-row job log in its
// archive with a stream of a few hundred A4 pages beside it, opened by PYRN on the offscreen
// platform and driven by the end-to-end tests' driver plugin: open, sort, filter, thumbnails.
// Each step is timed from the command to the answer that shows its result; the peak resident
// memory of the whole viewer process is compared with the log's size.
//
// The sample is written once into large-sample/ beside this program.
#include "tools/LargeInputs.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kLogRows = 1000000;
constexpr uint32_t kStreamPages = 300;
constexpr int kAnswerTimeoutMs = 600000;

fs::path BuildFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

// The archive and the stream, written when missing; the log's size in bytes.
bool LargeSample(fs::path& archive, std::uintmax_t& logBytes)
{
    const fs::path folder = BuildFolder() / "bench" / "large-sample";
    archive = folder / "LargeJob.zip";
    const fs::path log = folder / "LargeJob.csv";
    if (!fs::exists(archive) || !fs::exists(folder / "LargeJob.prn")) {
        fs::create_directories(folder);
        if (samplejob::WriteLargeJobLog(log.string(), kLogRows) != 0) {
            return false;
        }
        const std::string bytes = samplejob::ReadWholeFile(log.string());
        samplejob::LargeStreamOptions stream;
        stream.pages = kStreamPages;
        stream.subPagesPerPage = 6; // two duplex letters a mail, and a sheet made again
        stream.bytes = 0;
        if (samplejob::WriteZipArchive(
                archive.string(), samplejob::LogArchiveMembers(
                                      "LargeJob", bytes, samplejob::DigestFileBytes(bytes))) != 0 ||
            samplejob::WriteLargePageStream((folder / "LargeJob.prn").string(), stream) != 0) {
            return false;
        }
    }
    logBytes = fs::file_size(log);
    return true;
}

// The viewer with the driver: commands on its standard input, answers and window events on
// its standard output; the peak memory of the process when it has ended.
class Viewer
{
public:
    Viewer() : m_home(fs::temp_directory_path() / "BenchViewerScale")
    {
        fs::remove_all(m_home);
        fs::create_directories(m_home / "runtime");
        fs::permissions(m_home / "runtime", fs::perms::owner_all);
        fs::create_symlink(BuildFolder() / "viewer" / "kwel_pyrnLanguageResourceEN.so",
                           m_home / "kwel_pyrnLanguageResourceEN.so");
        int input[2];
        int output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::dup2(output[1], STDOUT_FILENO);
            ::close(input[1]);
            ::close(output[0]);
            if (::chdir(m_home.c_str()) != 0) {
                ::_exit(126);
            }
            const std::string plugins = (BuildFolder() / "tests/e2e/plugins").string();
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("QT_PLUGIN_PATH", plugins.c_str(), 1);
            ::setenv("QT_QPA_GENERIC_PLUGINS", "pyrndriver", 1);
            ::setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
            ::setenv("XDG_DATA_HOME", (m_home / "data").c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", (m_home / "runtime").c_str(), 1);
            const std::string program = (BuildFolder() / "viewer" / "PYRN").string();
            ::execl(program.c_str(), program.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        m_to = input[1];
        m_from = output[0];
    }
    ~Viewer()
    {
        End();
        fs::remove_all(m_home);
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Waits for an output line starting with `prefix`; false at the program's end or time-out.
    bool Await(const std::string& prefix, std::string* rest = nullptr)
    {
        for (std::string line; ReadLine(line);) {
            if (line.rfind(prefix, 0) == 0) {
                if (rest != nullptr) {
                    *rest = line.substr(prefix.size());
                }
                return true;
            }
        }
        return false;
    }
    // Sends one command; its first data line, or false on "error" or the program's end.
    bool Ask(const std::string& command, std::string* data = nullptr)
    {
        const std::string line = command + "\n";
        if (::write(m_to, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            return false;
        }
        bool first = true;
        for (std::string answer; ReadLine(answer);) {
            if (answer.rfind("data ", 0) == 0 && first && data != nullptr) {
                *data = answer.substr(5);
                first = false;
            } else if (answer == "ok") {
                return true;
            } else if (answer.rfind("error", 0) == 0) {
                return false;
            }
        }
        return false;
    }
    // Re-asks `command` until its answer contains `wanted`; false after the time-out.
    bool AskUntil(const std::string& command, const std::string& wanted)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
        for (std::string data; Clock::now() < deadline && Ask(command, &data);) {
            if (data.find(wanted) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // The peak resident memory of the program so far, in MB.
    double PeakMB() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string word;
        while (status >> word) {
            if (word == "VmHWM:") {
                double kib = 0;
                status >> kib;
                return kib * 1024 / 1e6;
            }
        }
        return 0;
    }
    // Ends the program (File > Exit) and gives its peak resident memory in bytes.
    std::uintmax_t End()
    {
        if (m_pid <= 0) {
            return 0;
        }
        Ask("trigger\tcommand203");
        ::close(m_to);
        int status = 0;
        rusage usage{};
        ::wait4(m_pid, &status, 0, &usage);
        m_pid = -1;
        ::close(m_from);
        return static_cast<std::uintmax_t>(usage.ru_maxrss) * 1024;
    }

private:
    bool ReadLine(std::string& line)
    {
        for (;;) {
            const std::size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return true;
            }
            pollfd ready{m_from, POLLIN, 0};
            char chunk[4096];
            if (::poll(&ready, 1, kAnswerTimeoutMs) <= 0) {
                return false;
            }
            const ssize_t got = ::read(m_from, chunk, sizeof chunk);
            if (got <= 0) {
                return false;
            }
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

    fs::path m_home;
    pid_t m_pid = -1;
    int m_to = -1;
    int m_from = -1;
    std::string m_buffer;
};

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const std::string kList = "main/LetterListView/control315";

// One whole session; the steps' times and the memory are the benchmark's counters.
void BM_LargeSampleThroughTheViewer(benchmark::State& state)
{
    fs::path archive;
    std::uintmax_t logBytes = 0;
    if (!LargeSample(archive, logBytes)) {
        state.SkipWithError("cannot write the large sample");
        return;
    }
    for (auto _ : state) {
        // Started without an archive, the viewer asks for one; the user picks the large one.
        Viewer viewer;
        if (!viewer.Await("event shown QFileDialog")) {
            state.SkipWithError("the viewer did not start");
            break;
        }
        auto start = Clock::now();
        viewer.Ask("choose\t" + archive.string());
        if (!viewer.AskUntil("find\tmain/form312/control1042", "enabled=1")) {
            state.SkipWithError("the large sample did not open");
            break;
        }
        state.counters["open_s"] = Seconds(start);
        state.counters["peak_open_MB"] = viewer.PeakMB();

        std::string rows;
        viewer.Ask("key\tmain\tCtrl+Up");
        viewer.AskUntil("text\tmain", "List");
        if (viewer.Ask("rows\t" + kList, &rows) && std::stod(rows) > 0) {
            state.counters["mails"] = std::stod(rows);
            state.counters["peak_list_MB"] = viewer.PeakMB();
            start = Clock::now();
            viewer.Ask("headerclick\t" + kList + "\t4"); // the first click sorts descending
            viewer.AskUntil("header\t" + kList + "\t4", "down");
            state.counters["sort_s"] = Seconds(start);
            state.counters["peak_sort_MB"] = viewer.PeakMB();

            // Filter on the type column: "Standard" (item 1 or 2) unchecked.
            start = Clock::now();
            viewer.Ask("headercontext\t" + kList + "\t1");
            viewer.Await("event shown JobSummaryFilterDialog");
            state.counters["filter_dialog_s"] = Seconds(start);
            std::string text;
            int item = 1;
            while (viewer.Ask("cell\tmodal/control1043\t" + std::to_string(item) + "\t0", &text) &&
                   text != "Standard" && item < 8) {
                ++item;
            }
            viewer.Ask("cellclick\tmodal/control1043\t" + std::to_string(item) + "\t0");
            viewer.Ask("key\tmodal/control1043\tSpace");
            start = Clock::now();
            viewer.Ask("click\tmodal/control1");
            viewer.Await("event hidden JobSummaryFilterDialog");
            viewer.AskUntil("header\t" + kList + "\t1", "icon=1");
            state.counters["filter_s"] = Seconds(start);
            state.counters["peak_filter_MB"] = viewer.PeakMB();

            // Back to every mail in ascending numbers, then mail 1's sheets and thumbnails.
            viewer.Ask("headerclick\t" + kList + "\t0");
            viewer.AskUntil("header\t" + kList + "\t0", "down");
            viewer.Ask("headerclick\t" + kList + "\t0");
            viewer.AskUntil("header\t" + kList + "\t0", "up");
            int row = 0;
            while (row < 100 &&
                   viewer.Ask("cell\t" + kList + "\t" + std::to_string(row) + "\t0", &text) &&
                   text != "1") {
                ++row;
            }
            start = Clock::now();
            viewer.Ask("celldblclick\t" + kList + "\t" + std::to_string(row) + "\t0");
            viewer.AskUntil("text\tmain", "Detail");
            viewer.AskUntil("find\tmain", "enabled=1"); // disabled while thumbnails decode
            std::string thumb;
            if (viewer.Ask("find\tmain/control318/@CThumbButton", &thumb)) {
                state.counters["thumbnails_s"] = Seconds(start);
            }
        } else {
            state.counters["mails"] = 0; // no mail list in this build: open and memory only
        }
        const std::uintmax_t peak = viewer.End();
        state.counters["log_MB"] = static_cast<double>(logBytes) / 1e6;
        state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1e6;
        state.counters["peak_per_log"] = static_cast<double>(peak) / static_cast<double>(logBytes);
        for (const auto& [name, counter] : state.counters) {
            std::fprintf(stderr, "%s=%.3f ", name.c_str(), counter.value);
        }
        std::fprintf(stderr, "\n");
        if (peak >= 3 * logBytes) {
            state.SkipWithError("peak memory of the viewer is not under 3x the log's size");
        }
    }
}
BENCHMARK(BM_LargeSampleThroughTheViewer)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
