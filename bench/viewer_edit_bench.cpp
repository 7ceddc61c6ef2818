// What changing the text costs in a viewer holding a large record file: the
// first key typed into the pane, as the user would, then keys typed after it
// and their undo. Counters: peak_rss_MB is the highest resident memory of the
// process during that run.
//   Runs on the offscreen platform: build/bench/viewer_edit_bench
//   The whole program's peak: /usr/bin/time -v build/bench/viewer_edit_bench
//   --benchmark_filter=First.*/1000000
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

// Each iteration types a key in the middle of the text and takes it back
// with undo (Ctrl+Z); the first undo takes the first key back too (typing
// in a row is one step), so the text ends as it was opened.
void BM_KeyAndUndoAfterTheFirst(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = vxbench::write_database(dir.path(), int(state.range(0)));
    vx::Global g;
    vx::TEditForm viewer(g);
    viewer.resize(1000, 700);
    viewer.show();
    viewer.open_file(path);
    QAbstractScrollArea* pane = vxbench::text_pane(&viewer);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    for (int i = 0; i < 100; ++i) // some way into the text
        QCoreApplication::sendEvent(pane, &down);
    const qsizetype size = viewer.text().size();
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"));
    QCoreApplication::sendEvent(pane, &first);
    QCoreApplication::processEvents();
    vxbench::reset_peak_rss();
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(pane, &key);
        QCoreApplication::processEvents();
        QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
        QCoreApplication::sendEvent(pane, &undo);
        QCoreApplication::processEvents();
    }
    if (viewer.text().size() != size) state.SkipWithError("undo did not take the key back");
    state.counters["peak_rss_MB"] = vxbench::peak_rss_mb();
}
BENCHMARK(BM_KeyAndUndoAfterTheFirst)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return vxbench::run_benchmarks(argc, argv);
}
