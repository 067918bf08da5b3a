// Sorting and filtering the mail list of 100,000 mails (the generator's large log of about
// 806,000 rows) through the document: a click on each column (both directions), the filter
// candidates of each column, and the filtered list rebuilt with 50,000 excluded texts.
#include "bench/BenchFiles.h"
#include "formats/joblog/JobLogFile.h"
#include "tools/LargeInputs.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/DocumentListTexts.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr std::uint64_t kRows = 806010; // about 100,000 mails

CPYRNDoc& Document()
{
    static const BenchFolder folder("BenchDocumentSort");
    static CPYRNDoc* document = [] {
        setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        const std::string path = folder / "log.csv";
        samplejob::WriteLargeJobLog(path, kRows);
        OpenLogContext context;
        context.pJobLogFile = std::make_unique<JobLogFile>();
        context.pJobLogFile->Load(path);
        auto* loaded = new CPYRNDoc;
        loaded->FillDocument(context);
        return loaded;
    }();
    return *document;
}

void BM_SortMailList(benchmark::State& state)
{
    CPYRNDoc& document = Document();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.SortMailList(column));
    }
    state.counters["mails"] = static_cast<double>(document.m_pMails->size());
}

void BM_BuildMailFilterCandidates(benchmark::State& state)
{
    CPYRNDoc& document = Document();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        document.BuildMailFilterCandidates(column);
    }
    state.counters["candidates"] = static_cast<double>(document.m_pMailFilterCandidates->size());
}

void BM_RebuildFilteredMailList(benchmark::State& state)
{
    CPYRNDoc& document = Document();
    const int column = static_cast<int>(state.range(0));
    // 50,000 excluded texts: the filter texts of every second candidate (for columns with
    // fewer distinct values, all of them, padded with texts that match nothing).
    document.BuildMailFilterCandidates(column);
    auto excluded = std::make_unique<std::vector<QString>>();
    const auto& candidates = *document.m_pMailFilterCandidates;
    for (std::size_t i = 0; i < candidates.size() && excluded->size() < 50000; i += 2) {
        excluded->push_back(MailFilterText(*candidates[i], column));
    }
    while (excluded->size() < 50000) {
        excluded->push_back(QStringLiteral("none %1").arg(excluded->size()));
    }
    document.m_pMailExcludedTexts = std::move(excluded);
    for (auto _ : state) {
        document.RebuildFilteredMailList();
    }
    state.counters["shown"] = static_cast<double>(document.m_pFilteredMails->size());
}

} // namespace

BENCHMARK(BM_SortMailList)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMailFilterCandidates)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildFilteredMailList)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
