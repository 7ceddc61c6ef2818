// vorlanix-cli collect of two simulated loggers with 2,000 new records each
// and a third port whose logger never answers, against one "download new" of
// 2,000 records: the ports run at once, so collect should take about as long
// as the slowest of them. Counters: single_s (the one download), collect_s,
// ratio = collect_s / single_s. The dead port is tried 3 times (--retries 2)
// with --retry-wait 5, which ends before the live downloads do.
#include "sim_child.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

// Runs vorlanix-cli with args on the program directory home; seconds taken, -1 when it failed.
double run_cli(const QTemporaryDir& home, const QStringList& args, int expected_status)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORLANIX_HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(VORLANIX_CLI_PATH), args);
    if (!p.waitForFinished(600000) || p.exitCode() != expected_status) return -1;
    return double(t.nsecsElapsed()) / 1e9;
}

void write_home(const QTemporaryDir& home, const QStringList& devices)
{
    QDir().mkpath(home.path() + "/Log");
    QByteArray ini = "[GLOBAL]\r\nComPort=3\r\n[PORTS]\r\n";
    for (int i = 0; i < devices.size(); ++i)
        ini += "COM" + QByteArray::number(3 + i) + "=" + devices[i].toUtf8() + "\r\n";
    QFile f(home.path() + "/vorlanix.ini");
    f.open(QIODevice::WriteOnly);
    f.write(ini);
    // Every mission's mark at 0: 2,000 new records each.
    QSettings marks(home.path() + "/config/VORLANIX/VORLANIX.conf", QSettings::IniFormat);
    for (const char* m : {"L0", "L1", "L2"})
        marks.setValue(m, 0);
}

void BM_CollectAgainstOneDownload(benchmark::State& state)
{
    for (auto _ : state) {
        vxbench::SimChild single, a, b, dead;
        QTemporaryDir one, many;
        const QString d0 = single.start({"--type", "89", "--name", "L0", "--fill", "2000"});
        const QString d1 = a.start({"--type", "89", "--name", "L1", "--fill", "2000"});
        const QString d2 = b.start({"--type", "89", "--name", "L2", "--fill", "2000"});
        const QString d3 = dead.start({"--type", "89", "--silent"});
        if (d0.isEmpty() || d1.isEmpty() || d2.isEmpty() || d3.isEmpty()) {
            state.SkipWithError("the simulator did not start");
            return;
        }
        write_home(one, {d0});
        write_home(many, {d1, d2, d3});
        const double single_s = run_cli(one, {"download", "new"}, 0);
        const double collect_s = run_cli(many, {"collect", "--retries", "2", "--retry-wait", "5"}, 1);
        if (single_s < 0 || collect_s < 0) {
            state.SkipWithError("a run failed");
            return;
        }
        state.SetIterationTime(collect_s);
        state.counters["single_s"] = single_s;
        state.counters["collect_s"] = collect_s;
        state.counters["ratio"] = collect_s / single_s;
    }
}
BENCHMARK(BM_CollectAgainstOneDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
