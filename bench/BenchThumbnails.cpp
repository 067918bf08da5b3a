// The thumbnail run of one mail as the detail view starts it: ten A4 sides at 600 dpi in one
// page of the stream, decoded at thumbnail size on the document's worker behind the hidden
// progress dialog (goal: under 0.8 s from the start to the last thumbnail posted; measured to
// the end of the run, a few microseconds later). Beside it the same ten decodes on the calling
// thread, so the difference is what the run itself costs, and a second run that finds every
// page in the cache. Qt's offscreen platform.
#include "bench/BenchFiles.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tools/LargeInputs.h"
#include "viewer/document/CPYRNDoc.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <numeric>

namespace {

constexpr std::uint32_t kSides = 10;

struct Job
{
    Job() : folder("BenchThumbnails")
    {
        samplejob::LargeStreamOptions options;
        options.pages = 1;
        options.subPagesPerPage = kSides;
        options.resolution = 600;
        options.bytes = std::uint64_t{kSides} << 22; // 4 MiB of bands per side
        ready = samplejob::WriteLargePageStream(stream, options) == 0;
        WarmPageCache(stream);
    }

    BenchFolder folder;
    std::string stream = folder / "job.prn";
    bool ready = false;
};

const Job& TheJob()
{
    static const Job job;
    return job;
}

// A document with the stream open and mail 1 current, its page list of ten sides.
std::unique_ptr<CPYRNDoc> MakeDocument(const Job& job)
{
    auto document = std::make_unique<CPYRNDoc>();
    document->m_pComFile = std::make_unique<CDornComFile>();
    CDornComFile& file = *document->m_pComFile;
    if (!job.ready || file.Open(job.stream) != 0 || file.ReadJobHeader() != 0 ||
        file.BuildPageIndex() != 0) {
        return nullptr;
    }
    document->m_bHasPageImages = true;
    document->m_nFirstMailNo = document->m_nCurrentMailNo = 1;
    document->m_pMailPages = std::make_unique<std::vector<std::uint32_t>>(kSides);
    std::iota(document->m_pMailPages->begin(), document->m_pMailPages->end(), 1U);
    document->m_pPageCache = std::make_unique<CPYRNDoc::PageCache>();
    if (document->CheckPageImages() != 0) {
        return nullptr;
    }
    return document;
}

void BM_ThumbnailRun(benchmark::State& state)
{
    const bool cached = state.range(0) != 0;
    const auto document = MakeDocument(TheJob());
    if (!document) {
        state.SkipWithError("the stream could not be written or read");
        return;
    }
    // The planes are made by the reader's first decode and kept from then on.
    document->StartThumbnailThread();
    for (auto _ : state) {
        if (!cached) {
            document->m_pPageCache->clear();
        }
        if (!document->StartThumbnailThread() || document->m_pPageCache->size() != kSides) {
            state.SkipWithError("a thumbnail failed");
            return;
        }
    }
}
BENCHMARK(BM_ThumbnailRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TenDecodesAlone(benchmark::State& state)
{
    const auto document = MakeDocument(TheJob());
    if (!document) {
        state.SkipWithError("the stream could not be written or read");
        return;
    }
    CDornComFile& file = *document->m_pComFile;
    file.ReadPageImage(1, 1, 120, nullptr);
    for (auto _ : state) {
        for (std::uint32_t side = 1; side <= kSides; ++side) {
            if (!file.ReadPageImage(1, side, 120, nullptr)) {
                state.SkipWithError("decode failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_TenDecodesAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TheJob();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
