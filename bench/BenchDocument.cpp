// The open of a log archive end to end, as the File-Open command runs it: the generator's
// large log (1,000,000 rows) zipped with its digest, plain and with AES-256 (the password
// typed at once), through OnOpenDocument to the end of FillDocument, on Qt's offscreen
// platform with the real worker thread behind the progress dialog; cold (memory given back
// first, as at the program's first open) and warm. Each stage of the open is also measured
// alone: copy, archive test, extraction, digest, load and FillDocument (its two sorts), with
// the peak memory of the first run of each against the log's size.
#include "bench/BenchFiles.h"
#include "formats/archive/CCheckTampering.h"
#include "formats/archive/CZipFile.h"
#include "formats/joblog/JobLogFile.h"
#include "tools/LargeInputs.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFiles.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/dialogs/PasswordDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/OpenLogPipeline.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>

namespace {

constexpr std::uint64_t kRows = 1000000;
constexpr const char* kPassword = "bench42";

// The generated job: its log and digest, the two archives, the extracted files.
struct LargeJob
{
    LargeJob() : folder("BenchDocument")
    {
        const std::string logPath = folder / "BenchJob.csv";
        samplejob::WriteLargeJobLog(logPath, kRows);
        const std::string log = samplejob::ReadWholeFile(logPath);
        logBytes = log.size();
        const std::string digest = samplejob::DigestFileBytes(log);
        samplejob::WriteWholeFile(folder / "BenchJob.mll", digest);
        const auto members = samplejob::LogArchiveMembers("BenchJob", log, digest);
        std::filesystem::create_directories(folder / "plain");
        std::filesystem::create_directories(folder / "aes");
        samplejob::WriteZipArchive(folder / "plain/BenchJob.zip", members);
        samplejob::WriteZipArchive(folder / "aes/BenchJob.zip", members,
                                   samplejob::ArchiveEncryption::Aes256, kPassword);
        setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        for (const char* name : {"plain/BenchJob.zip", "aes/BenchJob.zip", "BenchJob.csv"}) {
            WarmPageCache(folder / name);
        }
    }
    std::string Archive(bool aes) const
    {
        return folder / (aes ? "aes/BenchJob.zip" : "plain/BenchJob.zip");
    }

    BenchFolder folder;
    std::size_t logBytes = 0;
};

const LargeJob& Job()
{
    static const LargeJob job;
    return job;
}

// Each open gets its own second, so no open finds the loaded log's folder.
std::time_t NextSecond()
{
    static std::time_t now = 1700000000;
    return now++;
}

// The user types the password as soon as the dialog shows.
class PasswordTyper : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<PasswordDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            QMetaObject::invokeMethod(
                dialog,
                [dialog] {
                    dialog->findChild<QLineEdit*>(QStringLiteral("control1000"))
                        ->setText(QString::fromLatin1(kPassword));
                    dialog->findChild<QAbstractButton*>(QStringLiteral("control1"))->click();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

// Cold (range 1): every open starts with the freed memory given back, as the first open of
// the program does, and reports its peak. Warm (range 0): the memory of the previous open is
// reused, as later opens do.
void OpenDocument(benchmark::State& state, bool aes)
{
    const LargeJob& job = Job();
    const bool cold = state.range(0) != 0;
    const QString archive = QString::fromStdString(job.Archive(aes));
    PasswordTyper typer;
    qApp->installEventFilter(&typer);
    bool opened = true;
    std::size_t peak = 0;
    double first = -1; // the first open of the run; the first of the process, cold
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<CPYRNDoc>();
        if (cold) {
            malloc_trim(0);
        }
        const std::size_t before = StatusBytes("VmRSS:");
        ResetPeak();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        opened = document->OnOpenDocument(archive) && opened;
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        state.PauseTiming();
        first = first < 0 ? took.count() : first;
        peak = std::max(peak, StatusBytes("VmHWM:") - before);
        document.reset();
        CleanupTempFolders(QString());
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&typer);
    if (!opened) {
        state.SkipWithError("the archive did not open");
    }
    if (cold) {
        state.counters["peak_x_log"] =
            static_cast<double>(peak) / static_cast<double>(job.logBytes);
    }
    state.counters["log_MB"] = static_cast<double>(job.logBytes) / 1e6;
    state.counters["first_ms"] = first;
}

void BM_OpenDocumentPlain(benchmark::State& state)
{
    OpenDocument(state, false);
}

void BM_OpenDocumentAes256(benchmark::State& state)
{
    OpenDocument(state, true);
}

// The peak memory of one run of `stage` in this process, against the log's size.
template <typename Stage>
void ReportPeak(benchmark::State& state, Stage stage)
{
    malloc_trim(0);
    const std::size_t before = StatusBytes("VmRSS:");
    ResetPeak();
    stage();
    state.counters["peak_x_log"] =
        static_cast<double>(StatusBytes("VmHWM:") - before) / static_cast<double>(Job().logBytes);
}

void BM_StageCopy(benchmark::State& state)
{
    const QString copy = QString::fromStdString(Job().folder / "copy.zip");
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            CopyRegularFile(QString::fromStdString(Job().Archive(false)), copy));
    }
}

void BM_StageTest(benchmark::State& state)
{
    ReportPeak(state, [&] {
        bool needsPassword = false;
        CZipFile::TestArchive(Job().Archive(state.range(0) != 0), needsPassword);
    });
    for (auto _ : state) {
        bool needsPassword = false;
        benchmark::DoNotOptimize(
            CZipFile::TestArchive(Job().Archive(state.range(0) != 0), needsPassword));
    }
}

void BM_StagePasswordTest(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(CZipFile::TestArchivePassword(Job().Archive(true), kPassword));
    }
}

void BM_StageExtract(benchmark::State& state)
{
    const bool aes = state.range(0) != 0;
    const std::string destination = Job().folder / "extract";
    CZipFile zip;
    ReportPeak(state, [&] {
        std::filesystem::create_directories(destination);
        zip.ExtractArchive(Job().Archive(aes),
                           aes ? std::optional<std::string_view>(kPassword) : std::nullopt,
                           destination);
    });
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(destination);
        std::filesystem::create_directories(destination);
        state.ResumeTiming();
        const std::optional<std::string_view> password =
            aes ? std::optional<std::string_view>(kPassword) : std::nullopt;
        if (zip.ExtractArchive(Job().Archive(aes), password, destination) != 0) {
            state.SkipWithError("extraction failed");
        }
    }
}

void BM_StageDigest(benchmark::State& state)
{
    ReportPeak(state, [] {
        CCheckTampering checker;
        checker.Verify(Job().folder / "BenchJob.mll", Job().folder / "BenchJob.csv");
    });
    for (auto _ : state) {
        CCheckTampering checker;
        benchmark::DoNotOptimize(
            checker.Verify(Job().folder / "BenchJob.mll", Job().folder / "BenchJob.csv"));
    }
}

void BM_StageLoad(benchmark::State& state)
{
    ReportPeak(state, [] {
        auto log = std::make_unique<JobLogFile>();
        log->Load(Job().folder / "BenchJob.csv");
        DeleteJobLog(log);
    });
    for (auto _ : state) {
        auto log = std::make_unique<JobLogFile>();
        const auto start = std::chrono::steady_clock::now();
        if (log->Load(Job().folder / "BenchJob.csv") != 0) {
            state.SkipWithError("load failed");
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        DeleteJobLog(log);
    }
}

void BM_StageFillDocument(benchmark::State& state)
{
    CPYRNDoc document;
    for (auto _ : state) {
        state.PauseTiming();
        document.ClearLoadedData(); // the previous log goes outside the measure
        OpenLogContext context;
        context.pJobLogFile = std::make_unique<JobLogFile>();
        context.pJobLogFile->Load(Job().folder / "BenchJob.csv");
        state.ResumeTiming();
        document.FillDocument(context);
    }
    state.counters["mails"] = static_cast<double>(document.m_pMails->size());
}

} // namespace

BENCHMARK(BM_OpenDocumentPlain)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenDocumentAes256)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StageCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageTest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StagePasswordTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageExtract)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageDigest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageLoad)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageFillDocument)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    theApp.m_pZipFile = std::make_unique<CZipFile>();
    SetTempFolderClock(NextSecond);
    Job(); // written before any measurement
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CleanupTempFolders(QString());
    return 0;
}
