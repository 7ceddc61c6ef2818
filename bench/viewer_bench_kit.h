#pragma once
// What the viewer benchmarks share: a large record database file of a
// two-channel logger, the process's peak resident memory and a watch for the
// first paint of the viewer's text pane and chart.
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLocale>
#include <QObject>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vxbench
{

// The five header lines of a mission start, then one record a minute from
// 1.1.2024 00:01 with temperature and humidity, as downloads write them
// (CR LF, decimal comma).
inline bool write_big_database(const QString& path, int records)
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
            if (f.write(out) != out.size()) return false;
            out.clear();
        }
    }
    return f.write(out) == out.size();
}

// The same as "BIG.txt" in dir; the path, or empty when it was not written.
inline QString write_database(const QString& dir, int records)
{
    const QString path = dir + "/BIG.txt";
    return write_big_database(path, records) ? path : QString();
}

// The highest resident memory of this process since the last
// reset_peak_rss() (since the start without one), in megabytes.
inline double peak_rss_mb()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_maxrss) / 1024.0;
}

// Lowers the recorded peak to what the process holds now, so that each run
// reports its own peak (Linux: "5" to /proc/self/clear_refs). false when the
// system does not allow it: the peaks then add up over the runs.
inline bool reset_peak_rss()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// The viewer's text pane (whatever widget shows the text) as a scroll area.
inline QAbstractScrollArea* text_pane(vx::TEditForm* viewer)
{
    return viewer->findChild<QAbstractScrollArea*>(QStringLiteral("Editor"));
}

// Watches the whole application for the paint of a viewer's text pane and
// of its chart, from start() on (so paints during the opening count too).
class FirstPaint : public QObject
{
public:
    FirstPaint() { QCoreApplication::instance()->installEventFilter(this); }
    ~FirstPaint() override { QCoreApplication::instance()->removeEventFilter(this); }
    // Runs the event loop until both have painted; false after ten seconds
    // without.
    bool wait()
    {
        QElapsedTimer t;
        t.start();
        while (!(text_ && chart_) && t.elapsed() < 10000)
            QCoreApplication::processEvents();
        return text_ && chart_;
    }
    bool text_painted() const { return text_; }
    bool chart_painted() const { return chart_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (watched->parent() && watched->parent()->objectName() == QLatin1String("Editor")) text_ = true;
            if (watched->objectName() == QLatin1String("sp_XYPlot1")) chart_ = true;
        }
        return false;
    }

private:
    bool text_ = false, chart_ = false;
};

// main() of a viewer benchmark: widgets on the offscreen platform, the
// Slovak locale of the record files, then the registered benchmarks.
inline int run_benchmarks(int argc, char** argv)
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

} // namespace vxbench
