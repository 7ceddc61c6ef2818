#pragma once
// Shared parts of the benchmarks of windows: a large record database file and
// a main() that runs the benchmarks in an offscreen application.
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QString>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vxbench
{

// A two-channel logger's file: the five header lines of a mission start, then
// one record a minute from 1.1.2024 00:01 with temperature and humidity.
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

// main() of a window benchmark: offscreen, Slovak number format.
inline int run_widget_benchmarks(int argc, char** argv)
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
