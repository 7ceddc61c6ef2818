// Opening a large record database file in a record viewer: the text loaded
// into the pane and the chart built from it, as "Otvoriť textový súbor" does.
//   QT_QPA_PLATFORM is set to offscreen here; run build/bench/viewer_open_bench
#include "base/code_page.h"
#include "logger/program_state.h"
#include "viewer/record_viewer.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace
{

// A database file of a two-channel logger: the five header lines of a mission
// start, then one record a minute with temperature and humidity.
QString write_database(const QString& dir, int records)
{
    const QString path = dir + "/BIG.txt";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    QByteArray out = "BIG\r\nRemark: \r\nSTART: 1.1.2024 00:00\r\nPERIOD: 1\r\nGRADIENT: 0\r\n";
    QDateTime t(QDate(2024, 1, 1), QTime(0, 1));
    char values[64];
    for (int i = 0; i < records; ++i, t = t.addSecs(60)) {
        out += t.toString("d.M.yyyy hh:mm").toLatin1();
        std::snprintf(values, sizeof values, "\t%5.1f\t%5.1f\r\n", 20 + 5 * std::sin(i * 0.001),
                      50 + 20 * std::cos(i * 0.0007));
        for (char* c = values; *c; ++c)
            if (*c == '.') *c = ',';
        out += values;
        if (out.size() > (1 << 22)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
    return path;
}

void BM_OpenDatabaseInViewer(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = write_database(dir.path(), int(state.range(0)));
    vx::Global g;
    for (auto _ : state) {
        vx::TEditForm viewer(g);
        viewer.resize(1000, 700);
        viewer.show();
        if (!viewer.open_file(path)) {
            state.SkipWithError("file not written");
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
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Slovak, QLocale::Slovakia));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
