// The page window on an A4 page at 600 dpi (4960 x 7016): opening it (decode and first paint,
// goal under 300 ms), repainting a 1920 x 1080 view at 50, 100 and 500 % (goal under 25 ms), a
// zoom step with its geometry and repaint (goal under 40 ms), and a quarter turn with its
// repaint (goal under 150 ms). Headless, on Qt's offscreen platform.
#include "bench/BenchFiles.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tests/viewer/PrintImagePages.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageFrame.h"
#include "viewer/pagewindow/PrintImageView.h"
#include "viewer/pagewindow/PrintImageWindow.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kResolution = 600;
constexpr int kPageWidth = 4960;

// The stream of one A4 page, opened and indexed as the document keeps it.
struct Stream
{
    BenchFolder folder{"BenchPrintImage"};
    CDornComFile file;
    bool ready = false;

    Stream()
    {
        samplejob::LargeStreamOptions options;
        options.pages = 1;
        options.resolution = kResolution;
        options.bytes = 0;
        const std::string path = folder / "job.prn";
        ready = folder.Ready() && samplejob::WriteLargePageStream(path, options) == 0 &&
                file.Open(path) == 0 && file.ReadJobHeader() == 0 && file.BuildPageIndex() == 0 &&
                file.LoadPageLayout(1) == 0;
    }
    ~Stream() { file.Close(); }

    std::unique_ptr<tagDORNPAGEIMGINFO> Decode() { return file.ReadPageImage(1, 1, -1, nullptr); }
};

Stream& TheStream()
{
    static Stream stream;
    return stream;
}

// An open page window whose view shows 1920 x 1080 pixels of the page.
struct OpenWindow
{
    CPYRNDoc document;
    QPointer<PrintImageFrame> frame;

    bool Open()
    {
        document.m_pPrintImage = TheStream().Decode();
        if (!document.m_pPrintImage || document.m_pPrintImage->pBitmap->m_nWidth != kPageWidth) {
            return false;
        }
        document.m_nPageToOpen = 1;
        frame = CreatePrintImageWindow(document);
        if (!frame) {
            return false;
        }
        QWidget* viewport = frame->GetView()->viewport();
        for (int i = 0; i < 3; ++i) { // scroll bars come and go as the size settles
            frame->resize(frame->size() + QSize(1920, 1080) - viewport->size());
            QCoreApplication::processEvents();
        }
        return viewport->size() == QSize(1920, 1080);
    }
    ~OpenWindow()
    {
        if (frame) {
            frame->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Zoom(int zoom) { frame->SetZoom(zoom); }
    void Repaint() { frame->GetView()->viewport()->repaint(); }
    // The middle of the page in view.
    void Centre()
    {
        for (QScrollBar* bar :
             {frame->GetView()->horizontalScrollBar(), frame->GetView()->verticalScrollBar()}) {
            bar->setValue(bar->maximum() / 2);
        }
    }
};

void BM_OpenPageWindow(benchmark::State& state)
{
    if (!TheStream().ready) {
        state.SkipWithError("the stream could not be written or read");
        return;
    }
    TheStream().Decode(); // the reader's planes are made once
    for (auto _ : state) {
        CPYRNDoc document;
        document.m_pPrintImage = TheStream().Decode();
        document.m_nPageToOpen = 1;
        QPointer<PrintImageFrame> frame = CreatePrintImageWindow(document);
        if (!frame) {
            state.SkipWithError("the window was not made");
            return;
        }
        frame->GetView()->viewport()->repaint();
        state.PauseTiming();
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPageWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_Repaint(benchmark::State& state)
{
    OpenWindow window;
    if (!TheStream().ready || !window.Open()) {
        state.SkipWithError("the window could not be opened at 1920 x 1080");
        return;
    }
    int zoom = static_cast<int>(state.range(0));
    window.Zoom(zoom);
    window.Centre();
    for (auto _ : state) {
        window.Repaint();
    }
}
BENCHMARK(BM_Repaint)->Arg(50)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

// One step of the ladder after another, up from 50 to 500 and down again.
void BM_ZoomStep(benchmark::State& state)
{
    OpenWindow window;
    if (!TheStream().ready || !window.Open()) {
        state.SkipWithError("the window could not be opened at 1920 x 1080");
        return;
    }
    int step = 50;
    for (auto _ : state) {
        const int current = window.frame->m_nZoom;
        if (current == 500 || current == 50) {
            step = -step;
        }
        int zoom = current + step;
        window.Zoom(zoom);
        window.Repaint();
    }
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the rotate command does to the page: a turned copy in place of the bitmap, the rotation
// noted, the views told; then the repaint at 100 %.
void BM_QuarterTurn(benchmark::State& state)
{
    OpenWindow window;
    if (!TheStream().ready || !window.Open()) {
        state.SkipWithError("the window could not be opened at 1920 x 1080");
        return;
    }
    tagDORNPAGEIMGINFO& page = *window.document.m_pPrintImage;
    for (auto _ : state) {
        auto turned = page.pBitmap->RotateRight(nullptr);
        if (!turned) {
            state.SkipWithError("the page could not be turned");
            return;
        }
        page.pBitmap = std::move(turned);
        page.nRotation = (page.nRotation + 90) % 360;
        window.document.UpdateAllViews(nullptr, UpdateHint::kPageImage);
        window.Repaint();
    }
}
BENCHMARK(BM_QuarterTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// The turned copy alone (made, filled and freed), the part of a quarter turn that grows with
// the page.
void BM_TurnedCopy(benchmark::State& state)
{
    if (!TheStream().ready) {
        state.SkipWithError("the stream could not be written or read");
        return;
    }
    const auto page = TheStream().Decode();
    for (auto _ : state) {
        auto turned = page->pBitmap->RotateRight(nullptr);
        if (!turned) {
            state.SkipWithError("the page could not be turned");
            return;
        }
        benchmark::DoNotOptimize(turned->m_pBits);
    }
}
BENCHMARK(BM_TurnedCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
