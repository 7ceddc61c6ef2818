// CPU time of the whole program while it trends: the real main window polls
// a simulated temperature and humidity logger every 700 ms over the serial
// driver and draws every reading on its trend page. Measured with getrusage
// for this process (all its threads), over a span of wall time:
//   1. the page "Obecné" shown: the poll alone (the trend collects, draws nothing);
//   2. the trend page shown, span 5 min, a fresh session;
//   3. a new window after a day of readings (123,430) was fed in as the poll
//      feeds them, the trend page shown, span 5 min;
//   4. the same, span "since connect": every point of the day on the chart,
//      and the statistics over all of them at every reading.
// Prints the readings and redraws of each span and the memory the day took.
// Usage: trend_tab_cpu [seconds per span, default 20]. Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.
#include "app/logger_pages.h"
#include "app/main_window.h"
#include "app/trend_page.h"
#include "logger/program_state.h"
#include "logger/status_view.h"
#include "process_kit.h"
#include "sim_child.h"
#include "viewer/trend_chart.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace
{

void run_events(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Readings of the trend newer than t (seconds since the epoch).
int readings_after(const vx::Trend& trend, double t)
{
    int n = 0;
    for (std::size_t i = trend.size(); i-- > 0 && trend.time(i) > t;)
        ++n;
    return n;
}

void measure(const char* what, const vx::TrendPage& page, int seconds)
{
    int replots = 0;
    const auto counter =
        QObject::connect(page.TrendChart1, &QCustomPlot::afterReplot, [&replots] { ++replots; });
    const double since = double(QDateTime::currentMSecsSinceEpoch()) / 1000;
    const double cpu0 = vxbench::cpu_ms();
    QElapsedTimer wall;
    wall.start();
    run_events(seconds * 1000);
    const double cpu = vxbench::cpu_ms() - cpu0;
    const double elapsed = double(wall.elapsed());
    QObject::disconnect(counter);
    std::printf("%-46s %3d readings, %3d redraws, %5.0f ms wall, CPU %6.1f ms = %.2f %% of one core\n", what,
                readings_after(page.trend(), since), replots, elapsed, cpu, 100.0 * cpu / elapsed);
}

// The program's settings in home: COM 1 is the simulator's terminal.
void write_settings(const QTemporaryDir& home, const QString& device)
{
    QFile ini(home.filePath(QStringLiteral("vorlanix.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return;
    ini.write(QStringLiteral("[GLOBAL]\r\nComPort=1\r\nSHOWTIP=0\r\nLOGDIR=%1\r\n[PORTS]\r\nCOM1=%2\r\n")
                  .arg(home.path(), device)
                  .toUtf8());
}

// The main window over home, started (the port opened, the poll running),
// shown at 1000 x 750; false when no reading came within ten seconds.
bool start_window(vx::TForm1& w)
{
    w.show();
    w.start();
    w.resize(1000, 750);
    const double since = double(QDateTime::currentMSecsSinceEpoch()) / 1000;
    for (int i = 0; i < 100 && readings_after(w.trend()->trend(), since) < 2; ++i)
        run_events(100);
    return readings_after(w.trend()->trend(), since) >= 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    vxbench::SimChild sim;
    const QString device = sim.start({"--type", "87", "--serial", "1234"});
    QTemporaryDir home;
    if (device.isEmpty() || !home.isValid()) {
        std::fprintf(stderr, "simulator not available\n");
        return 1;
    }
    write_settings(home, device);
    vxbench::QuietUi ui;

    {
        vx::Global g;
        g.program_dir = home.path() + '/';
        g.ui = &ui;
        vx::TForm1 w(g);
        if (!start_window(w)) {
            std::fprintf(stderr, "no readings from the simulator\n");
            return 1;
        }
        measure("page Obecne (poll only, trend not drawn)", *w.trend(), seconds);
        w.pages()->setCurrentIndex(vx::LoggerPages::page_trend);
        run_events(200);
        measure("trend page, 5 min, fresh session", *w.trend(), seconds);
    }

    // A day of readings of the simulated logger, ending now, fed as the poll
    // feeds them before the window polls it.
    vx::Global g;
    g.program_dir = home.path() + '/';
    g.ui = &ui;
    vx::TForm1 w(g);
    vx::TrendPage& page = *w.trend();
    g.ident.type_code = 87;
    g.status.serial = 1234;
    const double rss0 = vxbench::rss_mb();
    const auto real_clock = g.now;
    const QDateTime end = real_clock();
    const int day = int(vx::Trend::max_readings);
    QElapsedTimer feed;
    feed.start();
    for (int i = 0; i < day; ++i) {
        g.now = [&] { return end.addMSecs(-700LL * (day - i)); };
        vx::StatusView v;
        v.pantemp.text = QString::number(20.0 + (i % 600) / 100.0, 'f', 1);
        v.panhumi.text = QString::number(45.0 + (i % 50) / 10.0, 'f', 1);
        page.add(v);
    }
    g.now = real_clock;
    std::printf("fed %d readings in %lld ms; RSS grew %.1f MB\n", day, static_cast<long long>(feed.elapsed()),
                vxbench::rss_mb() - rss0);
    w.pages()->setCurrentIndex(vx::LoggerPages::page_trend);
    if (!start_window(w)) {
        std::fprintf(stderr, "no readings from the simulator\n");
        return 1;
    }
    std::printf(
        "the trend holds %zu readings, from %s\n", page.trend().size(),
        qPrintable(QDateTime::fromSecsSinceEpoch(qint64(page.trend().time(0))).toString(Qt::ISODate)));
    measure("trend page, 5 min, after a day of readings", page, seconds);
    page.findChild<QComboBox*>(QStringLiteral("CBspan"))->setCurrentIndex(3);
    run_events(200);
    measure("trend page, since connect, a day of readings", page, seconds);
    return 0;
}
