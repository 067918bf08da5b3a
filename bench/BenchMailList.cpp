// The mail list with about 100,000 mails (the generator's large log of about 806,000 rows) in
// the real main frame on Qt's offscreen platform: the list's refresh and first paint after an
// open, a header click (sort and repaint), the filter dialog on the start-time column with its
// candidates, "(Select All)" toggled there, and scrolling one page.
#include "bench/BenchFiles.h"
#include "formats/joblog/JobLogFile.h"
#include "tools/LargeInputs.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/dialogs/DocumentFileDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/OpenLogContext.h"
#include "viewer/lists/CheckListBox.h"
#include "viewer/views/JobSummaryCtrl.h"
#include "viewer/views/JobSummaryFilterDialog.h"
#include "viewer/views/JobSummaryView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr std::uint64_t kRows = 806010; // about 100,000 mails

// The viewer started as the program starts it, in folders of its own, with the large log
// handed to its document as an open hands it over and the mail list shown.
struct Viewer
{
    Viewer() : folder("BenchMailList")
    {
        for (const char* name : {"config", "data", "runtime", "current"}) {
            std::filesystem::create_directories(folder / name);
        }
        std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
        std::filesystem::current_path(folder / "current");
        SetFileDialogRunner([](QFileDialog&) -> std::optional<QString> { return std::nullopt; });
        SetMessagePresenter([](const MessageBoxRequest&) {});
        started = theApp.InitInstance({});

        const std::string path = folder / "log.csv";
        samplejob::WriteLargeJobLog(path, kRows);
        OpenLogContext context;
        context.pJobLogFile = std::make_unique<JobLogFile>();
        context.pJobLogFile->Load(path);
        if (started) {
            theApp.GetMainFrame()->resize(1280, 800);
            theApp.GetDocument()->FillDocument(context);
            theApp.ShowMailListView();
            QApplication::processEvents();
        }
    }

    BenchFolder folder;
    bool started = false;
};

Viewer& TheViewer()
{
    static Viewer viewer;
    return viewer;
}

JobSummaryCtrl& List()
{
    return *theApp.m_pJobSummaryView->GetListCtrl();
}

bool Ready(benchmark::State& state)
{
    if (!TheViewer().started) {
        state.SkipWithError("the viewer did not start");
        return false;
    }
    return true;
}

void BM_FirstPaintAfterOpen(benchmark::State& state)
{
    if (!Ready(state)) {
        return;
    }
    for (auto _ : state) {
        theApp.m_pJobSummaryView->OnUpdate(nullptr, UpdateHint::kLogOpened);
        List().repaint();
    }
    state.counters["mails"] = static_cast<double>(List().GetItemCount());
}

void BM_HeaderClick(benchmark::State& state)
{
    if (!Ready(state)) {
        return;
    }
    const int column = static_cast<int>(state.range(0));
    QHeaderView* header = List().horizontalHeader();
    const QPointF point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    const QPointF global = header->viewport()->mapToGlobal(point);
    for (auto _ : state) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, point, global, Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &event);
        }
        List().repaint();
    }
}

void BM_OpenFilterDialogOnStartTime(benchmark::State& state)
{
    if (!Ready(state)) {
        return;
    }
    CPYRNDoc& document = *theApp.GetDocument();
    std::size_t candidates = 0;
    for (auto _ : state) {
        document.BuildMailFilterCandidates(4);
        JobSummaryFilterDialog dialog(theApp.GetMainFrame());
        dialog.OnInitDialog();
        dialog.show();
        dialog.repaint();
        candidates = document.m_pMailFilterCandidates->size();
    }
    state.counters["candidates"] = static_cast<double>(candidates);
}

void BM_ToggleSelectAll(benchmark::State& state)
{
    if (!Ready(state)) {
        return;
    }
    theApp.GetDocument()->BuildMailFilterCandidates(4);
    JobSummaryFilterDialog dialog(theApp.GetMainFrame());
    dialog.OnInitDialog();
    dialog.show();
    CheckListBox* list = dialog.CheckList();
    list->setCurrentIndex(list->model()->index(0, 0));
    QApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(list, &press);
        list->repaint();
    }
    state.counters["items"] = static_cast<double>(list->GetCount());
    state.counters["checked"] = list->GetCheck(list->GetCount() - 1) ? 1 : 0;
}

void BM_ScrollOnePage(benchmark::State& state)
{
    if (!Ready(state)) {
        return;
    }
    QScrollBar* bar = List().verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        List().repaint();
    }
    state.counters["rows per page"] = static_cast<double>(bar->pageStep());
}

} // namespace

BENCHMARK(BM_FirstPaintAfterOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeaderClick)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFilterDialogOnStartTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleSelectAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (TheViewer().started) {
        theApp.ExitInstance();
    }
    return 0;
}
