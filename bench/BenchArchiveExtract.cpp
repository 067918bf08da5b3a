// Extracting a log archive whose job log has 1,100,000 rows (about 84 MB), plain and
// AES-256 protected, through the archiver's command: bytes per second of extracted data. The
// archive and its directory are checked before the data is read, so this is the whole cost
// that the viewer's open pays for its archive.
#include "archiver/ArchiveCommand.h"
#include "archiver/ArchiverApi.h"
#include "bench/BenchFiles.h"
#include "tools/LargeInputs.h"
#include "tools/SampleArchive.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr uint64_t kLogRows = 1100000;
constexpr const char* kPassword = "secret";

class GeneratedArchives
{
public:
    GeneratedArchives()
    {
        const std::string log = m_folder / "Job.csv";
        if (samplejob::WriteLargeJobLog(log, kLogRows) != 0) {
            return;
        }
        std::ifstream in(log, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), {}};
        m_logSize = bytes.size();
        const std::vector<samplejob::ArchiveMember> members = {
            {"Job.csv", std::move(bytes)}, {"Job.mll", std::string(16, '\x5a')}};
        m_ready = samplejob::WriteZipArchive(m_folder / "plain.zip", members) == 0 &&
                  samplejob::WriteZipArchive(m_folder / "aes.zip", members,
                                             samplejob::ArchiveEncryption::Aes256, kPassword) == 0;
        std::filesystem::remove(log);
    }

    bool Ready() const { return m_ready; }
    std::size_t LogSize() const { return m_logSize; }
    const BenchFolder& Folder() const { return m_folder; }

private:
    BenchFolder m_folder{"BenchArchiveExtract"};
    std::size_t m_logSize = 0;
    bool m_ready = false;
};

const GeneratedArchives& Archives()
{
    static const GeneratedArchives archives;
    return archives;
}

void Extract(benchmark::State& state, const char* archiveName, bool withPassword)
{
    const GeneratedArchives& archives = Archives();
    if (!archives.Ready()) {
        state.SkipWithError("cannot write the archives");
        return;
    }
    archiver::ArchiveCommand command;
    command.kind = archiver::CommandKind::Extract;
    command.archivePath = archives.Folder() / archiveName;
    command.outputFolder = archives.Folder() / "out";
    command.skipExisting = true;
    if (withPassword) {
        command.password = kPassword;
    }
    WarmPageCache(command.archivePath);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(command.outputFolder);
        std::filesystem::create_directory(command.outputFolder);
        state.ResumeTiming();
        std::string report;
        if (archiver::RunArchiveCommand(command, archiver::Limits{}, report) != kArchiverOk) {
            state.SkipWithError(report.c_str());
            return;
        }
    }
    std::filesystem::remove_all(command.outputFolder);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * archives.LogSize()));
    state.counters["log_MB"] = static_cast<double>(archives.LogSize()) / 1e6;
}

void BM_ExtractPlainLogArchive(benchmark::State& state)
{
    Extract(state, "plain.zip", false);
}

void BM_ExtractAesLogArchive(benchmark::State& state)
{
    Extract(state, "aes.zip", true);
}

BENCHMARK(BM_ExtractPlainLogArchive)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExtractAesLogArchive)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
