// Repaints of a record viewer holding a million records: the text pane
// scrolled by a page and by a jump of the scroll bar, the chart panned and
// zoomed from the whole graph. Each iteration is one change and one complete
// repaint; the viewer is opened once per benchmark, outside the timing.
//   Runs on the offscreen platform: build/bench/viewer_repaint_bench
#include "logger/program_state.h"
#include "viewer/record_viewer.h"
#include "viewer_bench_kit.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

constexpr int records = 1000000;

// A viewer over a million-record file, opened and painted.
struct Fixture {
    QTemporaryDir dir;
    vx::Global g;
    std::unique_ptr<vx::TEditForm> viewer;

    Fixture()
    {
        const QString path = vxbench::write_database(dir.path(), records);
        vxbench::FirstPaint paint;
        viewer = std::make_unique<vx::TEditForm>(g);
        viewer->resize(1000, 700);
        viewer->show();
        viewer->open_file(path);
        viewer->RedrawGraph();
        paint.wait();
    }
};

void BM_ScrollTextPaneByPage(benchmark::State& state)
{
    Fixture f;
    QAbstractScrollArea* pane = vxbench::text_pane(f.viewer.get());
    QScrollBar* bar = pane->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    for (auto _ : state) {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        pane->viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollTextPaneByPage)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_JumpTextPane(benchmark::State& state)
{
    Fixture f;
    QAbstractScrollArea* pane = vxbench::text_pane(f.viewer.get());
    QScrollBar* bar = pane->verticalScrollBar();
    int k = 0;
    for (auto _ : state) {
        // Far apart: never the lines painted just before.
        k = (k + 7) % 10;
        bar->setValue(bar->maximum() / 10 * k);
        pane->viewport()->repaint();
    }
}
BENCHMARK(BM_JumpTextPane)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_PanChart(benchmark::State& state)
{
    Fixture f;
    QCustomPlot* plot = f.viewer->plot();
    // From the whole graph: every point in view.
    const double step = plot->xAxis->range().size() / 50;
    int k = 0;
    for (auto _ : state) {
        plot->xAxis->moveRange(++k % 20 < 10 ? step : -step);
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_PanChart)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_ZoomChart(benchmark::State& state)
{
    Fixture f;
    QCustomPlot* plot = f.viewer->plot();
    int k = 0;
    for (auto _ : state) {
        // In by halves down to a sixteenth of the graph and out again.
        plot->xAxis->scaleRange(++k % 8 < 4 ? 0.5 : 2.0);
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_ZoomChart)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

int main(int argc, char** argv)
{
    return vxbench::run_benchmarks(argc, argv);
}
