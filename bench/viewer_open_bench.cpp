// Opening a large record database file in a record viewer: the text loaded
// into the pane and the chart built from it, as "Otvoriť textový súbor" does.
//   QT_QPA_PLATFORM is set to offscreen here; run build/bench/viewer_open_bench
#include "logger/program_state.h"
#include "viewer/record_viewer.h"
#include "widget_bench.h"

#include <QTemporaryDir>

namespace
{

void BM_OpenDatabaseInViewer(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/BIG.txt";
    if (!vxbench::write_big_database(path, int(state.range(0)))) {
        state.SkipWithError("file not written");
        return;
    }
    vx::Global g;
    for (auto _ : state) {
        vx::TEditForm viewer(g);
        viewer.resize(1000, 700);
        viewer.show();
        if (!viewer.open_file(path)) {
            state.SkipWithError("file not read");
            break;
        }
        viewer.RedrawGraph();
        QCoreApplication::processEvents(); // the first paint of text and chart
        if (viewer.graph_points() != state.range(0)) {
            state.SkipWithError("not every record reached the chart");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenDatabaseInViewer)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return vxbench::run_widget_benchmarks(argc, argv);
}
