// The database browser on a large record file: selecting the file fills the
// preview with its whole text and computes the statistics of its records
// (preview and statistics switched on), up to the first paint.
//   QT_QPA_PLATFORM is set to offscreen here; run build/bench/browser_bench
#include "logger/program_state.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/text_preview.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace
{

// A two-channel logger's file: the mission header, then one record a minute.
bool write_database(const QString& path, int records)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
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
    return f.write(out) == out.size();
}

void BM_BrowserPreviewAndStatistics(benchmark::State& state)
{
    QTemporaryDir home;
    const QString log = home.filePath("Log");
    QDir().mkpath(log);
    const int records = int(state.range(0));
    if (!write_database(log + "/BIG.txt", records) || !write_database(log + "/SMALL.txt", 10)) {
        state.SkipWithError("file not written");
        return;
    }
    QFile ini(home.filePath("vorlanix.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return;
    ini.write(("[GLOBAL]\r\nMAKESTAT=1\r\nMAKEPREVIEW=1\r\nLOGDIR=" + log + "\r\n").toUtf8());
    ini.close();

    vx::Global g;
    g.program_dir = home.path() + '/';
    vx::load_settings(g);
    vx::Tfrmopenbase browser(g);
    browser.resize(900, 600);
    browser.show();
    QCoreApplication::processEvents();

    for (auto _ : state) {
        state.PauseTiming();
        browser.FExplorer->select_file(log + "/SMALL.txt");
        QCoreApplication::processEvents();
        state.ResumeTiming();

        browser.FExplorer->select_file(log + "/BIG.txt");
        QCoreApplication::processEvents(); // the first paint of the preview

        if (browser.lblnumlines->text() != QString::number(records) ||
            browser.memo1->line_count() != records + 5) {
            state.SkipWithError("the preview or the statistics missed records");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_BrowserPreviewAndStatistics)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
