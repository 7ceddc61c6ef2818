// Opening a large record database file in a record viewer, up to the first
// paint of its text and chart: the viewer alone, and the whole path a user
// takes ("Súbor / Otvoriť textový súbor" in the main window, the file chosen;
// only the open dialog is replaced). Counters: peak_rss_MB is the highest
// resident memory of the whole process during that run (the main window
// included).
//   Runs on the offscreen platform: build/bench/viewer_open_bench
#include "app/main_window.h"
#include "app/viewer_area.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "process_kit.h"
#include "viewer/record_viewer.h"
#include "viewer_bench_kit.h"

#include <QAction>
#include <QMdiArea>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

void BM_OpenDatabaseInViewer(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = vxbench::write_database(dir.path(), int(state.range(0)));
    vx::Global g;
    vxbench::reset_peak_rss();
    for (auto _ : state) {
        vx::TEditForm viewer(g);
        viewer.resize(1000, 700);
        viewer.show();
        vxbench::FirstPaint paint;
        if (!viewer.open_file(path)) {
            state.SkipWithError("file not written");
            break;
        }
        viewer.RedrawGraph();
        if (!paint.wait()) {
            state.SkipWithError("text or chart never painted");
            break;
        }
        if (viewer.graph_points() != state.range(0)) {
            state.SkipWithError("not every record reached the chart");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_rss_MB"] = vxbench::peak_rss_mb();
}
BENCHMARK(BM_OpenDatabaseInViewer)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_OpenTextFileFromMainWindow(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = vxbench::write_database(dir.path(), int(state.range(0)));
    vxbench::QuietUi ui;
    vx::Global g;
    g.program_dir = dir.path() + "/";
    g.ui = &ui;
    vx::TForm1 window(g);
    window.show();
    window.start();
    window.resize(1400, 900); // after the start, which sets the geometry of the settings
    window.hooks.choose_text_file = [&path] { return path; };
    QCoreApplication::processEvents();
    vxbench::reset_peak_rss();
    for (auto _ : state) {
        vxbench::FirstPaint paint;
        window.actopentext->trigger();
        vx::TEditForm* viewer = window.mdi()->current_viewer();
        if (!viewer) {
            state.SkipWithError("no viewer opened");
            break;
        }
        if (!paint.wait()) {
            state.SkipWithError(paint.text_painted() ? "the chart never painted" : "the text never painted");
            break;
        }
        if (viewer->graph_points() != state.range(0)) {
            state.SkipWithError("not every record reached the chart");
            break;
        }
        state.PauseTiming();
        window.mdi()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["peak_rss_MB"] = vxbench::peak_rss_mb();
}
BENCHMARK(BM_OpenTextFileFromMainWindow)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return vxbench::run_benchmarks(argc, argv);
}
