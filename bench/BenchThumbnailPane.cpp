// The thumbnail pane with hundreds of thumbnails: adding one more (what the main frame does for
// each delivered page) and scrolling one wheel line with the repaint that follows. Runs on the
// offscreen platform with the pane docked 500 pixels wide in a 600-pixel-high window.
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/controls/CThumbComponentWnd.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QWheelEvent>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<tagDORNPAGEIMGINFO> MakeRecord(int index)
{
    auto record = std::make_unique<tagDORNPAGEIMGINFO>();
    record->pBitmap = std::make_unique<CBitmapData>();
    const bool portrait = index % 4 != 0;
    record->pBitmap->Create(portrait ? 84 : 120, portrait ? 120 : 84, 24);
    QImage view(record->pBitmap->m_pBits, record->pBitmap->m_nWidth, record->pBitmap->m_nHeight,
                record->pBitmap->m_nStride, QImage::Format_BGR888);
    view.fill(QColor(255, 255 - index % 100, 200));
    record->bMarked = index % 5 == 0;
    return record;
}

class PaneFixture
{
public:
    explicit PaneFixture(int count)
    {
        m_window.resize(800, 620);
        m_window.setCentralWidget(new QWidget);
        m_window.addDockWidget(Qt::RightDockWidgetArea, m_pane);
        m_window.resizeDocks({m_pane}, {CFlowBar::kPaneWidth}, Qt::Horizontal);
        m_window.show();
        QCoreApplication::processEvents();
        m_mark.fill(Qt::red);
        for (int i = 0; i < count; ++i) {
            Add();
        }
        QCoreApplication::processEvents();
    }

    // The main frame's handling of one delivered page.
    void Add()
    {
        m_records.push_back(MakeRecord(static_cast<int>(m_records.size())));
        auto component = std::make_unique<CThumbComponentWnd>();
        component->m_cx = component->m_cy = CThumbComponentWnd::kThumbSize;
        component->Create(m_pane->m_pPanel.get());
        component->m_pButton->SetPage(static_cast<std::uint32_t>(m_records.size()),
                                      m_records.back().get(), nullptr, &m_mark);
        m_pane->m_pPanel->m_components.Add(std::move(component));
        m_pane->AdjustLayout();
    }

    CFlowPanel& Panel() { return *m_pane->m_pPanel; }

private:
    QMainWindow m_window;
    CFlowBar* m_pane = new CFlowBar(&m_window);
    QImage m_mark{20, 14, QImage::Format_ARGB32};
    std::vector<std::unique_ptr<tagDORNPAGEIMGINFO>> m_records;
};

// Adding to a pane that already holds state.range(0) thumbnails; the cost should not grow
// with the count. The paint that the event loop does later is not included.
void BM_AddThumbnail(benchmark::State& state)
{
    PaneFixture pane(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pane.Add();
    }
}
BENCHMARK(BM_AddThumbnail)->Arg(10)->Arg(500)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Adding and then letting the event loop paint, as the pane does while pages arrive.
void BM_AddThumbnailAndPaint(benchmark::State& state)
{
    PaneFixture pane(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pane.Add();
        pane.Panel().repaint();
    }
}
BENCHMARK(BM_AddThumbnailAndPaint)
    ->Arg(10)
    ->Arg(500)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// One wheel line over a pane of 500 thumbnails (every component moves), with the repaint of
// what is then visible when state.range(0) is 1.
void BM_ScrollLine(benchmark::State& state)
{
    PaneFixture pane(500);
    CFlowPanel& panel = pane.Panel();
    int direction = -120;
    for (auto _ : state) {
        QWheelEvent wheel(QPointF(100, 100), panel.mapToGlobal(QPointF(100, 100)), QPoint(),
                          QPoint(0, direction), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(&panel, &wheel);
        if (state.range(0) == 1) {
            panel.repaint();
        }
        const int pos = panel.m_wndVScroll.value();
        if (pos >= panel.m_wndVScroll.maximum() || pos <= panel.m_wndVScroll.minimum()) {
            direction = -direction;
        }
    }
    state.counters["extent"] = panel.m_wndVScroll.maximum() + panel.m_wndVScroll.pageStep() - 1;
}
BENCHMARK(BM_ScrollLine)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
