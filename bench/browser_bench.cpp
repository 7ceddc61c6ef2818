// The database browser on a large record file: selecting the file fills the
// preview with its whole text and computes the statistics of its records
// (preview and statistics switched on), up to the first paint.
//   QT_QPA_PLATFORM is set to offscreen here; run build/bench/browser_bench
#include "logger/program_state.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/text_preview.h"
#include "viewer_bench_kit.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

namespace
{

void BM_BrowserPreviewAndStatistics(benchmark::State& state)
{
    QTemporaryDir home;
    const QString log = home.filePath("Log");
    QDir().mkpath(log);
    const int records = int(state.range(0));
    if (!vxbench::write_big_database(log + "/BIG.txt", records) ||
        !vxbench::write_big_database(log + "/SMALL.txt", 10)) {
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
    return vxbench::run_benchmarks(argc, argv);
}
