// What the first change of the text costs in a viewer holding a large record
// file: the editable pane takes the view's place with the whole text (a key
// typed into the pane, as the user would). Counters: peak_rss_MB is the
// highest resident memory of the process during that run.
//   Runs on the offscreen platform: build/bench/viewer_edit_bench
#include "logger/program_state.h"
#include "viewer/record_viewer.h"
#include "viewer_bench_kit.h"

#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

void BM_FirstKeyTypedIntoTheText(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = vxbench::write_database(dir.path(), int(state.range(0)));
    vx::Global g;
    vxbench::reset_peak_rss();
    for (auto _ : state) {
        state.PauseTiming();
        vx::TEditForm viewer(g);
        viewer.resize(1000, 700);
        viewer.show();
        viewer.open_file(path);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(vxbench::text_pane(&viewer), &key);
        QCoreApplication::processEvents();
        if (!viewer.is_modified()) {
            state.SkipWithError("the key did not change the text");
            break;
        }
    }
    state.counters["peak_rss_MB"] = vxbench::peak_rss_mb();
}
BENCHMARK(BM_FirstKeyTypedIntoTheText)
    ->Arg(250000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return vxbench::run_benchmarks(argc, argv);
}
