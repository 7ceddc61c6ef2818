// Opening a large record database file in a record viewer: the text loaded
// into the pane, the chart built from it and both painted once, as
// "Otvoriť textový súbor" does. Counters: peak_rss_MB is the highest resident
// memory of the process up to the end of that run.
//   QT_QPA_PLATFORM is set to offscreen here; run build/bench/viewer_open_bench
#include "logger/program_state.h"
#include "viewer/record_viewer.h"
#include "viewer_bench_kit.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{

void BM_OpenDatabaseInViewer(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = vxbench::write_database(dir.path(), int(state.range(0)));
    vx::Global g;
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

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
