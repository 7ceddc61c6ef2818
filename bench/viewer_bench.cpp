// Rebuilding a graph from a full logger memory of record lines, and writing
// a chart-sized GIF picture.
#include "records/graph_model.h"
#include "viewer/gif_writer.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>

namespace
{

QStringList record_lines(int count)
{
    QStringList lines{"TEXT FILE: bench.txt"};
    QDateTime t(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < count; ++i, t = t.addSecs(600))
        lines << t.toString("d.M.yyyy hh:mm") + "\t" +
                     QString::asprintf("%5.1f", 20 + 5 * std::sin(i * 0.01)) + "\t" +
                     QString::asprintf("%5.1f", 50 + 20 * std::cos(i * 0.01));
    return lines;
}

void BM_BuildSeries(benchmark::State& state)
{
    const QStringList lines = record_lines(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::build_series(lines));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildSeries)->Arg(1000)->Arg(32000)->Unit(benchmark::kMillisecond);

QImage chart_like_picture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 3; ++k) {
        p.setPen(QPen(QColor::fromHsv(k * 100, 255, 200), 1.5));
        QPointF last(0, h / 2);
        for (int x = 1; x < w; ++x) {
            const QPointF next(x, h / 2 + h / 3 * std::sin(x * 0.03 + k));
            p.drawLine(last, next);
            last = next;
        }
    }
    return img;
}

void BM_WriteGif(benchmark::State& state)
{
    const QImage img = chart_like_picture(1000, 600);
    const QString path = QDir::tempPath() + "/vorlanix_bench.gif";
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::write_gif(img, path));
    QFile::remove(path);
}
BENCHMARK(BM_WriteGif)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
